#include "gui/controls/EditorLoop.h"

#include "gui/controls/Form.h"
#include "gui/window/PlatformWindow.h"

namespace tessel {
namespace {

// How soon to look again while a shared-memory copy is still being read:
// its completion event normally wakes the loop first.
constexpr auto kBusyRetry = std::chrono::milliseconds(4);

}  // namespace

TEditorLoop::~TEditorLoop() { Close(); }

void TEditorLoop::Open(std::uintptr_t parent) {
    FWindow.Open(parent, FForm.ClientWidth(), FForm.ClientHeight());
    FOpen = true;
    FWidth = FForm.ClientWidth();
    FHeight = FForm.ClientHeight();
    FForm.AttachWindow(&FWindow);
    FForm.InvalidateAll();
    FNextFrame = {};
}

void TEditorLoop::Close() {
    if (!FOpen) return;
    FOpen = false;
    FForm.AttachWindow(nullptr);
    FWindow.Close();
}

TEditorLoop::TClock::duration TEditorLoop::Step(TClock::time_point now, bool eventsWaiting) {
    if (FOpen && eventsWaiting) FWindow.DispatchEvents(FForm);
    FForm.ProcessMarks();
    FForm.Tick(now);
    if (!FOpen || !FForm.FrameDue()) return TClock::duration::max();
    if (!FWindow.ReadyToPresent()) return kBusyRetry;
    if (now < FNextFrame) return FNextFrame - now;
    PaintNow();
    FNextFrame = now + kFramePeriod;
    // What was invalidated while painting waits for the next frame.
    return FForm.FrameDue() ? kFramePeriod : TClock::duration::max();
}

bool TEditorLoop::PaintNow() {
    if (!FOpen || !FWindow.ReadyToPresent()) return false;
    if (FForm.ClientWidth() != FWidth || FForm.ClientHeight() != FHeight) {
        FWidth = FForm.ClientWidth();
        FHeight = FForm.ClientHeight();
        FWindow.SetClientSize(FWidth, FHeight);
    }
    const TDirtyRegion region = FForm.ComposeFrame();
    if (!region.Empty()) FWindow.Present(FForm.Frame(), region.Rects());
    return true;
}

}  // namespace tessel
