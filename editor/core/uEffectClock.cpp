#include "uEffectClock.h"

#include <cmath>
#include <cstdio>

void ClockFrame(TEffectClock &clock, double elapsed)
{
    if (!(elapsed > 0.0) || !std::isfinite(elapsed))
        elapsed = 0.0;
    if (!clock.paused) {
        clock.seconds += elapsed * clock.speed;
    } else if (clock.stepPending) {
        clock.seconds += kEditorStepSeconds * clock.speed;
        clock.stepPending = false;
    }
}

void ClockStep(TEffectClock &clock)
{
    if (clock.paused)
        clock.stepPending = true;
}

void ClockRestart(TEffectClock &clock)
{
    clock.seconds = 0.0;
    clock.stepPending = false;
}

int FrameIntervalMs(double secondsSinceLoad)
{
    const bool quick = secondsSinceLoad >= 0.0 && secondsSinceLoad < kQuickFramesSeconds;
    return quick ? kQuickFrameIntervalMs : kFrameIntervalMs;
}

void ClockPlayback(TEffectClock &clock, bool paused, double speed)
{
    clock.paused = paused;
    if (!paused)
        clock.stepPending = false;
    if (std::isnan(speed))
        return;
    clock.speed = speed < 0.01 ? 0.01 : speed > 100.0 ? 100.0 : speed;
}

std::string SpeedText(double speed)
{
    char text[32];
    std::snprintf(text, sizeof text, "%gx", speed);
    return text;
}

std::string EffectStatusText(const TEffectClock &clock)
{
    char text[96];
    std::snprintf(text, sizeof text, "Time: %.2f s   Speed: %s%s", clock.seconds,
                  SpeedText(clock.speed).c_str(), clock.paused ? " (paused)" : "");
    return text;
}
