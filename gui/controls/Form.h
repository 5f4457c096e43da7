#pragma once
// TForm: the editor window's content — a client area with a colour, a font,
// its own back buffer, lightweight child controls and popup menus. An
// editor derives from it, draws into FBackBuffer and binds the events.
//
// Scale: the form is laid out in units (the layout's pixels at 100 %) and
// drawn in screen pixels at Scale(). Input arrives in screen pixels and is
// handed on in units; the back buffer, the frame and the window are screen
// pixels. At 100 % the two are the same.
//
// Painting: what the form draws lives in FBackBuffer. The frame shown in
// the window is composed from it: the back buffer, then every visible
// control painted over it at its bounds (in the order the controls were
// created), then an open popup menu. Only invalidated rectangles are
// recomposed, and the window copies only what changed, once per frame.
//
// Input: a mouse event goes to the control holding the capture, else to the
// topmost visible, enabled control under the pointer, else to the form's
// own handlers. A press gives the control an implicit capture until its
// last button is released, and the focus when it can take it. Keys go to
// the focused control; the form's OnKeyDown/OnKeyPress get what the
// control does not take (or everything when no control has the focus).
// While a menu is open it takes all input. A keystroke that reaches the
// form both as a forwarded host key and as an X key event is applied once
// (KeyDeduplicator.h). A second press of the same button
// within kDoubleClickTime and kDoubleClickSlop of the first carries
// TShiftState::Double.
//
// Threads: everything is [editor-thread] — the thread that runs the
// window (FormWindow.h) — except where marked. Before the window opens and
// after it closes, the thread that creates or destroys the form may use it.
// Other threads (host calls, parameter changes, even the audio thread) only
// post marks with PostMarks; the editor thread applies them in HandleMarks.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "framework/EditorWindow.h"
#include "gui/controls/Control.h"
#include "gui/controls/DirtyRegion.h"
#include "gui/controls/KeyDeduplicator.h"
#include "gui/controls/MenuView.h"
#include "gui/controls/PopupMenu.h"
#include "gui/surface/Bitmap32.h"
#include "gui/window/PlatformWindow.h"

namespace tessel {

class TForm : public TControlHost, public TWindowEventSink, public TEditorContent {
public:
    static constexpr std::chrono::milliseconds kDoubleClickTime{500};
    static constexpr int kDoubleClickSlop = 4;  // pixels each way

    TForm();
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;
    ~TForm() override;

    // ---- Properties ------------------------------------------------------
    std::string Caption;
    // The client area in screen pixels: the window's size.
    int ClientWidth() const { return FFrame.Width(); }
    int ClientHeight() const { return FFrame.Height(); }
    TRect ClientRect() const { return {0, 0, ClientWidth(), ClientHeight()}; }
    // The client area in units.
    int UnitWidth() const { return FUnitWidth; }
    int UnitHeight() const { return FUnitHeight; }
    // Sets the client size in units; resizes the back buffer (cleared) and
    // the frame to it at the scale, fires OnResize.
    void SetClientSize(int width, int height);
    // Screen pixels per unit. A change resizes as SetClientSize does, lets
    // every control resize its pixels and fires OnResize; the derived form
    // draws everything again there.
    TPixelScale Scale() const override { return FScale; }
    void SetScale(TPixelScale scale);
    // Colour word (red in the low byte; negative: a system colour).
    std::int32_t Color() const { return FColor; }
    void SetColor(std::int32_t colorWord);
    const TFont32& Font() const { return FFont; }
    void SetFont(const TFont32& font);

    // ---- Life --------------------------------------------------------------
    // Fire OnCreate / OnDestroy once each. The window host calls them on the
    // thread that creates and destroys it, while no editor thread runs.
    void Create();
    void Destroy();
    bool Created() const { return FCreated; }

