// The small helpers every deliverable shares: letter case of names, record
// texts, little-endian integers and the reading of plug-in results.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "AsciiCase.h"
#include "LittleEndian.h"
#include "PluginResult.h"
#include "RecordText.h"

namespace {

TEST(AsciiCase, ComparesOnlyAsciiLettersWithoutCase)
{
    EXPECT_TRUE(EqualIgnoringAsciiCase("Sprites/A.SPR", "sprites/a.spr"));
    EXPECT_FALSE(EqualIgnoringAsciiCase("a.spr", "a.spr "));
    EXPECT_FALSE(EqualIgnoringAsciiCase("", "a"));
    EXPECT_TRUE(EqualIgnoringAsciiCase("", ""));
    EXPECT_FALSE(EqualIgnoringAsciiCase("\xc4", "\xe4"));  // not ASCII letters
    EXPECT_FALSE(EqualIgnoringAsciiCase("@", "`"));        // neighbours of the letters
    EXPECT_EQ('[', LowerAscii('['));
}

TEST(RecordText, StopsAtTheFieldEndAndCopiesCut)
{
    char field[kParticleTextSize];
    std::memset(field, 'x', sizeof field);  // no NUL anywhere
    EXPECT_EQ(RecordText(field).size(), sizeof field);

    CopyRecordText(field, std::string(300, 'y'));
    EXPECT_EQ(RecordText(field), std::string(255, 'y'));
    CopyRecordText(field, "fire");
    EXPECT_EQ(RecordText(field), "fire");
    for (std::size_t i = 4; i < sizeof field; ++i)  // nothing of the longer text stays behind
        ASSERT_EQ(field[i], '\0') << i;
    CopyRecordText(field, "");
    EXPECT_EQ(field[0], '\0');
}

TEST(LittleEndian, ReadsSignedValuesInFileOrder)
{
    const uint8_t bytes[] = {0x78, 0x56, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(ReadLittleInt32(bytes), 0x12345678);
    EXPECT_EQ(ReadLittleInt32(bytes + 4), -2);
    EXPECT_EQ(ReadLittleInt16(bytes), 0x5678);
    EXPECT_EQ(ReadLittleInt16(bytes + 4), -2);
}

TEST(PluginResult, OnlyTheLowByteCounts)
{
    EXPECT_TRUE(PluginYes(1));
    EXPECT_FALSE(PluginYes(0));
    EXPECT_FALSE(PluginYes(0x7FFFFF00));
    EXPECT_TRUE(PluginYes(-1));
    EXPECT_TRUE(PluginYes(0x100 | 0x01));
}

}  // namespace
