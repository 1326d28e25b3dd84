#include "GLDevice.h"

#include <GL/gl.h>

#include <cstring>

#include "DevicePreparation.h"
#include "RendererMessages.h"
#include "SceneDraw.h"
#include "XGlyphFont.h"

namespace gx {

namespace {

// The X error handler is process-wide: while the renderer talks to the server
// it catches errors of its own connection and passes every other one on.
Display *g_trapDisplay = nullptr;
int g_trappedErrors = 0;
XErrorHandler g_previousHandler = nullptr;

int TrapHandler(Display *display, XErrorEvent *event)
{
    if (display == g_trapDisplay) {
        ++g_trappedErrors;
        return 0;
    }
    return g_previousHandler ? g_previousHandler(display, event) : 0;
}

class XErrorTrap {
public:
    explicit XErrorTrap(Display *display) : display_(display)
    {
        XSync(display_, False);
        g_trapDisplay = display_;
        g_trappedErrors = 0;
        g_previousHandler = XSetErrorHandler(TrapHandler);
    }
    ~XErrorTrap()
    {
        XSync(display_, False);
        XSetErrorHandler(g_previousHandler);
        g_trapDisplay = nullptr;
        g_previousHandler = nullptr;
    }
    bool Failed()
    {
        XSync(display_, False);
        return g_trappedErrors > 0;
    }
    XErrorTrap(const XErrorTrap &) = delete;
    XErrorTrap &operator=(const XErrorTrap &) = delete;

private:
    Display *display_;
};

bool Fail(GLDevice &device, const char *message)
{
    ShowRendererMessage(message);
    CloseGLDevice(device);
    return false;
}

}  // namespace

bool IsDeviceOpen(const GLDevice &device)
{
    return device.context != nullptr;
}

bool OpenGLDevice(GLDevice &device, uintptr_t window)
{
    CloseGLDevice(device);
    device.host = static_cast<Window>(window);
    // A connection prepared in the background has the driver loaded already.
    PreparedConnection prepared = TakePreparedConnection();
    if (!window)
        ReleasePreparedConnection(prepared);
    // The device owns what was prepared from here on: a failure releases it.
    device.display = prepared.display ? prepared.display : window ? XOpenDisplay(nullptr) : nullptr;
    device.visual = prepared.visual;
    if (!device.display)
        return Fail(device, "Error Getting Device Context");

    // Each step ends its error trap before a failure closes the connection.
    XWindowAttributes attributes{};
    bool ok = false;
    {
        XErrorTrap trap(device.display);
        ok = XGetWindowAttributes(device.display, device.host, &attributes) != 0;
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (ok && XQueryTree(device.display, device.host, &root, &parent, &children, &count)) {
            if (children)
                XFree(children);
            device.owner = parent;
        }
        ok = ok && !trap.Failed();
    }
    if (!ok)
        return Fail(device, "Error Getting Device Context");
    SetRendererMessageOwner(device.owner);

    const int screen = XScreenNumberOfScreen(attributes.screen);
    if (device.visual && prepared.screen != screen) {
        XFree(device.visual);
        device.visual = nullptr;
    }
    if (!device.visual) {
        int errorBase = 0, eventBase = 0;
        if (glXQueryExtension(device.display, &errorBase, &eventBase))
            device.visual = glXChooseVisual(device.display, screen,
                                            const_cast<int *>(kDeviceVisualAttributes));
    }
    if (!device.visual)
        return Fail(device, "Error in ChoosePixelFormat");

    {
        XErrorTrap trap(device.display);
        device.colormap = XCreateColormap(device.display, device.host, device.visual->visual, AllocNone);
        XSetWindowAttributes set{};
        set.colormap = device.colormap;
        set.border_pixel = 0;
        set.background_pixmap = None;
        set.event_mask = 0;  // input keeps going to the host window
        const unsigned width = attributes.width > 0 ? attributes.width : 1;
        const unsigned height = attributes.height > 0 ? attributes.height : 1;
        device.child = XCreateWindow(device.display, device.host, 0, 0, width, height, 0,
                                     device.visual->depth, InputOutput, device.visual->visual,
                                     CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &set);
        if (device.child)
            XMapWindow(device.display, device.child);
        ok = device.child && !trap.Failed();
    }
    if (!ok)
        return Fail(device, "Error in SetPixelFormat");

    {
        XErrorTrap trap(device.display);
        device.context = glXCreateContext(device.display, device.visual, nullptr, True);
        ok = device.context && !trap.Failed();
    }
    if (!ok)
        return Fail(device, "Error in wglCreateContext");
    {
        XErrorTrap trap(device.display);
        ok = glXMakeCurrent(device.display, device.child, device.context) && !trap.Failed();
    }
    if (!ok)
        return Fail(device, "Error in wglMakeCurrent");

    device.plainTexture = PrepareSceneState();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SwapDeviceBuffers(device);
    // Without the font the overlay has no text.
    if (LoadXGlyphFont(device.display, "fixed", device.font) &&
        BuildGlyphAtlas(device.font, device.glyphAtlas)) {
        device.glyphTexture = MakeGlyphTexture(device.glyphAtlas);
        device.glyphAtlas.alpha = {};
    }
    return true;
}

void CloseGLDevice(GLDevice &device)
{
    if (device.display) {
        XErrorTrap trap(device.display);
        if (device.context) {
            glXMakeCurrent(device.display, None, nullptr);
            glXDestroyContext(device.display, device.context);
        }
        if (device.child)
            XDestroyWindow(device.display, device.child);
        if (device.colormap)
            XFreeColormap(device.display, device.colormap);
    }
    if (device.visual)
        XFree(device.visual);
    if (device.display)
        XCloseDisplay(device.display);
    device = GLDevice{};
}

void ResizeDeviceWindow(GLDevice &device, int width, int height)
{
    if (!device.display || !device.child)
        return;
    XErrorTrap trap(device.display);
    XResizeWindow(device.display, device.child, width > 0 ? width : 1, height > 0 ? height : 1);
}

void SwapDeviceBuffers(GLDevice &device)
{
    if (!device.context)
        return;
    // The trap syncs, so the pixels reach the server before the host (or a
    // test) looks at the window; a host window destroyed under the device
    // costs a frame, not the process.
    XErrorTrap trap(device.display);
    glXSwapBuffers(device.display, device.child);
}

bool QueryDevicePointer(GLDevice &device, int &x, int &y, bool &shift, bool &ctrl)
{
    x = y = 0;
    shift = ctrl = false;
    if (!device.display)
        return false;
    XErrorTrap trap(device.display);
    Window root = 0, child = 0;
    int winX = 0, winY = 0;
    unsigned mask = 0;
    if (!XQueryPointer(device.display, DefaultRootWindow(device.display), &root, &child, &x, &y, &winX, &winY,
                       &mask))
        return false;
    shift = (mask & ShiftMask) != 0;
    ctrl = (mask & ControlMask) != 0;
    return true;
}

}  // namespace gx
