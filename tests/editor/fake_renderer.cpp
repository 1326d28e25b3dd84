// A renderer plug-in for the editor's tests: it draws nothing and writes down
// every call it receives, which the tests read through FakeRendererLog.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "RendererApi.h"

namespace {
std::string &Log()
{
    static std::string log;
    return log;
}

void Note(const char *format, ...) __attribute__((format(printf, 1, 2)));
void Note(const char *format, ...)
{
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    Log() += line;
    Log() += '\n';
}
}  // namespace

extern "C" {
// Test-only: the calls so far, one per line; and the last device options.
GX_EXPORT const char *FakeRendererLog(void)
{
    return Log().c_str();
}

GX_EXPORT void FakeRendererClear(void)
{
    Log().clear();
}

GX_EXPORT double FakeLastOptions[11];

GX_EXPORT int32_t R_GetRendererName(char *buffer)
{
    std::strcpy(buffer, FAKE_NAME);
    return 1;
}

GX_EXPORT int32_t R_IsSupported(void)
{
    return FAKE_SUPPORTED;
}

GX_EXPORT void R_ResizeDevice(int32_t width, int32_t height)
{
    Note("Resize %d %d", width, height);
}

GX_EXPORT void R_UpdateDevice(void)
{
    Note("Update");
}

GX_EXPORT void R_CloseDevice(void)
{
    Note("Close");
}

GX_EXPORT int32_t R_OpenDevice(uintptr_t window)
{
    Note("Open %s", window ? "window" : "null");
    return FAKE_OPEN_RESULT;
}

#ifndef FAKE_OMIT_INITIALIZE
GX_EXPORT void R_Initialize(void)
{
    Note("Initialize");
}
#endif

GX_EXPORT void R_InputEvent(int32_t code)
{
    Note("Input %d", code);
}

GX_EXPORT void R_SetShowGround(int32_t show)
{
    Note("Ground %d", show);
}

GX_EXPORT void R_SetGamedir(const char *baseDir, const char *additionalDir)
{
    Note("Gamedir [%s] [%s]", baseDir, additionalDir);
}

GX_EXPORT void R_SetDeviceOptions(const double background[3], const double ground[3], const double text[3],
                                  int32_t waitSync, int32_t textShadow)
{
    for (int i = 0; i < 3; ++i) {
        FakeLastOptions[i] = background[i];
        FakeLastOptions[3 + i] = ground[i];
        FakeLastOptions[6 + i] = text[i];
    }
    FakeLastOptions[9] = waitSync;
    FakeLastOptions[10] = textShadow;
    Note("Options %d %d", waitSync, textShadow);
}

GX_EXPORT void R_UpdateParticles(const ParticleSystem *record)
{
    Note("Particles %d", record ? record->particles : -1);
}

GX_EXPORT void R_ReallocParticles(void)
{
    Note("Realloc");
}

GX_EXPORT void R_UpdateTypes(void)
{
    Note("Types");
}

GX_EXPORT void R_RelinkTypes(void)
{
    Note("Relink");
}

GX_EXPORT void R_UpdateRendermode(void)
{
    Note("Rendermode");
}

GX_EXPORT void R_UpdateTextures(void)
{
    Note("Textures");
}

GX_EXPORT void R_GetAdditionalInfo(char *buffer)
{
    std::strcpy(buffer, FAKE_INFO);
}

#ifdef FAKE_PLAYBACK
GX_EXPORT void R_SetPlayback(int32_t paused, double speed)
{
    Note("Playback %d %g", paused, speed);
}

GX_EXPORT void R_StepFrame(void)
{
    Note("Step");
}

GX_EXPORT void R_RestartEffect(void)
{
    Note("Restart");
}

GX_EXPORT void R_ResetCamera(void)
{
    Note("Reset camera");
}

GX_EXPORT void R_FrameEffect(void)
{
    Note("Frame effect");
}

GX_EXPORT void R_SetTextScale(double scale)
{
    Note("TextScale %g", scale);
}

GX_EXPORT void R_PrepareDevice(void)
{
    Note("Prepare");
}
#endif
}
