// paktool's commands: a folder packed, listed and extracted again, and
// archives that would write outside the chosen folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "Fixtures.h"
#include "PakArchiveTool.h"
#include "gamefs/PackFile.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Bytes(const std::string &text)
{
    return {text.begin(), text.end()};
}

std::string Read(const std::string &path)
{
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(path, bytes))
        return "<missing>";
    return {bytes.begin(), bytes.end()};
}

TEST(PakTool, PackExtractRoundTrip)
{
    TempDir dir;
    dir.Write("in/sprites/a.spr", Bytes("first"));
    dir.Write("in/sub/deeper/b.txt", Bytes("second"));
    dir.Write("in/empty.bin", {});
    const std::string pak = dir.Path() + "/p.pak";
    ASSERT_EQ(0, PakPack(dir.Path() + "/in", pak));

    FileSource source(pak);
    PackFile pack;
    ASSERT_TRUE(ReadPackDirectory(source, pack));
    EXPECT_EQ(3, pack.numfiles);
    EXPECT_NE(nullptr, FindPackEntry(pack, "sub/deeper/b.txt"));
    EXPECT_EQ(0, PakList(pak));

    ASSERT_EQ(0, PakExtract(pak, dir.Path() + "/out", {}));
    EXPECT_EQ("first", Read(dir.Path() + "/out/sprites/a.spr"));
    EXPECT_EQ("second", Read(dir.Path() + "/out/sub/deeper/b.txt"));
    EXPECT_EQ("", Read(dir.Path() + "/out/empty.bin"));

    EXPECT_EQ(0, PakExtract(pak, dir.Path() + "/one", {"sprites/a.spr"}));
    EXPECT_EQ("first", Read(dir.Path() + "/one/sprites/a.spr"));
    EXPECT_FALSE(fs::exists(dir.Path() + "/one/sub"));
    EXPECT_NE(0, PakExtract(pak, dir.Path() + "/two", {"no/such/member"}));
}

TEST(PakTool, RefusesWhatCannotBePackedOrRead)
{
    TempDir dir;
    dir.MakeDir("empty");
    EXPECT_NE(0, PakPack(dir.Path() + "/empty", dir.Path() + "/e.pak"));
    EXPECT_NE(0, PakPack(dir.Path() + "/missing", dir.Path() + "/m.pak"));
    dir.Write("long/" + std::string(60, 'n'), Bytes("x"));
    EXPECT_NE(0, PakPack(dir.Path() + "/long", dir.Path() + "/l.pak"));
    EXPECT_FALSE(fs::exists(dir.Path() + "/l.pak"));
    const std::string junk = dir.Write("junk.pak", Bytes("not an archive"));
    EXPECT_NE(0, PakList(junk));
    EXPECT_NE(0, PakExtract(junk, dir.Path() + "/out", {}));
}

TEST(PakTool, ExtractStaysInsideTheFolder)
{
    TempDir dir;
    const std::string pak = dir.Write("evil.pak", Pak({{"../escape.txt", Bytes("x")},
                                                       {"/abs.txt", Bytes("y")},
                                                       {"a\\..\\..\\b.txt", Bytes("z")},
                                                       {"good.txt", Bytes("ok")}}));
    EXPECT_NE(0, PakExtract(pak, dir.Path() + "/out", {}));
    EXPECT_FALSE(fs::exists(dir.Path() + "/escape.txt"));
    EXPECT_FALSE(fs::exists(dir.Path() + "/b.txt"));
    EXPECT_EQ("ok", Read(dir.Path() + "/out/good.txt"));
    EXPECT_FALSE(PakSafeName("./a"));
    EXPECT_FALSE(PakSafeName("a/../../b"));
    EXPECT_TRUE(PakSafeName("a/b..c/d"));
}

TEST(PakTool, MembersOutsideTheArchiveAreNotExtracted)
{
    TempDir dir;
    std::vector<uint8_t> bytes = Pak({{"a.txt", Bytes("abc")}});
    PutInt32(bytes, bytes.size() - 4, 1 << 30);
    const std::string pak = dir.Write("big.pak", bytes);
    EXPECT_NE(0, PakExtract(pak, dir.Path() + "/out", {}));
    EXPECT_FALSE(fs::exists(dir.Path() + "/out/a.txt"));
}

}  // namespace