    // ---- Events (Sender is the form) --------------------------------------
    using TNotifyEvent = std::function<void(TForm& sender)>;
    using TMouseEvent = std::function<void(TForm& sender, TMouseButton button, TShiftState shift, int x, int y)>;
    using TMouseMoveEvent = std::function<void(TForm& sender, TShiftState shift, int x, int y)>;
    using TKeyEvent = std::function<void(TForm& sender, int& key, TShiftState shift)>;
    using TKeyPressEvent = std::function<void(TForm& sender, char32_t& key)>;
    TNotifyEvent OnCreate, OnDestroy;
    // OnPaint: the window asked for a repaint (it was exposed); the frame is
    // copied from the composed image afterwards. OnResize: the client size
    // changed.
    TNotifyEvent OnPaint, OnResize;
    // A left press and release on the form itself.
    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TKeyEvent OnKeyDown, OnKeyUp;
    TKeyPressEvent OnKeyPress;
    // A handler threw: `message` is what it said. Nothing is shown by
    // default; LastError() keeps the text.
    std::function<void(TForm& sender, const std::string& message)> OnError;
    const std::string& LastError() const { return FLastError; }

    // ---- Controls ----------------------------------------------------------
    // Topmost visible, enabled control at a client point, or null.
    TControl* ControlAt(int x, int y) const;
    // The control the pointer is over (enter/leave state), or null.
    TControl* HoverControl() const { return FHover; }
    // The form takes the keyboard focus itself: no control has it.
    void SetFocus() { SetFocusedControl(nullptr); }

    // ---- Popup menus -------------------------------------------------------
    // Opens the menu at the pointer's last position or at (x, y) (units),
    // moved to fit inside the client area. A menu that is open closes first.
    void Popup(TPopupMenu& menu);
    void Popup(TPopupMenu& menu, int x, int y);
    void CloseMenu();
    bool MenuOpen() const { return FMenuView.IsOpen(); }
    // A box the user types into opened or closed. The window holds the
    // keyboard focus while such a box or a menu is open and gives it back
    // once neither is: a plain click leaves the host its shortcuts.
    void SetTypingBoxOpen(bool open);
    const TMenuView& MenuView() const { return FMenuView; }

    // ---- Marks from other threads ------------------------------------------
    // [any-thread] Lock-free, allocation- and syscall-free: safe on the
    // audio thread. The editor thread picks the bits up within one frame and
    // passes them, merged, to HandleMarks. Bit kMarkRepaint asks for the
    // whole client area to be copied again.
    static constexpr std::uint64_t kMarkRepaint = std::uint64_t{1} << 63;
    void PostMarks(std::uint64_t bits) noexcept { FMarks.fetch_or(bits, std::memory_order_release); }
    // Takes the posted bits and handles them.
    void ProcessMarks();

    // ---- Frames ------------------------------------------------------------
    // Everything in the client area must be recomposed.
    void InvalidateAll() { InvalidatePixels(ClientRect()); }
    // Something waits to be recomposed or copied.
    bool FrameDue() const { return !FDirty.Empty() || !FExposed.Empty(); }
    // Recomposes the invalid rectangles into Frame() and returns what must
    // be copied to the window (invalid plus exposed); both lists are emptied.
    TDirtyRegion ComposeFrame();
    const TBitmap32& Frame() const { return FFrame; }

    // The window the form is shown in (null: none; pointer and clipboard
    // services then act locally). Set by the editor loop.
    void AttachWindow(TPlatformWindow* window) {
        FWindow = window;
        FHoldingKeyboard = false;
    }
    TPlatformWindow* Window() const { return FWindow; }

    // Forwarded host keys (TEditorWindow::SendKeyMessage): the key code is
    // a platform virtual-key code, or the character for Char.
    void HostKeyMessage(TKeyMessage message, std::int32_t keyCode, std::uint32_t keyFlags);
    // [ui-thread] A forwarded key is being handed to the editor thread. The
    // host wants to know at once whether the editor uses it, and the editor
    // thread may act on it (and change what is focused) before it is asked:
    // a form that answers notes its state here. Only atomics may be touched.
    virtual void HostKeyArriving() {}
    // Every pass of the editor loop, at least once per frame period while
    // the window is open: work that waits for time to pass, not for an
    // event (a wheel gesture ends after a pause).
    virtual void Tick(std::chrono::steady_clock::time_point now) { static_cast<void>(now); }
    // The host's content scale changed (percent); a form that follows it
    // calls SetScale.
    virtual void HostScaleChanged(int percent) { static_cast<void>(percent); }

