// Rebuilding the record's types from the Edit Types dialog's list.
#include <gtest/gtest.h>

#include <cstring>

#include "types_fixtures.h"
#include "uRebuildTypes.h"

namespace {

const ParticleSystem kDefaults = MakeDefaults();

TEST(RebuildTypes, DeletingTheFirstOfThreeKeepsTheOthersWithTheirSettings)
{
    ParticleSystem rec = MakeDocument({"one", "two", "three"}, "three");
    const ParticleSystem before = rec;
    ASSERT_EQ(RebuildTypes(rec, kDefaults, {"two", "three"}, 1), RebuildTypesResult::Ok);
    EXPECT_EQ(rec.typeCount, 2);
    EXPECT_STREQ(rec.maintype, "three");
    EXPECT_TRUE(SameEntry(rec.types[0], before.types[1]));
    EXPECT_TRUE(SameEntry(rec.types[1], before.types[2]));
    // The third entry is no longer used and keeps what it held.
    EXPECT_TRUE(SameEntry(rec.types[2], before.types[2]));
}

TEST(RebuildTypes, DeletingTheMainTypeMakesTheMarkedLineMain)
{
    ParticleSystem rec = MakeDocument({"one", "two"}, "one");
    const ParticleSystem before = rec;
    ASSERT_EQ(RebuildTypes(rec, kDefaults, {"two"}, 0), RebuildTypesResult::Ok);
    EXPECT_EQ(rec.typeCount, 1);
    EXPECT_STREQ(rec.maintype, "two");
    EXPECT_TRUE(SameEntry(rec.types[0], before.types[1]));
}

TEST(RebuildTypes, RenamedAndAddedTypesStartFromTheDefaultsOfTheirPosition)
{
    ParticleSystem rec = MakeDocument({"one", "two"}, "one");
    const ParticleSystem before = rec;
    ASSERT_EQ(RebuildTypes(rec, kDefaults, {"one", "spark", "smoke"}, 0), RebuildTypesResult::Ok);
    EXPECT_EQ(rec.typeCount, 3);
    EXPECT_TRUE(SameEntry(rec.types[0], before.types[0]));
    EXPECT_STREQ(rec.types[1].name, "spark");
    EXPECT_TRUE(SameBody(rec.types[1], kDefaults.types[1]));
    EXPECT_DOUBLE_EQ(rec.types[1].lifetime.min, 101.0);
    EXPECT_STREQ(rec.types[2].name, "smoke");
    EXPECT_TRUE(SameBody(rec.types[2], kDefaults.types[2]));
}

TEST(RebuildTypes, ChangingOnlyTheLetterCaseCountsAsANewName)
{
    ParticleSystem rec = MakeDocument({"one", "two"}, "two");
    ASSERT_EQ(RebuildTypes(rec, kDefaults, {"one", "Two"}, 1), RebuildTypesResult::Ok);
    EXPECT_STREQ(rec.types[1].name, "Two");
    EXPECT_STREQ(rec.maintype, "Two");
    EXPECT_TRUE(SameBody(rec.types[1], kDefaults.types[1]));
}

TEST(RebuildTypes, NamesSwappedByRenamesKeepTheirOwnSettings)
{
    // one -> x, two -> one, x -> two: each listed name belonged to a type before.
    ParticleSystem rec = MakeDocument({"one", "two"}, "one");
    const ParticleSystem before = rec;
    ASSERT_EQ(RebuildTypes(rec, kDefaults, {"two", "one"}, 1), RebuildTypesResult::Ok);
    EXPECT_TRUE(SameEntry(rec.types[0], before.types[1]));
    EXPECT_TRUE(SameEntry(rec.types[1], before.types[0]));
    EXPECT_STREQ(rec.maintype, "one");
}

TEST(RebuildTypes, AnAddedNameDoesNotBringBackADeletedEntry)
{
    // "three" was deleted earlier: its bytes still lie in the unused entry 2.
    ParticleSystem rec = MakeDocument({"one", "two", "three"}, "one");
    rec.typeCount = 2;
    ASSERT_EQ(RebuildTypes(rec, kDefaults, {"one", "two", "three"}, 0), RebuildTypesResult::Ok);
    EXPECT_EQ(rec.typeCount, 3);
    EXPECT_TRUE(SameBody(rec.types[2], kDefaults.types[2]));
}

TEST(RebuildTypes, UnchangedListLeavesEveryUsedEntryAsItWas)
{
    ParticleSystem rec = MakeDocument({"a", "b", "c"}, "b");
    const ParticleSystem before = rec;
    ASSERT_EQ(RebuildTypes(rec, kDefaults, {"a", "b", "c"}, 1), RebuildTypesResult::Ok);
    EXPECT_EQ(std::memcmp(&rec, &before, sizeof rec), 0);
}

TEST(RebuildTypes, RefusedListsLeaveTheRecordUntouched)
{
    ParticleSystem rec = MakeDocument({"one", "two"}, "one");
    const ParticleSystem before = rec;
    EXPECT_EQ(RebuildTypes(rec, kDefaults, {}, 0), RebuildTypesResult::EmptyList);
    EXPECT_EQ(RebuildTypes(rec, kDefaults, {"one", std::string(256, 'x')}, 0),
              RebuildTypesResult::NameTooLong);
    std::vector<std::string> eleven;
    for (int i = 0; i < 11; ++i)
        eleven.push_back("t" + std::to_string(i));
    EXPECT_EQ(RebuildTypes(rec, kDefaults, eleven, 0), RebuildTypesResult::TooManyTypes);
    EXPECT_EQ(std::memcmp(&rec, &before, sizeof rec), 0);
}

TEST(RebuildTypes, LongestNameFitsWithItsNul)
{
    ParticleSystem rec = MakeDocument({"one"}, "one");
    const std::string longest(255, 'n');
    ASSERT_EQ(RebuildTypes(rec, kDefaults, {longest}, 0), RebuildTypesResult::Ok);
    EXPECT_EQ(std::string(rec.types[0].name), longest);
    EXPECT_EQ(rec.types[0].name[255], '\0');
    EXPECT_EQ(std::string(rec.maintype), longest);
}

TEST(RebuildTypes, MainIndexOutsideTheListFallsBackToTheFirstLine)
{
    ParticleSystem rec = MakeDocument({"one", "two"}, "two");
    ASSERT_EQ(RebuildTypes(rec, kDefaults, {"one", "two"}, 7), RebuildTypesResult::Ok);
    EXPECT_STREQ(rec.maintype, "one");
    ASSERT_EQ(RebuildTypes(rec, kDefaults, {"one", "two"}, -1), RebuildTypesResult::Ok);
    EXPECT_STREQ(rec.maintype, "one");
}

TEST(RebuildTypes, TenTypesFromARecordWithNone)
{
    ParticleSystem rec = MakeDefaults();
    rec.typeCount = 0;
    std::vector<std::string> names;
    for (int i = 0; i < 10; ++i)
        names.push_back("t" + std::to_string(i));
    ASSERT_EQ(RebuildTypes(rec, kDefaults, names, 9), RebuildTypesResult::Ok);
    EXPECT_EQ(rec.typeCount, 10);
    EXPECT_STREQ(rec.maintype, "t9");
    for (int k = 0; k < 10; ++k) {
        EXPECT_TRUE(SameBody(rec.types[k], kDefaults.types[k])) << k;
        EXPECT_EQ(rec.types[k].name, names[k]);
    }
}

TEST(FindMainTypeIndex, ExactMatchLastOfSeveralElseZero)
{
    ParticleSystem rec = MakeDocument({"a", "smoke", "b", "smoke"}, "smoke");
    EXPECT_EQ(FindMainTypeIndex(rec), 3);
    SetText(rec.maintype, "SMOKE");
    EXPECT_EQ(FindMainTypeIndex(rec), 0);
    SetText(rec.maintype, "b");
    EXPECT_EQ(FindMainTypeIndex(rec), 2);
    // Only used entries count.
    rec.typeCount = 2;
    EXPECT_EQ(FindMainTypeIndex(rec), 0);
}

TEST(UsedTypeNames, UsedEntriesInOrderWithBadCountsClamped)
{
    ParticleSystem rec = MakeDocument({"x", "y"}, "x");
    EXPECT_EQ(UsedTypeNames(rec), (std::vector<std::string>{"x", "y"}));
    rec.typeCount = -3;
    EXPECT_TRUE(UsedTypeNames(rec).empty());
    rec.typeCount = 99;
    EXPECT_EQ(UsedTypeNames(rec).size(), 10u);
    // A name that fills all 256 bytes without a NUL stays inside its field.
    std::memset(rec.types[0].name, 'q', kParticleTextSize);
    EXPECT_EQ(UsedTypeNames(rec)[0], std::string(256, 'q'));
}

void SetRef(ParamText &p, const char *text)
{
    std::memset(p.text, 0, sizeof p.text);
    std::strcpy(p.text, text);
    p.present = 1;
}

TEST(RenameType, CarriesTheMainTypeAndEveryReference)
{
    ParticleSystem rec = MakeDocument({"Fire", "smoke", "spark"}, "Fire");
    SetRef(rec.types[0].spraytype, "spark");
    SetRef(rec.types[1].overlaytype, "FIRE");  // the renderer finds it ignoring case
    SetRef(rec.types[2].overlaytype, "smoke");
    const ParticleSystem before = rec;
    ASSERT_TRUE(RenameType(rec, 0, "flame"));
    EXPECT_STREQ(rec.types[0].name, "flame");
    EXPECT_STREQ(rec.maintype, "flame");
    EXPECT_STREQ(rec.types[1].overlaytype.text, "flame");
    EXPECT_STREQ(rec.types[0].spraytype.text, "spark");
    EXPECT_STREQ(rec.types[2].overlaytype.text, "smoke");
    // Settings stay: only names moved.
    EXPECT_EQ(rec.types[0].gravity.min, before.types[0].gravity.min);
    EXPECT_EQ(std::memcmp(&rec.types[0].sprite, &before.types[0].sprite, sizeof(ParamText)), 0);

    ASSERT_TRUE(RenameType(rec, 2, "ember"));
    EXPECT_STREQ(rec.types[0].spraytype.text, "ember");
}

TEST(RenameType, WithTwoTypesOfOneNameOnlyExactReferencesFollow)
{
    ParticleSystem rec = MakeDocument({"fire", "FIRE"}, "fire");
    SetRef(rec.types[0].overlaytype, "FIRE");
    ASSERT_TRUE(RenameType(rec, 0, "flame"));
    EXPECT_STREQ(rec.maintype, "flame");
    EXPECT_STREQ(rec.types[0].overlaytype.text, "FIRE");
}

TEST(RenameType, RefusesWhatTheRecordOrTheScriptCannotHold)
{
    ParticleSystem rec = MakeDocument({"one", "two"}, "one");
    const ParticleSystem before = rec;
    EXPECT_FALSE(RenameType(rec, 0, std::string(256, 'x')));
    EXPECT_FALSE(RenameType(rec, 0, "say \"hi\""));
    EXPECT_FALSE(RenameType(rec, 2, "three"));  // not a used entry
    EXPECT_FALSE(RenameType(rec, -1, "three"));
    EXPECT_EQ(std::memcmp(&rec, &before, sizeof rec), 0);
    EXPECT_EQ(CheckTypeName(std::string(255, 'x')), TypeNameProblem::None);
    EXPECT_EQ(CheckTypeName(std::string(256, 'x')), TypeNameProblem::TooLong);
    EXPECT_EQ(CheckTypeName("a\"b"), TypeNameProblem::DoubleQuote);
}

}  // namespace
