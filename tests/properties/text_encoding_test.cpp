// Which character set a record text is shown in, and the script texts a
// record cannot hold.
#include <gtest/gtest.h>

#include <string>

#include "property_test_support.h"
#include "uScriptSync.h"
#include "uTextEncoding.h"

TEST(TextEncoding, StrictUtf8)
{
    for (const char *good : {"", "plain", "Fl\xC3\xA4m\xC3\xA9", "\xE9\xA1\x86\xE7\xB2\x92",
                             "\xF0\x9F\x94\xA5", "\xEF\xBB\xBF" "bom", "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(IsValidUtf8(good)) << good;
    for (const char *bad : {"Flam\xE9",           // Latin-1
                            "\xC3",               // cut short
                            "\xC0\xAF",           // overlong slash
                            "\xE0\x80\xAF",       // overlong, three bytes
                            "\xED\xA0\x80",       // a surrogate
                            "\xF4\x90\x80\x80",   // above U+10FFFF
                            "\xF8\x88\x80\x80\x80", "\x80", "a\xC3(b"})
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
    EXPECT_EQ(EncodingOf("Fl\xC3\xA4m"), TextEncoding::Utf8);
    EXPECT_EQ(EncodingOf("Fl\xE4m"), TextEncoding::Latin1);
}

TEST(TextEncoding, ARecordIsLatin1AsSoonAsOneUsedTextIs)
{
    ParticleSystem rec = MakeRecord({"emitter", "\xE9\xA1\x86\xE7\xB2\x92"});
    EXPECT_EQ(RecordEncoding(rec), TextEncoding::Utf8);
    SetText(rec.types[1].userText2.text, "caf\xE9");
    EXPECT_EQ(RecordEncoding(rec), TextEncoding::Latin1);
    SetText(rec.types[1].userText2.text, "");
    SetText(rec.maintype, "\xFF");
    EXPECT_EQ(RecordEncoding(rec), TextEncoding::Latin1);
    SetText(rec.maintype, "emitter");
    // Entries past typeCount are not part of the document.
    SetText(rec.types[5].name, "\xFF");
    EXPECT_EQ(RecordEncoding(rec), TextEncoding::Utf8);
}

TEST(ScriptTexts, OverlongTextsAreFoundAsTheReaderSplitsTheScript)
{
    const std::string fits(255, 'a');
    const std::string over(256, 'a');
    EXPECT_FALSE(FindOverlongText("particles 100\nmaintype \"" + fits + "\"\n{\nname " + fits + "\n}\n"));

    auto found = FindOverlongText("particles 100\n\n{\n\tname \"" + over + "\"\n}\n");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->line, 4);
    EXPECT_EQ(found->bytes, 256u);
    EXPECT_NE(OverlongTextMessage(*found).find("Line 4"), std::string::npos);

    // An unquoted word ends at blanks and at the reader's one-letter tokens.
    found = FindOverlongText("{sprite " + over + "}");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->line, 1);
    EXPECT_FALSE(FindOverlongText(fits + "{" + fits + ":" + fits));

    // Comments may be as long as they like, in either form.
    EXPECT_FALSE(FindOverlongText("// " + over + "\n  \\\\" + over + "\r\nparticles 5"));
    // A quote left open runs to the end, as the reader takes it.
    found = FindOverlongText("a\r\nb\r\nname \"" + over);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->line, 3);
    // Bytes, not characters, count: 100 three-byte characters are too long.
    std::string wide;
    for (int i = 0; i < 100; ++i)
        wide += "\xE9\xA1\x86";
    found = FindOverlongText("name \"" + wide + "\"");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->bytes, 300u);
}
