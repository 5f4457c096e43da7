#pragma once
// TEditorLoop: one pass of an editor's event loop — a form shown in a
// platform window. The editor thread (FormWindow.h) runs it between waits;
// headless tests and benchmarks step it by hand.
//
// A pass dispatches every pending window event, applies the marks other
// threads posted, and, when something is invalid or exposed and a frame
// period has passed since the last copy, recomposes the frame and copies
// it to the window: at most kFramesPerSecond copies, each one merging every
// invalidation since the last.
//
// Threads: [editor-thread].

#include <chrono>
#include <cstdint>

namespace tessel {

class TForm;
class TPlatformWindow;

class TEditorLoop {
public:
    using TClock = std::chrono::steady_clock;
    static constexpr int kFramesPerSecond = 60;
    static constexpr TClock::duration kFramePeriod = std::chrono::microseconds(1'000'000 / kFramesPerSecond);

    TEditorLoop(TForm& form, TPlatformWindow& window) : FForm(form), FWindow(window) {}
    TEditorLoop(const TEditorLoop&) = delete;
    TEditorLoop& operator=(const TEditorLoop&) = delete;
    ~TEditorLoop();

    // Opens the window in `parent` at the form's client size and attaches
    // the form to it. Throws what the window throws.
    void Open(std::uintptr_t parent);
    // Detaches the form and closes the window; safe to call twice.
    void Close();
    bool IsOpen() const { return FOpen; }

    // One pass at time `now`. `eventsWaiting` false skips asking the window
    // for events (the caller knows none came: a wake-up that only looks for
    // marks costs no call into the window system). Returns how long the
    // caller may sleep before the next pass is needed (a frame is pending),
    // or TClock::duration::max() when only new events or marks can make work.
    TClock::duration Step(TClock::time_point now, bool eventsWaiting = true);
    // Recomposes and copies what is invalid right away, ignoring the frame
    // period (tests and benchmarks); false when the window was busy.
    bool PaintNow();

private:
    TForm& FForm;
    TPlatformWindow& FWindow;
    bool FOpen = false;
    int FWidth = 0, FHeight = 0;  // the window's client size
    TClock::time_point FNextFrame{};
};

}  // namespace tessel
