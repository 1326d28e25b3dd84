#include <gtest/gtest.h>

#include <cstring>

#include "ParticleSystem.h"

TEST(ParticleRecord, SingleValueRuleUsesTenThousandth)
{
    ParamRange range{};
    range.min = 2.0;
    range.max = 2.00005;
    EXPECT_TRUE(IsSingleValue(range));
    range.max = 2.0002;
    EXPECT_FALSE(IsSingleValue(range));
    range.min = 2.00025;  // reversed bounds are compared by distance
    EXPECT_TRUE(IsSingleValue(range));
}

TEST(ParticleRecord, UsedTypeCountNeverLeavesTheRecord)
{
    ParticleSystem record{};
    record.typeCount = -4;
    EXPECT_EQ(UsedTypeCount(record), 0);
    record.typeCount = 7;
    EXPECT_EQ(UsedTypeCount(record), 7);
    record.typeCount = 11;
    EXPECT_EQ(UsedTypeCount(record), kMaxParticleTypes);
}

TEST(ParticleRecord, EntriesAreContiguousAtTheirOffsets)
{
    static ParticleSystem record;
    const auto *base = reinterpret_cast<const char *>(&record);
    for (int k = 0; k < kMaxParticleTypes; ++k)
        EXPECT_EQ(reinterpret_cast<const char *>(&record.types[k]) - base, 280 + 3192 * k);
    EXPECT_EQ(reinterpret_cast<const char *>(&record.types[3].offset) - base, 280 + 3192 * 3 + 1840);
}
