// Palettes and sprites made from RGBA pictures by the sprite maker.
#include <gtest/gtest.h>

#include <set>

#include "Fixtures.h"
#include "Palette.h"
#include "gamefs/SpriteModel.h"

namespace {

RgbaPicture Gradient(int w, int h)
{
    RgbaPicture p;
    p.width = w;
    p.height = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.pixels.push_back({static_cast<uint8_t>(x * 255 / (w - 1)),
                                static_cast<uint8_t>(y * 255 / (h - 1)), static_cast<uint8_t>((x + y) % 256),
                                static_cast<uint8_t>(x * 255 / (w - 1))});
    return p;
}

std::unique_ptr<SpriteModel> Load(const std::vector<RgbaPicture> &pictures, const SpriteMakeOptions &options,
                                  RecordingSink &sink)
{
    MessageLog log;
    const std::vector<uint8_t> bytes = WriteSprite(MakeSpriteDraft(pictures, options));
    auto model = Mod_LoadSpriteModel(bytes.data(), bytes.size(), sink, log.Sink());
    EXPECT_TRUE(log.texts.empty());
    return model;
}

TEST(Palette, FewColoursAreKeptExactly)
{
    const std::vector<Rgba> colours = {{1, 2, 3, 255}, {200, 0, 9, 255}, {1, 2, 3, 255}};
    const std::vector<uint8_t> palette = MedianCutPalette(colours, 256);
    ASSERT_EQ(6u, palette.size());
    std::set<std::vector<uint8_t>> entries = {{palette[0], palette[1], palette[2]},
                                              {palette[3], palette[4], palette[5]}};
    EXPECT_EQ((std::set<std::vector<uint8_t>>{{1, 2, 3}, {200, 0, 9}}), entries);
    EXPECT_EQ(200, palette[NearestEntry(palette, {190, 0, 0, 255}) * 3u]);
}

TEST(Palette, ManyColoursAreCutToTheLimitAndStayClose)
{
    const RgbaPicture p = Gradient(64, 64);
    const std::vector<uint8_t> palette = MedianCutPalette(p.pixels, 256);
    EXPECT_LE(palette.size(), 256u * 3);
    EXPECT_GE(palette.size(), 200u * 3);
    long worst = 0;
    for (Rgba c : p.pixels) {
        const size_t i = NearestEntry(palette, c) * 3u;
        const long d = std::abs(palette[i] - c.r) + std::abs(palette[i + 1] - c.g) +
                       std::abs(palette[i + 2] - c.b);
        worst = std::max(worst, d);
    }
    EXPECT_LT(worst, 60);
}

TEST(Palette, AlphaTestSpriteKeepsTransparentPixelsTransparent)
{
    RgbaPicture p;
    p.width = 3;
    p.height = 1;
    // Opaque pure blue would clash with the usual key colour: another is chosen.
    p.pixels = {{0, 0, 255, 255}, {10, 20, 30, 0}, {250, 250, 250, 200}};
    SpriteMakeOptions options;
    options.format = 3;
    RecordingSink sink;
    auto model = Load({p}, options, sink);
    ASSERT_NE(nullptr, model);
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 255, 255, 0, 0, 0, 0, 250, 250, 250, 255}),
              sink.live.at(model->frames[0].picture.texture).rgba);
}

TEST(Palette, IndexAlphaSpriteCarriesAlphaInTheIndex)
{
    RgbaPicture p;
    p.width = 4;
    p.height = 1;
    p.pixels = {{255, 255, 255, 0}, {255, 128, 0, 255}, {255, 255, 255, 128}, {0, 0, 0, 64}};
    SpriteMakeOptions options;
    options.format = 2;
    RecordingSink sink;
    auto model = Load({p}, options, sink);
    ASSERT_NE(nullptr, model);
    const std::vector<uint8_t> &rgba = sink.live.at(model->frames[0].picture.texture).rgba;
    EXPECT_EQ(0, rgba[3]);
    EXPECT_EQ(254, rgba[7]);
    EXPECT_EQ(254, rgba[4]);
    EXPECT_EQ(127, rgba[5]);  // 128 × 255 / 256
    EXPECT_NEAR(128, rgba[11], 1);
    EXPECT_NEAR(64, rgba[15], 1);
}

TEST(Palette, GroupAndFramesWithOriginsAndIntervals)
{
    const RgbaPicture p = Gradient(8, 6);
    SpriteMakeOptions options;
    options.group = true;
    options.intervals = {0.2f, 0.4f};
    RecordingSink sink;
    auto group = Load({p, p}, options, sink);
    ASSERT_NE(nullptr, group);
    ASSERT_EQ(1, group->numframes);
    ASSERT_NE(nullptr, group->frames[0].group);
    EXPECT_EQ((std::vector<float>{0.2f, 0.4f}), group->frames[0].group->intervals);
    const SpriteFrame &picture = group->frames[0].group->pictures[1];
    EXPECT_EQ(-4.0f, picture.left);
    EXPECT_EQ(4.0f, picture.right);
    EXPECT_EQ(3.0f, picture.up);
    EXPECT_EQ(-3.0f, picture.down);

    options.group = false;
    options.centred = false;
    options.originX = 1;
    options.originY = -2;
    auto frames = Load({p, p, p}, options, sink);
    ASSERT_NE(nullptr, frames);
    EXPECT_EQ(3, frames->numframes);
    EXPECT_EQ(1.0f, frames->frames[2].picture.left);
    EXPECT_EQ(-8.0f, frames->frames[2].picture.down);
}

TEST(SpriteWriter, ArchiveNamesMustFit)
{
    std::string error;
    EXPECT_TRUE(WritePak({{std::string(56, 'x'), {1}}}, &error).empty());
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(WritePak({{"", {1}}}, &error).empty());
    EXPECT_FALSE(WritePak({{std::string(55, 'x'), {1}}}, &error).empty());
}

}  // namespace
