// Turning palette indices into RGBA by a sprite's texture format:
// alpha test: colour of the entry; the colour of entry 255 becomes transparent black;
// index alpha: entry × (index / entry count), alpha 255 × (index / entry count);
// any other: the entry's colour, opaque.
// Indices at or past the palette's end take its last entry.
#pragma once

#include <cstdint>

// A sprite's texture format, as its header stores it.
enum SpriteTextureFormat : int32_t {
    kSpriteNormal = 0,
    kSpriteAdditive = 1,
    kSpriteIndexAlpha = 2,
    kSpriteAlphaTest = 3,
};

// palette holds paletteCount (1 to 256) RGB triples; rgba receives count × 4 bytes.
void ConvertSpritePixels(const uint8_t *indices, int32_t count, const uint8_t *palette, int32_t paletteCount,
                         int32_t format, uint8_t *rgba);
