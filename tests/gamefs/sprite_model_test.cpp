// Parsing sprite files, converting their pictures, and choosing the picture
// a particle shows.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Fixtures.h"
#include "gamefs/SpriteModel.h"
#include "gamefs/SpritePixels.h"

namespace {

constexpr size_t kPaletteStart = 42;

SpritePicture Picture(int32_t w, int32_t h, uint8_t fill, int32_t ox = 0, int32_t oy = 0)
{
    SpritePicture p;
    p.width = w;
    p.height = h;
    p.originX = ox;
    p.originY = oy;
    p.indices.assign(static_cast<size_t>(w) * h, fill);
    return p;
}

// Frame 0 a picture, frame 1 a group of two pictures.
SpriteDraft PictureAndGroup()
{
    SpriteDraft draft;
    draft.type = 3;
    draft.format = 0;
    draft.palette = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    SpriteFrameDraft single;
    SpritePicture p = Picture(3, 2, 0, -1, 2);
    p.indices = {0, 1, 2, 3, 2, 1};
    single.pictures.push_back(p);
    SpriteFrameDraft group;
    group.group = true;
    group.intervals = {0.1f, 0.3f};
    group.pictures = {Picture(2, 2, 1), Picture(4, 1, 2)};
    draft.frames = {single, group};
    return draft;
}

struct Loaded {
    RecordingSink sink;
    MessageLog log;
    std::unique_ptr<SpriteModel> model;

