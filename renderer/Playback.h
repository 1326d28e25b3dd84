// The effect's clock as the host controls it: paused or running, at a speed,
// with single steps while paused. Plain logic: the frame's measured time is
// handed in and the simulation time for the frame comes out.
#pragma once

#include <cstdint>

namespace gx {

inline constexpr double kMinPlaybackSpeed = 0.01;
inline constexpr double kMaxPlaybackSpeed = 100.0;
inline constexpr double kStepSeconds = 1.0 / 60.0;  // one frame of a single step, at speed 1

struct Playback {
    bool paused = false;
    double speed = 1.0;
    bool stepPending = false;
};

// Speed clamped to 0.01..100; a speed that is not a number keeps the old one.
void SetPlayback(Playback &playback, int32_t paused, double speed);

// While paused, the next frame advances by one step; while running, nothing to do.
void RequestStep(Playback &playback);

// How far the effect moves in a frame of frameTime seconds: frameTime × speed
// while running, one step × speed when a step is pending (taken by this call),
// else nothing. False when the effect stands still this frame.
bool TakeEffectTime(Playback &playback, double frameTime, double &effectTime);

// "0.25x", "1x", "4x": the speed as the overlay and the host show it.
void FormatSpeed(double speed, char *buffer, int size);

}  // namespace gx
