#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "property_test_support.h"
#include "uPropertyNumbers.h"
#include "uPropertyReaders.h"

TEST(InspectorReaders, NumbersTakeTheGivenSeparatorAndAPoint)
{
    EXPECT_EQ(ParseNumber("0,5", ","), 0.5);
    EXPECT_EQ(ParseNumber("0.5", "."), 0.5);
    // A point is a decimal point under every locale: the script format and
    // the guide write one. A comma is one only where the locale says so.
    EXPECT_EQ(ParseNumber("1.5", ","), 1.5);
    EXPECT_EQ(ParseNumber("-2.25e1", ","), -22.5);
    EXPECT_FALSE(ParseNumber("0,5", "."));
    for (const char *bad : {"1.5,2", "1,5.2", ",", "1..5", "abc"})
        EXPECT_FALSE(ParseNumber(bad, ",")) << bad;
    EXPECT_EQ(ParseNumber(" -5 ", "."), -5.0);
    EXPECT_EQ(ParseNumber("+2e3", "."), 2000.0);
    EXPECT_EQ(ParseNumber("1E-2", "."), 0.01);
    EXPECT_EQ(ParseNumber(".5", "."), 0.5);
    EXPECT_EQ(ParseNumber("5.", "."), 5.0);
    for (const char *bad :
         {"", "-", ".", "e5", "1e", "1e+", "1.2.3", "inf", "nan", "1e999", "0x10", "1 2", "--1", "abc"})
        EXPECT_FALSE(ParseNumber(bad, ".")) << bad;
    EXPECT_EQ(ParseInteger("-3"), -3);
    EXPECT_EQ(ParseInteger("+7"), 7);
    EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
    for (const char *bad : {"", "-", "+", "2147483648", "1.5", "1e3", "12a", "+-1"})
        EXPECT_FALSE(ParseInteger(bad)) << bad;
}

TEST(InspectorReaders, CountAndInt)
{
    EXPECT_EQ(ReadCount("250"), 250);
    EXPECT_EQ(ReadCount("-3"), -3);
    EXPECT_EQ(ReadCount(""), 0);
    EXPECT_EQ(ReadCount("-"), 0);
    EXPECT_EQ(ReadCount("many"), 0);
    ParamInt p = ReadParamInt("42");
    EXPECT_EQ(p.supported, 1);
    EXPECT_EQ(p.present, 1);
    EXPECT_EQ(p.value, 42);
    p = ReadParamInt("x");
    EXPECT_EQ(p.present, 1);
    EXPECT_EQ(p.value, 0);
    p = ReadParamInt("-");
    EXPECT_EQ(p.supported, 1);
    EXPECT_EQ(p.present, 0);
    EXPECT_EQ(p.value, 0);
}

TEST(InspectorReaders, ValueAndText)
{
    ParamValue v = ReadParamValue("1,25", ",");
    EXPECT_EQ(v.present, 1);
    EXPECT_EQ(v.value, 1.25);
    v = ReadParamValue("oops", ",");
    EXPECT_EQ(v.present, 1);
    EXPECT_EQ(v.value, 0.0);
    EXPECT_EQ(ReadParamValue("", ".").present, 0);

    ParamText t = ReadParamText("sprites/a.spr");
    EXPECT_EQ(t.supported, 1);
    EXPECT_EQ(t.present, 1);
    EXPECT_STREQ(t.text, "sprites/a.spr");
    t = ReadParamText("-");
    EXPECT_EQ(t.present, 0);
    EXPECT_STREQ(t.text, "");
    const std::string longText(400, 'q');
    t = ReadParamText(longText);
    EXPECT_EQ(std::strlen(t.text), 255u);
    EXPECT_EQ(t.text[255], '\0');
}

