// Which character set a record text is shown in, and the script texts a
// record cannot hold.
#include <gtest/gtest.h>

#include <string>

#include "property_test_support.h"
#include "uScriptSync.h"
#include "uSettingsValues.h"
#include "uTextEncoding.h"
#include "uTextRules.h"

TEST(TextEncoding, StrictUtf8)
{
    for (const char *good :
         {"", "plain", "Fl\xC3\xA4m\xC3\xA9", "\xE9\xA1\x86\xE7\xB2\x92", "\xF0\x9F\x94\xA5",
          "\xEF\xBB\xBF"
          "bom",
          "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(IsValidUtf8(good)) << good;
    for (const char *bad : {"Flam\xE9",          // Latin-1
                            "\xC3",              // cut short
                            "\xC0\xAF",          // overlong slash
                            "\xE0\x80\xAF",      // overlong, three bytes
                            "\xED\xA0\x80",      // a surrogate
                            "\xF4\x90\x80\x80",  // above U+10FFFF
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

// What the screen shows of a record text, and the bytes it gives back.
TEST(TextEncoding, TextsShowAndGoBackByteForByte)
{
    EXPECT_EQ(TextFromBytes("Fl\xC3\xA4m\xC3\xA9"), QStringLiteral("Fl\u00E4m\u00E9"));
    EXPECT_EQ(TextFromBytes("Flam\xE9"), QStringLiteral("Flam\u00E9"));
    EXPECT_EQ(TextFromBytes("\xE9\xA1\x86\xE7\xB2\x92"), QStringLiteral("\u9846\u7C92"));
    const std::string samples[] = {"",
                                   "plain",
                                   "Flam\xE9",
                                   "Fl\xC3\xA4m\xC3\xA9",
                                   "\xEF\xBB\xBF"
                                   "bom",
                                   "\xC0\xAF",
                                   "\xFF\xFE",
                                   "\xE9\xA1\x86"};
    for (const std::string &bytes : samples) {
        const QString shown = TextFromBytes(bytes);
        EXPECT_FALSE(shown.contains(QChar(0xFFFD))) << bytes;
        for (TextEncoding set : {TextEncoding::Utf8, TextEncoding::Latin1})
            EXPECT_EQ(BytesForEditedText(shown, bytes, set), bytes) << bytes;
    }
    // Typed text goes in the document's set; what Latin-1 cannot hold becomes
    // UTF-8, never a question mark.
    EXPECT_EQ(BytesFromText(QStringLiteral("caf\u00E9"), TextEncoding::Latin1), "caf\xE9");
    EXPECT_EQ(BytesFromText(QStringLiteral("caf\u00E9"), TextEncoding::Utf8), "caf\xC3\xA9");
    EXPECT_EQ(BytesFromText(QStringLiteral("\u9846\u7C92"), TextEncoding::Latin1),
              "\xE9\xA1\x86\xE7\xB2\x92");
    EXPECT_EQ(BytesForEditedText(QStringLiteral("Flam\u00E9s"), "Flam\xE9", TextEncoding::Latin1),
              "Flam\xE9s");
}

TEST(HeaderText, EveryLineMustBeAComment)
{
    EXPECT_EQ(FirstHeaderLineNotComment(QStringLiteral("//Generated by Sparkwright")), -1);
    EXPECT_EQ(FirstHeaderLineNotComment(QString()), -1);
    EXPECT_EQ(FirstHeaderLineNotComment(QStringLiteral("// one\r\n\r\n  \t// two\r\n\\\\ three\n")), -1);
    EXPECT_EQ(FirstHeaderLineNotComment(QStringLiteral("// one\r\nmy { effect")), 1);
    EXPECT_EQ(FirstHeaderLineNotComment(QStringLiteral("/ one")), 0);
    EXPECT_EQ(FirstHeaderLineNotComment(QStringLiteral("// a\r\n// b\r\n/\\/ c")), 2);
    const QString message = HeaderLineNotCommentMessage(QStringLiteral("// one\r\nmy { effect"), 1);
    EXPECT_TRUE(message.contains(QStringLiteral("Line 2"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("my { effect")));
}

TEST(TextEncoding, TheScriptPaneShowsEachLineInItsOwnSet)
{
    // A Latin-1 file to which a UTF-8 name was added: every line readable.
    const std::string shown = "// caf\xE9\n\"name\" \"\xE9\xA1\x86\"\n\"name\" \"Flam\xE9\"";
    const QString text = ScriptTextFromBytes(shown);
    EXPECT_EQ(text, QStringLiteral("// caf\u00E9\n\"name\" \"\u9846\"\n\"name\" \"Flam\u00E9\""));
    EXPECT_EQ(ScriptBytesFromText(text, shown), shown);

    // Lines moved about keep their bytes; a line typed anew takes the set of
    // the text it joins, UTF-8 only where Latin-1 cannot hold it.
    const QString edited = QStringLiteral(
        "\"name\" \"Flam\u00E9\"\n// caf\u00E9\n\"name\" \"\u00E9t\u00E9\"\n"
        "\"name\" \"\u706B\"");
    EXPECT_EQ(ScriptBytesFromText(edited, shown),
              "\"name\" \"Flam\xE9\"\n// caf\xE9\n\"name\" \"\xE9t\xE9\"\n\"name\" \"\xE7\x81\xAB\"");
    // In a UTF-8 text new lines are UTF-8 too.
    EXPECT_EQ(ScriptBytesFromText(QStringLiteral("\u00E9\n"), "plain"), "\xC3\xA9\n");
    // The same picture twice, from different bytes: each keeps its own.
    const std::string twins = "\xE9\n\xC3\xA9";
    EXPECT_EQ(ScriptBytesFromText(ScriptTextFromBytes(twins), twins), twins);
}
