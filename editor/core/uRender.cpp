#include "uRender.h"

#include <QFile>
#include <algorithm>
#include <system_error>

namespace {
// Every export is required at load time: a renderer missing one would
// otherwise be called through a null address once its device is open.
bool BindRenderer(TEmbRenderer &r)
{
    bool ok = true;
    ok &= BindExport(r.module, "R_GetRendererName", r.GetRendererName);
    ok &= BindExport(r.module, "R_IsSupported", r.IsSupported);
    ok &= BindExport(r.module, "R_ResizeDevice", r.ResizeDevice);
    ok &= BindExport(r.module, "R_UpdateDevice", r.UpdateDevice);
    ok &= BindExport(r.module, "R_CloseDevice", r.CloseDevice);
    ok &= BindExport(r.module, "R_OpenDevice", r.OpenDevice);
    ok &= BindExport(r.module, "R_Initialize", r.Initialize);
    ok &= BindExport(r.module, "R_InputEvent", r.InputEvent);
    ok &= BindExport(r.module, "R_SetShowGround", r.SetShowGround);
    ok &= BindExport(r.module, "R_SetGamedir", r.SetGamedir);
    ok &= BindExport(r.module, "R_SetDeviceOptions", r.SetDeviceOptions);
    ok &= BindExport(r.module, "R_UpdateParticles", r.UpdateParticles);
    ok &= BindExport(r.module, "R_ReallocParticles", r.ReallocParticles);
    ok &= BindExport(r.module, "R_UpdateTypes", r.UpdateTypes);
    ok &= BindExport(r.module, "R_RelinkTypes", r.RelinkTypes);
    ok &= BindExport(r.module, "R_UpdateRendermode", r.UpdateRendermode);
    ok &= BindExport(r.module, "R_UpdateTextures", r.UpdateTextures);
    ok &= BindExport(r.module, "R_GetAdditionalInfo", r.GetAdditionalInfo);
    return ok;
}

// The optional exports: each bound when present; a renderer without them is
// as valid as before.
void BindOptionalExports(TEmbRenderer &r)
{
    BindExport(r.module, "R_SetPlayback", r.SetPlayback);
    BindExport(r.module, "R_StepFrame", r.StepFrame);
    BindExport(r.module, "R_RestartEffect", r.RestartEffect);
    BindExport(r.module, "R_ResetCamera", r.ResetCamera);
    BindExport(r.module, "R_FrameEffect", r.FrameEffect);
    BindExport(r.module, "R_SetTextScale", r.SetTextScale);
    BindExport(r.module, "R_PrepareDevice", r.PrepareDevice);
}

}  // namespace

QString RendererFileName(int slot)
{
    static const char *const names[kRendererSlotCount] = {"gxOpenGL", "gxD3D7", "gxD3D9"};
    if (slot < 0 || slot >= kRendererSlotCount)
        return QString();
    return QLatin1String(names[slot]) + ModuleSuffix();
}

TRendererHost::~TRendererHost()
{
    Unload();
}

TEmbRenderer *TRendererHost::OpenDevice()
{
    return deviceOpen_ ? &table_[current_] : nullptr;
}

const TEmbRenderer *TRendererHost::OpenDevice() const
{
    return deviceOpen_ ? &table_[current_] : nullptr;
}

void TRendererHost::LoadSlot(int slot, const QString &directory, const QString &fileName,
                             const THostWarning &warn)
{
    if (slot < 0 || slot >= kRendererSlotCount)
        return;
    FinishPreparation();
    if (deviceOpen_ && slot == current_) {
        table_[slot].CloseDevice();
        deviceOpen_ = false;
    }
    TEmbRenderer &r = table_[slot];
    if (r.module)
        FreeLibraryFile(r.module);
    r = TEmbRenderer{};
    r.fileName = fileName;
    const QString path = directory + QLatin1Char('/') + fileName;
    if (!QFile::exists(path))
        return;
    r.module = LoadLibraryFile(path);
    if (!r.module) {
        if (warn)
            warn(QStringLiteral("Failed to load library: ") + fileName, QStringLiteral("Error"));
        return;
    }
    if (!BindRenderer(r)) {
        if (warn)
            warn(QLatin1Char('"') + fileName + QStringLiteral("\" is not a valid renderer!"),
                 QStringLiteral("Error"));
        FreeLibraryFile(r.module);
        r = TEmbRenderer{};
        r.fileName = fileName;
        return;
    }
    BindOptionalExports(r);
    char name[256] = {};
    r.GetRendererName(name);
    name[sizeof name - 1] = '\0';
    r.name = QString::fromLatin1(name);
    r.supported = PluginYes(r.IsSupported());
    r.Initialize();
}

