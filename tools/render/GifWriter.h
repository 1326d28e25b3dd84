// An animated GIF of RGBA frames: one global palette of 256 colours made by
// median cut over all frames, LZW-coded pictures, looping forever.
#pragma once

#include <cstdint>
#include <vector>

#include "ImageFiles.h"

// Delays in hundredths of a second for frames stepMs apart: rounded from the
// running time, so that the whole animation keeps the simulated duration.
std::vector<uint16_t> GifDelays(int frames, double stepMs);

// The file's bytes; empty when there are no frames or they differ in size.
std::vector<uint8_t> EncodeGif(const std::vector<RgbaImage> &frames, double stepMs);

// The LZW-coded data of one picture of 8-bit indices (minimum code size 8),
// as GIF sub-blocks ended by an empty block.
std::vector<uint8_t> EncodeGifPicture(const uint8_t *indices, size_t count);
