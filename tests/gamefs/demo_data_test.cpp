// The demo game directory made at build time: every sprite that a sample
// effect names is found through the lookup order and parses, and the files
// lie where the demo promises (some loose, some in pak0.pak and pak1.pak).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "Fixtures.h"
#include "gamefs/GameFileSystem.h"
#include "gamefs/PackFile.h"

namespace {

std::set<std::string> SpritesNamedBy(const std::string &script)
{
    std::ifstream in(script);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::set<std::string> names;
    const std::regex key("\"sprite\"\\s+\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), key); it != std::sregex_iterator(); ++it)
        names.insert((*it)[1]);
    return names;
}

TEST(DemoData, EveryEffectSpriteLoads)
{
    const std::string game = std::string(DEMO_DIR) + "/game";
    GameFileSystem fs;
    MessageLog log;
    fs.SetGamedir(game.c_str(), "", log.Sink());
    ASSERT_EQ(2u, fs.Packs().size());

    int effects = 0;
    std::set<std::string> all;
    for (const auto &entry : std::filesystem::directory_iterator(std::string(DEMO_DIR) + "/effects")) {
        if (entry.path().extension() != ".nbs")
            continue;
        ++effects;
        const std::set<std::string> names = SpritesNamedBy(entry.path().string());
        EXPECT_FALSE(names.empty()) << entry.path();
        all.insert(names.begin(), names.end());
    }
    EXPECT_EQ(5, effects);
    for (const std::string &name : all) {
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(fs.LoadFile(name.c_str(), bytes, log.Sink())) << name;
        RecordingSink sink;
        auto model = Mod_LoadSpriteModel(bytes.data(), bytes.size(), sink, log.Sink());
        ASSERT_NE(nullptr, model) << name;
        // Pictures with some visible and some clear pixels.
        const auto &texture = sink.live.begin()->second;
        int visible = 0, clear = 0;
        for (size_t i = 0; i < texture.rgba.size(); i += 4) {
            const int light = texture.rgba[i] + texture.rgba[i + 1] + texture.rgba[i + 2];
            const bool shows = texture.rgba[i + 3] > 0 && light > 30;
            (shows ? visible : clear) += 1;
        }
        EXPECT_GT(visible, 10) << name;
        EXPECT_GT(clear, 10) << name;
        ReleaseSpriteTextures(*model, sink);
    }
    EXPECT_TRUE(log.texts.empty()) << log.texts.front();

    // Both kinds of storage are used.
    int loose = 0;
    for (const std::string &name : all)
        loose += !FindLooseFile(game, name).empty();
    EXPECT_GT(loose, 0);
    EXPECT_LT(loose, static_cast<int>(all.size()));
    for (const PackFile &pack : fs.Packs())
        EXPECT_GT(pack.numfiles, 0);
}

}  // namespace