void TRendererHost::Load(const QString &directory, const THostWarning &warn)
{
    for (int slot = 0; slot < kRendererSlotCount; ++slot)
        LoadSlot(slot, directory, RendererFileName(slot), warn);
}

void TRendererHost::Select(uintptr_t viewport, int slot, int width, int height)
{
    FinishPreparation();
    if (slot < 0 || slot >= kRendererSlotCount || !table_[slot].module)
        return;
    if (deviceOpen_ && slot == current_)
        return;
    if (deviceOpen_) {
        table_[current_].CloseDevice();
        deviceOpen_ = false;
    }
    current_ = slot;
    TEmbRenderer &r = table_[slot];
    if (PluginYes(r.OpenDevice(viewport))) {
        deviceOpen_ = true;
        r.ResizeDevice(width, height);
        // A renderer starts playing at 1x; anything else is handed on.
        if (r.SetPlayback && (clock_.paused || clock_.speed != 1.0))
            r.SetPlayback(clock_.paused ? 1 : 0, clock_.speed);
        if (r.SetTextScale && textScale_ != 1.0)
            r.SetTextScale(textScale_);
        ClockRestart(clock_);
    }
}

void TRendererHost::Prepare(int slot)
{
    FinishPreparation();
    if (slot < 0 || slot >= kRendererSlotCount || (deviceOpen_ && slot == current_))
        return;
    const TEmbRenderer &r = table_[slot];
    if (!r.module || !r.supported || !r.PrepareDevice)
        return;
    try {
        preparation_ = std::thread(r.PrepareDevice);
    } catch (const std::system_error &) {
        // No thread to spare: the device opens the usual way.
    }
}

void TRendererHost::FinishPreparation() const
{
    if (preparation_.joinable())
        preparation_.join();
}

void TRendererHost::Unload()
{
    FinishPreparation();
    if (deviceOpen_) {
        table_[current_].CloseDevice();
        deviceOpen_ = false;
    }
    for (TEmbRenderer &r : table_) {
        if (r.module) {
            FreeLibraryFile(r.module);
            r.module = nullptr;
        }
        r.supported = false;
    }
}

uint32_t TRendererHost::ResolveColour(uint32_t colour) const
{
    if ((colour >> 24) == 0)
        return colour;
    if ((colour >> 24) != 0x80)
        return colour & 0xFFFFFF;
    // Without a source a system colour falls back to a mid grey.
    return systemColours_ ? systemColours_(static_cast<int>(colour & 0xFF)) & 0xFFFFFF : 0x808080;
}

void TRendererHost::ColourComponents(uint32_t colour, double rgb[3]) const
{
    const uint32_t plain = ResolveColour(colour);
    rgb[0] = (plain & 0xFF) / 255.0;
    rgb[1] = ((plain >> 8) & 0xFF) / 255.0;
    rgb[2] = ((plain >> 16) & 0xFF) / 255.0;
}

void TRendererHost::ApplyDeviceOptions(uint32_t background, uint32_t ground, uint32_t text, bool waitSync,
                                       bool textShadow)
{
    TEmbRenderer *r = OpenDevice();
    if (!r)
        return;
    double bg[3], gr[3], tx[3];
    ColourComponents(background, bg);
    ColourComponents(ground, gr);
    ColourComponents(text, tx);
    r->SetDeviceOptions(bg, gr, tx, waitSync ? 1 : 0, textShadow ? 1 : 0);
}

QString TRendererHost::InfoText() const
{
    FinishPreparation();
    const TEmbRenderer &r = table_[current_];
    QString text = QStringLiteral("RENDERER:\r\n\r\n");
    text += QStringLiteral("Name:     ") + r.name + QStringLiteral("\r\n");
    text += QStringLiteral("Library:    ") + r.fileName + QStringLiteral("\r\n");
    if (r.module) {
        char info[kRendererInfoBufferSize] = {};
        r.GetAdditionalInfo(info);
        info[sizeof info - 1] = '\0';
        if (info[0] != '\0') {
            text += QStringLiteral("\r\nAdditional Information:\r\n");
            text += QString::fromLatin1(info);
        }
    }
    return text;
}

