// Run by ctest under a locale whose decimal separator is a comma.
#include <gtest/gtest.h>

#include <clocale>

#include "property_test_support.h"
#include "uPropertyNumbers.h"
#include "uPropertyReaders.h"

TEST(CommaLocale, RowsAndReadersUseTheLocaleSeparator)
{
    ASSERT_NE(std::setlocale(LC_ALL, ""), nullptr) << "the comma locale is not available";
    const std::string sep = std::localeconv()->decimal_point;
    ASSERT_EQ(sep, ",");

    ParticleSystem rec = MakeRecord({"a"});
    rec.types[0].lifetime = Range(0.5, 1.5);
    rec.types[0].startred = Range(0.25, 0.25);
    const UserParmNames names{};
    auto rows = BuildInspectorPage(rec, 1, names, sep);
    EXPECT_EQ(FindRow(rows, "Life Time")->value, "0,5..1,5");
    EXPECT_EQ(FindRow(rows, "Start Color 1")->value, "0,250 1,000 1,000");

    ParamRange r = ReadParamRange(FindRow(rows, "Life Time")->value, sep);
    EXPECT_EQ(r.min, 0.5);
    EXPECT_EQ(r.max, 1.5);

    // A point, as scripts and the guide write numbers, reads as that number
    // here too; letters still read as 0.
    r = ReadParamRange("1.5", sep);
    EXPECT_EQ(r.min, 1.5);
    r = ReadParamRange("0.25..1,75", sep);
    EXPECT_EQ(r.min, 0.25);
    EXPECT_EQ(r.max, 1.75);
    EXPECT_EQ(ReadParamVector("1.5 -2,5 3", sep).y, -2.5);
    r = ReadParamRange("abc", sep);
    EXPECT_EQ(r.present, 1);
    EXPECT_EQ(r.min, 0.0);

    // The C library's locale never leaks into texts written with another separator.
    EXPECT_EQ(FormatGeneral(2.5, "."), "2.5");
    EXPECT_EQ(ParseNumber("2.5", "."), 2.5);
    std::setlocale(LC_ALL, "C");
}
