// Archive scan and lookup order over two game directories, loose files with
// and without matching letter case, and the failures of a load.
#include <gtest/gtest.h>

#include <unistd.h>

#include "Fixtures.h"
#include "gamefs/GameFileSystem.h"

namespace {

std::vector<uint8_t> Bytes(const std::string &text)
{
    return {text.begin(), text.end()};
}

std::string Load(const GameFileSystem &fs, const char *name, MessageLog *log = nullptr)
{
    MessageLog local;
    MessageLog &messages = log ? *log : local;
    std::vector<uint8_t> data;
    if (!fs.LoadFile(name, data, messages.Sink()))
        return "<none>";
    return {data.begin(), data.end()};
}

std::vector<std::string> PackNames(const GameFileSystem &fs)
{
    std::vector<std::string> names;
    for (const PackFile &pack : fs.Packs())
        names.push_back(pack.filename);
    return names;
}

class TwoGameDirs : public ::testing::Test {
protected:
    TempDir root;
    std::string base = root.MakeDir("base");
    std::string extra = root.MakeDir("extra");
    GameFileSystem fs;
    MessageLog log;

    void Scan() { fs.SetGamedir(base.c_str(), extra.c_str(), log.Sink()); }
};

TEST_F(TwoGameDirs, LookupOrderFromLooseBaseToAdditionalArchives)
{
    const char *name = "sprites/x.spr";
    root.Write("extra/pak0.pak", Pak({{name, Bytes("extra pak0")}}));
    root.Write("extra/pak1.pak", Pak({{name, Bytes("extra pak1")}}));
    root.Write("base/pak0.pak", Pak({{name, Bytes("base pak0")}}));
    root.Write("base/pak1.pak", Pak({{name, Bytes("base pak1")}}));
    root.Write("extra/sprites/x.spr", Bytes("extra loose"));
    root.Write("base/sprites/x.spr", Bytes("base loose"));
    Scan();
    EXPECT_EQ((std::vector<std::string>{extra + "/pak0.pak", extra + "/pak1.pak", base + "/pak0.pak",
                                        base + "/pak1.pak"}),
              PackNames(fs));

    // Peel the winners away one by one.
    EXPECT_EQ("base loose", Load(fs, name));
    ::unlink((base + "/sprites/x.spr").c_str());
    EXPECT_EQ("extra loose", Load(fs, name));
    ::unlink((extra + "/sprites/x.spr").c_str());
    EXPECT_EQ("base pak1", Load(fs, name));
    root.Write("base/pak1.pak", Pak({{"other", Bytes("o")}}));
    Scan();
    EXPECT_EQ("base pak0", Load(fs, name));
    root.Write("base/pak0.pak", Pak({{"other", Bytes("o")}}));
    Scan();
    EXPECT_EQ("extra pak1", Load(fs, name));
    root.Write("extra/pak1.pak", Pak({{"other", Bytes("o")}}));
    Scan();
    EXPECT_EQ("extra pak0", Load(fs, name));
    EXPECT_TRUE(log.texts.empty());
}

TEST_F(TwoGameDirs, ArchivesMustBeNumberedWithoutGaps)
{
    root.Write("base/pak0.pak", Pak({{"a", Bytes("0")}}));
    root.Write("base/pak1.pak", Pak({{"a", Bytes("1")}}));
    root.Write("base/pak3.pak", Pak({{"a", Bytes("3")}}));
    root.Write("extra/pak1.pak", Pak({{"b", Bytes("1")}}));
    Scan();
    EXPECT_EQ((std::vector<std::string>{base + "/pak0.pak", base + "/pak1.pak"}), PackNames(fs));
    EXPECT_EQ("1", Load(fs, "a"));
    EXPECT_EQ("<none>", Load(fs, "b"));
}

TEST_F(TwoGameDirs, UnusableArchivesAreSkippedAndTheScanGoesOn)
{
    root.Write("base/pak0.pak", Bytes("this is no archive at all"));
    root.Write("base/pak1.pak", Pak({{"b", Bytes("base 1")}}));
    root.MakeDir("base/pak2.pak");  // a folder does not open: the scan of base ends
    root.Write("base/pak3.pak", Pak({{"b", Bytes("base 3")}}));
    root.Write("extra/pak0.pak", Pak({{"a", Bytes("extra 0")}}));
    std::vector<uint8_t> outside = Pak({{"a", Bytes("x")}});
    PutInt32(outside, 4, 1000);
    root.Write("extra/pak1.pak", outside);
    root.Write("extra/pak2.pak", Pak({{"c", Bytes("extra 2")}}));
    Scan();
    EXPECT_EQ((std::vector<std::string>{extra + "/pak0.pak", extra + "/pak2.pak", base + "/pak1.pak"}),
              PackNames(fs));
    EXPECT_EQ("extra 2", Load(fs, "c"));
    EXPECT_EQ("base 1", Load(fs, "b"));
    EXPECT_TRUE(log.texts.empty());
}

TEST_F(TwoGameDirs, EmptyDirectoriesAreNotScanned)
{
    root.Write("base/pak0.pak", Pak({{"a", Bytes("0")}}));
    fs.SetGamedir("", nullptr, log.Sink());
    EXPECT_TRUE(fs.Packs().empty());
    EXPECT_EQ("", fs.BaseDir());
    EXPECT_EQ("", fs.AdditionalDir());
}

TEST_F(TwoGameDirs, NewScanForgetsEarlierArchives)
{
    root.Write("base/pak0.pak", Pak({{"a", Bytes("0")}}));
    Scan();
    ASSERT_EQ(1u, fs.Packs().size());
    fs.SetGamedir(extra.c_str(), "", log.Sink());
    EXPECT_TRUE(fs.Packs().empty());
    EXPECT_EQ("<none>", Load(fs, "a"));
}

TEST_F(TwoGameDirs, LooseFilesIgnoreLetterCaseWhenTheExactPathIsMissing)
{
    root.Write("base/Sprites/Smoke.SPR", Bytes("upper"));
    Scan();
    EXPECT_EQ("upper", Load(fs, "sprites/smoke.spr"));
    EXPECT_EQ("upper", Load(fs, "SPRITES/SMOKE.spr"));
    EXPECT_EQ("upper", Load(fs, "sprites\\smoke.spr"));  // a Windows separator
    EXPECT_EQ("upper", Load(fs, "sprites//./smoke.spr"));

    root.Write("base/sprites/smoke.spr", Bytes("lower"));
    EXPECT_EQ("lower", Load(fs, "sprites/smoke.spr"));  // the exact path first
    EXPECT_EQ("upper", Load(fs, "Sprites/Smoke.SPR"));
}

TEST_F(TwoGameDirs, ArchiveFileNamesIgnoreLetterCaseToo)
{
    root.Write("base/PAK0.PAK", Pak({{"a", Bytes("upper")}}));
    Scan();
    ASSERT_EQ(1u, fs.Packs().size());
    EXPECT_EQ(base + "/PAK0.PAK", fs.Packs()[0].filename);
    EXPECT_EQ("upper", Load(fs, "a"));
}

TEST_F(TwoGameDirs, ArchiveEntriesIgnoreLetterCaseAndLooseFilesStillWin)
{
    root.Write("base/pak1.pak", Pak({{"Sprites/Flare.Spr", Bytes("flare")}}));
    root.Write("base/pak0.pak", Pak({{"sprites/fire.spr", Bytes("low")}}));
    root.Write("extra/pak0.pak", Pak({{"SPRITES/FIRE.SPR", Bytes("extra")}}));
    Scan();
    EXPECT_EQ("flare", Load(fs, "sprites/flare.spr"));
    EXPECT_EQ("flare", Load(fs, "SPRITES/FLARE.SPR"));
    // Archive order still decides between archives, whatever the case.
    EXPECT_EQ("low", Load(fs, "Sprites/Fire.spr"));
    // A loose file in either folder keeps its precedence over every archive.
    root.Write("extra/sprites/FLARE.spr", Bytes("loose"));
    EXPECT_EQ("loose", Load(fs, "Sprites/Flare.Spr"));
    EXPECT_EQ("<none>", Load(fs, "sprites/flare.sp", &log));
    ASSERT_EQ(1u, log.texts.size());
    EXPECT_EQ("R_LoadSpriteFromFile: File not found (sprites/flare.sp)", log.texts[0]);
}

TEST_F(TwoGameDirs, AFolderWithTheNameIsNoFile)
{
    root.MakeDir("base/sprites/x.spr");
    root.Write("extra/sprites/x.spr", Bytes("file"));
    Scan();
    EXPECT_EQ("file", Load(fs, "sprites/x.spr"));
}

TEST_F(TwoGameDirs, EntryOutsideItsArchiveIsReported)
{
    std::vector<uint8_t> pak = Pak({{"a", Bytes("abc")}, {"b", Bytes("d")}});
    // Directory at the end: entry 0's length field makes it run past the file.
    PutInt32(pak, pak.size() - 128 + 60, 1000);
    // Entry 1 starts before the file.
    PutInt32(pak, pak.size() - 64 + 56, -5);
    root.Write("base/pak0.pak", pak);
    Scan();
    ASSERT_EQ(1u, fs.Packs().size());
    EXPECT_EQ("<none>", Load(fs, "a", &log));
    EXPECT_EQ("<none>", Load(fs, "b", &log));
    EXPECT_EQ((std::vector<std::string>{"R_LoadSpriteFromFile: Entry outside its archive (a)",
                                        "R_LoadSpriteFromFile: Entry outside its archive (b)"}),
              log.texts);
}

TEST_F(TwoGameDirs, ArchiveShrunkAfterTheScanIsCheckedAtLoad)
{
    root.Write("base/pak0.pak", Pak({{"a", Bytes("abcdef")}}));
    Scan();
    root.Write("base/pak0.pak", Bytes("PACK"));
    EXPECT_EQ("<none>", Load(fs, "a", &log));
    ASSERT_EQ(1u, log.texts.size());
    EXPECT_EQ("R_LoadSpriteFromFile: Entry outside its archive (a)", log.texts[0]);
}

TEST_F(TwoGameDirs, NoMoreThan99Archives)
{
    for (int i = 0; i < 100; ++i)
        root.Write("extra/pak" + std::to_string(i) + ".pak", Pak({{"n", Bytes(std::to_string(i))}}));
    root.Write("base/pak0.pak", Pak({{"base", Bytes("b")}}));
    Scan();
    EXPECT_EQ(99u, fs.Packs().size());
    EXPECT_EQ("98", Load(fs, "n"));
    EXPECT_EQ("<none>", Load(fs, "base"));
    ASSERT_EQ(1u, log.texts.size());
    EXPECT_EQ("R_SetGamedir: Too many archives (" + extra + "/pak99.pak not loaded)", log.texts[0]);
}

TEST_F(TwoGameDirs, DirectoriesAreCutTo259Characters)
{
    const std::string longDir(300, 'd');
    fs.SetGamedir(longDir.c_str(), longDir.c_str(), log.Sink());
    EXPECT_EQ(259u, fs.BaseDir().size());
    EXPECT_EQ(259u, fs.AdditionalDir().size());
}

TEST(GamePaths, JoinWithSlashAndEmptyDirectoryMeansRoot)
{
    EXPECT_EQ("/game/sprites/a.spr", JoinGamePath("/game", "sprites\\a.spr"));
    EXPECT_EQ("/sprites/a.spr", JoinGamePath("", "sprites/a.spr"));
}

TEST(GamePaths, NothingFoundGivesTheNotFoundMessage)
{
    GameFileSystem fs;
    MessageLog log;
    std::vector<uint8_t> data;
    EXPECT_FALSE(fs.LoadFile("sprites/none-such-file.spr", data, log.Sink()));
    ASSERT_EQ(1u, log.texts.size());
    EXPECT_EQ("R_LoadSpriteFromFile: File not found (sprites/none-such-file.spr)", log.texts[0]);
}

TEST(GamePaths, EmptyLooseFileLoadsAsNoBytes)
{
    TempDir root;
    root.Write("sprites/empty.spr", {});
    GameFileSystem fs;
    MessageLog log;
    fs.SetGamedir(root.Path().c_str(), "", log.Sink());
    std::vector<uint8_t> data{1};
    EXPECT_TRUE(fs.LoadFile("sprites/empty.spr", data, log.Sink()));
    EXPECT_TRUE(data.empty());
}

}  // namespace
