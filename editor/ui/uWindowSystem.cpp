#include "uWindowSystem.h"

#include <QApplication>
#include <QColor>
#include <QPalette>

uint32_t SystemColourValue(int index)
{
    const QPalette palette = QApplication::palette();
    QColor c;
    switch (index) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 15:
    case 20:
    case 22: c = palette.color(QPalette::Button); break;
    case 5: c = palette.color(QPalette::Base); break;
    case 6: c = palette.color(QPalette::Dark); break;
    case 7:
    case 18: c = palette.color(QPalette::ButtonText); break;
    case 8: c = palette.color(QPalette::Text); break;
    case 9: c = palette.color(QPalette::WindowText); break;
    case 13: c = palette.color(QPalette::Highlight); break;
    case 14: c = palette.color(QPalette::HighlightedText); break;
    case 16: c = palette.color(QPalette::Mid); break;
    case 17: c = palette.color(QPalette::PlaceholderText); break;
    case 21: c = palette.color(QPalette::Shadow); break;
    case 23: c = palette.color(QPalette::ToolTipText); break;
    case 24: c = palette.color(QPalette::ToolTipBase); break;
    default: c = palette.color(QPalette::Window); break;
    }
    return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
           (static_cast<uint32_t>(c.blue()) << 16);
}

// Xlib last: its macros clash with Qt's names.
#include <QGuiApplication>
#include <X11/Xlib.h>

void SyncWindowSystem()
{
    if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        if (Display *display = x11->display())
            XSync(display, False);
    }
}

void SetNativeBackground(uintptr_t window, int red, int green, int blue)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display *display = x11 ? x11->display() : nullptr;
    if (!display || !window)
        return;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || !attributes.visual)
        return;
    // Place each channel under its mask, whatever the visual's layout.
    auto channel = [](unsigned long mask, int value) -> unsigned long {
        if (!mask)
            return 0;
        int shift = 0;
        while (!((mask >> shift) & 1))
            ++shift;
        const unsigned long max = mask >> shift;
        return ((static_cast<unsigned long>(value) * max + 127) / 255) << shift;
    };
    const Visual *v = attributes.visual;
    XSetWindowBackground(display, window,
                         channel(v->red_mask, red) | channel(v->green_mask, green) |
                             channel(v->blue_mask, blue));
    XClearWindow(display, window);
    XFlush(display);
}
