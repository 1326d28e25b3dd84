// The seam between the simulation and drawing on one side and the game file
// system and sprite loader on the other. Without a sprite loader built in,
// sprites are never found and particles draw untextured.
#pragma once

#include "ParticleSim.h"

namespace gx {

inline constexpr int kMaxArchivePaths = 99;

SpriteHooks SpriteLoaderHooks();
void SetGameDirectories(const char *baseDir, const char *additionalDir);
void UpdateSpriteTextures(SimState &sim);
// Full paths of the opened archives in list order; returns their number.
int ArchivePaths(const char **paths, int max);
void ShutdownSprites();
// Texture to bind for a particle's frame and age (0: none); a frame at or
// above the sprite's frame count is set back to 0.
uint32_t SpriteTexture(const SpriteModel &sprite, float &frame, float age);

}  // namespace gx
