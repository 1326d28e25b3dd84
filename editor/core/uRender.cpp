#include "uRender.h"

#include <QApplication>
#include <QFile>
#include <QPalette>

#include "uMessages.h"

TEmbRenderer RendererTable[kRendererSlotCount];
int CurrentRenderer = 0;
bool DeviceOpen = false;

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

TEmbRenderer *OpenDevice()
{
    return DeviceOpen ? &RendererTable[CurrentRenderer] : nullptr;
}

// Windows system colour indexes and the palette roles that stand for them.
QColor SystemColour(int index)
{
    const QPalette palette = QApplication::palette();
    switch (index) {
    case 1: case 2: case 3: case 4: case 15: case 20: case 22:
        return palette.color(QPalette::Button);
    case 5: return palette.color(QPalette::Base);
    case 6: return palette.color(QPalette::Dark);
    case 7: case 18: return palette.color(QPalette::ButtonText);
    case 8: return palette.color(QPalette::Text);
    case 9: return palette.color(QPalette::WindowText);
    case 13: return palette.color(QPalette::Highlight);
    case 14: return palette.color(QPalette::HighlightedText);
    case 16: return palette.color(QPalette::Mid);
    case 17: return palette.color(QPalette::PlaceholderText);
    case 21: return palette.color(QPalette::Shadow);
    case 23: return palette.color(QPalette::ToolTipText);
    case 24: return palette.color(QPalette::ToolTipBase);
    default: return palette.color(QPalette::Window);
    }
}
}  // namespace

QString RendererFileName(int slot)
{
    static const char *const names[kRendererSlotCount] = {"gxOpenGL", "gxD3D7", "gxD3D9"};
    if (slot < 0 || slot >= kRendererSlotCount)
        return QString();
    return QLatin1String(names[slot]) + ModuleSuffix();
}

void LoadRenderer(QWidget *owner, int slot, const QString &fileName)
{
    TEmbRenderer &r = RendererTable[slot];
    r = TEmbRenderer{};
    r.fileName = fileName;
    const QString path = PluginDirectory() + QLatin1Char('/') + fileName;
    if (!QFile::exists(path))
        return;
    r.module = LoadLibraryFile(path);
    if (!r.module) {
        ShowMessageBox(owner, QStringLiteral("Failed to load library: ") + fileName,
                       QStringLiteral("Error"), TMsgIcon::Warning);
        return;
    }
    if (!BindRenderer(r)) {
        ShowMessageBox(owner,
                       QLatin1Char('"') + fileName + QStringLiteral("\" is not a valid renderer!"),
                       QStringLiteral("Error"), TMsgIcon::Warning);
        FreeLibraryFile(r.module);
        r = TEmbRenderer{};
        r.fileName = fileName;
        return;
    }
    char name[256] = {};
    r.GetRendererName(name);
    name[sizeof name - 1] = '\0';
    r.name = QString::fromLatin1(name);
    r.supported = (r.IsSupported() & 0xFF) != 0;
    r.Initialize();
}

void LoadRenderers(QWidget *owner)
{
    for (int slot = 0; slot < kRendererSlotCount; ++slot)
        LoadRenderer(owner, slot, RendererFileName(slot));
}

void SelectRenderer(uintptr_t viewport, int slot, int width, int height)
{
    if (slot < 0 || slot >= kRendererSlotCount || !RendererTable[slot].module)
        return;
    if (DeviceOpen && slot == CurrentRenderer)
        return;
    if (DeviceOpen) {
        RendererTable[CurrentRenderer].CloseDevice();
        DeviceOpen = false;
    }
    CurrentRenderer = slot;
    TEmbRenderer &r = RendererTable[slot];
    if (r.OpenDevice(viewport) & 0xFF) {
        DeviceOpen = true;
        r.ResizeDevice(width, height);
    }
}

void UnloadRenderers()
{
    if (DeviceOpen) {
        RendererTable[CurrentRenderer].CloseDevice();
        DeviceOpen = false;
    }
    for (TEmbRenderer &r : RendererTable) {
        if (r.module) {
            FreeLibraryFile(r.module);
            r.module = nullptr;
        }
        r.supported = false;
    }
}

uint32_t ResolveColour(uint32_t colour)
{
    if ((colour >> 24) == 0)
        return colour;
    if ((colour >> 24) != 0x80)
        return colour & 0xFFFFFF;
    const QColor c = SystemColour(static_cast<int>(colour & 0xFF));
    return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
           (static_cast<uint32_t>(c.blue()) << 16);
}

void ColourComponents(uint32_t colour, double rgb[3])
{
    const uint32_t plain = ResolveColour(colour);
    rgb[0] = (plain & 0xFF) / 255.0;
    rgb[1] = ((plain >> 8) & 0xFF) / 255.0;
    rgb[2] = ((plain >> 16) & 0xFF) / 255.0;
}

void ApplyDeviceOptions(uint32_t background, uint32_t ground, uint32_t text, bool waitSync,
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

QString RendererInfoText()
{
    const TEmbRenderer &r = RendererTable[CurrentRenderer];
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

void ShowRendererInfo(QWidget *owner)
{
    ShowMessageBox(owner, RendererInfoText(), QStringLiteral("Renderer Information"),
                   TMsgIcon::Information);
}

void UpdateDevice()
{
    if (TEmbRenderer *r = OpenDevice())
        r->UpdateDevice();
}

void ResizeDevice(int width, int height)
{
    if (TEmbRenderer *r = OpenDevice())
        r->ResizeDevice(width, height);
}

void InputEvent(int code)
{
    if (TEmbRenderer *r = OpenDevice())
        r->InputEvent(code);
}

void SetShowGround(bool show)
{
    if (TEmbRenderer *r = OpenDevice())
        r->SetShowGround(show ? 1 : 0);
}

void SetGamedir(const QString &baseDir, const QString &additionalDir)
{
    if (TEmbRenderer *r = OpenDevice()) {
        const QByteArray base = QFile::encodeName(baseDir);
        const QByteArray additional = QFile::encodeName(additionalDir);
        r->SetGamedir(base.constData(), additional.constData());
    }
}

void UpdateParticles(const ParticleSystem *record)
{
    if (TEmbRenderer *r = OpenDevice()) {
        r->UpdateParticles(record);
        r->UpdateTextures();
    }
}

void UpdateTypes()
{
    if (TEmbRenderer *r = OpenDevice())
        r->UpdateTypes();
}

void UpdateTextures()
{
    if (TEmbRenderer *r = OpenDevice())
        r->UpdateTextures();
}

void UpdateRendermode()
{
    if (TEmbRenderer *r = OpenDevice())
        r->UpdateRendermode();
}

void RelinkTypes()
{
    if (TEmbRenderer *r = OpenDevice())
        r->RelinkTypes();
}

void ReallocParticles()
{
    if (TEmbRenderer *r = OpenDevice())
        r->ReallocParticles();
}
