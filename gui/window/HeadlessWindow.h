#pragma once
// THeadlessWindow: the platform window without a display. Tests (and tools
// that render to PNG) post synthetic input from any thread; the editor
// thread dispatches it like X events, and every presented frame lands in
// Screen(), an image of what a real window would show.
//
// Threads: the TPlatformWindow side is [editor-thread]. Post* and the
// wake-up descriptor are [any-thread] except the audio thread (a mutex
// guards the queue). Screen() and the recorded services are
// [editor-thread] — read them through TFormWindow::RunOnEditorThread or
// when no editor thread runs.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "gui/surface/Bitmap32.h"
#include "gui/window/PlatformWindow.h"

namespace tessel {

class THeadlessWindow final : public TPlatformWindow {
public:
    THeadlessWindow();
    ~THeadlessWindow() override;

    // ---- Synthetic input [any-thread] ---------------------------------------
    void PostMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void PostMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    void PostMouseMove(TShiftState shift, int x, int y);
    void PostMouseWheel(int notches, TShiftState shift, int x, int y);
    void PostMouseLeave();
    void PostKeyDown(int key, TShiftState shift, char32_t character = 0);
    void PostKeyUp(int key, TShiftState shift);
    void PostFocus(bool focused);
    void PostExpose(const TRect& r);

    // ---- What the window shows and was asked [editor-thread] -----------------
    const TBitmap32& Screen() const { return FScreen; }
    int PresentCount() const { return FPresentCount; }
    const std::vector<TRect>& LastPresented() const { return FLastPresented; }
    std::uintptr_t Parent() const { return FParent; }
    bool Visible() const { return FVisible; }
    bool CursorHidden() const { return FCursorHidden; }
    bool Focused() const { return FFocused; }
    std::optional<TPoint> LastWarp() const { return FLastWarp; }
    // Behave like XWayland, which refuses to move the pointer.
    bool RefuseWarps = false;

    // ---- TPlatformWindow ---------------------------------------------------------
    void Open(std::uintptr_t parent, int width, int height) override;
    void Close() override;
    bool IsOpen() const override { return FOpen; }
    void Reparent(std::uintptr_t parent) override { FParent = parent; }
    void SetVisible(bool visible) override { FVisible = visible; }
    void SetBounds(int left, int top, int width, int height) override;
    void SetClientSize(int width, int height) override;
    int EventFd() const override { return FEventFd; }
    bool PrepareToWait() override;
    void DispatchEvents(TWindowEventSink& sink) override;
    bool ReadyToPresent() const override { return true; }
    void Present(const TBitmap32& frame, std::span<const TRect> rects) override;
    void SetCursorHidden(bool hidden) override { FCursorHidden = hidden; }
    void WarpPointer(int x, int y) override;
    void TakeFocus() override { FFocused = true; }
    void ReleaseFocus() override { FFocused = false; }
    void SetClipboardText(const std::string& text) override { FClipboard = text; }
    std::string ClipboardText() override { return FClipboard; }

private:
    enum class TKind { Down, Up, Move, Wheel, Leave, KeyDown, KeyUp, Focus, Expose };
    struct TEvent {
        explicit TEvent(TKind kind, TMouseButton button = TMouseButton::Left, TShiftState shift = {}, int x = 0,
                        int y = 0, int value = 0, char32_t character = 0)
            : Kind(kind), Button(button), Shift(shift), X(x), Y(y), Value(value), Character(character) {}
        TKind Kind;
        TMouseButton Button;
        TShiftState Shift;
        int X, Y, Value;
        char32_t Character;
        TRect Area;
    };
    void Push(const TEvent& event);

    int FEventFd = -1;
    std::mutex FLock;
    std::vector<TEvent> FQueue;
    TBitmap32 FScreen;
    bool FOpen = false;
    bool FVisible = false;
    bool FCursorHidden = false;
    bool FFocused = false;
    std::uintptr_t FParent = 0;
    int FPresentCount = 0;
    std::vector<TRect> FLastPresented;
    std::optional<TPoint> FLastWarp;
    std::string FClipboard;
};

}  // namespace tessel
