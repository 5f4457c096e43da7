#include "gui/window/HeadlessWindow.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace tessel {

THeadlessWindow::THeadlessWindow() {
    FEventFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (FEventFd < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
}

THeadlessWindow::~THeadlessWindow() { close(FEventFd); }

// ---- Synthetic input ----------------------------------------------------------------

void THeadlessWindow::Push(const TEvent& event) {
    {
        std::lock_guard guard(FLock);
        FQueue.push_back(event);
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(FEventFd, &one, sizeof one);
}

void THeadlessWindow::PostMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    Push(TEvent{TKind::Down, button, shift, x, y});
}

void THeadlessWindow::PostMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    Push(TEvent{TKind::Up, button, shift, x, y});
}

void THeadlessWindow::PostMouseMove(TShiftState shift, int x, int y) {
    Push(TEvent{TKind::Move, TMouseButton::Left, shift, x, y});
}

void THeadlessWindow::PostMouseWheel(int notches, TShiftState shift, int x, int y) {
    Push(TEvent{TKind::Wheel, TMouseButton::Left, shift, x, y, notches});
}

void THeadlessWindow::PostMouseLeave() { Push(TEvent{TKind::Leave}); }

void THeadlessWindow::PostKeyDown(int key, TShiftState shift, char32_t character) {
    Push(TEvent{TKind::KeyDown, TMouseButton::Left, shift, 0, 0, key, character});
}

void THeadlessWindow::PostKeyUp(int key, TShiftState shift) {
    Push(TEvent{TKind::KeyUp, TMouseButton::Left, shift, 0, 0, key});
}

void THeadlessWindow::PostFocus(bool focused) {
    Push(TEvent{TKind::Focus, TMouseButton::Left, TShiftState{}, 0, 0, focused ? 1 : 0});
}

void THeadlessWindow::PostExpose(const TRect& r) {
    TEvent event(TKind::Expose);
    event.Area = r;
    Push(event);
}

// ---- The platform side ------------------------------------------------------------

void THeadlessWindow::Open(std::uintptr_t parent, int width, int height) {
    FParent = parent;
    FScreen.Resize(width, height);
    FOpen = true;
}

void THeadlessWindow::Close() { FOpen = false; }

void THeadlessWindow::SetBounds(int, int, int width, int height) { FScreen.Resize(width, height); }

void THeadlessWindow::SetClientSize(int width, int height) { FScreen.Resize(width, height); }

bool THeadlessWindow::PrepareToWait() {
    std::lock_guard guard(FLock);
    return !FQueue.empty();
}

void THeadlessWindow::DispatchEvents(TWindowEventSink& sink) {
    std::vector<TEvent> events;
    {
        std::lock_guard guard(FLock);
        events.swap(FQueue);
        std::uint64_t count;
        [[maybe_unused]] const ssize_t got = read(FEventFd, &count, sizeof count);
    }
    for (const TEvent& e : events) {
        switch (e.Kind) {
            case TKind::Down:
                sink.WindowMouseDown(e.Button, e.Shift, e.X, e.Y);
                break;
            case TKind::Up:
                sink.WindowMouseUp(e.Button, e.Shift, e.X, e.Y);
                break;
            case TKind::Move:
                sink.WindowMouseMove(e.Shift, e.X, e.Y);
                break;
            case TKind::Wheel:
                sink.WindowMouseWheel(e.Value, e.Shift, e.X, e.Y);
                break;
            case TKind::Leave:
                sink.WindowMouseLeave();
                break;
            case TKind::KeyDown:
                sink.WindowKeyDown(e.Value, e.Shift, e.Character);
                break;
            case TKind::KeyUp:
                sink.WindowKeyUp(e.Value, e.Shift);
                break;
            case TKind::Focus:
                FFocused = e.Value != 0;
                sink.WindowFocusChanged(FFocused);
                break;
            case TKind::Expose:
                sink.WindowExposed(e.Area);
                break;
        }
    }
}

void THeadlessWindow::Present(const TBitmap32& frame, std::span<const TRect> rects) {
    ++FPresentCount;
    FLastPresented.assign(rects.begin(), rects.end());
    for (const TRect& rect : rects) {
        const TRect r = IntersectRect(IntersectRect(rect, frame.BoundsRect()), FScreen.BoundsRect());
        for (int y = r.Top; y < r.Bottom; ++y)
            std::memcpy(FScreen.RowPixels(y) + r.Left, frame.RowPixels(y) + r.Left,
                        static_cast<std::size_t>(r.Width()) * sizeof(TColor32));
    }
}

void THeadlessWindow::WarpPointer(int x, int y) {
    if (!RefuseWarps) FLastWarp = TPoint{x, y};
}

}  // namespace tessel