    explicit Loaded(const std::vector<uint8_t> &bytes)
    {
        model = Mod_LoadSpriteModel(bytes.data(), bytes.size(), sink, log.Sink());
    }
    std::string Message() const { return log.texts.size() == 1 ? log.texts[0] : "<count>"; }
};

TEST(SpriteModel, ParsesPicturesAndGroups)
{
    Loaded l(WriteSprite(PictureAndGroup()));
    ASSERT_NE(nullptr, l.model) << l.Message();
    EXPECT_TRUE(l.log.texts.empty());
    const SpriteModel &m = *l.model;
    EXPECT_EQ(3, m.type);
    EXPECT_EQ(4, m.width);
    EXPECT_EQ(2, m.height);
    ASSERT_EQ(2, m.numframes);
    ASSERT_EQ(2u, m.frames.size());

    const SpriteFrame &p = m.frames[0].picture;
    EXPECT_EQ(0, m.frames[0].kind);
    EXPECT_EQ(3, p.width);
    EXPECT_EQ(2, p.height);
    EXPECT_EQ(2.0f, p.up);
    EXPECT_EQ(0.0f, p.down);
    EXPECT_EQ(-1.0f, p.left);
    EXPECT_EQ(2.0f, p.right);
    const RecordingSink::Texture &t = l.sink.live.at(p.texture);
    EXPECT_EQ(3, t.width);
    EXPECT_EQ(2, t.height);
    // Row by row from the top, index 3 in the second row's first pixel.
    EXPECT_EQ((std::vector<uint8_t>{10,  20,  30,  255, 40, 50, 60, 255, 70, 80, 90, 255,
                                    100, 110, 120, 255, 70, 80, 90, 255, 40, 50, 60, 255}),
              t.rgba);

    ASSERT_NE(nullptr, m.frames[1].group);
    const SpriteGroup &g = *m.frames[1].group;
    EXPECT_NE(0, m.frames[1].kind);
    EXPECT_EQ(2, g.numframes);
    EXPECT_EQ((std::vector<float>{0.1f, 0.3f}), g.intervals);
    ASSERT_EQ(2u, g.pictures.size());
    EXPECT_EQ(4, l.sink.live.at(g.pictures[1].texture).width);
    EXPECT_EQ(3, l.sink.created);

    ReleaseSpriteTextures(*l.model, l.sink);
    EXPECT_TRUE(l.sink.live.empty());
    EXPECT_EQ(0, l.sink.unknownDeletes);
}

TEST(SpriteModel, HeaderFailuresGiveTheirMessages)
{
    const std::vector<uint8_t> good = WriteSprite(PictureAndGroup());
    struct Case {
        std::function<void(std::vector<uint8_t> &)> change;
        std::string message;
    };
    const std::vector<Case> cases = {
        {[](auto &b) { PutInt32(b, 4, 1); }, "sprite has wrong version number (1 should be 2)"},
        {[](auto &b) { PutInt32(b, 4, -7); }, "sprite has wrong version number (-7 should be 2)"},
        {[](auto &b) { PutInt16(b, 40, 0); }, "sprite has funny number of palette entires (0)"},
        {[](auto &b) { PutInt16(b, 40, 257); }, "sprite has funny number of palette entires (257)"},
        {[](auto &b) { PutInt16(b, 40, -1); }, "sprite has funny number of palette entires (-1)"},
        {[](auto &b) { PutInt32(b, 28, 0); }, "Mod_LoadSpriteModel: Invalid # of frames"},
        {[](auto &b) { PutInt32(b, 28, -3); }, "Mod_LoadSpriteModel: Invalid # of frames"},
        // Version is checked before the palette, the palette before the frames.
        {[](auto &b) {
             PutInt32(b, 4, 3);
             PutInt16(b, 40, 0);
             PutInt32(b, 28, 0);
         },
         "sprite has wrong version number (3 should be 2)"},
        {[](auto &b) {
             PutInt16(b, 40, 300);
             PutInt32(b, 28, 0);
         },
         "sprite has funny number of palette entires (300)"},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> bytes = good;
        c.change(bytes);
        Loaded l(bytes);
        EXPECT_EQ(nullptr, l.model);
        EXPECT_EQ(c.message, l.Message());
        EXPECT_EQ(0, l.sink.created);
    }
}

TEST(SpriteModel, EveryTruncationIsFoundAndNothingIsLeftBehind)
{
    const std::vector<uint8_t> good = WriteSprite(PictureAndGroup());
    for (size_t size = 0; size < good.size(); ++size) {
        const std::vector<uint8_t> bytes(good.begin(), good.begin() + static_cast<long>(size));
        Loaded l(bytes);
        EXPECT_EQ(nullptr, l.model) << size;
        EXPECT_EQ("Mod_LoadSpriteModel: Unexpected end of file", l.Message()) << size;
        EXPECT_TRUE(l.sink.live.empty()) << size;
        EXPECT_EQ(0, l.sink.unknownDeletes);
    }
}

TEST(SpriteModel, BadIntervalGivesTheWholeSpriteUp)
{
    const std::vector<uint8_t> good = WriteSprite(PictureAndGroup());
    // Frame 0: kind at 54, picture header 16 bytes, 6 indices; frame 1: kind,
    // count, then the two intervals.
    const size_t frame1 = kPaletteStart + 12 + 4 + 16 + 6;
    const size_t interval0 = frame1 + 8;
    for (float bad : {0.0f, -0.5f, -0.0f, std::numeric_limits<float>::quiet_NaN()}) {
        for (size_t at : {interval0, interval0 + 4}) {
            std::vector<uint8_t> bytes = good;
            PutFloat32(bytes, at, bad);
            Loaded l(bytes);
            EXPECT_EQ(nullptr, l.model);
            EXPECT_EQ("Mod_LoadSpriteGroup: interval<=0", l.Message());
            // Frame 0's texture was made and then given back.
            EXPECT_EQ(1, l.sink.created);
            EXPECT_TRUE(l.sink.live.empty());
        }
    }
}

TEST(SpriteModel, GroupWithoutPicturesIsRefused)
{
    const std::vector<uint8_t> good = WriteSprite(PictureAndGroup());
    const size_t count = kPaletteStart + 12 + 4 + 16 + 6 + 4;
    for (int32_t bad : {0, -1, std::numeric_limits<int32_t>::min()}) {
        std::vector<uint8_t> bytes = good;
        PutInt32(bytes, count, bad);
        Loaded l(bytes);
        EXPECT_EQ(nullptr, l.model);
        EXPECT_EQ("Mod_LoadSpriteGroup: Invalid # of frames", l.Message());
        EXPECT_TRUE(l.sink.live.empty());
    }
    std::vector<uint8_t> bytes = good;
    PutInt32(bytes, count, 0x7FFFFFFF);  // far more than the file holds
    Loaded l(bytes);
    EXPECT_EQ("Mod_LoadSpriteModel: Unexpected end of file", l.Message());
}

TEST(SpriteModel, FrameCountBeyondTheFileIsATruncation)
{
    std::vector<uint8_t> bytes = WriteSprite(PictureAndGroup());
    PutInt32(bytes, 28, 0x7FFFFFFF);
    Loaded l(bytes);
    EXPECT_EQ(nullptr, l.model);
    EXPECT_EQ("Mod_LoadSpriteModel: Unexpected end of file", l.Message());
    EXPECT_TRUE(l.sink.live.empty());
}

TEST(SpriteModel, PictureSizesOutsideTheConversionBufferAreRefused)
{
    struct Case {
        int32_t w, h;
        std::string message;  // empty: loads
    };
    const std::vector<Case> cases = {
        {256, 256, ""},
        {65536, 1, ""},
        {257, 255, ""},
        {257, 256, "Mod_LoadSpriteFrame: Picture too large (257x256)"},
        {65537, 1, "Mod_LoadSpriteFrame: Picture too large (65537x1)"},
        {65536, 65536, "Mod_LoadSpriteFrame: Picture too large (65536x65536)"},
        {0, 4, "Mod_LoadSpriteFrame: Invalid picture size (0x4)"},
        {4, -2, "Mod_LoadSpriteFrame: Invalid picture size (4x-2)"},
        {-65536, -65536, "Mod_LoadSpriteFrame: Invalid picture size (-65536x-65536)"},
    };
    for (const Case &c : cases) {
        SpriteDraft draft;
        draft.palette = {1, 2, 3};
        SpriteFrameDraft first;
        first.pictures.push_back(Picture(1, 1, 0));
        SpriteFrameDraft frame;
        SpritePicture p = Picture(1, 1, 0);
        p.width = c.w;
        p.height = c.h;
        if (c.message.empty())
            p.indices.assign(static_cast<size_t>(c.w) * c.h, 0);
        frame.pictures.push_back(p);
        draft.frames = {first, frame};
        Loaded l(WriteSprite(draft));
        if (c.message.empty()) {
            ASSERT_NE(nullptr, l.model) << c.w << "x" << c.h << " " << l.Message();
            EXPECT_EQ(c.w, l.sink.live.at(l.model->frames[1].picture.texture).width);
        } else {
            EXPECT_EQ(nullptr, l.model);
            EXPECT_EQ(c.message, l.Message());
            EXPECT_TRUE(l.sink.live.empty());
        }
    }
}

TEST(SpriteModel, EdgeOriginsDoNotOverflow)
{
    SpriteDraft draft;
    draft.palette = {1, 2, 3};
    SpriteFrameDraft frame;
    frame.pictures.push_back(Picture(2, 3, 0, 0x7FFFFFFF, std::numeric_limits<int32_t>::min()));
    draft.frames = {frame};
    Loaded l(WriteSprite(draft));
    ASSERT_NE(nullptr, l.model);
    const SpriteFrame &p = l.model->frames[0].picture;
    EXPECT_FLOAT_EQ(2147483649.0f, p.right);
    EXPECT_FLOAT_EQ(-2147483651.0f, p.down);
}

// Converts one pixel of each index through the rules.
std::vector<uint8_t> Convert(const std::vector<uint8_t> &indices, const std::vector<uint8_t> &palette,
                             int32_t format)
{
    std::vector<uint8_t> rgba(indices.size() * 4, 0xEE);
    ConvertSpritePixels(indices.data(), static_cast<int32_t>(indices.size()), palette.data(),
                        static_cast<int32_t>(palette.size() / 3), format, rgba.data());
    return rgba;
}

std::vector<uint8_t> FullPalette(uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<uint8_t> palette;
    for (int i = 0; i < 256; ++i)
        palette.insert(palette.end(), {r, g, b});
    return palette;
}

TEST(SpritePixels, Format3MakesTheColourOfEntry255Transparent)
{
    std::vector<uint8_t> palette = FullPalette(200, 100, 50);
    auto set = [&](int i, uint8_t r, uint8_t g, uint8_t b) {
        palette[static_cast<size_t>(i) * 3] = r;
        palette[static_cast<size_t>(i) * 3 + 1] = g;
        palette[static_cast<size_t>(i) * 3 + 2] = b;
    };
    set(255, 0, 0, 255);  // pure blue
    set(7, 0, 0, 255);    // the same colour at another index
    set(8, 0, 0, 254);    // one step off
    set(9, 1, 0, 255);
    EXPECT_EQ((std::vector<uint8_t>{0,   0,   0, 0, 0,   0,   0,   0,   0,  0,
                                    254, 255, 1, 0, 255, 255, 200, 100, 50, 255}),
              Convert({255, 7, 8, 9, 0}, palette, 3));
}

TEST(SpritePixels, Format3WithAShortPaletteHasNoTransparentColour)
{
    const std::vector<uint8_t> palette = {0, 0, 255, 9, 9, 9};
    // Index 255 lies past the palette and takes its last entry.
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 255, 255, 9, 9, 9, 255, 9, 9, 9, 255}),
              Convert({0, 1, 255}, palette, 3));
}

