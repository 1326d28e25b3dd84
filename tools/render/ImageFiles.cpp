#include "ImageFiles.h"

#include <png.h>

#include <cmath>
#include <cstring>

bool WritePng(const std::string &path, const RgbaImage &image, std::string &error)
{
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<size_t>(image.width) * image.height * 4) {
        error = "No picture to write to " + path + ".";
        return false;
    }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&png, path.c_str(), 0, image.pixels.data(), 0, nullptr)) {
        error = "Could not write " + path + ": " + png.message;
        png_image_free(&png);
        return false;
    }
    return true;
}

bool ReadPng(const std::string &path, RgbaImage &image, std::string &error)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        error = "Could not read " + path + ": " + png.message;
        return false;
    }
    png.format = PNG_FORMAT_RGBA;
    if (png.width > 16384 || png.height > 16384) {
        error = path + " is larger than 16384 pixels a side.";
        png_image_free(&png);
        return false;
    }
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
        error = "Could not read " + path + ": " + png.message;
        png_image_free(&png);
        return false;
    }
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.pixels = std::move(pixels);
    return true;
}

int SheetColumns(int count)
{
    if (count <= 1)
        return 1;
    int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
    while ((columns - 1) * (columns - 1) >= count)
        --columns;
    while (columns * columns < count)
        ++columns;
    return columns;
}

RgbaImage MakeSheet(const std::vector<RgbaImage> &frames)
{
    RgbaImage sheet;
    if (frames.empty())
        return sheet;
    const int w = frames[0].width, h = frames[0].height;
    const int count = static_cast<int>(frames.size());
    const int columns = SheetColumns(count);
    const int rows = (count + columns - 1) / columns;
    sheet.width = w * columns;
    sheet.height = h * rows;
    sheet.pixels.assign(static_cast<size_t>(sheet.width) * sheet.height * 4, 0);
    const size_t row = static_cast<size_t>(w) * 4;
    for (int i = 0; i < count; ++i) {
        const RgbaImage &f = frames[static_cast<size_t>(i)];
        if (f.width != w || f.height != h || f.pixels.size() != row * static_cast<size_t>(h))
            continue;
        const int cx = (i % columns) * w, cy = (i / columns) * h;
        for (int y = 0; y < h; ++y)
            std::memcpy(sheet.pixels.data() + (static_cast<size_t>(cy + y) * sheet.width + cx) * 4,
                        f.pixels.data() + static_cast<size_t>(y) * row, row);
    }
    return sheet;
}
