// Reading script text through embLoadMemoryFile: tokens, keys, numbers and
// the limits of the record.
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "ManagerPlugin.h"

namespace {

using Reader = ManagerTest;

std::string Section(const std::string &body)
{
    return "{\n" + body + "\n}\n";
}

TEST_F(Reader, EmptyOrCommentOnlyTextGivesDefaultsWithoutTypes)
{
    auto expected = Defaults();
    expected->typeCount = 0;
    for (const char *text :
         {"", "   \r\n\t", "// nothing here\n\\\\ nor here", "// { \"particles\" \"5\" }"}) {
        auto record = NewRecord();
        std::memset(record.get(), 0xcd, sizeof *record);
        ASSERT_EQ(api.loadMemoryFile(text, record.get()), 1);
        EXPECT_TRUE(SameBytes(*record, *expected)) << '"' << text << '"';
    }
}

TEST_F(Reader, TokensAreCutAtSeparatorsBracesAndQuotes)
{
    // High bytes and control characters separate; a comment stops at its line
    // feed; a single slash starts a word; a quoted token keeps braces and line ends.
    // Keys are matched without regard to letter case.
    auto record = Load("PARTICLES\xa0"
                       "7\x01 // particles 9\n"
                       "MainType \"a {b}\n// c\" { Name /x:y }");
    EXPECT_EQ(record->particles, 7);
    EXPECT_STREQ(record->maintype, "a {b}\n// c");
    EXPECT_EQ(record->typeCount, 1);
    EXPECT_STREQ(record->types[0].name, "/x") << "a colon ends a word";

    // Each of { } ( ) ' : stands alone, so a word ends at it.
    record = Load("{ name ab(cd }");
    EXPECT_STREQ(record->types[0].name, "ab");

    // Quotes, slash pairs and dots inside a word belong to it.
    record = Load("maintype a\"b//c.d");
    EXPECT_STREQ(record->maintype, "a\"b//c.d");

    // An unclosed quote runs to the end of the text.
    record = Load("particles 3 maintype \"fire } particles 9");
    EXPECT_EQ(record->particles, 3);
    EXPECT_STREQ(record->maintype, "fire } particles 9");
    EXPECT_EQ(record->typeCount, 0);
}

TEST_F(Reader, EnumerationWordsMapToRecordNames)
{
    struct Case {
        const char *key;
        const char *word;
        const char *stored;
    };
    const Case cases[] = {
        {"rendermode", "SOLID", "kRenderTransAlpha"},
        {"rendermode", "texture", "kRenderTransTexture"},
        {"rendermode", "color", "kRenderTransColor"},
        {"rendermode", "additive", "kRenderTransAdd"},
        {"rendermode", "kRenderTransAlpha", "kRenderTransAdd"},
        {"rendermode", "colour", "kRenderTransAdd"},
        {"drawcondition", "empty", "CONTENT_EMPTY"},
        {"drawcondition", "solid", "CONTENT_SOLID"},
        {"drawcondition", "special", "CONTENT_SPECIAL1"},
        {"drawcondition", "special1", "CONTENT_SPECIAL1"},
        {"drawcondition", "special2", "CONTENT_SPECIAL2"},
        {"drawcondition", "Special3", "CONTENT_SPECIAL3"},
        {"drawcondition", "lava", ""},
        {"drawcondition", "CONTENT_WATER", ""},
        {"killcondition", "water", "CONTENT_WATER"},
        {"killcondition", "empty", "CONTENT_EMPTY"},
        {"killcondition", "special", ""},
    };
    for (const Case &c : cases) {
        auto record = Load(Section(std::string(c.key) + " " + c.word));
        const ParticleType &type = record->types[0];
        const ParamText &param = std::strcmp(c.key, "rendermode") == 0      ? type.rendermode
                                 : std::strcmp(c.key, "drawcondition") == 0 ? type.drawcondition
                                                                            : type.killcondition;
        EXPECT_EQ(param.present, 1) << c.key << ' ' << c.word;
        EXPECT_STREQ(param.text, c.stored) << c.key << ' ' << c.word;
    }
}

TEST_F(Reader, EveryKeyTakesTheNextTokenWhateverItIs)
{
    // "name" takes the brace, and the section goes on.
    auto record = Load("{ name } startsize 4 } particles 2");
    EXPECT_EQ(record->typeCount, 1);
    EXPECT_STREQ(record->types[0].name, "}");
    EXPECT_EQ(record->types[0].startsize.present, 1);
    EXPECT_DOUBLE_EQ(record->types[0].startsize.min, 4.0);
    EXPECT_EQ(record->particles, 2);

    // A quoted brace opens and closes like a bare one; a quoted key is a key.
    record = Load("\"{\" \"name\" \"q\" \"}\" \"{\" name r");
    EXPECT_EQ(record->typeCount, 2);
    EXPECT_STREQ(record->types[1].name, "r");
}

TEST_F(Reader, KeysOutsideTheirLevelAreSkippedOneTokenAtATime)
{
    // "maintype" means nothing in a section: its value is then read as a key.
    auto record = Load("{ maintype startsize 5 }");
    EXPECT_STREQ(record->maintype, "default");
    EXPECT_EQ(record->types[0].startsize.present, 1);
    EXPECT_DOUBLE_EQ(record->types[0].startsize.max, 5.0);

    // Section keys at the top level, stray braces and unknown words are skipped.
    record = Load("} gravity 9 name top ( ) ' : particles 8 { }");
    EXPECT_EQ(record->particles, 8);
    EXPECT_EQ(record->typeCount, 1);
    EXPECT_STREQ(record->types[0].name, "default");
    EXPECT_EQ(record->types[0].gravity.present, 0);
}

TEST_F(Reader, KeysAtTheEndOfTheTextGetAnEmptyValue)
{
    auto record = Load("particles 5 particles");
    EXPECT_EQ(record->particles, 0);
    record = Load("maintype");
    EXPECT_STREQ(record->maintype, "");
    record = Load("{ name a lifetime");
    EXPECT_EQ(record->typeCount, 1) << "a section cut off by the end still counts";
    EXPECT_EQ(record->types[0].lifetime.present, 1);
    EXPECT_EQ(record->types[0].lifetime.min, 0.0);
    EXPECT_EQ(record->types[0].lifetime.max, 0.0);

    // A key given twice keeps its last value.
    record = Load("particles 5 particles 6 { name a gravity 1 name b gravity 2..3 }");
    EXPECT_EQ(record->particles, 6);
    EXPECT_STREQ(record->types[0].name, "b");
    EXPECT_DOUBLE_EQ(record->types[0].gravity.max, 3.0);
}

TEST_F(Reader, NameOnlySectionsKeepTheDefaultsOfTheirPosition)
{
    auto record = Load("{ name first } { name second }");
    auto defaults = Defaults();
    ASSERT_EQ(record->typeCount, 2);
    for (int k = 0; k < 2; ++k) {
        ParticleType expected = defaults->types[k];
        std::memset(expected.name, 0, sizeof expected.name);
        std::strcpy(expected.name, k == 0 ? "first" : "second");
        EXPECT_EQ(std::memcmp(&record->types[k], &expected, sizeof expected), 0) << k;
    }
    EXPECT_EQ(Save(*record),
              "\"particles\" \"100\"\n\"maintype\" \"default\"\n"
              "\n{\n\t\"name\" \"first\"\n}\n"
              "\n{\n\t\"name\" \"second\"\n\t\"startangle\" \"45\"\n\t\"lifetime\" \"4\"\n"
              "\t\"rendermode\" \"additive\"\n\t\"startred\" \"1\"\n\t\"endred\" \"1\"\n"
              "\t\"startgreen\" \"1\"\n\t\"endgreen\" \"1\"\n\t\"startblue\" \"1\"\n\t\"endblue\" \"1\"\n"
              "\t\"startalpha\" \"1\"\n\t\"endalpha\" \"1\"\n}\n");
}

TEST_F(Reader, RangesSplitAtTheFirstDotPair)
{
    struct Case {
        const char *value;
        double min;
        double max;
    };
    const Case cases[] = {
        {"2..5", 2, 5},
        {"-40..40", -40, 40},
        {"..5", 0, 5},
        {"1...5", 1, 0.5},
        {"10", 10, 10},
        {"0.5", 0.5, 0.5},
        {"\"10..20\"", 10, 20},
        {"\" 3 .. -4 \"", 3, -4},
        {"abc", 0, 0},
        {"1..", 1, 0},
        {"..", 0, 0},
        {"7x..8y", 7, 8},
        {"1e3..2.5e-1", 1000, 0.25},
        {".5..5.", 0.5, 5},
        {"+3..-.25", 3, -0.25},
        {"1e..2E+1", 1, 20},
    };
    for (const Case &c : cases) {
        auto record = Load(Section(std::string("sizedelta ") + c.value));
        const ParamRange &range = record->types[0].sizedelta;
        EXPECT_EQ(range.present, 1) << c.value;
        EXPECT_DOUBLE_EQ(range.min, c.min) << c.value;
        EXPECT_DOUBLE_EQ(range.max, c.max) << c.value;
    }
}

TEST_F(Reader, IntegersReadLeadingDigitsAndSaturate)
{
    struct Case {
        const char *value;
        int32_t expected;
    };
    const Case cases[] = {
        {"42", 42},
        {"-17", -17},
        {"+8", 8},
        {"12abc", 12},
        {"3.9", 3},
        {"1e3", 1},
        {"abc", 0},
        {"-", 0},
        {"\"  25\"", 25},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN},
        {"99999999999999999999999999", INT32_MAX},
        {"-99999999999999999999999999", INT32_MIN},
    };
    for (const Case &c : cases) {
        auto record = Load(std::string("particles ") + c.value + " attachment " + c.value);
        EXPECT_EQ(record->particles, c.expected) << c.value;
        EXPECT_EQ(record->attachment.value, c.expected) << c.value;
    }
}

