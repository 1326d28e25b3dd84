#include "Playback.h"

#include <cmath>
#include <cstdio>

namespace gx {

void SetPlayback(Playback &playback, int32_t paused, double speed)
{
    playback.paused = paused != 0;
    if (!playback.paused)
        playback.stepPending = false;
    if (std::isnan(speed))
        return;
    if (speed < kMinPlaybackSpeed)
        speed = kMinPlaybackSpeed;
    if (speed > kMaxPlaybackSpeed)
        speed = kMaxPlaybackSpeed;
    playback.speed = speed;
}

void RequestStep(Playback &playback)
{
    if (playback.paused)
        playback.stepPending = true;
}

bool TakeEffectTime(Playback &playback, double frameTime, double &effectTime)
{
    if (!playback.paused) {
        effectTime = frameTime * playback.speed;
        return true;
    }
    effectTime = 0.0;
    if (!playback.stepPending)
        return false;
    playback.stepPending = false;
    effectTime = kStepSeconds * playback.speed;
    return true;
}

void FormatSpeed(double speed, char *buffer, int size)
{
    if (buffer == nullptr || size <= 0)
        return;
    std::snprintf(buffer, static_cast<size_t>(size), "%gx", speed);
}

}  // namespace gx
