// The sprite listing of two game directories: lookup order and shadowing as
// the renderer loads, broken sprites and archives with their messages, names
// compared ignoring case, and the previews a browser draws.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>

#include "Fixtures.h"
#include "gamefs/SpriteCatalog.h"

namespace {

class Catalog : public ::testing::Test {
protected:
    TempDir root;
    std::string base = root.MakeDir("base");
    std::string extra = root.MakeDir("extra");
    GameFileSystem fs;

    SpriteCatalog List(CatalogOptions options = {})
    {
        fs.SetGamedir(base.c_str(), extra.c_str(), nullptr);
        return ListGameSprites(fs, options);
    }

    // "name @ where [shadowed]" per entry, where a folder or an archive file name.
    static std::vector<std::string> Lines(const SpriteCatalog &catalog)
    {
        std::vector<std::string> lines;
        for (const CatalogEntry &e : catalog.entries) {
            std::string where = e.container.substr(e.container.find_last_of('/') + 1);
            std::string line = e.name + " @ " + where;
            if (e.shadowed)
                line += " shadowed by " + std::to_string(e.winner);
            if (e.Broken())
                line += " broken: " + e.problem;
            lines.push_back(line);
        }
        return lines;
    }
};

TEST_F(Catalog, ListsEverySourceInLookupOrderAndTheWinnersAreWhatTheRendererLoads)
{
    root.Write("base/sprites/a.spr", MarkerSprite(1));
    root.Write("extra/sprites/A.SPR", MarkerSprite(2));
    root.Write("extra/sprites/b.spr", MarkerSprite(3));
    root.Write("base/pak0.pak", Pak({{"sprites/b.spr", MarkerSprite(4)},
                                     {"sprites/c.spr", MarkerSprite(5)},
                                     {"maps/start.bsp", {1, 2, 3}}}));
    root.Write("base/pak1.pak", Pak({{"Sprites/C.spr", MarkerSprite(6)}}));
    root.Write("extra/pak0.pak",
               Pak({{"sprites/d.spr", MarkerSprite(7)}, {"sprites/c.spr", MarkerSprite(8)}}));
    root.Write("base/readme.txt", {1});
    const SpriteCatalog catalog = List();
    EXPECT_FALSE(catalog.truncated);
    EXPECT_EQ((std::vector<std::string>{
                  "sprites/a.spr @ base",
                  "sprites/A.SPR @ extra shadowed by 0",
                  "sprites/b.spr @ extra",
                  "Sprites/C.spr @ pak1.pak",
                  "sprites/b.spr @ pak0.pak shadowed by 2",
                  "sprites/c.spr @ pak0.pak shadowed by 3",
                  "sprites/d.spr @ pak0.pak",
                  "sprites/c.spr @ pak0.pak shadowed by 3",
              }),
              Lines(catalog));
    EXPECT_EQ(base + "/pak0.pak", catalog.entries[4].container);
    EXPECT_EQ(extra + "/pak0.pak", catalog.entries[7].container);
    EXPECT_EQ(SpriteOrigin::AdditionalFolder, catalog.entries[1].origin);
    EXPECT_EQ(SpriteOrigin::Archive, catalog.entries[4].origin);

    // Every entry reads back its own bytes; every winner's bytes are what the
    // renderer's lookup loads for each spelling of the name.
    for (const CatalogEntry &e : catalog.entries) {
        SCOPED_TRACE(e.name);
        std::vector<uint8_t> own, loaded, winning;
        std::string message;
        ASSERT_TRUE(ReadCatalogEntry(e, own, message)) << message;
        ASSERT_TRUE(ReadCatalogEntry(catalog.entries[e.winner], winning, message));
        for (const std::string &spelling : {e.name, SpriteKey(e.name)}) {
            ASSERT_TRUE(fs.LoadFile(spelling.c_str(), loaded, nullptr));
            EXPECT_EQ(winning, loaded);
        }
        EXPECT_TRUE(fs.Contains(e.name.c_str()));
    }
    EXPECT_FALSE(fs.Contains("sprites/e.spr"));
    EXPECT_FALSE(fs.Contains(""));
}

TEST_F(Catalog, BrokenSpritesAndArchivesCarryTheirMessages)
{
    std::vector<uint8_t> version3 = MarkerSprite(1);
    PutInt32(version3, 4, 3);
    std::vector<uint8_t> noPalette = MarkerSprite(1);
    PutInt16(noPalette, 40, 0);
    const std::vector<uint8_t> good = MarkerSprite(9);
    const std::vector<uint8_t> truncated(good.begin(), good.end() - 3);
    root.Write("base/sprites/v3.spr", version3);
    root.Write("base/sprites/cut.spr", truncated);
    std::vector<uint8_t> pak = Pak({{"sprites/pal.spr", noPalette}, {"sprites/far.spr", good}});
    PutInt32(pak, pak.size() - 64 + 60, 100000);  // the last entry runs past the file
    root.Write("base/pak0.pak", pak);
    root.Write("base/pak1.pak", {'J', 'U', 'N', 'K', 0, 0, 0, 0, 0, 0, 0, 0, 0});
    root.Write("base/pak2.pak", Pak({{"sprites/ok.spr", good}}));

    const SpriteCatalog catalog = List();
    EXPECT_EQ((std::vector<std::string>{
                  "sprites/cut.spr @ base broken: Mod_LoadSpriteModel: Unexpected end of file",
                  "sprites/v3.spr @ base broken: sprite has wrong version number (3 should be 2)",
                  "sprites/ok.spr @ pak2.pak",
                  "sprites/pal.spr @ pak0.pak broken: sprite has funny number of palette "
                  "entires (0)",
                  "sprites/far.spr @ pak0.pak broken: R_LoadSpriteFromFile: Entry outside its "
                  "archive (sprites/far.spr)",
                  "pak1.pak @ pak1.pak broken: not a PAK archive (no \"PACK\" at its start)",
              }),
              Lines(catalog));
    EXPECT_EQ(SpriteOrigin::BrokenArchive, catalog.entries.back().origin);
    std::vector<uint8_t> bytes;
    std::string message;
    EXPECT_FALSE(ReadCatalogEntry(catalog.entries[4], bytes, message));
    EXPECT_EQ("R_LoadSpriteFromFile: Entry outside its archive (sprites/far.spr)", message);

    // Without the check only what the directory shows is marked.
    CatalogOptions quick;
    quick.checkSprites = false;
    const SpriteCatalog listed = List(quick);
    ASSERT_EQ(catalog.entries.size(), listed.entries.size());
    EXPECT_FALSE(listed.entries[1].Broken());
    EXPECT_TRUE(listed.entries.back().Broken());
}

TEST_F(Catalog, NamesMatchIgnoringCaseAndOnlySpritesAreListed)
{
    EXPECT_EQ("sprites/fire.spr", SpriteKey("Sprites\\FIRE.Spr"));
    EXPECT_TRUE(HasSpriteExtension("x.SpR"));
    EXPECT_FALSE(HasSpriteExtension(".spr"));
    EXPECT_FALSE(HasSpriteExtension("x.spr.bak"));
    EXPECT_FALSE(HasSpriteExtension("xspr"));

    root.Write("base/Sprites/Fire.SPR", MarkerSprite(1));
    root.Write("base/sprites/notes.txt", {1});
    root.Write("extra/pak0.pak", Pak({{"SPRITES/FIRE.spr", MarkerSprite(2)}, {"sounds/fire.wav", {0}}}));
    const SpriteCatalog catalog = List();
    EXPECT_EQ((std::vector<std::string>{"Sprites/Fire.SPR @ base",
                                        "SPRITES/FIRE.spr @ pak0.pak shadowed by 0"}),
              Lines(catalog));
}

TEST_F(Catalog, FolderWalksEndOnLoopsAndAtTheirBounds)
{
    root.Write("base/sprites/deep/a.spr", MarkerSprite(1));
    ASSERT_EQ(0, ::symlink(base.c_str(), (base + "/sprites/loop").c_str()));
    SpriteCatalog catalog = List();
    ASSERT_EQ(1u, catalog.entries.size());
    EXPECT_EQ("sprites/deep/a.spr", catalog.entries[0].name);

    CatalogOptions shallow;
    shallow.maxDepth = 1;
    catalog = List(shallow);
    EXPECT_TRUE(catalog.entries.empty());
    EXPECT_TRUE(catalog.truncated);

    for (int i = 0; i < 20; ++i)
        root.Write("extra/f" + std::to_string(i) + ".spr", MarkerSprite(1));
    CatalogOptions few;
    few.maxFolderEntries = 5;
    catalog = List(few);
    EXPECT_TRUE(catalog.truncated);
    EXPECT_LE(std::count_if(catalog.entries.begin(), catalog.entries.end(),
                            [](const CatalogEntry &e) { return e.origin == SpriteOrigin::AdditionalFolder; }),
              5);
}

std::vector<uint8_t> AnimatedSprite()
{
    SpriteDraft draft;
    draft.format = 0;
    draft.palette = {10, 20, 30, 200, 100, 50, 0, 0, 255};
    auto picture = [](uint8_t index, int32_t w, int32_t h) {
        SpritePicture p;
        p.width = w;
        p.height = h;
        p.indices.assign(static_cast<size_t>(w * h), index);
        return p;
    };
    SpriteFrameDraft single;
    single.pictures.push_back(picture(0, 3, 2));
    SpriteFrameDraft group;
    group.group = true;
    group.intervals = {0.5f, 0.25f};
    group.pictures.push_back(picture(1, 4, 4));
    group.pictures.push_back(picture(2, 4, 4));
    draft.frames = {single, group};
    return WriteSprite(draft);
}

TEST(SpritePreview, PicturesInShowingOrderWithTheirTimesAndColours)
{
    const std::vector<uint8_t> bytes = AnimatedSprite();
    SpritePreview preview;
    std::string message;
    ASSERT_TRUE(LoadSpritePreview(bytes.data(), bytes.size(), preview, message)) << message;
    EXPECT_EQ(4, preview.width);
    EXPECT_EQ(4, preview.height);
    EXPECT_EQ(2, preview.frameCount);
    EXPECT_TRUE(preview.hasGroups);
    ASSERT_EQ(3u, preview.pictures.size());
    EXPECT_EQ(3, preview.pictures[0].width);
    EXPECT_EQ(2, preview.pictures[0].height);
    EXPECT_EQ((std::vector<uint8_t>{10, 20, 30, 255}),
              std::vector<uint8_t>(preview.pictures[0].rgba.begin(), preview.pictures[0].rgba.begin() + 4));
    EXPECT_EQ(200, preview.pictures[1].rgba[0]);
    EXPECT_EQ(255, preview.pictures[2].rgba[2]);
    EXPECT_EQ(4u * 4 * 4, preview.pictures[2].rgba.size());

    // One cycle: 0.1 s single picture, then 0.5 s and 0.25 s of the group.
    EXPECT_EQ(&preview.pictures[0], PreviewPictureAt(preview, 0.05));
    EXPECT_EQ(&preview.pictures[1], PreviewPictureAt(preview, 0.15));
    EXPECT_EQ(&preview.pictures[1], PreviewPictureAt(preview, 0.55));
    EXPECT_EQ(&preview.pictures[2], PreviewPictureAt(preview, 0.7));
    EXPECT_EQ(&preview.pictures[0], PreviewPictureAt(preview, 0.85 + 0.01));
    EXPECT_EQ(&preview.pictures[0], PreviewPictureAt(preview, -1.0));

    std::vector<uint8_t> broken = bytes;
    PutInt32(broken, 28, 0);
    EXPECT_FALSE(LoadSpritePreview(broken.data(), broken.size(), preview, message));
    EXPECT_EQ("Mod_LoadSpriteModel: Invalid # of frames", message);
    EXPECT_TRUE(preview.pictures.empty());
    EXPECT_EQ(nullptr, PreviewPictureAt(preview, 0.0));
}

}  // namespace
