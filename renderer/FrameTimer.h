// The frame clock: a high-resolution counter reduced to at most 2 MHz and 32
// bits, read into a running time in seconds, plus the frame-rate statistics.
// The counter is handed in, so the maths runs without a clock.
#pragma once

#include <cstdint>

namespace gx {

struct CounterSource {
    uint64_t (*frequency)();  // ticks per second; 0: no counter
    uint64_t (*counter)();
};

struct FrameTimer {
    bool started;
    bool available;
    bool haveCount;
    int shift;
    double tickLength;
    uint32_t previousCount;
    double currentTime;
    double lastAdvanceTime;
    uint32_t identicalReads;

    double now;          // time of the latest frame
    double previousNow;  // time of the frame before
    double frameTime;
    double lastReport;
    double accumulated;
    int32_t frames;
    char fpsText[32];
};

// Smallest shift that brings the frequency to 32 bits and at most 2,000,000.
int FrameTimerShift(uint64_t frequency);

// Starts the timer on first use; false when there is no counter ("No hardware
// timer available" is sent to message once).
bool StartFrameTimer(FrameTimer &timer, const CounterSource &source, void (*message)(const char *));
double ReadFrameTimer(FrameTimer &timer, uint64_t rawCount);

// One frame: starts the timer lazily, sets now and frameTime.
void AdvanceFrame(FrameTimer &timer, const CounterSource &source, void (*message)(const char *));
// After the buffer swap: folds the frame into the statistics and the fps text.
void UpdateFrameStats(FrameTimer &timer);

}  // namespace gx
