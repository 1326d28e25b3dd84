// Reading archive headers and directories, from memory and from files.
#include <gtest/gtest.h>

#include <cstring>

#include "Fixtures.h"
#include "gamefs/PackFile.h"

namespace {

std::vector<uint8_t> TwoMembers()
{
    return Pak({{"sprites/a.spr", {1, 2, 3}}, {"sprites/B.spr", {4, 5}}});
}

bool ReadMemory(const std::vector<uint8_t> &bytes, PackFile &pack)
{
    MemorySource source(bytes.data(), bytes.size());
    return ReadPackDirectory(source, pack);
}

TEST(PackFile, ReadsHeaderAndDirectory)
{
    const std::vector<uint8_t> bytes = TwoMembers();
    PackFile pack;
    ASSERT_TRUE(ReadMemory(bytes, pack));
    EXPECT_EQ(0, std::memcmp(pack.header.id, "PACK", 4));
    EXPECT_EQ(2, pack.numfiles);
    EXPECT_EQ(17, pack.header.dirofs);  // 12 header bytes and 5 data bytes
    EXPECT_EQ(128, pack.header.dirlen);
    const PackEntry *b = FindPackEntry(pack, "sprites/B.spr");
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(15, b->filepos);
    EXPECT_EQ(2, b->filelen);
    EXPECT_TRUE(PackEntryInside(*b, bytes.size()));
}

TEST(PackFile, NamesCompareIgnoringAsciiCaseButWhole)
{
    PackFile pack;
    ASSERT_TRUE(ReadMemory(TwoMembers(), pack));
    const PackEntry *b = FindPackEntry(pack, "sprites/b.spr");
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(2, b->filelen);
    const PackEntry *a = FindPackEntry(pack, "SPRITES/A.SPR");
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(3, a->filelen);
    EXPECT_EQ(nullptr, FindPackEntry(pack, "sprites/a.sp"));
    EXPECT_EQ(nullptr, FindPackEntry(pack, "sprites/a.spr2"));
    EXPECT_EQ(nullptr, FindPackEntry(pack, "sprites\\a.spr"));
    // Only ASCII letters fold: bytes above 127 compare as they are.
    PackFile latin;
    ASSERT_TRUE(ReadMemory(Pak({{"\xC4.spr", {1}}}), latin));
    EXPECT_EQ(nullptr, FindPackEntry(latin, "\xE4.spr"));
    EXPECT_NE(nullptr, FindPackEntry(latin, "\xC4.SPR"));
}

TEST(PackFile, ExactNameBeatsAnEarlierOneDifferingInCase)
{
    PackFile pack;
    ASSERT_TRUE(ReadMemory(Pak({{"A.spr", {1}}, {"a.spr", {2, 2}}, {"a.SPR", {3, 3, 3}}}), pack));
    EXPECT_EQ(2, FindPackEntry(pack, "a.spr")->filelen);
    EXPECT_EQ(3, FindPackEntry(pack, "a.SPR")->filelen);
    EXPECT_EQ(1, FindPackEntry(pack, "A.SPR")->filelen);  // none exact: the first
}

TEST(PackFile, FirstOfTwoEqualNamesWins)
{
    PackFile pack;
    ASSERT_TRUE(ReadMemory(Pak({{"x", {1}}, {"x", {2, 2}}}), pack));
    const PackEntry *e = FindPackEntry(pack, "x");
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(1, e->filelen);
}

TEST(PackFile, NameFillingAllBytesComparesOverThemOnly)
{
    std::vector<uint8_t> bytes = Pak({{std::string(55, 'n'), {7}}});
    bytes[bytes.size() - 64 + 55] = 'm';  // the NUL of the stored name overwritten
    PackFile pack;
    ASSERT_TRUE(ReadMemory(bytes, pack));
    EXPECT_NE(nullptr, FindPackEntry(pack, (std::string(55, 'n') + "m").c_str()));
    EXPECT_EQ(nullptr, FindPackEntry(pack, (std::string(55, 'n') + "mx").c_str()));
    EXPECT_EQ(nullptr, FindPackEntry(pack, std::string(55, 'n').c_str()));
}

TEST(PackFile, ForeignOrBrokenHeadersAreNotUsable)
{
    const std::vector<uint8_t> good = TwoMembers();
    const size_t dirofs = 17;
    struct Case {
        const char *what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    auto with = [&](const char *what, auto change) {
        std::vector<uint8_t> b = good;
        change(b);
        cases.push_back({what, b});
    };
    with("wrong identification", [](auto &b) { b[0] = 'p'; });
    with("no entries", [](auto &b) { PutInt32(b, 8, 0); });
    with("directory shorter than one entry", [](auto &b) { PutInt32(b, 8, 63); });
    with("negative directory offset", [](auto &b) { PutInt32(b, 4, -1); });
    with("directory offset past the end", [&](auto &b) { PutInt32(b, 4, int32_t(b.size())); });
    with("directory runs past the end", [&](auto &b) { PutInt32(b, 4, int32_t(dirofs + 1)); });
    with("directory length past the end", [](auto &b) { PutInt32(b, 8, 192); });
    with("negative directory length", [](auto &b) { PutInt32(b, 8, -128); });
    with("huge directory length", [](auto &b) { PutInt32(b, 8, 0x7FFFFFC0); });
    cases.push_back({"short header", std::vector<uint8_t>(good.begin(), good.begin() + 11)});
    cases.push_back({"empty file", {}});
    for (const Case &c : cases) {
        PackFile pack;
        EXPECT_FALSE(ReadMemory(c.bytes, pack)) << c.what;
    }
}

TEST(PackFile, DirectoryOfMoreThan8192EntriesKeepsTheFirst8192)
{
    std::vector<PakMember> members;
    for (int i = 0; i < 8200; ++i)
        members.push_back({"f" + std::to_string(i), {}});
    PackFile pack;
    ASSERT_TRUE(ReadMemory(Pak(members), pack));
    EXPECT_EQ(8192, pack.numfiles);
    EXPECT_EQ(8192u, pack.files.size());
    EXPECT_NE(nullptr, FindPackEntry(pack, "f8191"));
    EXPECT_EQ(nullptr, FindPackEntry(pack, "f8192"));
}

TEST(PackFile, EntryBoundsAgainstTheArchive)
{
    PackEntry e{};
    e.filepos = 10;
    e.filelen = 5;
    EXPECT_TRUE(PackEntryInside(e, 15));
    EXPECT_FALSE(PackEntryInside(e, 14));
    e.filelen = 0;
    EXPECT_TRUE(PackEntryInside(e, 10));
    e.filepos = -1;
    EXPECT_FALSE(PackEntryInside(e, 100));
    e.filepos = 0;
    e.filelen = -1;
    EXPECT_FALSE(PackEntryInside(e, 100));
    e.filepos = 0x7FFFFFFF;
    e.filelen = 0x7FFFFFFF;
    EXPECT_FALSE(PackEntryInside(e, 0xFFFFFFFDull));
    EXPECT_TRUE(PackEntryInside(e, 0xFFFFFFFEull));
}

TEST(PackFile, FileSourceReadsOnlyRegularFiles)
{
    TempDir dir;
    const std::string path = dir.Write("p.pak", TwoMembers());
    FileSource source(path);
    ASSERT_TRUE(source.IsOpen());
    PackFile pack;
    EXPECT_TRUE(ReadPackDirectory(source, pack));
    uint8_t byte;
    EXPECT_FALSE(source.ReadAt(source.Size(), &byte, 1));
    EXPECT_TRUE(source.ReadAt(source.Size() - 1, &byte, 1));

    FileSource folder(dir.MakeDir("folder.pak"));
    EXPECT_FALSE(folder.IsOpen());
    FileSource missing(dir.Path() + "/missing.pak");
    EXPECT_FALSE(missing.IsOpen());
}

TEST(MemorySource, RefusesReadsPastTheEnd)
{
    const uint8_t data[4] = {1, 2, 3, 4};
    MemorySource source(data, sizeof data);
    uint8_t out[4];
    EXPECT_TRUE(source.ReadAt(0, out, 4));
    EXPECT_TRUE(source.ReadAt(4, out, 0));
    EXPECT_FALSE(source.ReadAt(1, out, 4));
    EXPECT_FALSE(source.ReadAt(5, out, 0));
    EXPECT_FALSE(source.ReadAt(~0ull, out, 2));
}

}  // namespace
