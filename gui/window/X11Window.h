#pragma once
// The X11 backend of TPlatformWindow. Everything that touches Xlib lives in
// X11Window.cpp; nothing here needs X headers.
//
// The window is a borderless child of the host's window on a Display
// connection of its own (XOpenDisplay; the library never calls
// XInitThreads and never uses a Display a host passes). Errors on that
// connection are counted per connection instead of reaching the process-wide
// error handler, so a host window that vanishes cannot end the process.
//
// Threads: [editor-thread] from Open to Close, like every TPlatformWindow.

#include <memory>

#include "gui/window/PlatformWindow.h"

namespace tessel {

struct TX11WindowOptions {
    // Copy frames through MIT-SHM when the server offers it; off, always
    // with XPutImage (what a remote server gets anyway).
    bool SharedMemory = true;
};

std::unique_ptr<TPlatformWindow> CreateX11Window(const TX11WindowOptions& options = {});

}  // namespace tessel
