#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "uInspectorNumbers.h"
#include "uInspectorReaders.h"

TEST(InspectorReaders, NumbersFollowTheGivenSeparatorOnly)
{
    EXPECT_EQ(ParseNumber("0,5", ","), 0.5);
    EXPECT_EQ(ParseNumber("0.5", "."), 0.5);
    EXPECT_FALSE(ParseNumber("0.5", ","));
    EXPECT_FALSE(ParseNumber("0,5", "."));
    EXPECT_EQ(ParseNumber(" -5 ", "."), -5.0);
    EXPECT_EQ(ParseNumber("+2e3", "."), 2000.0);
    EXPECT_EQ(ParseNumber("1E-2", "."), 0.01);
    EXPECT_EQ(ParseNumber(".5", "."), 0.5);
    EXPECT_EQ(ParseNumber("5.", "."), 5.0);
    for (const char *bad : {"", "-", ".", "e5", "1e", "1e+", "1.2.3", "inf", "nan", "1e999", "0x10",
                            "1 2", "--1", "abc"})
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
    ParamVector v = ReadParamVector("1 2", ".");
    EXPECT_EQ(v.present, 1);
    EXPECT_EQ(v.x, 1.0);
    EXPECT_EQ(v.y, 2.0);
    EXPECT_EQ(v.z, 0.0);
    v = ReadParamVector("  4   5\t6 7 ", ".");
    EXPECT_EQ(v.x, 4.0);
    EXPECT_EQ(v.y, 5.0);
    EXPECT_EQ(v.z, 6.0);
    v = ReadParamVector("1 a 3", ".");
    EXPECT_EQ(v.present, 1);
    EXPECT_EQ(v.x, 0.0);
    EXPECT_EQ(v.y, 0.0);
    EXPECT_EQ(v.z, 0.0);
    v = ReadParamVector("1 2 3 junk", ".");  // a fourth piece is never looked at
    EXPECT_EQ(v.z, 3.0);
    v = ReadParamVector("-", ".");
    EXPECT_EQ(v.supported, 1);
    EXPECT_EQ(v.present, 0);
}

TEST(InspectorReaders, Range)
{
    ParamRange r = ReadParamRange("0.5..1.5", ".");
    EXPECT_EQ(r.present, 1);
    EXPECT_EQ(r.min, 0.5);
    EXPECT_EQ(r.max, 1.5);
    r = ReadParamRange("2", ".");
    EXPECT_EQ(r.min, 2.0);
    EXPECT_EQ(r.max, 2.0);
    r = ReadParamRange("2..3..4", ".");
    EXPECT_EQ(r.min, 2.0);
    EXPECT_EQ(r.max, 3.0);
    r = ReadParamRange("-5", ".");
    EXPECT_EQ(r.present, 1);
    EXPECT_EQ(r.min, -5.0);
    EXPECT_EQ(r.max, -5.0);
    r = ReadParamRange("-5..-2", ".");
    EXPECT_EQ(r.min, -5.0);
    EXPECT_EQ(r.max, -2.0);
    r = ReadParamRange("..7..", ".");  // empty pieces around the dots are skipped
    EXPECT_EQ(r.min, 7.0);
    EXPECT_EQ(r.max, 7.0);
    r = ReadParamRange("0,5..2,5", ",");
    EXPECT_EQ(r.min, 0.5);
    EXPECT_EQ(r.max, 2.5);
    r = ReadParamRange("a..3", ".");  // reading stops at the first bad piece
    EXPECT_EQ(r.present, 1);
    EXPECT_EQ(r.min, 0.0);
    EXPECT_EQ(r.max, 0.0);
    r = ReadParamRange("3..a", ".");
    EXPECT_EQ(r.min, 3.0);
    EXPECT_EQ(r.max, 0.0);
    r = ReadParamRange("-", ".");
    EXPECT_EQ(r.supported, 1);
    EXPECT_EQ(r.present, 0);
    EXPECT_EQ(r.min, 0.0);
    EXPECT_EQ(r.max, 0.0);
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
    EXPECT_EQ(c.r.min, 1.0);
    EXPECT_EQ(c.r.max, 1.0);
    EXPECT_EQ(c.g.min, 0.0);
    EXPECT_EQ(c.g.max, 0.0);
    EXPECT_EQ(c.b.present, 1);
    EXPECT_EQ(c.b.supported, 7);

    EXPECT_FALSE(c.Read("0,2 0,4 0,6", "1 1 1", ","));
    EXPECT_EQ(c.g.min, 0.4);
    EXPECT_EQ(c.g.max, 1.0);
    EXPECT_EQ(c.b.min, 0.6);

    EXPECT_FALSE(c.Read("", "0 0.5 0"));  // a missing first row is white
    EXPECT_EQ(c.r.min, 1.0);
    EXPECT_EQ(c.r.max, 0.0);
    EXPECT_EQ(c.g.max, 0.5);
    EXPECT_EQ(c.g.present, 1);

    EXPECT_FALSE(c.Read("", ""));
    for (ParamRange *ch : {&c.r, &c.g, &c.b}) {
        EXPECT_EQ(ch->present, 0);
        EXPECT_EQ(ch->min, 1.0);
        EXPECT_EQ(ch->max, 1.0);
        EXPECT_EQ(ch->supported, 7);
    }

    EXPECT_FALSE(c.Read("0.5", "-"));  // fewer pieces: the missing channels are 0
    EXPECT_EQ(c.r.min, 0.5);
    EXPECT_EQ(c.g.min, 0.0);
    EXPECT_EQ(c.b.max, 0.0);
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
    for (ParamRange *ch : {&c.r, &c.g, &c.b}) {
        EXPECT_EQ(ch->present, 1);
        EXPECT_EQ(ch->min, 0.1);
        EXPECT_EQ(ch->max, 0.9);
    }
    EXPECT_FALSE(c.Read("1 0 0 nonsense", ""));  // only three pieces are used
}
