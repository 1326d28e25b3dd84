// Source texts, the filter, the paths a choice writes and the missing-sprite
// check of the sprite browser, over game folders made by our own writers.
#include <gtest/gtest.h>

#include <unistd.h>

#include "Fixtures.h"
#include "uSpriteChoice.h"

namespace {

class Choice : public ::testing::Test {
protected:
    TempDir root;
    std::string base = root.MakeDir("base");
    std::string extra = root.MakeDir("extra");

    SpriteCatalog List()
    {
        GameFileSystem fs;
        fs.SetGamedir(base.c_str(), extra.c_str(), nullptr);
        return ListGameSprites(fs);
    }
};

TEST_F(Choice, SourcesAreNamedByFolderAndArchive)
{
    root.Write("base/sprites/a.spr", MarkerSprite(1));
    root.Write("extra/sprites/b.spr", MarkerSprite(2));
    root.Write("base/pak0.pak", Pak({{"sprites/c.spr", MarkerSprite(3)}}));
    root.Write("extra/pak0.pak", Pak({{"sprites/d.spr", MarkerSprite(4)}}));
    root.Write("extra/pak1.pak", {1, 2, 3});
    const SpriteCatalog catalog = List();
    ASSERT_EQ(5u, catalog.entries.size());
    std::vector<std::string> texts;
    for (const CatalogEntry &e : catalog.entries)
        texts.push_back(SpriteSourceText(e, base, extra));
    EXPECT_EQ((std::vector<std::string>{"base folder", "additional folder", "pak0.pak in the base folder",
                                        "pak0.pak in the additional folder",
                                        "pak1.pak in the additional folder"}),
              texts);
    // An archive of neither folder (the folders changed since): its full path.
    EXPECT_EQ(catalog.entries[2].container, SpriteSourceText(catalog.entries[2], extra, ""));

    EXPECT_EQ("sprites/c.spr", SpriteRowPath(catalog.entries[2]).value_or("?"));
    EXPECT_FALSE(SpriteRowPath(catalog.entries[4]));  // a broken archive is no sprite
}

TEST_F(Choice, FilterWordsMatchAnywhereIgnoringCase)
{
    CatalogEntry e;
    e.name = "Sprites/Fire_Big.SPR";
    EXPECT_TRUE(SpriteMatchesFilter(e, ""));
    EXPECT_TRUE(SpriteMatchesFilter(e, "   "));
    EXPECT_TRUE(SpriteMatchesFilter(e, "fire"));
    EXPECT_TRUE(SpriteMatchesFilter(e, "BIG fire"));
    EXPECT_TRUE(SpriteMatchesFilter(e, "sprites\\fire"));
    EXPECT_FALSE(SpriteMatchesFilter(e, "fire small"));
    EXPECT_FALSE(SpriteMatchesFilter(e, "smoke"));

    e.name = "sprites\\x.spr";  // a stored backslash is written as a slash
    EXPECT_EQ("sprites/x.spr", SpriteRowPath(e).value_or("?"));
    e.name = std::string(252, 'a') + ".spr";  // 256 characters
    EXPECT_FALSE(SpriteRowPath(e));
}

TEST_F(Choice, AFileChosenByHandKeepsItsPathBelowAGameFolder)
{
    const std::string inBase = root.Write("base/sprites/fx/Glow.spr", MarkerSprite(1));
    const std::string inExtra = root.Write("extra/models/x.spr", MarkerSprite(1));
    const std::string outside = root.Write("elsewhere/lone.spr", MarkerSprite(1));
    EXPECT_EQ("sprites/fx/Glow.spr", SpriteRowPathForFile(inBase, base, extra).value_or("?"));
    EXPECT_EQ("models/x.spr", SpriteRowPathForFile(inExtra, base, extra).value_or("?"));
    EXPECT_EQ("sprites/lone.spr", SpriteRowPathForFile(outside, base, extra).value_or("?"));
    // Through a link to the base folder, and with the base folder's own link.
    ASSERT_EQ(0, ::symlink(base.c_str(), (root.Path() + "/link").c_str()));
    EXPECT_EQ("sprites/fx/Glow.spr",
              SpriteRowPathForFile(root.Path() + "/link/sprites/fx/Glow.spr", base, "").value_or("?"));
    EXPECT_EQ("sprites/fx/Glow.spr", SpriteRowPathForFile(inBase, root.Path() + "/link", "").value_or("?"));
    // A folder whose name only begins like the base folder is not inside it.
    const std::string sibling = root.Write("base2/y.spr", MarkerSprite(1));
    EXPECT_EQ("sprites/y.spr", SpriteRowPathForFile(sibling, base, "").value_or("?"));
    EXPECT_FALSE(SpriteRowPathForFile("/x/" + std::string(250, 'b'), base, extra));
}

TEST_F(Choice, DetailsAndMissingSprites)
{
    SpritePreview preview;
    preview.width = 64;
    preview.height = 48;
    preview.frameCount = 1;
    preview.pictures.resize(1);
    EXPECT_EQ("64 x 48, 1 frame", SpriteDetailsText(preview));
    preview.frameCount = 3;
    preview.pictures.resize(3);
    EXPECT_EQ("64 x 48, 3 frames (animated)", SpriteDetailsText(preview));
    preview.frameCount = 1;
    preview.hasGroups = true;
    EXPECT_EQ("64 x 48, 1 frame (3 pictures, animated)", SpriteDetailsText(preview));

    root.Write("base/Sprites/Smoke.spr", MarkerSprite(1));
    root.Write("extra/pak0.pak", Pak({{"sprites/Spark.spr", MarkerSprite(2)}}));
    EXPECT_FALSE(SpriteMissing(base, extra, ""));
    EXPECT_FALSE(SpriteMissing(base, extra, "sprites/smoke.spr"));
    EXPECT_FALSE(SpriteMissing(base, extra, "SPRITES/SPARK.SPR"));
    EXPECT_TRUE(SpriteMissing(base, extra, "sprites/flare.spr"));
    EXPECT_TRUE(SpriteMissing(base, "", "sprites/spark.spr"));
    EXPECT_NE(std::string::npos, MissingSpriteTooltip("sprites/flare.spr").find("\"sprites/flare.spr\""));
}

}  // namespace