TEST(SpritePixels, Format2ScalesByIndexOverEntryCount)
{
    std::vector<uint8_t> palette = FullPalette(255, 255, 255);
    palette[128 * 3] = 200;
    palette[128 * 3 + 1] = 3;
    palette[128 * 3 + 2] = 1;
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0,          // index 0: transparent black
                                    254, 254, 254, 254,  // 255 × 255 / 256
                                    100, 1, 0, 127,      // 200 × 0.5, 3 × 0.5, 1 × 0.5
                                    0, 0, 0, 0}),        // 255 × 1 / 256
              Convert({0, 255, 128, 1}, palette, 2));
    // Three entries: f is 1/3 and 2/3, truncated; index 5 takes the last entry.
    const std::vector<uint8_t> small = {3, 3, 3, 30, 30, 30, 99, 99, 99};
    EXPECT_EQ((std::vector<uint8_t>{10, 10, 10, 85, 66, 66, 66, 170, 66, 66, 66, 170}),
              Convert({1, 2, 5}, small, 2));
}

TEST(SpritePixels, OtherFormatsAreOpaquePaletteColours)
{
    const std::vector<uint8_t> palette = {1, 2, 3, 0, 0, 255};
    for (int32_t format : {0, 1, 4, -1}) {
        EXPECT_EQ((std::vector<uint8_t>{0, 0, 255, 255, 1, 2, 3, 255, 0, 0, 255, 255}),
                  Convert({1, 0, 200}, palette, format))
            << format;
    }
}