TEST_F(Reader, RealsThatDoNotFitSaturateOrVanish)
{
    struct Case {
        std::string value;
        double expected;
    };
    const Case cases[] = {
        {"1" + std::string(400, '0'), DBL_MAX},
        {"0." + std::string(89, '0') + "1", 1e-90},
        {"1e999", DBL_MAX},
        {"-1e999", -DBL_MAX},
        {"1e99999999999999999999", DBL_MAX},
        {"1e-999", 0.0},
        {"-1e-99999999999999999999", -0.0},
        {"4.94066e-324", 4.94066e-324},
        {"inf", 0.0},
        {"nan", 0.0},
        {"0x10", 0.0},
    };
    for (const Case &c : cases) {
        auto record = Load(Section("gravity " + c.value));
        EXPECT_EQ(record->types[0].gravity.min, c.expected) << c.value;
        EXPECT_EQ(std::signbit(record->types[0].gravity.min), std::signbit(c.expected)) << c.value;
    }
}

TEST_F(Reader, OffsetTakesOneQuotedTripleOrThreeNumbers)
{
    struct Case {
        const char *body;
        double x, y, z;
        double startsize;  // -1 when "startsize" must stay absent
    };
    const Case cases[] = {
        {"\"offset\" \"1 -2.5 3e1\"\n\"startsize\" \"7\"", 1, -2.5, 30, 7},
        {"offset 4 5 6 startsize 8", 4, 5, 6, 8},
        {"offset \"4\" \"5\" \"6\" \"startsize\" \"8\"", 4, 5, 6, 8},
        {"offset 1.5 startsize 9", 1.5, 0, 0, 9},
        {"offset \"1 2\" 3 startsize 9", 1, 2, 3, 9},
        {"offset 1 2 3 4 startsize 9", 1, 2, 3, 9},  // the fourth number is a stray token
        {"offset \"1 2 3 4\" startsize 9", 1, 2, 3, 9},
        {"offset startsize 9", 0, 0, 0, 9},
        {"offset -.5 +2 .25", -0.5, 2, 0.25, -1},
    };
    for (const Case &c : cases) {
        auto record = Load(Section(c.body));
        const ParticleType &type = record->types[0];
        EXPECT_EQ(type.offset.present, 1) << c.body;
        EXPECT_DOUBLE_EQ(type.offset.x, c.x) << c.body;
        EXPECT_DOUBLE_EQ(type.offset.y, c.y) << c.body;
        EXPECT_DOUBLE_EQ(type.offset.z, c.z) << c.body;
        if (c.startsize < 0) {
            EXPECT_EQ(type.startsize.present, 0) << c.body;
        } else {
            EXPECT_EQ(type.startsize.present, 1) << c.body;
            EXPECT_DOUBLE_EQ(type.startsize.min, c.startsize) << c.body;
        }
    }

    // At the end of a section the brace is left to close it.
    auto record = Load("{ offset 1 } { name next }");
    EXPECT_EQ(record->typeCount, 2);
    EXPECT_STREQ(record->types[1].name, "next");
    EXPECT_DOUBLE_EQ(record->types[0].offset.x, 1.0);
}

