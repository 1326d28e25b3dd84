// Decoding a JPEG picture held in memory into 8-bit RGB pixels with libjpeg.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // width * height * 3 bytes, rows top to bottom
};

// Pictures larger than this are refused rather than allocated.
inline constexpr long kMaxJpegPixels = 16L * 1024 * 1024;

// False, with picture emptied, for data that is not a whole decodable JPEG.
bool DecodeJpeg(const uint8_t *data, size_t size, RgbPicture &picture);
