// RGBA pictures in memory and as PNG files (through libpng), and the sprite
// sheet that lays frames out in a grid.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // RGBA rows from the top
};

bool WritePng(const std::string &path, const RgbaImage &image, std::string &error);
bool ReadPng(const std::string &path, RgbaImage &image, std::string &error);

// Columns of the sheet for count frames: the smallest near-square grid.
int SheetColumns(int count);
// Frames of one size side by side, left to right and top to bottom; cells
// past the last frame stay transparent black.
RgbaImage MakeSheet(const std::vector<RgbaImage> &frames);
