#include "FrameTimer.h"

#include <cstdio>

namespace gx {

namespace {
constexpr uint32_t kBackwardTolerance = 0x10000000u;
constexpr uint32_t kStallReads = 100000u;
}  // namespace

int FrameTimerShift(uint64_t frequency)
{
    int shift = 0;
    while (shift < 63 && (((frequency >> shift) >> 32) != 0 || (frequency >> shift) > 2000000u))
        ++shift;
    return shift;
}

bool StartFrameTimer(FrameTimer &timer, const CounterSource &source, void (*message)(const char *))
{
    if (timer.started)
        return timer.available;
    timer.started = true;
    const uint64_t frequency = source.frequency ? source.frequency() : 0;
    if (frequency == 0 || !source.counter) {
        timer.available = false;
        if (message)
            message("No hardware timer available");
        return false;
    }
    timer.available = true;
    timer.shift = FrameTimerShift(frequency);
    timer.tickLength = 1.0 / static_cast<double>(frequency >> timer.shift);
    timer.haveCount = false;
    ReadFrameTimer(timer, source.counter());  // only records the first count
    timer.currentTime = 0.0;
    timer.lastAdvanceTime = 0.0;
    timer.identicalReads = 0;
    return true;
}

double ReadFrameTimer(FrameTimer &timer, uint64_t rawCount)
{
    const uint32_t count = static_cast<uint32_t>(rawCount >> timer.shift);
    if (!timer.haveCount) {
        timer.haveCount = true;
        timer.previousCount = count;
        return timer.currentTime;
    }
    if (count <= timer.previousCount && timer.previousCount - count < kBackwardTolerance) {
        timer.previousCount = count;
        return timer.currentTime;
    }
    // Unsigned difference: a wrap of the 32-bit count still advances.
    timer.currentTime += static_cast<double>(count - timer.previousCount) * timer.tickLength;
    timer.previousCount = count;
    if (timer.currentTime == timer.lastAdvanceTime) {
        if (++timer.identicalReads > kStallReads) {
            timer.currentTime += 1.0;
            timer.identicalReads = 0;
        }
    } else {
        timer.identicalReads = 0;
    }
    timer.lastAdvanceTime = timer.currentTime;
    return timer.currentTime;
}

void AdvanceFrame(FrameTimer &timer, const CounterSource &source, void (*message)(const char *))
{
    if (!timer.started)
        StartFrameTimer(timer, source, message);
    if (timer.available) {
        timer.now = ReadFrameTimer(timer, source.counter());
        timer.frameTime = timer.now - timer.previousNow;
    } else {
        timer.now = 0.0;
        timer.frameTime = 0.01;
    }
}

void UpdateFrameStats(FrameTimer &timer)
{
    if (timer.now - timer.lastReport > 1.0) {
        if (timer.accumulated > 0.0)
            std::snprintf(timer.fpsText, sizeof timer.fpsText, "FPS: %3.2f",
                          timer.frames / timer.accumulated);
        timer.lastReport = timer.now;
        timer.accumulated = 0.0;
        timer.frames = 0;
    } else {
        timer.accumulated += timer.frameTime;
        ++timer.frames;
    }
    timer.previousNow = timer.now;
}

}  // namespace gx
