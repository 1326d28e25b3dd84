// The headless renderer's units without a context: its command line, frame
// names, sheet layout, GIF and sprite output and the framing of an effect.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "EffectFraming.h"
#include "GifWriter.h"
#include "ImageFiles.h"
#include "RenderOptions.h"
#include "SpriteExport.h"
#include "SpriteWriter.h"
#include "gamefs/SpriteModel.h"

namespace {

bool Parse(std::vector<const char *> args, RenderOptions &o, std::string &error)
{
    args.insert(args.begin(), "sparkwright-render");
    return ParseRenderOptions(static_cast<int>(args.size()), args.data(), o, error);
}

TEST(RenderOptions, DefaultsAndEveryOption)
{
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"fire.nbs", "-o", "fire.gif"}, o, error)) << error;
    EXPECT_EQ(o.script, "fire.nbs");
    EXPECT_EQ(o.kind, OutputKind::Gif);
    EXPECT_EQ(o.width, 256);
    EXPECT_EQ(o.height, 256);
    EXPECT_EQ(o.frames, 60);
    EXPECT_DOUBLE_EQ(o.stepMs, 1000.0 / 60.0);
    EXPECT_EQ(o.seed, 1u);
    EXPECT_TRUE(o.ground);
    EXPECT_FALSE(o.frameEffect);

    ASSERT_TRUE(Parse({"--game",         "g",           "--additional", "a",        "--size", "320x200",
                       "--frames",       "12",          "--step",       "40",       "--seed", "4294967295",
                       "--frame-effect", "--no-ground", "--background", "0,10,255", "-q",     "x.nbs",
                       "--output",       "x%04d.png"},
                      o, error))
        << error;
    EXPECT_EQ(o.gameDir, "g");
    EXPECT_EQ(o.additionalDir, "a");
    EXPECT_EQ(o.width, 320);
    EXPECT_EQ(o.height, 200);
    EXPECT_EQ(o.frames, 12);
    EXPECT_DOUBLE_EQ(o.stepMs, 40.0);
    EXPECT_EQ(o.seed, 4294967295u);
    EXPECT_TRUE(o.frameEffect);
    EXPECT_FALSE(o.ground);
    EXPECT_TRUE(o.quiet);
    EXPECT_EQ(o.kind, OutputKind::Frames);
    EXPECT_EQ(o.background[0], 0);
    EXPECT_EQ(o.background[1], 10);
    EXPECT_EQ(o.background[2], 255);

    ASSERT_TRUE(Parse({"x.nbs", "-o", "sheet.PNG"}, o, error));
    EXPECT_EQ(o.kind, OutputKind::Sheet);
    ASSERT_TRUE(Parse({"--help"}, o, error));
    EXPECT_TRUE(o.help);
}

TEST(RenderOptions, SpritesAreBlackWithoutGroundAndSmall)
{
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"x.nbs", "-o", "x.spr"}, o, error)) << error;
    EXPECT_EQ(o.kind, OutputKind::Sprite);
    EXPECT_FALSE(o.ground);
    EXPECT_EQ(o.background[0] + o.background[1] + o.background[2], 0);
    ASSERT_TRUE(Parse({"x.nbs", "-o", "x.spr", "--background", "1,2,3"}, o, error));
    EXPECT_EQ(o.background[2], 3);
    EXPECT_FALSE(Parse({"x.nbs", "-o", "x.spr", "--size", "257x256"}, o, error));
    EXPECT_NE(error.find("65536"), std::string::npos);
}

