// Sprites loaded by game path into textures.
#include <gtest/gtest.h>

#include "Fixtures.h"
#include "gamefs/SpriteLoader.h"

namespace {

class Loader : public ::testing::Test {
protected:
    TempDir root;
    std::string base = root.MakeDir("base");
    std::string extra = root.MakeDir("extra");
    RecordingSink sink;
    MessageLog log;
    SpriteLoader loader{sink, log.Sink()};

    void SetUp() override
    {
        root.Write("base/sprites/red.spr", MarkerSprite(200));
        root.Write("extra/pak0.pak",
                   Pak({{"sprites/packed.spr", MarkerSprite(100)}, {"sprites/broken.spr", {1, 2, 3}}}));
        loader.SetGamedir(base.c_str(), extra.c_str());
    }
};

TEST_F(Loader, LoadsLooseAndPackedSpritesIntoTextures)
{
    SpriteModel *red = loader.LoadSprite("sprites/red.spr");
    SpriteModel *packed = loader.LoadSprite("sprites/packed.spr");
    EXPECT_EQ(200, FirstRed(red, sink));
    EXPECT_EQ(100, FirstRed(packed, sink));
    EXPECT_EQ(2u, sink.live.size());
    loader.ReleaseSprite(red);
    loader.ReleaseSprite(packed);
    EXPECT_EQ(nullptr, red);
    EXPECT_TRUE(sink.live.empty());
    loader.ReleaseSprite(red);  // releasing nothing is fine
    EXPECT_TRUE(log.texts.empty());
}

TEST_F(Loader, FailedLoadsReportOnce)
{
    EXPECT_EQ(nullptr, loader.LoadSprite("sprites/missing.spr"));
    EXPECT_EQ(nullptr, loader.LoadSprite("sprites/broken.spr"));
    EXPECT_EQ((std::vector<std::string>{"R_LoadSpriteFromFile: File not found (sprites/missing.spr)",
                                        "Mod_LoadSpriteModel: Unexpected end of file"}),
              log.texts);
}

}  // namespace
