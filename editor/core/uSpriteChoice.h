// What the sprite browser shows of the game directories' sprites and what a
// choice writes into a sprite row, on top of the game file system's sprite
// catalog (the renderer's own lookup). No widgets.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "gamefs/SpriteCatalog.h"

// Where an entry comes from, in words: "base folder", "additional folder",
// "pak0.pak in the base folder", or the full path of an archive or folder
// that is neither game directory's.
std::string SpriteSourceText(const CatalogEntry &entry, const std::string &baseDir,
                             const std::string &additionalDir);

// Whether every word of filter occurs in the entry's name, ignoring ASCII case.
bool SpriteMatchesFilter(const CatalogEntry &entry, std::string_view filter);

// The text a sprite row receives for an entry: its game path with "/"
// separators. None for a broken archive or a path over 255 characters.
std::optional<std::string> SpriteRowPath(const CatalogEntry &entry);

// The text for a file chosen outside the listing: its path below the game
// directory that holds it, or "sprites/" and the file name when it lies in
// neither. None when that is over 255 characters.
std::optional<std::string> SpriteRowPathForFile(const std::string &file, const std::string &baseDir,
                                                const std::string &additionalDir);

// The path below the game directory that holds the file; none when it lies
// in neither (or the path is over 255 characters).
std::optional<std::string> SpriteRowPathInGame(const std::string &file, const std::string &baseDir,
                                               const std::string &additionalDir);

// "64 x 48, 4 frames (animated)": size and frame count of a preview.
std::string SpriteDetailsText(const SpritePreview &preview);

// Whether a sprite row's text names a sprite the game directories lack (an
// empty text lacks nothing); the lookup is the renderer's.
bool SpriteMissing(const std::string &baseDir, const std::string &additionalDir,
                   const std::string &spriteText);
std::string MissingSpriteTooltip(const std::string &spriteText);
