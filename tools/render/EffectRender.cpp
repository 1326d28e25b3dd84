#include "EffectRender.h"

#include <GL/gl.h>

#include <cmath>

#include "Camera.h"
#include "EffectFraming.h"
#include "OffscreenContext.h"
#include "ParticleSim.h"
#include "RendererMessages.h"
#include "SceneDraw.h"
#include "SpriteBridge.h"

namespace {

// The simulation reads its tick through a plain function.
uint32_t g_tick;
uint32_t CurrentTick()
{
    return g_tick;
}

constexpr double kGround[3] = {0.33, 0.33, 0.33};

void StartSimulation(gx::SimState &sim, const ParticleSystem &record, uint32_t seed, gx::SpriteHooks hooks,
                     gx::MessageSink message)
{
    g_tick = FrameTick(0, 0.0);
    gx::CreateSimState(sim, hooks, message, CurrentTick);
    sim.randomState = seed;
    gx::UpdateParticles(sim, &record);
}

// The box the effect covers over the whole render, from a run of its own
// (same seed and ticks, nothing drawn, no sprites loaded).
gx::EffectBounds MeasureEffect(const ParticleSystem &record, const EffectRenderSettings &s)
{
    gx::EffectBounds bounds;
    static gx::SimState sim;
    StartSimulation(sim, record, s.seed, gx::SpriteHooks{nullptr, nullptr}, nullptr);
    const float frameTime = static_cast<float>(s.stepMs / 1000.0);
    for (int i = 0; i < s.frames; ++i) {
        g_tick = FrameTick(i, s.stepMs);
        if (gx::FrameStep(sim, frameTime))
            gx::AddLiveParticles(bounds, sim);
    }
    gx::DestroySimState(sim);
    return bounds;
}

}  // namespace

uint32_t FrameTick(int index, double stepMs)
{
    return 1000u + static_cast<uint32_t>(std::llround(index * stepMs));
}

bool RenderEffect(const ParticleSystem &record, const EffectRenderSettings &s, const FrameSink &sink,
                  std::string &error, std::string *rendererName)
{
    gx::Camera camera{};
    gx::ResetCamera(camera);
    if (s.frameEffect)
        gx::FrameBounds(camera, MeasureEffect(record, s), s.width, s.height);

    gx::OffscreenContext context;
    if (!context.Open(s.width, s.height, false, error))
        return false;
    if (rendererName)
        *rendererName = context.RendererName();
    gx::SetGameDirectories(s.gameDir.c_str(), s.additionalDir.c_str());
    gx::PrepareSceneState();
    glClearColor(s.background[0] / 255.0f, s.background[1] / 255.0f, s.background[2] / 255.0f, 1.0f);
    gx::SetProjection(s.width, s.height, 1.0);

    // The pool is large (a particle record of 32200 bytes points at it): static.
    static gx::SimState sim;
    StartSimulation(sim, record, s.seed, gx::SpriteLoaderHooks(), ShowRendererMessage);
    gx::UpdateTextures(sim);

    const float frameTime = static_cast<float>(s.stepMs / 1000.0);
    RgbaImage frame;
    frame.width = s.width;
    frame.height = s.height;
    for (int i = 0; i < s.frames; ++i) {
        g_tick = FrameTick(i, s.stepMs);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        gx::ApplyCameraTransform(camera);
        if (s.ground)
            gx::DrawGround(kGround);
        if (gx::FrameStep(sim, frameTime))
            gx::DrawParticles(sim, camera);
        context.ReadPixels(frame.pixels);
        // Every pixel is covered: the picture is opaque whatever blending left in alpha.
        for (size_t p = 3; p < frame.pixels.size(); p += 4)
            frame.pixels[p] = 255;
        sink(i, frame);
    }
    gx::ReleaseSprites(sim);  // the textures go with the context
    gx::DestroySimState(sim);
    gx::SetGameDirectories("", "");
    gx::ShutdownSprites();
    context.Close();
    return true;
}
