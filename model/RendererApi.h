// The binary interface of a renderer plug-in: a shared library that simulates
// the particles of an attached record and draws them into a host window.
// The window handle is the native window id (an X11 Window here).
#pragma once

#include <cstdint>

#include "ParticleSystem.h"
#include "PluginResult.h"

#ifndef GX_EXPORT
#define GX_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
GX_EXPORT int32_t R_GetRendererName(char *buffer);
GX_EXPORT int32_t R_IsSupported(void);
GX_EXPORT void R_ResizeDevice(int32_t width, int32_t height);
GX_EXPORT void R_UpdateDevice(void);
GX_EXPORT void R_CloseDevice(void);
GX_EXPORT int32_t R_OpenDevice(uintptr_t window);
GX_EXPORT void R_Initialize(void);
GX_EXPORT void R_InputEvent(int32_t code);
GX_EXPORT void R_SetShowGround(int32_t show);
GX_EXPORT void R_SetGamedir(const char *baseDir, const char *additionalDir);
GX_EXPORT void R_SetDeviceOptions(const double background[3], const double ground[3], const double text[3],
                                  int32_t waitSync, int32_t textShadow);
GX_EXPORT void R_UpdateParticles(const ParticleSystem *record);
GX_EXPORT void R_ReallocParticles(void);
GX_EXPORT void R_UpdateTypes(void);
GX_EXPORT void R_RelinkTypes(void);
GX_EXPORT void R_UpdateRendermode(void);
GX_EXPORT void R_UpdateTextures(void);
GX_EXPORT void R_GetAdditionalInfo(char *buffer);

// Optional exports: a host binds them when present and disables what they
// serve when absent; the eighteen above never depend on them.
// Paused nonzero stops the effect's clock (frames are still drawn, the same
// state again); speed scales the frame time given to the simulation and is
// clamped to 0.01..100.
GX_EXPORT void R_SetPlayback(int32_t paused, double speed);
// While paused: the next R_UpdateDevice advances the effect by 1/60 s × speed.
GX_EXPORT void R_StepFrame(void);
// Empties the pool; the next frame spawns the emitter again, as after a load.
GX_EXPORT void R_RestartEffect(void);
// The camera as a freshly opened device has it.
GX_EXPORT void R_ResetCamera(void);
// Moves the camera so that the live particles fill about two thirds of the view.
GX_EXPORT void R_FrameEffect(void);
// The ratio of device pixels to the desktop's logical pixels (1 to 8; 2 on a
// desktop scaled to 200%): overlay text is drawn that many times larger so it
// stays readable. A renderer without it draws text at its own size.
GX_EXPORT void R_SetTextScale(double scale);
// A device will be opened soon: the renderer does the part of opening that
// needs no window (on a software rasteriser, loading the GL driver is half the
// time to the first picture), and the next R_OpenDevice takes it over. Unlike
// every other export it may be called on a thread of the host's, so that the
// work overlaps the building of the host's window, provided the host calls no
// other export until it has returned. A device already open ignores it;
// opening works the same without it.
GX_EXPORT void R_PrepareDevice(void);
}

using R_GetRendererNameFn = int32_t (*)(char *);
using R_IsSupportedFn = int32_t (*)(void);
using R_ResizeDeviceFn = void (*)(int32_t, int32_t);
using R_UpdateDeviceFn = void (*)(void);
using R_CloseDeviceFn = void (*)(void);
using R_OpenDeviceFn = int32_t (*)(uintptr_t);
using R_InitializeFn = void (*)(void);
using R_InputEventFn = void (*)(int32_t);
using R_SetShowGroundFn = void (*)(int32_t);
using R_SetGamedirFn = void (*)(const char *, const char *);
using R_SetDeviceOptionsFn = void (*)(const double *, const double *, const double *, int32_t, int32_t);
using R_UpdateParticlesFn = void (*)(const ParticleSystem *);
using R_ReallocParticlesFn = void (*)(void);
using R_UpdateTypesFn = void (*)(void);
using R_RelinkTypesFn = void (*)(void);
using R_UpdateRendermodeFn = void (*)(void);
using R_UpdateTexturesFn = void (*)(void);
using R_GetAdditionalInfoFn = void (*)(char *);

using R_SetPlaybackFn = void (*)(int32_t, double);
using R_StepFrameFn = void (*)(void);
using R_RestartEffectFn = void (*)(void);
using R_ResetCameraFn = void (*)(void);
using R_FrameEffectFn = void (*)(void);
using R_SetTextScaleFn = void (*)(double);
using R_PrepareDeviceFn = void (*)(void);

inline constexpr int32_t kRendererInfoBufferSize = 512;

// The codes a host hands to R_InputEvent for keys and mouse actions on the
// viewport. Keys move or turn the camera by 400 units (degrees) per second of
// the latest frame time; the buttons start and end drags that pointer moves
// apply. Any other code is ignored.
enum ViewportInput : int32_t {
    kInputMoveForward = 1,  // numeric keypad 8
    kInputMoveBack = 2,     // numeric keypad 5
    kInputMoveLeft = 3,     // numeric keypad 4
    kInputMoveRight = 4,    // numeric keypad 6
    kInputLookUp = 5,       // arrow up: pitch falls, at most to -90
    kInputLookDown = 6,     // arrow down: pitch rises, at most to 90
    kInputTurnLeft = 7,     // arrow left: yaw rises
    kInputTurnRight = 8,    // arrow right: yaw falls
    kInputLeftButtonDown = 9,
    kInputRightButtonDown = 10,
    kInputPointerMove = 11,  // applies the drags that are on
    kInputLeftButtonUp = 12,
    kInputRightButtonUp = 13,
};
