// A rendered effect as a version 2 sprite: one group frame showing the
// rendered frames in turn, each for the simulated step, in the additive
// texture format with the tools' own palette.
#pragma once

#include <cstdint>
#include <vector>

#include "ImageFiles.h"

// Empty when there are no frames, they differ in size or hold more than
// 65536 pixels each.
std::vector<uint8_t> EncodeEffectSprite(const std::vector<RgbaImage> &frames, double stepMs);
