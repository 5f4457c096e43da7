#pragma once
// TPlatformWindow: the one narrow interface between the editor and a window
// system. Two backends implement it, one file each: X11 (X11Window.cpp, the
// only file that sees Xlib) and headless (HeadlessWindow.cpp, for tests and
// for rendering without a display).
//
// A backend is a borderless child of the host's window that reports input
// in client pixels, copies finished frames to the screen and offers the
// pointer, keyboard-focus and clipboard services the controls need. It
// knows nothing of controls or menus: the form (Form.h) does the routing.
//
// Threads: every call is [editor-thread] — the one thread that owns the
// window's connection from Open to Close. No other thread may call in.

#include <cstdint>
#include <span>
#include <string>

#include "gui/surface/Geometry.h"
#include "gui/window/ShiftState.h"

namespace tessel {

class TBitmap32;

// What a backend reports while it dispatches events. [editor-thread]
// Coordinates are client pixels; they may lie outside the window while a
// button is held (the implicit grab keeps a drag's motion coming).
class TWindowEventSink {
public:
    virtual ~TWindowEventSink() = default;
    // `shift` includes the pressed button on a press and no longer includes
    // the released one on a release.
    virtual void WindowMouseDown(TMouseButton button, TShiftState shift, int x, int y) = 0;
    virtual void WindowMouseUp(TMouseButton button, TShiftState shift, int x, int y) = 0;
    // Also sent when the pointer enters the window.
    virtual void WindowMouseMove(TShiftState shift, int x, int y) = 0;
    // One call per notch; +1 away from the user.
    virtual void WindowMouseWheel(int notches, TShiftState shift, int x, int y) = 0;
    virtual void WindowMouseLeave() = 0;
    // key: platform virtual-key code (ShiftState.h), 0 when the key has none;
    // character: the Unicode code point the key types, 0 for none (keys
    // with Ctrl or Alt held type nothing).
    virtual void WindowKeyDown(int key, TShiftState shift, char32_t character) = 0;
    virtual void WindowKeyUp(int key, TShiftState shift) = 0;
    virtual void WindowFocusChanged(bool focused) = 0;
    // The rectangle must be copied again; pending exposures arrive merged.
    virtual void WindowExposed(const TRect& r) = 0;
};

class TPlatformWindow {
public:
    virtual ~TPlatformWindow() = default;

    // Creates the window with the client size as a child of `parent` (the
    // host's window id; 0 makes a top-level window) and opens whatever
    // connection it needs. Throws std::runtime_error when that fails.
    virtual void Open(std::uintptr_t parent, int width, int height) = 0;
    // Destroys the window and closes the connection; safe to call twice.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    virtual void Reparent(std::uintptr_t parent) = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual void SetBounds(int left, int top, int width, int height) = 0;  // in the parent, pixels
    // The form's client size changed: the window and its copy buffers follow.
    virtual void SetClientSize(int width, int height) = 0;

    // ---- The event loop ----------------------------------------------------
    // File descriptor to wait on for input (POLLIN); -1 when there is none.
    virtual int EventFd() const = 0;
    // True when events already wait in the backend's own queue, so the
    // caller must not sleep. Requests are sent when they are made, so this
    // costs no system call.
    virtual bool PrepareToWait() = 0;
    // Hands every pending event to the sink.
    virtual void DispatchEvents(TWindowEventSink& sink) = 0;

    // ---- Painting ----------------------------------------------------------
    // False while the previous copy is still being read from shared memory.
    virtual bool ReadyToPresent() const = 0;
    // Copies the rectangles of `frame` (client size, alpha ignored) to the
    // same place in the window.
    virtual void Present(const TBitmap32& frame, std::span<const TRect> rects) = 0;

    // ---- Services for the controls -------------------------------------------
    virtual void SetCursorHidden(bool hidden) = 0;
    // A refused warp (XWayland) is silently ignored.
    virtual void WarpPointer(int x, int y) = 0;
    // Asks for the keyboard focus, for typing into a box; a click alone
    // never takes it, so the host keeps its shortcuts.
    virtual void TakeFocus() = 0;
    // Gives the focus back to whoever had it before TakeFocus, if the
    // window still has it.
    virtual void ReleaseFocus() = 0;
    // The desktop clipboard, UTF-8. Reading waits a bounded time for the
    // owner's answer and gives "" when none comes.
    virtual void SetClipboardText(const std::string& text) = 0;
    virtual std::string ClipboardText() = 0;
};

}  // namespace tessel
