// The plug-in's exports and module state. Every export is called on the
// host's user-interface thread, except R_PrepareDevice, which a host may call
// on a thread of its own while it calls nothing else; none throws.
#include <GL/gl.h>

#include <cstring>
#include <ctime>

#include "AdditionalInfo.h"
#include "Camera.h"
#include "DevicePreparation.h"
#include "FrameTimer.h"
#include "GLDevice.h"
#include "ParticleSim.h"
#include "Playback.h"
#include "RendererApi.h"
#include "RendererMessages.h"
#include "SceneDraw.h"
#include "SpriteBridge.h"

namespace {

struct RendererState {
    gx::GLDevice device;
    int32_t width, height;
    double nearPlane = 1.0;
    double background[3] = {0.5, 0.5, 0.5};
    double ground[3] = {0.33, 0.33, 0.33};
    double text[3] = {1.0, 1.0, 1.0};
    bool waitSync;
    int32_t textShadow;
    double textScale;  // the desktop's scale for the overlay text; 0 or 1: none
    int32_t showGround;
    gx::Camera camera;
    gx::FrameTimer timer;
    gx::Playback playback;
    gx::SimState sim;
    bool initialised;
};

RendererState g_state;

uint64_t MonotonicNanoseconds()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000000u + static_cast<uint64_t>(ts.tv_nsec);
}

uint64_t CounterFrequency()
{
    return 1000000000u;
}

uint32_t TickCount()
{
    return static_cast<uint32_t>(MonotonicNanoseconds() / 1000000u);
}

const gx::CounterSource kCounter = {CounterFrequency, MonotonicNanoseconds};

// Unloading (or leaving the process) frees the pool, the type links with their
// sprites, the archives and the device. The guard is made after the sprite
// loader exists, so it is destroyed before the loader: static objects go in
// the reverse order of their making, at dlclose as at exit.
struct UnloadGuard {
    ~UnloadGuard()
    {
        if (gx::IsDeviceOpen(g_state.device))
            gx::ReleaseSprites(g_state.sim);  // textures need the context
        gx::CloseGLDevice(g_state.device);
        gx::DestroySimState(g_state.sim);
        g_state.initialised = false;
        gx::ShutdownSprites();
    }
};

void EnsureUnloadCleanup()
{
    const char *none[1];
    gx::ArchivePaths(none, 0);  // brings the sprite loader into being first
    static UnloadGuard guard;
}

}  // namespace