void TRendererHost::UpdateDevice()
{
    TEmbRenderer *r = OpenDevice();
    if (!r)
        return;
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = haveLastFrame_ ? std::chrono::duration<double>(now - lastFrame_).count() : 0.0;
    lastFrame_ = now;
    haveLastFrame_ = true;
    ClockFrame(clock_, elapsed);
    r->UpdateDevice();
}

void TRendererHost::ResizeDevice(int width, int height)
{
    if (TEmbRenderer *r = OpenDevice())
        r->ResizeDevice(width, height);
}

void TRendererHost::InputEvent(int code)
{
    if (TEmbRenderer *r = OpenDevice())
        r->InputEvent(code);
}

void TRendererHost::SetShowGround(bool show)
{
    if (TEmbRenderer *r = OpenDevice())
        r->SetShowGround(show ? 1 : 0);
}

void TRendererHost::SetGamedir(const QString &baseDir, const QString &additionalDir)
{
    if (TEmbRenderer *r = OpenDevice()) {
        const QByteArray base = QFile::encodeName(baseDir);
        const QByteArray additional = QFile::encodeName(additionalDir);
        r->SetGamedir(base.constData(), additional.constData());
    }
}

void TRendererHost::UpdateParticles(const ParticleSystem *record)
{
    if (TEmbRenderer *r = OpenDevice()) {
        r->UpdateParticles(record);
        r->UpdateTextures();
        ClockRestart(clock_);
    }
}

void TRendererHost::UpdateTypes()
{
    if (TEmbRenderer *r = OpenDevice()) {
        r->UpdateTypes();
        ClockRestart(clock_);  // the renderer empties its pool
    }
}

void TRendererHost::UpdateTextures()
{
    if (TEmbRenderer *r = OpenDevice())
        r->UpdateTextures();
}

void TRendererHost::UpdateRendermode()
{
    if (TEmbRenderer *r = OpenDevice())
        r->UpdateRendermode();
}

void TRendererHost::RelinkTypes()
{
    if (TEmbRenderer *r = OpenDevice()) {
        r->RelinkTypes();
        ClockRestart(clock_);  // the renderer empties its pool
    }
}

void TRendererHost::ReallocParticles()
{
    if (TEmbRenderer *r = OpenDevice()) {
        r->ReallocParticles();
        ClockRestart(clock_);  // the renderer empties its pool
    }
}

bool TRendererHost::Offers(TRendererControl control) const
{
    const TEmbRenderer *r = OpenDevice();
    if (!r)
        return false;
    switch (control) {
    case TRendererControl::Playback: return r->SetPlayback != nullptr;
    case TRendererControl::Step: return r->SetPlayback != nullptr && r->StepFrame != nullptr;
    case TRendererControl::Restart: return r->RestartEffect != nullptr;
    case TRendererControl::ResetCamera: return r->ResetCamera != nullptr;
    case TRendererControl::FrameEffect: return r->FrameEffect != nullptr;
    }
    return false;
}

void TRendererHost::SetPlayback(bool paused, double speed)
{
    ClockPlayback(clock_, paused, speed);
    if (TEmbRenderer *r = OpenDevice(); r && r->SetPlayback)
        r->SetPlayback(paused ? 1 : 0, clock_.speed);
}

void TRendererHost::SetTextScale(double scale)
{
    if (!(scale >= 1.0))  // also NaN
        scale = 1.0;
    scale = std::min(scale, 8.0);
    if (scale == textScale_)
        return;
    textScale_ = scale;
    if (TEmbRenderer *r = OpenDevice(); r && r->SetTextScale)
        r->SetTextScale(scale);
}

void TRendererHost::StepFrame()
{
    if (TEmbRenderer *r = OpenDevice(); r && r->StepFrame) {
        r->StepFrame();
        ClockStep(clock_);
    }
}

void TRendererHost::RestartEffect()
{
    if (TEmbRenderer *r = OpenDevice(); r && r->RestartEffect) {
        r->RestartEffect();
        ClockRestart(clock_);
    }
}

void TRendererHost::ResetCamera()
{
    if (TEmbRenderer *r = OpenDevice(); r && r->ResetCamera)
        r->ResetCamera();
}

void TRendererHost::FrameEffect()
{
    if (TEmbRenderer *r = OpenDevice(); r && r->FrameEffect)
        r->FrameEffect();
}
