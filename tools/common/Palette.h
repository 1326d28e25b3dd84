// Palette building for sprites: the pictures' colours cut down to at most
// 256 entries, laid out as the sprite's texture format needs them.
#pragma once

#include <cstdint>
#include <vector>

struct Rgba {
    uint8_t r, g, b, a;
};

struct RgbaPicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<Rgba> pixels;  // row by row from the top
};

struct IndexedPictures {
    std::vector<uint8_t> palette;               // RGB triples
    std::vector<std::vector<uint8_t>> indices;  // one per picture
};

// Alpha test: colours of the opaque pixels (alpha 128 and up) in entries 0 to
// 254, entry 255 a key colour that no other entry has, transparent pixels
// index 255. Index alpha: the index carries the pixel's alpha (index / 256)
// and the entry the mean colour of the pixels of that alpha. Other formats:
// the colours, darkened by their alpha, in up to 256 entries.
IndexedPictures IndexPictures(const std::vector<RgbaPicture> &pictures, int32_t format);

// At most maxColours colours representing the given ones (median cut), RGB triples.
std::vector<uint8_t> MedianCutPalette(const std::vector<Rgba> &colours, int32_t maxColours);

// Index of the palette entry nearest to the colour.
uint8_t NearestEntry(const std::vector<uint8_t> &palette, Rgba colour);

struct SpriteMakeOptions {
    int32_t format = 0;  // SpriteTextureFormat
    int32_t type = 2;
    bool group = false;            // one group frame of all pictures, else one frame each
    std::vector<float> intervals;  // group: one for all pictures, or one per picture
    bool centred = true;           // origin at the picture's centre
    int32_t originX = 0;           // else this origin for every picture
    int32_t originY = 0;
};

struct SpriteDraft;

// The sprite for the pictures: palette by format, frames or one group.
SpriteDraft MakeSpriteDraft(const std::vector<RgbaPicture> &pictures, const SpriteMakeOptions &options);
