#include "SpriteExport.h"

#include "Palette.h"
#include "SpriteWriter.h"

std::vector<uint8_t> EncodeEffectSprite(const std::vector<RgbaImage> &frames, double stepMs)
{
    if (frames.empty())
        return {};
    const int w = frames[0].width, h = frames[0].height;
    if (w <= 0 || h <= 0 || static_cast<long long>(w) * h > 65536)
        return {};
    std::vector<RgbaPicture> pictures;
    for (const RgbaImage &f : frames) {
        if (f.width != w || f.height != h || f.pixels.size() != static_cast<size_t>(w) * h * 4)
            return {};
        RgbaPicture picture;
        picture.width = w;
        picture.height = h;
        picture.pixels.resize(static_cast<size_t>(w) * h);
        for (size_t p = 0; p < picture.pixels.size(); ++p)
            picture.pixels[p] = {f.pixels[p * 4], f.pixels[p * 4 + 1], f.pixels[p * 4 + 2], 255};
        pictures.push_back(std::move(picture));
    }
    SpriteMakeOptions options;
    options.format = kSpriteAdditive;  // the black background adds nothing
    options.group = true;
    options.intervals = {static_cast<float>(stepMs / 1000.0)};
    return WriteSprite(MakeSpriteDraft(pictures, options));
}
