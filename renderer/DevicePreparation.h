// Opening a GL device starts by loading the driver behind GLX: on a software
// rasteriser that is half the time to the first picture, and none of it needs
// the window. A host that knows a device will open soon has it done on a
// thread of its own while it builds its window; the device then takes the
// connection over instead of making its own.
#pragma once

#include <GL/glx.h>
#include <X11/Xlib.h>

namespace gx {

struct PreparedConnection {
    Display *display;     // null: nothing prepared
    XVisualInfo *visual;  // double-buffered RGBA with depth; null: none found
    int screen;           // the screen the visual belongs to
};

// The visual every device asks for.
extern const int kDeviceVisualAttributes[];

// Opens the display connection and chooses the visual, unless a prepared
// connection waits already. It makes no request that can fail with an X
// error: the error handler is process-wide, and this may run on a thread
// other than the one the host's windows live on.
void PrepareConnection();
// Hands the prepared connection over (empty when there is none); the caller
// owns what it gets.
PreparedConnection TakePreparedConnection();
// Closes a connection that was taken but not used, and empties it.
void ReleasePreparedConnection(PreparedConnection &prepared);

}  // namespace gx
