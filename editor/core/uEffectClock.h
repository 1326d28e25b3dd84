// The effect's time as the editor shows it in the status bar: it runs with
// the frames the editor asks for, scaled by the playback speed, stands still
// while paused except for single steps, and starts again whenever the
// renderer starts the effect again (a restart, a new record or new types).
// Plain logic: the elapsed time of each frame is handed in.
#pragma once

#include <string>

inline constexpr double kEditorStepSeconds = 1.0 / 60.0;

// The speeds the editor offers, slowest first; 1x is the default.
inline constexpr double kPlaybackSpeeds[] = {0.1, 0.25, 0.5, 1.0, 2.0, 4.0};
inline constexpr int kPlaybackSpeedCount = 6;
inline constexpr int kDefaultSpeedIndex = 3;

struct TEffectClock {
    double seconds = 0.0;
    bool paused = false;
    double speed = 1.0;
    bool stepPending = false;
};

// One frame of elapsed seconds (negative or not a number counts as none).
void ClockFrame(TEffectClock &clock, double elapsed);
// While paused, the next frame advances by one step.
void ClockStep(TEffectClock &clock);
void ClockRestart(TEffectClock &clock);
// Paused and speed as the renderer is told (speed clamped to 0.01..100).
void ClockPlayback(TEffectClock &clock, bool paused, double speed);

// The editor's frame interval in milliseconds, given the wall-clock seconds
// since an effect was loaded (negative: none loaded). A new effect usually
// shows nothing until its first spray, a fraction of a frame after the load:
// for a short while frames come quickly, so those particles appear when they
// exist instead of up to a whole frame later.
inline constexpr int kFrameIntervalMs = 16;
inline constexpr int kQuickFrameIntervalMs = 2;
inline constexpr double kQuickFramesSeconds = 0.1;
int FrameIntervalMs(double secondsSinceLoad);

// "0.25x"; "Time: 3.42 s   Speed: 0.25x" and " (paused)" while paused.
std::string SpeedText(double speed);
std::string EffectStatusText(const TEffectClock &clock);