TEST(RenderOptions, BadInputIsRefusedWithAMessage)
{
    const std::vector<std::vector<const char *>> bad = {
        {},
        {"x.nbs"},
        {"-o", "x.gif"},
        {"x.nbs", "y.nbs", "-o", "x.gif"},
        {"x.nbs", "-o"},
        {"x.nbs", "-o", "x.jpg"},
        {"x.nbs", "-o", "x%d%d.png"},
        {"x.nbs", "-o", "x%s.png"},
        {"x.nbs", "-o", "x%012d.png"},
        {"x.nbs", "-o", "x%d.gif"},
        {"x.nbs", "-o", "x.gif", "--size", "0x10"},
        {"x.nbs", "-o", "x.gif", "--size", "10x"},
        {"x.nbs", "-o", "x.gif", "--size", "8193x1"},
        {"x.nbs", "-o", "x.gif", "--size", "10x10x"},
        {"x.nbs", "-o", "x.gif", "--frames", "0"},
        {"x.nbs", "-o", "x.gif", "--frames", "12abc"},
        {"x.nbs", "-o", "x.gif", "--step", "0"},
        {"x.nbs", "-o", "x.gif", "--step", "nan"},
        {"x.nbs", "-o", "x.gif", "--seed", "-1"},
        {"x.nbs", "-o", "x.gif", "--seed", "4294967296"},
        {"x.nbs", "-o", "x.gif", "--background", "1,2"},
        {"x.nbs", "-o", "x.gif", "--background", "1,2,3,4"},
        {"x.nbs", "-o", "x.gif", "--background", "1,256,3"},
        {"x.nbs", "-o", "x.gif", "--background", "1,,3"},
        {"x.nbs", "-o", "x.gif", "--colour"},
    };
    for (const auto &args : bad) {
        RenderOptions o;
        std::string error;
        std::string joined;
        for (const char *a : args)
            joined += std::string(a) + " ";
        EXPECT_FALSE(Parse(args, o, error)) << joined;
        EXPECT_FALSE(error.empty()) << joined;
    }
}

TEST(RenderOptions, FrameNamesFillTheirNumberField)
{
    std::string name;
    ASSERT_TRUE(FrameFileName("out/fire%04d.png", 7, name));
    EXPECT_EQ(name, "out/fire0007.png");
    ASSERT_TRUE(FrameFileName("f%d.png", 12345, name));
    EXPECT_EQ(name, "f12345.png");
    ASSERT_TRUE(FrameFileName("100%%-%3d.png", 5, name));
    EXPECT_EQ(name, "100%-  5.png");
    EXPECT_FALSE(FrameFileName("plain.png", 1, name));
    EXPECT_FALSE(FrameFileName("a%%.png", 1, name));
    EXPECT_FALSE(FrameFileName("a%", 1, name));
}

RgbaImage Solid(int w, int h, uint8_t r, uint8_t g, uint8_t b)
{
    RgbaImage image;
    image.width = w;
    image.height = h;
    for (int i = 0; i < w * h; ++i)
        image.pixels.insert(image.pixels.end(), {r, g, b, 255});
    return image;
}

TEST(ImageFiles, SheetsAreNearSquareGridsInFrameOrder)
{
    EXPECT_EQ(SheetColumns(1), 1);
    EXPECT_EQ(SheetColumns(2), 2);
    EXPECT_EQ(SheetColumns(4), 2);
    EXPECT_EQ(SheetColumns(5), 3);
    EXPECT_EQ(SheetColumns(60), 8);
    EXPECT_EQ(SheetColumns(64), 8);
    EXPECT_EQ(SheetColumns(65), 9);
    std::vector<RgbaImage> frames;
    for (int i = 0; i < 5; ++i)
        frames.push_back(Solid(4, 3, static_cast<uint8_t>(10 * i), 0, 0));
    const RgbaImage sheet = MakeSheet(frames);
    ASSERT_EQ(sheet.width, 12);
    ASSERT_EQ(sheet.height, 6);
    auto at = [&](int x, int y) { return &sheet.pixels[(static_cast<size_t>(y) * 12 + x) * 4]; };
    EXPECT_EQ(at(0, 0)[0], 0);
    EXPECT_EQ(at(11, 2)[0], 20);  // third frame: top right
    EXPECT_EQ(at(4, 3)[0], 40);   // fifth: second row, middle
    EXPECT_EQ(at(8, 5)[3], 0);    // past the last frame: transparent
}

