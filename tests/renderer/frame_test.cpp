// Frame clock, camera input and the information text, without GL or a clock.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "AdditionalInfo.h"
#include "Camera.h"
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

namespace {
Camera LookingAlongX()
{
    Camera c;
    ResetCamera(c);
    c.right = {0.0f, -1.0f, 0.0f};
    c.up = {0.0f, 0.0f, 1.0f};
    c.forward = {1.0f, 0.0f, 0.0f};
    return c;
}
const PointerState kNoPointer{};
}  // namespace

TEST(Camera, KeysMoveAndTurnByFrameTime)
{
    Camera c = LookingAlongX();
    EXPECT_EQ(c.origin.x, -100.0f);
    EXPECT_EQ(c.origin.z, 60.0f);
    EXPECT_EQ(c.pitch, 10.0f);

    CameraInput(c, kInputMoveForward, 0.05f, kNoPointer);
    EXPECT_FLOAT_EQ(c.origin.x, -80.0f);
    CameraInput(c, kInputMoveBack, 0.1f, kNoPointer);
    EXPECT_FLOAT_EQ(c.origin.x, -120.0f);
    CameraInput(c, kInputMoveLeft, 0.05f, kNoPointer);
    EXPECT_FLOAT_EQ(c.origin.y, 20.0f);
    CameraInput(c, kInputMoveRight, 0.1f, kNoPointer);
    EXPECT_FLOAT_EQ(c.origin.y, -20.0f);

    CameraInput(c, kInputLookUp, 1.0f, kNoPointer);
    EXPECT_EQ(c.pitch, -90.0f);
    CameraInput(c, kInputLookDown, 1.0f, kNoPointer);
    EXPECT_EQ(c.pitch, 90.0f);

    c.yaw = 359.9f;
    CameraInput(c, kInputTurnLeft, 0.05f, kNoPointer);
    EXPECT_NEAR(c.yaw, 19.9f, 1e-4f);
    c.yaw = 800.0f;  // reachable by dragging: only one 360 comes off
    CameraInput(c, kInputTurnLeft, 0.05f, kNoPointer);
    EXPECT_FLOAT_EQ(c.yaw, 460.0f);
    c.yaw = 10.0f;
    CameraInput(c, kInputTurnRight, 0.05f, kNoPointer);
    EXPECT_FLOAT_EQ(c.yaw, 350.0f);

    const Camera before = c;
    for (int code = kInputMoveForward; code <= kInputTurnRight; ++code)
        CameraInput(c, code, 0.0f, kNoPointer);
    for (int code : {0, 14, -1, 1000})
        CameraInput(c, code, 1.0f, kNoPointer);
    EXPECT_EQ(std::memcmp(&before, &c, sizeof c), 0);
}

TEST(Camera, DragsFollowTheModifiers)
{
    Camera c = LookingAlongX();
    CameraInput(c, kInputLeftButtonDown, 0.0f, PointerState{100, 100, false, false});
    CameraInput(c, kInputPointerMove, 0.0f, PointerState{130, 90, false, false});
    EXPECT_EQ(c.sceneSpin, -30.0f);
    CameraInput(c, kInputPointerMove, 0.0f, PointerState{130, 90, false, true});
    EXPECT_EQ(c.pitch, 0.0f);
    EXPECT_EQ(c.yaw, -30.0f);  // drags neither wrap nor clamp
    CameraInput(c, kInputPointerMove, 0.0f, PointerState{130, 90, true, true});  // Shift wins
    EXPECT_EQ(c.origin.y, 30.0f);
    EXPECT_EQ(c.origin.z, 50.0f);
    CameraInput(c, kInputPointerMove, 0.0f, PointerState{100, -200, false, true});
    EXPECT_EQ(c.pitch, -290.0f);

    // The left drag takes precedence while both buttons are down.
    CameraInput(c, kInputRightButtonDown, 0.0f, PointerState{0, 0, false, false});
    CameraInput(c, kInputPointerMove, 0.0f, PointerState{0, 20, false, false});
    EXPECT_EQ(c.origin.x, -100.0f);
    EXPECT_EQ(c.sceneSpin, -0.0f);
    CameraInput(c, kInputLeftButtonUp, 0.0f, kNoPointer);
    CameraInput(c, kInputPointerMove, 0.0f, PointerState{0, 20, false, false});
    EXPECT_EQ(c.origin.x, -120.0f);
    CameraInput(c, kInputRightButtonUp, 0.0f, kNoPointer);
    CameraInput(c, kInputPointerMove, 0.0f, PointerState{0, 50, false, false});
    EXPECT_EQ(c.origin.x, -120.0f);
}

TEST(AdditionalInfo, ListsArchivesAndCutsAtALineEnd)
{
    char buffer[512];
    BuildAdditionalInfo(buffer, sizeof buffer, "V", "R", "1.1", nullptr, 0);
    EXPECT_STREQ(buffer, "GL_VENDOR:  V\nGL_RENDERER:  R\nGL_VERSION:  1.1\n\nLoaded packages:\n");

    const char *two[] = {"/games/id1/pak0.pak", "/games/mod/pak0.pak"};
    BuildAdditionalInfo(buffer, sizeof buffer, "V", "R", "1.1", two, 2);
    EXPECT_TRUE(std::string(buffer).ends_with(
        "Loaded packages:\n/games/id1/pak0.pak\n/games/mod/pak0.pak\n"));

    std::vector<std::string> paths;
    std::vector<const char *> pointers;
    for (int i = 0; i < 40; ++i)
        paths.push_back("/a/rather/long/game/directory/number/" + std::to_string(i) + "/pak.pak");
    for (const std::string &p : paths)
        pointers.push_back(p.c_str());
    std::memset(buffer, 'x', sizeof buffer);
    BuildAdditionalInfo(buffer, sizeof buffer, "V", "R", "1.1", pointers.data(), 40);
    const std::string text(buffer, strnlen(buffer, sizeof buffer));
    ASSERT_LT(text.size(), sizeof buffer);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_NE(text.find(paths[0] + "\n"), std::string::npos);
    // Every listed path is whole.
    size_t lines = 0;
    for (const std::string &p : paths)
        lines += text.find(p + "\n") != std::string::npos;
    EXPECT_GT(lines, 5u);
    EXPECT_LT(lines, 40u);
    EXPECT_EQ(text.find(paths[lines]), std::string::npos);

    char tiny[1] = {'x'};
    BuildAdditionalInfo(tiny, 1, "V", "R", "1.1", nullptr, 0);
    EXPECT_EQ(tiny[0], '\0');
}
