// The renderer's side of the game file system: game directories, archive
// list, sprite loading into GL textures, and the sprite rules of the type
// links. Everything runs on the UI thread; the functions that make or delete
// textures need the device's GL context to be current (without one the
// pictures get texture 0 and nothing breaks). Failures are shown through
// ShowRendererMessage.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gamefs/SpriteModel.h"  // SpriteModel, SpriteFrameTexture

// R_SetGamedir: releases every archive, keeps the two directories (at most
// 259 characters each; null counts as empty) and rescans "pak%d.pak" in the
// additional directory first, then the base directory. Sprites are not
// reloaded.
void SetGamedir(const char *baseDir, const char *additionalDir);

// The kept directories (empty until the first SetGamedir).
const char *BaseGameDir();
const char *AdditionalGameDir();

// R_GetAdditionalInfo's archive list: appends "<full path>\n" for every
// archive in list order to the NUL-terminated text already in buffer, never
// writing past bufferSize bytes (the NUL included; the list is cut short).
void AppendLoadedPackages(char *buffer, size_t bufferSize);

// Looks the name up (loose in the base directory, loose in the additional
// directory, then the archives from the last opened to the first), parses it
// and makes one texture per picture. Shows the failure message and returns
// null when there is no usable sprite.
SpriteModel *R_LoadSpriteFromFile(const char *name);

// Deletes the textures of every picture and frees the model; sprite becomes
// null. Null is fine.
void ReleaseSprite(SpriteModel *&sprite);

// R_UpdateTypes, for each new type link: a non-empty sprite text is copied
// into spriteName (256 bytes) and loaded, drawable = 1 even when the load
// failed; an empty text leaves no sprite, an empty spriteName and
// drawable = 0.
void LoadTypeSprite(const char *spriteText, char *spriteName, SpriteModel *&sprite,
                    int32_t &drawable);

// R_UpdateTextures, for each type link:
// - empty sprite text: release the sprite, drawable = (renderList == 503);
// - text differs from spriteName ignoring ASCII case: spriteName = text,
//   release the old sprite, load the new one, drawable = 1;
// - otherwise nothing changes.
void UpdateTypeSprite(const char *spriteText, int32_t renderList, char *spriteName,
                      SpriteModel *&sprite, int32_t &drawable);

// Per drawn particle, from gamefs/SpriteModel.h:
//   uint32_t SpriteFrameTexture(const SpriteModel &model, float &frame, float age);
// gives the texture to bind for the particle's frame and age (0: none) and
// puts a frame at or above the frame count back to 0.

// Unload: releases the archive list. Sprites belong to the type links.
void ReleaseGameFileSystem();
