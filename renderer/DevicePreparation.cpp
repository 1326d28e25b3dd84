#include "DevicePreparation.h"

namespace gx {

const int kDeviceVisualAttributes[] =
    {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8,   GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE,
     8,        GLX_DEPTH_SIZE,   24,           None};

namespace {

// A connection nobody took is closed when the plug-in is unloaded.
struct Preparation {
    PreparedConnection connection{};
    ~Preparation() { ReleasePreparedConnection(connection); }
};

Preparation &State()
{
    static Preparation state;
    return state;
}

}  // namespace

void PrepareConnection()
{
    PreparedConnection &prepared = State().connection;
    if (prepared.display)
        return;
    prepared.display = XOpenDisplay(nullptr);
    if (!prepared.display)
        return;
    prepared.screen = DefaultScreen(prepared.display);
    int errorBase = 0, eventBase = 0;
    if (glXQueryExtension(prepared.display, &errorBase, &eventBase))
        prepared.visual = glXChooseVisual(prepared.display, prepared.screen,
                                          const_cast<int *>(kDeviceVisualAttributes));
}

PreparedConnection TakePreparedConnection()
{
    const PreparedConnection prepared = State().connection;
    State().connection = PreparedConnection{};
    return prepared;
}

void ReleasePreparedConnection(PreparedConnection &prepared)
{
    if (prepared.visual)
        XFree(prepared.visual);
    if (prepared.display)
        XCloseDisplay(prepared.display);
    prepared = PreparedConnection{};
}

}  // namespace gx
