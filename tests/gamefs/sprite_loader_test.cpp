// Sprites loaded by game path, and the sprite rules of the type links.
#include <gtest/gtest.h>

#include <cstring>

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

    // A type link's sprite fields.
    char spriteName[kSpriteNameSize] = {};
    SpriteModel *sprite = nullptr;
    int32_t drawable = -1;

    void SetUp() override
    {
        root.Write("base/sprites/red.spr", MarkerSprite(200));
        root.Write("extra/pak0.pak", Pak({{"sprites/packed.spr", MarkerSprite(100)},
                                           {"sprites/broken.spr", {1, 2, 3}}}));
        loader.SetGamedir(base.c_str(), extra.c_str());
    }
    void TearDown() override { loader.ReleaseSprite(sprite); }
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

TEST_F(Loader, NewTypeLinkLoadsItsSpriteOrIsNotDrawn)
{
    loader.LoadTypeSprite("sprites/red.spr", spriteName, sprite, drawable);
    EXPECT_STREQ("sprites/red.spr", spriteName);
    EXPECT_EQ(200, FirstRed(sprite, sink));
    EXPECT_EQ(1, drawable);

    loader.LoadTypeSprite("", spriteName, sprite, drawable);
    EXPECT_EQ(nullptr, sprite);
    EXPECT_EQ(0, drawable);
    EXPECT_TRUE(sink.live.empty());

    loader.LoadTypeSprite("sprites/missing.spr", spriteName, sprite, drawable);
    EXPECT_EQ(nullptr, sprite);
    EXPECT_EQ(1, drawable);  // drawn without a texture of its own
}

TEST_F(Loader, UpdateReloadsOnlyANameThatChangedBeyondLetterCase)
{
    loader.LoadTypeSprite("sprites/red.spr", spriteName, sprite, drawable);
    const SpriteModel *first = sprite;
    loader.UpdateTypeSprite("SPRITES/Red.SPR", 500, spriteName, sprite, drawable);
    EXPECT_EQ(first, sprite);
    EXPECT_EQ(1, sink.created);
    EXPECT_STREQ("sprites/red.spr", spriteName);

    loader.UpdateTypeSprite("sprites/packed.spr", 500, spriteName, sprite, drawable);
    EXPECT_EQ(100, FirstRed(sprite, sink));
    EXPECT_STREQ("sprites/packed.spr", spriteName);
    EXPECT_EQ(1u, sink.live.size());  // the old textures are gone

    loader.UpdateTypeSprite("sprites/missing.spr", 500, spriteName, sprite, drawable);
    EXPECT_EQ(nullptr, sprite);
    EXPECT_EQ(1, drawable);
    EXPECT_TRUE(sink.live.empty());
}

TEST_F(Loader, EmptySpriteNameLeavesOnlyColourModeDrawable)
{
    for (int32_t list : {500, 501, 502, 503, 0}) {
        loader.LoadTypeSprite("sprites/red.spr", spriteName, sprite, drawable);
        loader.UpdateTypeSprite("", list, spriteName, sprite, drawable);
        EXPECT_EQ(nullptr, sprite);
        EXPECT_EQ(list == 503 ? 1 : 0, drawable) << list;
        EXPECT_TRUE(sink.live.empty());
    }
}

TEST_F(Loader, NameGivenBackAfterEmptyingLoadsAgain)
{
    loader.LoadTypeSprite("sprites/red.spr", spriteName, sprite, drawable);
    loader.UpdateTypeSprite("", 500, spriteName, sprite, drawable);
    loader.UpdateTypeSprite("sprites/red.spr", 500, spriteName, sprite, drawable);
    EXPECT_EQ(200, FirstRed(sprite, sink));
    EXPECT_EQ(1, drawable);
}

TEST_F(Loader, SameNameIsNotReloadedAfterTheSpriteWasReleased)
{
    loader.LoadTypeSprite("sprites/red.spr", spriteName, sprite, drawable);
    loader.ReleaseSprite(sprite);  // as closing the device does
    drawable = 0;
    loader.UpdateTypeSprite("sprites/red.spr", 500, spriteName, sprite, drawable);
    EXPECT_EQ(nullptr, sprite);
    EXPECT_EQ(0, drawable);
}

TEST_F(Loader, LongSpriteTextIsCutToTheNameBuffer)
{
    const std::string longName(400, 'a');
    loader.LoadTypeSprite(longName.c_str(), spriteName, sprite, drawable);
    EXPECT_EQ(255u, std::strlen(spriteName));
    EXPECT_EQ(1, drawable);
}

TEST_F(Loader, PackageListFitsTheBuffer)
{
    root.Write("base/pak0.pak", Pak({{"x", {1}}}));
    loader.SetGamedir(base.c_str(), extra.c_str());
    char info[512] = "Loaded packages:\n";
    loader.AppendLoadedPackages(info, sizeof info);
    EXPECT_EQ("Loaded packages:\n" + extra + "/pak0.pak\n" + base + "/pak0.pak\n",
              std::string(info));

    char small[24] = "Loaded packages:\n";
    loader.AppendLoadedPackages(small, sizeof small);
    EXPECT_EQ(23u, std::strlen(small));
    EXPECT_EQ(("Loaded packages:\n" + extra).substr(0, 23), std::string(small));

    char full[4] = {'a', 'b', 'c', 'd'};  // no NUL at all
    loader.AppendLoadedPackages(full, sizeof full);
    EXPECT_STREQ("abc", full);
}

TEST(AsciiCase, ComparesOnlyAsciiLettersWithoutCase)
{
    EXPECT_TRUE(EqualIgnoringAsciiCase("Sprites/A.SPR", "sprites/a.spr"));
    EXPECT_FALSE(EqualIgnoringAsciiCase("a.spr", "a.spr "));
    EXPECT_FALSE(EqualIgnoringAsciiCase("", "a"));
    EXPECT_TRUE(EqualIgnoringAsciiCase("", ""));
    EXPECT_FALSE(EqualIgnoringAsciiCase("\xc4", "\xe4"));  // not ASCII letters
}

}  // namespace
