// Every demo effect rendered headless at a fixed size, step and seed, framed
// so that it fills the picture, against
// the reference pictures checked in beside this test: frames 20, 40 and 60
// side by side. A pixel counts as changed when a channel is more than
// kChannelTolerance away; a picture fails when more than kChangedShare of its
// pixels changed. On a failure the actual picture and a difference picture
// (changed pixels red over a dimmed reference) are written to the output
// folder. SPARKWRIGHT_UPDATE_GOLDEN=1 writes new references instead; a changed
// reference is reviewed like code.
#include <dirent.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "EffectRender.h"
#include "ImageFiles.h"
#include "ScriptLoad.h"

namespace {

constexpr int kSide = 256;
constexpr int kFrames = 60;
constexpr int kKept[] = {20, 40, 60};  // frame numbers from 1
constexpr int kChannelTolerance = 8;
constexpr double kChangedShare = 0.002;

std::vector<std::string> DemoEffects()
{
    std::vector<std::string> names;
    if (DIR *dir = opendir(SW_EFFECTS_DIR)) {
        while (dirent *entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name.ends_with(".nbs"))
                names.push_back(name.substr(0, name.size() - 4));
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

RgbaImage RenderKeptFrames(const std::string &effect)
{
    static ParticleSystem record;
    std::string error;
    EXPECT_TRUE(
        LoadScript(SW_MANAGER_PATH, std::string(SW_EFFECTS_DIR) + "/" + effect + ".nbs", record, error))
        << error;
    EffectRenderSettings settings;
    settings.width = settings.height = kSide;
    settings.frames = kFrames;
    settings.stepMs = 1000.0 / 60.0;
    settings.seed = 1;
    settings.frameEffect = true;  // the effect fills the picture: small changes show
    settings.gameDir = SW_DEMO_GAME;
    std::vector<RgbaImage> kept;
    std::string renderer;
    const bool ok = RenderEffect(
        record, settings,
        [&](int index, const RgbaImage &frame) {
            if (std::find(std::begin(kKept), std::end(kKept), index + 1) != std::end(kKept))
                kept.push_back(frame);
        },
        error, &renderer);
    EXPECT_TRUE(ok) << error;
    // The references were made with Mesa's software rasteriser.
    std::printf("%s: drawn by %s\n", effect.c_str(), renderer.c_str());
    RgbaImage row;
    row.width = kSide * static_cast<int>(kept.size());
    row.height = kSide;
    row.pixels.assign(static_cast<size_t>(row.width) * row.height * 4, 0);
    for (size_t k = 0; k < kept.size(); ++k)
        for (int y = 0; y < kSide; ++y)
            std::copy_n(kept[k].pixels.data() + static_cast<size_t>(y) * kSide * 4, kSide * 4,
                        row.pixels.data() + (static_cast<size_t>(y) * row.width + k * kSide) * 4);
    return row;
}

struct Comparison {
    long changed = 0;
    int largest = 0;
    RgbaImage difference;
};

Comparison Compare(const RgbaImage &reference, const RgbaImage &actual)
{
    Comparison c;
    c.difference = reference;
    for (size_t p = 0; p + 3 < reference.pixels.size(); p += 4) {
        int delta = 0;
        for (int ch = 0; ch < 3; ++ch)
            delta = std::max(delta, std::abs(reference.pixels[p + ch] - actual.pixels[p + ch]));
        c.largest = std::max(c.largest, delta);
        uint8_t *d = &c.difference.pixels[p];
        if (delta > kChannelTolerance) {
            ++c.changed;
            d[0] = 255;
            d[1] = d[2] = 0;
        } else {
            for (int ch = 0; ch < 3; ++ch)
                d[ch] = static_cast<uint8_t>(d[ch] / 3);
        }
        d[3] = 255;
    }
    return c;
}

TEST(Golden, DemoEffectsMatchTheirReferencePictures)
{
    const std::vector<std::string> effects = DemoEffects();
    ASSERT_GE(effects.size(), 5u);
    const bool update = std::getenv("SPARKWRIGHT_UPDATE_GOLDEN") != nullptr;
    mkdir(SW_GOLDEN_OUT, 0755);
    for (const std::string &effect : effects) {
        SCOPED_TRACE(effect);
        const RgbaImage actual = RenderKeptFrames(effect);
        const std::string referencePath = std::string(SW_GOLDEN_DIR) + "/" + effect + ".png";
        std::string error;
        if (update) {
            EXPECT_TRUE(WritePng(referencePath, actual, error)) << error;
            continue;
        }
        RgbaImage reference;
        const std::string actualPath = std::string(SW_GOLDEN_OUT) + "/" + effect + "-actual.png";
        if (!ReadPng(referencePath, reference, error)) {
            WritePng(actualPath, actual, error);
            ADD_FAILURE() << "No reference picture " << referencePath << "; actual in " << actualPath;
            continue;
        }
        ASSERT_EQ(reference.width, actual.width);
        ASSERT_EQ(reference.height, actual.height);
        const Comparison c = Compare(reference, actual);
        const long allowed = static_cast<long>(kChangedShare * static_cast<double>(actual.width) *
                                               actual.height);
        std::printf("%s: %ld pixels changed, largest channel change %d\n", effect.c_str(), c.changed,
                    c.largest);
        if (c.changed > allowed) {
            const std::string diffPath = std::string(SW_GOLDEN_OUT) + "/" + effect + "-diff.png";
            WritePng(actualPath, actual, error);
            WritePng(diffPath, c.difference, error);
            ADD_FAILURE() << c.changed << " pixels changed (at most " << allowed
                          << " may), largest channel change " << c.largest << "; see " << actualPath
                          << " and " << diffPath;
        }
    }
}

// The same settings give the same pixels; another seed gives others.
TEST(Golden, RendersRepeatExactlyAndFollowTheSeed)
{
    static ParticleSystem record;
    std::string error;
    ASSERT_TRUE(LoadScript(SW_MANAGER_PATH, std::string(SW_EFFECTS_DIR) + "/fountain.nbs", record, error))
        << error;
    auto render = [&](uint32_t seed) {
        EffectRenderSettings settings;
        settings.width = settings.height = 96;
        settings.frames = 40;
        settings.seed = seed;
        settings.gameDir = SW_DEMO_GAME;
        RgbaImage last;
        EXPECT_TRUE(RenderEffect(
            record, settings, [&](int, const RgbaImage &frame) { last = frame; }, error))
            << error;
        return last.pixels;
    };
    const std::vector<uint8_t> first = render(1);
    EXPECT_EQ(first, render(1));
    EXPECT_NE(first, render(7));
}

}  // namespace