    // ---- TControlHost --------------------------------------------------------
    // r in units.
    void InvalidateRect(const TRect& r) override;
    // r in screen pixels.
    void InvalidatePixels(const TRect& r);
    void SetCapture(TControl* control) override;
    void ReleaseCapture(TControl* control) override;
    TControl* Capture() const override { return FCapture; }
    void SetFocusedControl(TControl* control) override;
    TControl* FocusedControl() const override { return FFocused; }
    void SetCursorHidden(bool hidden) override;
    void WarpPointer(int x, int y) override;
    void SetClipboardText(const std::string& text) override;
    std::string ClipboardText() override;
    std::int32_t ParentColor() const override { return FColor; }
    const TFont32& ParentFont() const override { return FFont; }
    void PaintParentBackground(TBitmap32& target, const TRect& bounds) override;
    void InsertControl(TControl& control) override;
    void RemoveControl(TControl& control) override;

    // ---- TWindowEventSink (screen pixels) -------------------------------------
    void WindowMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void WindowMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void WindowMouseMove(TShiftState shift, int x, int y) override;
    void WindowMouseWheel(int notches, TShiftState shift, int x, int y) override;
    void WindowMouseLeave() override;
    void WindowKeyDown(int key, TShiftState shift, char32_t character) override;
    void WindowKeyUp(int key, TShiftState shift) override;
    void WindowFocusChanged(bool focused) override;
    void WindowExposed(const TRect& r) override;

protected:
    // The editor thread's share of posted marks; the default handles
    // kMarkRepaint. Derived forms handle their bits and call this.
    virtual void HandleMarks(std::uint64_t bits);
    // Reports what a handler threw (OnError, LastError).
    void ReportError(std::exception_ptr error);

    // What the form draws; the size of the client area.
    TBitmap32 FBackBuffer;

private:
    TControl* KeyTarget() const;
    void UpdateHover(int x, int y);
    void DeliverKeyDown(int key, TShiftState shift);
    void DeliverKeyUp(int key, TShiftState shift);
    void DeliverKeyPress(char32_t character);
    // False for the twin of a key that came by the other path moments ago.
    bool FirstOfTwins(TKeyPath path, TKeyStroke stroke, std::int32_t code);
    void ApplyMenuResult(const TMenuView::TResult& result);
    void UpdateKeyboardHold();
    void Compose(const TRect& r);
    void ResizePixels();
    void EndPress(int x, int y);
    bool IsDoubleClick(TMouseButton button, int x, int y);
    // Runs an event handler; what it throws is reported, not propagated.
    template <class F>
    void Guarded(F&& handler) {
        try {
            handler();
        } catch (...) {
            ReportError(std::current_exception());
        }
    }

    TBitmap32 FFrame;
    int FUnitWidth = 0, FUnitHeight = 0;
    TPixelScale FScale;
    TDirtyRegion FDirty;    // to recompose, screen pixels
    TDirtyRegion FExposed;  // to copy again
    std::int32_t FColor;
    TFont32 FFont;
    std::vector<TControl*> FControls;  // z-order: first is bottom
    TControl* FCapture = nullptr;      // explicit or implicit (press) capture
    TControl* FFocused = nullptr;
    TControl* FHover = nullptr;
    bool FFormPressed = false;  // a press on the form itself is held
    unsigned FButtonsHeld = 0;  // bit per TMouseButton, presses delivered to a control or the form
    bool FTypingBoxOpen = false;
    bool FHoldingKeyboard = false;  // the window asked for the focus and has not given it back
    unsigned FMenuButtons = 0;      // presses an open menu took: their releases go to it too
    TPoint FCursor;                 // units
    // The last press, for double clicks: button, place and time.
    struct TPress {
        TMouseButton Button = TMouseButton::Left;
        TPoint At;
        std::chrono::steady_clock::time_point Time;
        bool Double = false;
    } FLastPress;
    TMenuView FMenuView;
    bool FSwallowKeyPress = false;               // the menu took the key whose character follows
    bool FHostShift = false, FHostCtrl = false;  // modifier keys forwarded by the host
    TKeyDeduplicator FKeyTwins;
    TPlatformWindow* FWindow = nullptr;
    std::string FLocalClipboard;
    std::string FLastError;
    bool FCreated = false;
    bool FDestroyed = false;
    std::atomic<std::uint64_t> FMarks{0};
};

}  // namespace tessel
