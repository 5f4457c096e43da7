// Reading back what an X window shows, children included, as a surface.
#pragma once

#include <X11/Xlib.h>

#include "gui/surface/Bitmap32.h"

namespace tessel::host::tool {

// The window's pixels (XGetImage of its whole area) as opaque ARGB; false
// when the server refuses (the window is not viewable).
bool CaptureWindow(Display* display, Window window, TBitmap32& surface);

}  // namespace tessel::host::tool
