// The frame clock, fed a counter of our own instead of the system clock.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FrameTimer.h"

using namespace gx;

namespace {

uint64_t g_frequency = 0;
uint64_t g_counter = 0;
uint64_t Frequency()
{
    return g_frequency;
}
uint64_t Counter()
{
    return g_counter;
}
const CounterSource kSource = {Frequency, Counter};

std::vector<std::string> g_messages;
void Collect(const char *text)
{
    g_messages.emplace_back(text);
}

FrameTimer StartedTimer(uint64_t frequency, uint64_t firstCount)
{
    g_frequency = frequency;
    g_counter = firstCount;
    FrameTimer timer{};
    EXPECT_TRUE(StartFrameTimer(timer, kSource, Collect));
    return timer;
}

}  // namespace

TEST(FrameTimer, ShiftBringsTheFrequencyToAtMostTwoMegahertz)
{
    EXPECT_EQ(FrameTimerShift(10000000), 3);
    EXPECT_EQ(FrameTimerShift(3579545), 1);
    EXPECT_EQ(FrameTimerShift(1193182), 0);
    EXPECT_EQ(FrameTimerShift(2000000), 0);
    EXPECT_EQ(FrameTimerShift(2000001), 1);
    EXPECT_EQ(FrameTimerShift(1000000000), 9);
    EXPECT_EQ(FrameTimerShift(uint64_t(1) << 40), 20);
}

TEST(FrameTimer, ReadsAdvanceIgnoreSmallStepsBackAndSurviveWraps)
{
    FrameTimer timer = StartedTimer(1000000, 5000);
    EXPECT_EQ(timer.currentTime, 0.0);
    EXPECT_DOUBLE_EQ(ReadFrameTimer(timer, 6000), 0.001);
    EXPECT_DOUBLE_EQ(ReadFrameTimer(timer, 5990), 0.001);  // a step back is ignored...
    EXPECT_DOUBLE_EQ(ReadFrameTimer(timer, 6990), 0.002);  // ...and counts from there

    // The reduced count wraps at 32 bits and still advances.
    timer = StartedTimer(1000000, 0xFFFFFF00u);
    EXPECT_DOUBLE_EQ(ReadFrameTimer(timer, (uint64_t(1) << 32) + 0x100u), 0x200 * 1e-6);
    // A large step back counts as a wrap.
    timer = StartedTimer(1000000, 0x20000000u);
    EXPECT_DOUBLE_EQ(ReadFrameTimer(timer, 0), 0xE0000000u * 1e-6);

    // With shift 3 the counter is read in eighths.
    timer = StartedTimer(10000000, 80);
    EXPECT_DOUBLE_EQ(ReadFrameTimer(timer, 80 + 8 * 1250000), 1.0);
}

TEST(FrameTimer, StalledTimeJumpsAfterManyIdenticalReads)
{
    FrameTimer timer = StartedTimer(1000000, 0);
    // At 1e12 s a microsecond no longer changes the time.
    timer.currentTime = 1e12;
    timer.lastAdvanceTime = 1e12;
    uint64_t count = 0;
    for (int i = 0; i < 100000; ++i)
        ASSERT_EQ(ReadFrameTimer(timer, ++count), 1e12);
    EXPECT_EQ(ReadFrameTimer(timer, ++count), 1e12 + 1.0);
    EXPECT_EQ(ReadFrameTimer(timer, ++count), 1e12 + 1.0);  // the count starts again
}

TEST(FrameTimer, FpsTextAppearsAfterTheFirstFullSecond)
{
    g_frequency = 1 << 20;  // exact binary ticks keep the sums exact
    g_counter = 7;
    FrameTimer timer{};
    std::vector<std::string> texts;
    for (int frame = 0; frame <= 66; ++frame) {
        AdvanceFrame(timer, kSource, Collect);
        EXPECT_DOUBLE_EQ(timer.now, frame / 32.0);
        if (frame > 0) {
            EXPECT_DOUBLE_EQ(timer.frameTime, 1 / 32.0);
        }
        UpdateFrameStats(timer);
        texts.emplace_back(timer.fpsText);
        g_counter += 1 << 15;
    }
    EXPECT_EQ(texts[32], "");
    EXPECT_EQ(texts[33], "FPS: 33.00");  // frames 0..32 over 32/32 s
    EXPECT_EQ(texts[65], "FPS: 33.00");
    EXPECT_EQ(texts[66], "FPS: 32.00");
}

TEST(FrameTimer, WithoutACounterFramesTakeTenMilliseconds)
{
    g_messages.clear();
    g_frequency = 0;
    FrameTimer timer{};
    for (int i = 0; i < 500; ++i) {
        AdvanceFrame(timer, kSource, Collect);
        ASSERT_EQ(timer.frameTime, 0.01);
        ASSERT_EQ(timer.now, 0.0);
        UpdateFrameStats(timer);
    }
    EXPECT_STREQ(timer.fpsText, "");
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0], "No hardware timer available");
}