TEST(InspectorReaders, Vector)
{
    EXPECT_EQ(Show(ReadParamVector("1 2", ".")), Show(1, 1, 2, 0));
    EXPECT_EQ(Show(ReadParamVector("  4   5\t6 7 ", ".")), Show(1, 4, 5, 6));
    EXPECT_EQ(Show(ReadParamVector("1 a 3", ".")), Show(1, 0, 0, 0));
    EXPECT_EQ(Show(ReadParamVector("1 2 3 junk", ".")), Show(1, 1, 2, 3));  // a fourth piece is never read
    EXPECT_EQ(Show(ReadParamVector("0,5 -1 2", ",")), Show(1, 0.5, -1, 2));
    EXPECT_EQ(Show(ReadParamVector("-", ".")), Show(0, 0, 0, 0));
    EXPECT_EQ(ReadParamVector("-", ".").supported, 1);
}

TEST(InspectorReaders, Range)
{
    const std::pair<const char *, std::string> cases[] = {
        {"0.5..1.5", Show(1, 0.5, 1.5)},
        {"2", Show(1, 2, 2)},
        {"2..3..4", Show(1, 2, 3)},
        {"-5", Show(1, -5, -5)},
        {"-5..-2", Show(1, -5, -2)},
        {"..7..", Show(1, 7, 7)},  // empty pieces around the dots are skipped
        {"a..3", Show(1, 0, 0)},   // reading stops at the first bad piece
        {"3..a", Show(1, 3, 0)},
        {"-", Show(0, 0, 0)},
        {"", Show(0, 0, 0)},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(Show(ReadParamRange(text, ".")), expected) << text;
    EXPECT_EQ(Show(ReadParamRange("0,5..2,5", ",")), Show(1, 0.5, 2.5));
    EXPECT_EQ(ReadParamRange("-", ".").supported, 1);
}

namespace {

struct Colour {
    ParamRange r{}, g{}, b{};
    Colour()
    {
        for (ParamRange *c : {&r, &g, &b}) {
            c->supported = 7;  // must survive every read
            c->present = 1;
            c->min = 0.1;
            c->max = 0.9;
        }
    }
    std::string Shown() const { return Show(r) + Show(g) + Show(b); }
    std::optional<std::string> Read(const char *first, const char *second, const char *sep = ".")
    {
        return ReadColourPair(first, second, sep, r, g, b);
    }
};

}  // namespace

TEST(InspectorReaders, ColourPairs)
{
    Colour c;
    EXPECT_FALSE(c.Read("1 0 0", ""));
    EXPECT_EQ(c.Shown(), Show(1, 1, 1) + Show(1, 0, 0) + Show(1, 0, 0));
    EXPECT_EQ(c.b.supported, 7);

    EXPECT_FALSE(c.Read("0,2 0,4 0,6", "1 1 1", ","));
    EXPECT_EQ(c.Shown(), Show(1, 0.2, 1) + Show(1, 0.4, 1) + Show(1, 0.6, 1));

    EXPECT_FALSE(c.Read("", "0 0.5 0"));  // a missing first row is white
    EXPECT_EQ(c.Shown(), Show(1, 1, 0) + Show(1, 1, 0.5) + Show(1, 1, 0));

    EXPECT_FALSE(c.Read("", ""));
    EXPECT_EQ(c.Shown(), Show(0, 1, 1) + Show(0, 1, 1) + Show(0, 1, 1));
    EXPECT_EQ(c.r.supported, 7);

    EXPECT_FALSE(c.Read("0.5", "-"));  // fewer pieces: the missing channels are 0
    EXPECT_EQ(c.Shown(), Show(1, 0.5, 0.5) + Show(1, 0, 0) + Show(1, 0, 0));
}

TEST(InspectorReaders, BadColourPieceReportsAndLeavesTheChannelsAlone)
{
    Colour c;
    auto error = c.Read("1 0 0", "1 x 0");
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "'x' is not a valid floating point value");
    error = c.Read("0.3 zz", "");
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "'zz' is not a valid floating point value");
    EXPECT_EQ(c.Shown(), Show(1, 0.1, 0.9) + Show(1, 0.1, 0.9) + Show(1, 0.1, 0.9));
    EXPECT_FALSE(c.Read("1 0 0 nonsense", ""));  // only three pieces are used
}
