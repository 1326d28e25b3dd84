// The plug-in's sprites: one game file system and sprite loader that turn
// pictures into GL textures, handed to the simulation as its sprite hooks.
// Everything runs on the host's user-interface thread; loading and releasing
// need the device's GL context to be current (without one the pictures get
// texture 0 and nothing breaks). Failures go to ShowRendererMessage.
#pragma once

#include "ParticleSim.h"

namespace gx {

inline constexpr int kMaxArchivePaths = 99;

// Loads a type's sprite into textures and releases it again.
SpriteHooks SpriteLoaderHooks();

// R_SetGamedir: releases every archive, keeps the two directories (at most
// 259 characters each; null counts as empty) and opens "pak%d.pak" in the
// additional directory first, then the base directory. Sprites are not
// reloaded.
void SetGameDirectories(const char *baseDir, const char *additionalDir);

// Full paths of the opened archives in list order, at most max of them;
// returns their number. The texts live until the next SetGameDirectories.
int ArchivePaths(const char **paths, int max);

// Unload: releases the archive list. Sprites belong to the type links.
void ShutdownSprites();

}  // namespace gx
