// The OpenGL device on the host's X11 window: an own display connection, a
// GLX visual, a child window covering the host window and a direct context.
#pragma once

#include <cstdint>

#include <GL/glx.h>
#include <X11/Xlib.h>

#include "GlyphFont.h"

namespace gx {

struct GLDevice {
    Display *display;
    Window host;
    Window owner;  // the host window's parent
    Window child;
    Colormap colormap;
    XVisualInfo *visual;
    GLXContext context;
    GlyphFont font;         // the overlay's "fixed" font; not loaded: no text
    GlyphAtlas glyphAtlas;  // its glyph cells (the pixels go once uploaded)
    GLuint glyphTexture;    // 0: no text
    GLuint plainTexture;    // 1x1 white, bound until a sprite is
};

// Opens the device; on failure shows the step's message, releases what it
// obtained and returns false.
bool OpenGLDevice(GLDevice &device, uintptr_t window);
void CloseGLDevice(GLDevice &device);
bool IsDeviceOpen(const GLDevice &device);
void ResizeDeviceWindow(GLDevice &device, int width, int height);
void SwapDeviceBuffers(GLDevice &device);
// Root-window pointer position and Shift/Ctrl state; false without a device.
bool QueryDevicePointer(GLDevice &device, int &x, int &y, bool &shift, bool &ctrl);

}  // namespace gx