extern "C" {

int32_t R_GetRendererName(char *buffer)
{
    if (buffer)
        std::strcpy(buffer, "OpenGL Renderer");
    return 1;
}

int32_t R_IsSupported(void)
{
    return 1;
}

void R_ResizeDevice(int32_t width, int32_t height)
{
    g_state.width = width;
    g_state.height = height;
    if (!gx::IsDeviceOpen(g_state.device))
        return;
    gx::ResizeDeviceWindow(g_state.device, width, height);
    gx::SetProjection(width, height, g_state.nearPlane);
}

void R_UpdateDevice(void)
{
    if (!gx::IsDeviceOpen(g_state.device))
        return;
    RendererState &s = g_state;
    gx::AdvanceFrame(s.timer, kCounter, ShowRendererMessage);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gx::ApplyCameraTransform(s.camera);
    if (s.showGround)
        gx::DrawGround(s.ground);
    // A paused effect draws the same particles again: nothing steps, nothing
    // draws a random number, so frames without camera moves are identical.
    double effectTime = 0.0;
    const bool advance = gx::TakeEffectTime(s.playback, s.timer.frameTime, effectTime);
    if (s.initialised) {
        const bool ran = advance ? gx::FrameStep(s.sim, static_cast<float>(effectTime))
                                 : s.sim.record != nullptr && s.sim.pool != nullptr;
        if (ran)
            gx::DrawParticles(s.sim, s.camera);
    }

    gx::OverlayText overlay{};
    overlay.fpsText = s.timer.fpsText;
    overlay.sim = s.initialised ? &s.sim : nullptr;
    overlay.colour = s.text;
    overlay.shadow = s.textShadow != 0;
    overlay.font = {&s.device.font, &s.device.glyphAtlas, s.device.glyphTexture};
    overlay.effectTime = s.initialised ? s.sim.effectTime : 0.0;
    overlay.speed = s.playback.speed;
    overlay.width = s.width;
    overlay.height = s.height;
    overlay.textScale = s.textScale;
    gx::DrawOverlay(overlay);

    if (s.waitSync)
        glFinish();
    else
        glFlush();
    gx::SwapDeviceBuffers(s.device);
    gx::UpdateFrameStats(s.timer);
}

void R_CloseDevice(void)
{
    gx::ReleaseSprites(g_state.sim);
    gx::CloseGLDevice(g_state.device);
}

int32_t R_OpenDevice(uintptr_t window)
{
    EnsureUnloadCleanup();
    if (gx::IsDeviceOpen(g_state.device))
        R_CloseDevice();
    if (!gx::OpenGLDevice(g_state.device, window))
        return 0;
    // The host sets the options after opening; until then the stored colour holds.
    glClearColor(static_cast<float>(g_state.background[0]), static_cast<float>(g_state.background[1]),
                 static_cast<float>(g_state.background[2]), 0.0f);
    if (g_state.width > 0 && g_state.height > 0)
        gx::SetProjection(g_state.width, g_state.height, g_state.nearPlane);
    gx::ResetCamera(g_state.camera);
    return 1;
}

void R_Initialize(void)
{
    if (g_state.initialised)
        return;
    EnsureUnloadCleanup();
    gx::SetGameDirectories("", "");
    g_state.showGround = 1;
    gx::CreateSimState(g_state.sim, gx::SpriteLoaderHooks(), ShowRendererMessage, TickCount);
    g_state.initialised = true;
}

void R_InputEvent(int32_t code)
{
    gx::PointerState pointer{};
    if (gx::InputNeedsPointer(code))
        gx::QueryDevicePointer(g_state.device, pointer.x, pointer.y, pointer.shift, pointer.ctrl);
    gx::CameraInput(g_state.camera, code, static_cast<float>(g_state.timer.frameTime), pointer);
}

void R_SetShowGround(int32_t show)
{
    g_state.showGround = show;
}

void R_SetGamedir(const char *baseDir, const char *additionalDir)
{
    gx::SetGameDirectories(baseDir, additionalDir);
}

void R_SetDeviceOptions(const double background[3], const double ground[3], const double text[3],
                        int32_t waitSync, int32_t textShadow)
{
    if (background)
        std::memcpy(g_state.background, background, sizeof g_state.background);
    if (ground)
        std::memcpy(g_state.ground, ground, sizeof g_state.ground);
    if (text)
        std::memcpy(g_state.text, text, sizeof g_state.text);
    g_state.waitSync = waitSync > 0;
    g_state.textShadow = textShadow;
    if (gx::IsDeviceOpen(g_state.device))
        glClearColor(static_cast<float>(g_state.background[0]), static_cast<float>(g_state.background[1]),
                     static_cast<float>(g_state.background[2]), 0.0f);
}

void R_UpdateParticles(const ParticleSystem *record)
{
    if (g_state.initialised)
        gx::UpdateParticles(g_state.sim, record);
}

void R_ReallocParticles(void)
{
    if (g_state.initialised)
        gx::ReallocParticles(g_state.sim);
}

void R_UpdateTypes(void)
{
    if (g_state.initialised)
        gx::UpdateTypes(g_state.sim);
}

void R_RelinkTypes(void)
{
    if (g_state.initialised)
        gx::RelinkTypes(g_state.sim);
}

void R_UpdateRendermode(void)
{
    if (g_state.initialised)
        gx::UpdateRendermode(g_state.sim);
}

void R_UpdateTextures(void)
{
    if (g_state.initialised)
        gx::UpdateTextures(g_state.sim);
}

void R_GetAdditionalInfo(char *buffer)
{
    if (!buffer)
        return;
    const bool open = gx::IsDeviceOpen(g_state.device);
    auto glText = [open](GLenum name) {
        const GLubyte *value = open ? glGetString(name) : nullptr;
        return value ? reinterpret_cast<const char *>(value) : "";
    };
    const char *paths[gx::kMaxArchivePaths];
    const int count = gx::ArchivePaths(paths, gx::kMaxArchivePaths);
    gx::BuildAdditionalInfo(buffer, kRendererInfoBufferSize, glText(GL_VENDOR), glText(GL_RENDERER),
                            glText(GL_VERSION), paths, count);
}

// ---- optional exports: playback and camera

void R_SetPlayback(int32_t paused, double speed)
{
    gx::SetPlayback(g_state.playback, paused, speed);
}

void R_StepFrame(void)
{
    gx::RequestStep(g_state.playback);
}

void R_RestartEffect(void)
{
    if (g_state.initialised)
        gx::RestartEffect(g_state.sim);
}

void R_ResetCamera(void)
{
    gx::ResetCamera(g_state.camera);
}

void R_FrameEffect(void)
{
    if (g_state.initialised)
        gx::FrameParticles(g_state.camera, g_state.sim, g_state.width, g_state.height);
}

void R_SetTextScale(double scale)
{
    g_state.textScale = scale >= 1.0 && scale <= 8.0 ? scale : 1.0;
}

void R_PrepareDevice(void)
{
    if (!gx::IsDeviceOpen(g_state.device))
        gx::PrepareConnection();
}

}  // extern "C"