TEST(ImageFiles, PngWrittenReadsBack)
{
    RgbaImage image = Solid(5, 7, 1, 2, 3);
    image.pixels[4 * 4 + 1] = 200;
    const std::string path = testing::TempDir() + "render_unit.png";
    std::string error;
    ASSERT_TRUE(WritePng(path, image, error)) << error;
    RgbaImage back;
    ASSERT_TRUE(ReadPng(path, back, error)) << error;
    EXPECT_EQ(back.width, 5);
    EXPECT_EQ(back.height, 7);
    EXPECT_EQ(back.pixels, image.pixels);
    std::remove(path.c_str());
    EXPECT_FALSE(ReadPng(path, back, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(WritePng("/nonexistent-folder/x.png", image, error));
}

TEST(GifWriter, DelaysKeepTheSimulatedTime)
{
    const std::vector<uint16_t> delays = GifDelays(60, 1000.0 / 60.0);
    ASSERT_EQ(delays.size(), 60u);
    int total = 0;
    for (uint16_t d : delays) {
        EXPECT_GE(d, 1);
        EXPECT_LE(d, 2);
        total += d;
    }
    EXPECT_EQ(total, 100);
    EXPECT_EQ(GifDelays(3, 40.0), (std::vector<uint16_t>{4, 4, 4}));
    EXPECT_TRUE(EncodeGif({}, 10.0).empty());
    EXPECT_TRUE(EncodeGif({Solid(2, 2, 0, 0, 0), Solid(3, 2, 0, 0, 0)}, 10.0).empty());
}

// An independent reader (ImageMagick, installed with the build's packages)
// decodes every frame to the exact colours: few enough for the palette, and
// noisy enough that the code table fills and restarts many times.
TEST(GifWriter, ImageMagickDecodesEveryFrameExactly)
{
    if (system("command -v convert >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    std::vector<RgbaImage> frames;
    uint32_t state = 12345;
    for (int f = 0; f < 3; ++f) {
        RgbaImage image = Solid(200, 150, 0, 0, 0);
        for (size_t p = 0; p < image.pixels.size(); p += 4) {
            state = state * 1103515245u + 12345u;
            const int colour = f == 1 ? static_cast<int>(p / 4 / 200 % 4) : (state >> 16) % 250;
            image.pixels[p] = static_cast<uint8_t>(colour);
            image.pixels[p + 1] = static_cast<uint8_t>(255 - colour);
            image.pixels[p + 2] = static_cast<uint8_t>(colour * 7);
        }
        frames.push_back(image);
    }
    const std::vector<uint8_t> bytes = EncodeGif(frames, 50.0);
    const std::string path = testing::TempDir() + "render_unit.gif";
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    for (int f = 0; f < 3; ++f) {
        SCOPED_TRACE(f);
        const std::string command = "convert '" + path + "[" + std::to_string(f) +
                                    "]' -depth 8 rgb:- 2>/dev/null";
        FILE *pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::vector<uint8_t> rgb(200 * 150 * 3 + 1);
        const size_t got = fread(rgb.data(), 1, rgb.size(), pipe);
        pclose(pipe);
        ASSERT_EQ(got, 200u * 150u * 3u);
        long wrong = 0;
        for (size_t p = 0; p < 200u * 150u; ++p)
            for (int ch = 0; ch < 3; ++ch)
                wrong += rgb[p * 3 + ch] != frames[f].pixels[p * 4 + ch];
        EXPECT_EQ(wrong, 0);
    }
    std::remove(path.c_str());
}

struct CountingSink : TextureSink {
    uint32_t made = 0;
    uint32_t CreateTexture(int32_t, int32_t, const uint8_t *) override { return ++made; }
    void DeleteTexture(uint32_t) override {}
};

TEST(SpriteExport, OneGroupFrameWithTheStepAsInterval)
{
    std::vector<RgbaImage> frames = {Solid(32, 16, 255, 128, 0), Solid(32, 16, 0, 0, 0),
                                     Solid(32, 16, 40, 40, 200)};
    const std::vector<uint8_t> bytes = EncodeEffectSprite(frames, 50.0);
    ASSERT_FALSE(bytes.empty());
    CountingSink sink;
    std::string message;
    auto sprite = Mod_LoadSpriteModel(bytes.data(), bytes.size(), sink,
                                      [&](const char *text) { message = text; });
    ASSERT_TRUE(sprite) << message;
    EXPECT_EQ(sprite->width, 32);
    EXPECT_EQ(sprite->height, 16);
    ASSERT_EQ(sprite->numframes, 1);
    ASSERT_NE(sprite->frames[0].kind, kSpriteFrameSingle);
    const SpriteGroup &group = *sprite->frames[0].group;
    ASSERT_EQ(group.numframes, 3);
    for (float interval : group.intervals)
        EXPECT_NEAR(interval, 0.05f, 1e-6f);
    EXPECT_NEAR(group.totalInterval, 0.15f, 1e-5f);
    EXPECT_EQ(sink.made, 3u);
    // Centred on the origin.
    EXPECT_FLOAT_EQ(group.pictures[0].left, -16.0f);
    EXPECT_FLOAT_EQ(group.pictures[0].up, 8.0f);

    EXPECT_TRUE(EncodeEffectSprite({Solid(257, 256, 0, 0, 0)}, 50.0).empty());
    EXPECT_TRUE(EncodeEffectSprite({}, 50.0).empty());
}

TEST(EffectFraming, TheWholeBoxIsInViewFromTheCameraDirection)
{
    static gx::SimState sim;
    ASSERT_TRUE(gx::CreateSimState(sim, gx::SpriteHooks{nullptr, nullptr}, nullptr, nullptr));
    gx::EffectBounds bounds;
    gx::AddLiveParticles(bounds, sim);
    EXPECT_TRUE(bounds.empty);
    const gx::Vec3 spots[] = {{300, -40, 10}, {420, 80, 200}, {350, 0, -30}};
    for (const gx::Vec3 &spot : spots) {
        gx::Particle *p = gx::TakeParticle(sim);
        ASSERT_NE(p, nullptr);
        p->origin = spot;
        p->offset = {0, 0, 0};
        p->size = 5;
    }
    gx::Particle *sizeless = gx::TakeParticle(sim);  // an emitter: not drawn
    sizeless->origin = {-5000, 0, 0};
    sizeless->size = 0;
    gx::AddLiveParticles(bounds, sim);
    ASSERT_FALSE(bounds.empty);
    EXPECT_FLOAT_EQ(bounds.lo.x, 295);
    EXPECT_FLOAT_EQ(bounds.hi.z, 205);

    for (const auto &[w, h] : {std::pair{256, 256}, std::pair{400, 100}}) {
        gx::Camera camera{};
        gx::ResetCamera(camera);
        camera.yaw = 30;
        gx::FrameBounds(camera, bounds, w, h);
        const gx::Vec3 f = gx::ViewDirection(camera);
        EXPECT_NEAR(f.x * f.x + f.y * f.y + f.z * f.z, 1.0, 1e-5);
        const double halfAngle = std::atan(std::min(1.0, static_cast<double>(h) / w));
        for (int corner = 0; corner < 8; ++corner) {
            const double x = (corner & 1 ? bounds.hi.x : bounds.lo.x) - camera.origin.x;
            const double y = (corner & 2 ? bounds.hi.y : bounds.lo.y) - camera.origin.y;
            const double z = (corner & 4 ? bounds.hi.z : bounds.lo.z) - camera.origin.z;
            const double along = x * f.x + y * f.y + z * f.z;
            const double length = std::sqrt(x * x + y * y + z * z);
            EXPECT_LT(std::acos(along / length), halfAngle) << corner;
        }
    }
    gx::DestroySimState(sim);
}

TEST(EffectFraming, DefaultCameraLooksAlongXAndDown)
{
    gx::Camera camera{};
    gx::ResetCamera(camera);
    const gx::Vec3 f = gx::ViewDirection(camera);
    EXPECT_GT(f.x, 0.9f);
    EXPECT_NEAR(f.y, 0.0f, 1e-6f);
    EXPECT_LT(f.z, 0.0f);  // pitch 10: looking down onto the ground
}

}  // namespace