TEST_F(Reader, LongTokensAndTextsAreCut)
{
    const std::string longWord(1500, 'w');
    auto record = Load("maintype " + longWord + " particles 7");
    EXPECT_EQ(std::string(record->maintype), longWord.substr(0, 255));
    EXPECT_EQ(record->particles, 7) << "the rest of a long token is not a token of its own";

    const std::string longQuoted = "\"" + std::string(3000, 'q') + "\"";
    record = Load("{ name " + longQuoted + " sprite " + longQuoted + " } particles 4");
    EXPECT_EQ(std::string(record->types[0].name), std::string(255, 'q'));
    EXPECT_EQ(record->types[0].name[255], '\0');
    EXPECT_EQ(std::string(record->types[0].sprite.text), std::string(255, 'q'));
    EXPECT_EQ(record->types[0].overlaytype.supported, 1) << "the next field is intact";
    EXPECT_EQ(record->particles, 4);

    // Exactly 255 characters fit; the 256th never does.
    const std::string exact(255, 'e');
    record = Load("maintype " + exact);
    EXPECT_EQ(std::string(record->maintype), exact);
    record = Load("maintype " + exact + "f");
    EXPECT_EQ(std::string(record->maintype), exact);
}

TEST_F(Reader, SectionsBeyondTheTenthAreReadAndDropped)
{
    std::string text;
    for (int k = 0; k < 13; ++k)
        text += "{ name t" + std::to_string(k) + " gravity " + std::to_string(k) + " }\n";
    text += "particles 9\n";

    // The record sits at the very end of its allocation, so a write past it
    // is caught by the address sanitizer and by the guard check here.
    struct Guarded {
        ParticleSystem record;
        unsigned char guard[4096];
    };
    auto block = std::make_unique<Guarded>();
    std::memset(block->guard, 0x5a, sizeof block->guard);
    ASSERT_EQ(api.loadMemoryFile(text.c_str(), &block->record), 1);
    EXPECT_EQ(block->record.typeCount, 10);
    EXPECT_EQ(block->record.particles, 9) << "reading goes on after the dropped sections";
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(std::string(block->record.types[k].name), "t" + std::to_string(k));
        EXPECT_DOUBLE_EQ(block->record.types[k].gravity.min, k);
    }
    for (unsigned char byte : block->guard)
        ASSERT_EQ(byte, 0x5a);
}

TEST_F(Reader, ATextInsideTheRecordIsReadBeforeTheRecordIsFilled)
{
    // A text that lies inside the record it is read into.
    auto same = NewRecord();
    std::memset(same.get(), 0, sizeof *same);
    std::strcpy(same->maintype, "particles 6 maintype inner");
    ASSERT_EQ(api.loadMemoryFile(same->maintype, same.get()), 1);
    EXPECT_EQ(same->particles, 6);
    EXPECT_STREQ(same->maintype, "inner");
}

}  // namespace
