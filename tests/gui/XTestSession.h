#pragma once
// A host's side of an X display for editor tests: the top-level window a
// host would give a plug-in's editor, and real input through the XTest
// extension — pointer moves, button presses, the wheel, keys with
// modifiers — plus KeyPress events sent to a window the way some hosts
// forward keys, and what the window shows. Coordinates are pixels in the
// host window.
//
// The connection is the test's own; the plug-in's editor opens another.
// Threads: the test's thread only.

#include <cstdint>
#include <string>
#include <string_view>

#include "gui/surface/Bitmap32.h"

namespace tessel::test {

enum class TXModifier : unsigned { None = 0, Shift = 1, Ctrl = 2, Alt = 4 };
constexpr TXModifier operator|(TXModifier a, TXModifier b) {
    return static_cast<TXModifier>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

class TXTestSession {
public:
    // Opens $DISPLAY and a mapped top-level window of the given size at the
    // screen's top-left corner. Throws std::runtime_error without a display
    // or without XTest.
    TXTestSession(int width, int height);
    ~TXTestSession();
    TXTestSession(const TXTestSession&) = delete;
    TXTestSession& operator=(const TXTestSession&) = delete;

    // The window id a host passes to effEditOpen.
    std::uintptr_t HostWindow() const { return FHostWindow; }
    // The first child of the host window (the editor's), or 0.
    std::uintptr_t EditorWindow() const;

    // Real input, delivered by the server as if from the devices.
    void MoveTo(int x, int y);
    // button: 1 left, 2 middle, 3 right.
    void Press(int button, TXModifier held = TXModifier::None);
    void Release(int button, TXModifier held = TXModifier::None);
    void Click(int x, int y, int button = 1, TXModifier held = TXModifier::None);
    void DoubleClick(int x, int y);
    // Presses at (x, y), moves to (x, y + dy) in small steps, releases.
    void Drag(int x, int y, int dy, int button = 1, TXModifier held = TXModifier::None);
    // notches > 0 turn the wheel away from the user.
    void Wheel(int x, int y, int notches, TXModifier held = TXModifier::None);
    // A key by keysym name ("Return", "n", "period"), with modifiers.
    void Key(std::string_view keysymName, TXModifier held = TXModifier::None);
    // Types printable ASCII, with Shift where the layout needs it.
    void Type(std::string_view text);
    // A KeyPress and KeyRelease sent to `window` with XSendEvent (the
    // event's send_event flag is set), as hosts that forward keys do.
    void SendKey(std::uintptr_t window, std::string_view keysymName);

    // What the host window shows, the editor inside it included; false
    // when the server refuses.
    bool Capture(TBitmap32& image) const;

    // The window that has the keyboard focus (0 for none, 1 for the
    // pointer's window).
    std::uintptr_t KeyboardFocus() const;

    // Sends everything queued and waits until the server has handled it.
    void Sync();

private:
    void Modifiers(TXModifier held, bool down);
    void FakeKey(unsigned code, bool down);

    void* FDisplay = nullptr;  // Display*; Xlib stays inside the .cpp
    std::uintptr_t FHostWindow = 0;
};

}  // namespace tessel::test
