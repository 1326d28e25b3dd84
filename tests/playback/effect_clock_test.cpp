// The effect time the status bar shows: running, paused, stepped, restarted.
#include <gtest/gtest.h>

#include <cmath>

#include "uEffectClock.h"

TEST(EffectClock, RunsScaledStandsWhenPausedAndStepsOneFrame)
{
    TEffectClock c;
    ClockFrame(c, 0.5);
    EXPECT_DOUBLE_EQ(0.5, c.seconds);
    ClockPlayback(c, false, 0.25);
    ClockFrame(c, 0.4);
    EXPECT_DOUBLE_EQ(0.6, c.seconds);
    ClockFrame(c, -1.0);
    ClockFrame(c, NAN);
    EXPECT_DOUBLE_EQ(0.6, c.seconds);

    ClockStep(c);  // running: no step
    EXPECT_FALSE(c.stepPending);
    ClockPlayback(c, true, 2.0);
    ClockFrame(c, 5.0);
    EXPECT_DOUBLE_EQ(0.6, c.seconds);
    ClockStep(c);
    ClockFrame(c, 5.0);
    EXPECT_DOUBLE_EQ(0.6 + 2.0 / 60.0, c.seconds);
    ClockFrame(c, 5.0);
    EXPECT_DOUBLE_EQ(0.6 + 2.0 / 60.0, c.seconds);

    ClockStep(c);
    ClockRestart(c);  // a restart drops a step not yet taken
    ClockFrame(c, 1.0);
    EXPECT_EQ(0.0, c.seconds);

    ClockPlayback(c, false, 1000.0);
    EXPECT_EQ(100.0, c.speed);
    ClockPlayback(c, false, 0.0);
    EXPECT_EQ(0.01, c.speed);
    ClockPlayback(c, false, NAN);
    EXPECT_EQ(0.01, c.speed);
}

TEST(EffectClock, StatusTexts)
{
    TEffectClock c;
    c.seconds = 3.4213;
    c.speed = 0.25;
    EXPECT_EQ("Time: 3.42 s   Speed: 0.25x", EffectStatusText(c));
    c.paused = true;
    c.speed = 4.0;
    EXPECT_EQ("Time: 3.42 s   Speed: 4x (paused)", EffectStatusText(c));
    EXPECT_EQ("0.1x", SpeedText(kPlaybackSpeeds[0]));
    EXPECT_EQ(1.0, kPlaybackSpeeds[kDefaultSpeedIndex]);
}

TEST(EffectClock, FramesComeQuicklyJustAfterALoadOnly)
{
    EXPECT_EQ(kFrameIntervalMs, FrameIntervalMs(-1.0));  // nothing loaded
    EXPECT_EQ(kFrameIntervalMs, FrameIntervalMs(NAN));
    // An effect spraying 60 times a second has its first spray drawn within
    // a quick frame of it being due.
    EXPECT_EQ(kQuickFrameIntervalMs, FrameIntervalMs(0.0));
    EXPECT_EQ(kQuickFrameIntervalMs, FrameIntervalMs(1.0 / 60.0));
    EXPECT_LT(kQuickFrameIntervalMs * 4, kFrameIntervalMs);
    EXPECT_EQ(kFrameIntervalMs, FrameIntervalMs(kQuickFramesSeconds));
    EXPECT_EQ(kFrameIntervalMs, FrameIntervalMs(30.0));
}
