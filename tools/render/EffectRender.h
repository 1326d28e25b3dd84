// Rendering a particle record frame by frame without a display: the
// renderer's own simulation and scene drawing in an offscreen context, with a
// tick and frame time made from the frame number, so that a run repeats
// exactly.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ImageFiles.h"
#include "ParticleSystem.h"

struct EffectRenderSettings {
    int width = 256;
    int height = 256;
    int frames = 60;
    double stepMs = 1000.0 / 60.0;
    uint32_t seed = 1;
    bool frameEffect = false;
    bool ground = true;
    uint8_t background[3] = {128, 128, 128};
    std::string gameDir;
    std::string additionalDir;
};

// Receives each frame (index from 0) as it is finished.
using FrameSink = std::function<void(int index, const RgbaImage &frame)>;

// False with a message when no offscreen context could be had. Sprite and
// simulation problems go through the renderer's messages and the render goes on.
// rendererName, when given, receives the GL renderer's name.
bool RenderEffect(const ParticleSystem &record, const EffectRenderSettings &settings, const FrameSink &sink,
                  std::string &error, std::string *rendererName = nullptr);

// The millisecond tick of frame index: a fixed start plus the simulated time.
uint32_t FrameTick(int index, double stepMs);
