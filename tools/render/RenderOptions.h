// The headless renderer's command line: what to render and where to, checked
// before anything is opened. Plain logic, so it is tested and fuzzed alone.
#pragma once

#include <cstdint>
#include <string>

enum class OutputKind {
    Frames,  // one PNG per frame: the name holds a number field such as %04d
    Gif,     // an animated GIF
    Sheet,   // one PNG with every frame in a grid
    Sprite,  // a version 2 sprite: one group frame with intervals
};

struct RenderOptions {
    std::string script;
    std::string output;
    OutputKind kind = OutputKind::Gif;
    std::string gameDir;
    std::string additionalDir;
    int width = 256;
    int height = 256;
    int frames = 60;
    double stepMs = 1000.0 / 60.0;
    uint32_t seed = 1;
    bool frameEffect = false;
    bool ground = true;
    bool backgroundGiven = false;
    uint8_t background[3] = {128, 128, 128};
    bool quiet = false;
    bool help = false;
};

inline constexpr int kMaxRenderSide = 8192;
inline constexpr int kMaxRenderFrames = 100000;
inline constexpr double kMaxStepMs = 60000.0;

// Reads argv[1..argc-1]. False with a message in error for anything wrong;
// --help alone is enough to succeed (help set).
bool ParseRenderOptions(int argc, const char *const *argv, RenderOptions &options, std::string &error);

// The kind an output name asks for; false (with error) when none fits.
bool OutputKindForName(const std::string &name, OutputKind &kind, std::string &error);

// The name of frame index (from 1) for a frame pattern: its one %d, %Nd or
// %0Nd field (width up to 9) replaced by the number, %% by a percent sign.
// False for a name with no number field, two of them or another % use.
bool FrameFileName(const std::string &pattern, int index, std::string &name);

const char *RenderUsage();