TEST(SpritePixels, ConversionReachesTheTextureThroughTheLoader)
{
    SpriteDraft draft;
    draft.format = 2;
    draft.palette = FullPalette(255, 255, 255);
    SpriteFrameDraft frame;
    SpritePicture p = Picture(2, 1, 0);
    p.indices = {0, 255};
    frame.pictures.push_back(p);
    draft.frames = {frame};
    Loaded l(WriteSprite(draft));
    ASSERT_NE(nullptr, l.model);
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0, 254, 254, 254, 254}),
              l.sink.live.at(l.model->frames[0].picture.texture).rgba);
}

// A model with known texture names: frames 1 and 2 pictures, frame 3 a group.
SpriteModel FrameModel()
{
    SpriteModel m;
    m.numframes = 3;
    m.frames.resize(3);
    m.frames[0].picture.texture = 11;
    m.frames[1].picture.texture = 12;
    m.frames[2].kind = 1;
    m.frames[2].group = std::make_unique<SpriteGroup>();
    SpriteGroup &g = *m.frames[2].group;
    g.numframes = 3;
    g.intervals = {0.5f, 0.25f, 0.25f};
    g.totalInterval = 1.0f;
    g.pictures.resize(3);
    g.pictures[0].texture = 21;
    g.pictures[1].texture = 22;
    g.pictures[2].texture = 23;
    return m;
}

TEST(SpriteFrames, FrameSelectionAndItsResets)
{
    const SpriteModel m = FrameModel();
    struct Case {
        float frame;
        uint32_t texture;
        float frameAfter;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const Case &c : std::vector<Case>{{0.0f, 11, 0.0f},
                                           {1.99f, 12, 1.99f},
                                           {2.0f, 21, 2.0f},
                                           {3.0f, 11, 0.0f},  // exactly the frame count
                                           {7.5f, 11, 0.0f},
                                           {inf, 11, 0.0f},
                                           {nan, 11, 0.0f},
                                           {-0.5f, 11, -0.5f},  // shows 0, keeps counting
                                           {-inf, 11, -inf}}) {
        float frame = c.frame;
        EXPECT_EQ(c.texture, SpriteFrameTexture(m, frame, 0.0f)) << c.frame;
        if (std::isnan(c.frameAfter))
            EXPECT_TRUE(std::isnan(frame));
        else
            EXPECT_EQ(c.frameAfter, frame) << c.frame;
    }
}

TEST(SpriteFrames, GroupShowsEachPictureForItsIntervalAndCycles)
{
    const SpriteModel m = FrameModel();
    const std::vector<std::pair<float, uint32_t>> cases = {{0.0f, 21},
                                                           {0.49f, 21},
                                                           {0.5f, 22},
                                                           {0.74f, 22},
                                                           {0.75f, 23},
                                                           {0.99f, 23},
                                                           {1.0f, 21},
                                                           {1.6f, 22},
                                                           {10.8f, 23},
                                                           {-1.0f, 21},
                                                           {std::numeric_limits<float>::quiet_NaN(), 21},
                                                           {std::numeric_limits<float>::infinity(), 21}};
    for (const auto &[age, texture] : cases) {
        float frame = 2.5f;
        EXPECT_EQ(texture, SpriteFrameTexture(m, frame, age)) << age;
    }
}

TEST(SpriteFrames, EmptyModelShowsNoTexture)
{
    SpriteModel m;
    float frame = 4;
    EXPECT_EQ(0u, SpriteFrameTexture(m, frame, 0));
}

}  // namespace
