// The renderer host: three fixed renderer slots, at most one open device, and
// the forwarders through which the editor drives the current renderer. The
// program's main window owns one; tests make their own.
#pragma once

#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

#include "RendererApi.h"
#include "uEffectClock.h"
#include "uParticleMan.h"
#include "uPlatform.h"

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
    // Optional exports: null when the renderer does not offer them, and the
    // commands they serve are then disabled.
    R_SetPlaybackFn SetPlayback = nullptr;
    R_StepFrameFn StepFrame = nullptr;
    R_RestartEffectFn RestartEffect = nullptr;
    R_ResetCameraFn ResetCamera = nullptr;
    R_FrameEffectFn FrameEffect = nullptr;
    R_SetTextScaleFn SetTextScale = nullptr;
    R_PrepareDeviceFn PrepareDevice = nullptr;
};

inline constexpr int kRendererSlotCount = 3;

// The library file of a slot: "gxOpenGL", "gxD3D7", "gxD3D9" with the module suffix.
QString RendererFileName(int slot);

// A colour of the desktop's scheme by its Windows system colour index, as
// 0x00BBGGRR. The host has no window system of its own to ask.
using TSystemColours = std::function<uint32_t(int index)>;

// Playback and camera through the optional exports. What the open device's
// renderer offers: each command is available only with its export.
enum class TRendererControl { Playback, Step, Restart, ResetCamera, FrameEffect };

class TRendererHost {
public:
    TRendererHost() = default;
    ~TRendererHost();
    TRendererHost(const TRendererHost &) = delete;
    TRendererHost &operator=(const TRendererHost &) = delete;

    // Loads the three slots from the folder; a missing library leaves its
    // slot empty without a word, an unusable one is reported.
    void Load(const QString &directory, const THostWarning &warn = {});
    void LoadSlot(int slot, const QString &directory, const QString &fileName, const THostWarning &warn = {});
    // Makes a slot current and opens its device on the native window; the
    // device of the slot before is closed first.
    void Select(uintptr_t viewport, int slot, int width, int height);
    // Tells a slot's renderer that its device will open soon: the renderer
    // does the part of opening that needs no window on a thread of the
    // host's, while the program builds its window. Nothing happens for an
    // empty or unsupported slot, one whose device is open, or one without
    // the optional export.
    void Prepare(int slot);
    // Waits for a preparation under way. Every call that reaches a renderer
    // outside a device (opening one, loading, unloading, the information
    // text) waits first; the forwarders need an open device, so they come
    // after the wait anyway.
    void FinishPreparation() const;
    // Closes the device and frees the libraries.
    void Unload();

    const TEmbRenderer &operator[](int slot) const { return table_[slot]; }
    int Current() const { return current_; }
    bool DeviceOpen() const { return deviceOpen_; }

    // A colour value holds red in its lowest byte, green and blue above; a
    // highest byte of 0x80 marks a system colour, resolved through the source.
    void SetSystemColours(TSystemColours source) { systemColours_ = std::move(source); }
    uint32_t ResolveColour(uint32_t colour) const;
    void ColourComponents(uint32_t colour, double rgb[3]) const;
    void ApplyDeviceOptions(uint32_t background, uint32_t ground, uint32_t text, bool waitSync,
                            bool textShadow);

    // The text of Renderer Information.
    QString InfoText() const;

    // Forwarders: each does nothing while no device is open.
    void UpdateDevice();
    void ResizeDevice(int width, int height);
    void InputEvent(int code);
    void SetShowGround(bool show);
    void SetGamedir(const QString &baseDir, const QString &additionalDir);
    // R_UpdateParticles followed by R_UpdateTextures.
    void UpdateParticles(const ParticleSystem *record);
    void UpdateTypes();
    void UpdateTextures();
    void UpdateRendermode();
    void RelinkTypes();
    void ReallocParticles();

    bool Offers(TRendererControl control) const;

    // The host keeps the playback state and the effect's time (the status
    // bar's) and hands the state to a renderer whose device opens later, so
    // that switching renderers keeps a paused effect paused. The time restarts
    // with every call that restarts the renderer's effect.
    const TEffectClock &EffectClock() const { return clock_; }

    // Each forwards when the open device's renderer offers the export, else does nothing.
    void SetPlayback(bool paused, double speed);
    void StepFrame();
    void RestartEffect();
    void ResetCamera();
    void FrameEffect();
    // The desktop's scale for the overlay text, kept and handed to a device
    // opened later; forwarded when the renderer offers R_SetTextScale.
    void SetTextScale(double scale);
    double TextScale() const { return textScale_; }

private:
    TEmbRenderer *OpenDevice();
    const TEmbRenderer *OpenDevice() const;
    TEmbRenderer table_[kRendererSlotCount];
    int current_ = 0;  // slot index, 0 at start
    bool deviceOpen_ = false;
    TSystemColours systemColours_;
    TEffectClock clock_;
    std::chrono::steady_clock::time_point lastFrame_;
    bool haveLastFrame_ = false;
    double textScale_ = 1.0;
    mutable std::thread preparation_;
};
