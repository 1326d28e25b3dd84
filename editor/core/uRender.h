// The renderer host: three fixed renderer slots, at most one open device, and
// the forwarders through which the editor drives the current renderer.
#pragma once

#include <QString>
#include <cstdint>

#include "RendererApi.h"
#include "uPlatform.h"

class QWidget;

struct TEmbRenderer {
    TLibraryHandle module = nullptr;
    QString fileName;
    QString name;
    bool supported = false;
    R_GetRendererNameFn GetRendererName = nullptr;
    R_IsSupportedFn IsSupported = nullptr;
    R_ResizeDeviceFn ResizeDevice = nullptr;
    R_UpdateDeviceFn UpdateDevice = nullptr;
    R_CloseDeviceFn CloseDevice = nullptr;
    R_OpenDeviceFn OpenDevice = nullptr;
    R_InitializeFn Initialize = nullptr;
    R_InputEventFn InputEvent = nullptr;
    R_SetShowGroundFn SetShowGround = nullptr;
    R_SetGamedirFn SetGamedir = nullptr;
    R_SetDeviceOptionsFn SetDeviceOptions = nullptr;
    R_UpdateParticlesFn UpdateParticles = nullptr;
    R_ReallocParticlesFn ReallocParticles = nullptr;
    R_UpdateTypesFn UpdateTypes = nullptr;
    R_RelinkTypesFn RelinkTypes = nullptr;
    R_UpdateRendermodeFn UpdateRendermode = nullptr;
    R_UpdateTexturesFn UpdateTextures = nullptr;
    R_GetAdditionalInfoFn GetAdditionalInfo = nullptr;
};

inline constexpr int kRendererSlotCount = 3;

extern TEmbRenderer RendererTable[kRendererSlotCount];
extern int CurrentRenderer;  // slot index, 0 at start
extern bool DeviceOpen;

// The library file of a slot: "gxOpenGL", "gxD3D7", "gxD3D9" with the module suffix.
QString RendererFileName(int slot);

void LoadRenderer(QWidget *owner, int slot, const QString &fileName);
void LoadRenderers(QWidget *owner);
void SelectRenderer(uintptr_t viewport, int slot, int width, int height);
void UnloadRenderers();

// A colour value holds red in its lowest byte, green and blue above; a
// nonzero highest byte marks a system colour, resolved through the palette.
uint32_t ResolveColour(uint32_t colour);
void ColourComponents(uint32_t colour, double rgb[3]);
void ApplyDeviceOptions(uint32_t background, uint32_t ground, uint32_t text, bool waitSync,
                        bool textShadow);

QString RendererInfoText();
void ShowRendererInfo(QWidget *owner);

// Forwarders: each does nothing while no device is open.
void UpdateDevice();
void ResizeDevice(int width, int height);
void InputEvent(int code);
void SetShowGround(bool show);
void SetGamedir(const QString &baseDir, const QString &additionalDir);
void UpdateParticles(const ParticleSystem *record);
void UpdateTypes();
void UpdateTextures();
void UpdateRendermode();
void RelinkTypes();
void ReallocParticles();
