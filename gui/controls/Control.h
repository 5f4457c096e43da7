#pragma once
// TControl: a lightweight child of the editor form. Controls are not native
// windows: each draws itself into the form's back buffer at its bounds, and
// the form routes mouse and key events to it (the control under the
// pointer, the one holding the capture, or the focused one for keys).
//
// TControlHost is what a control may ask of the window it lives in; the
// form implements it. Everything here runs on the editor thread only: host
// calls and parameter changes from other threads never reach a control
// directly, they leave marks the editor thread applies (see the form).
//
// Coordinates handed to a control's mouse handlers are control-local
// units: (0, 0) is the control's top-left corner. Bounds are form units
// (the layout's pixels at 100 %); a control draws at PixelBounds(), its
// bounds on the screen at the host's scale.

#include <cstdint>
#include <functional>
#include <string>

#include "gui/surface/Font32.h"
#include "gui/surface/Geometry.h"
#include "gui/surface/PixelScale.h"
#include "gui/window/ShiftState.h"

namespace tessel {

class TBitmap32;
class TControl;

class TControlHost {
public:
    virtual ~TControlHost() = default;

    // Asks for the rectangle (form units) to be recomposed and copied to
    // the window at the next frame.
    virtual void InvalidateRect(const TRect& r) = 0;

    // Screen pixels per unit: controls lay out and take input in units and
    // draw in screen pixels.
    virtual TPixelScale Scale() const { return {}; }

    // Mouse capture: while a control holds it, every mouse event goes to it.
    virtual void SetCapture(TControl* control) = 0;
    virtual void ReleaseCapture(TControl* control) = 0;
    virtual TControl* Capture() const = 0;

    // Keyboard focus among the form's controls (null: the form itself).
    virtual void SetFocusedControl(TControl* control) = 0;
    virtual TControl* FocusedControl() const = 0;

    // The pointer: hidden while a knob drags, and put back at a point of the
    // form's client area (form units). A refused warp is not an error.
    virtual void SetCursorHidden(bool hidden) = 0;
    virtual void WarpPointer(int x, int y) = 0;

    // The desktop clipboard (X's CLIPBOARD selection), UTF-8.
    virtual void SetClipboardText(const std::string& text) = 0;
    virtual std::string ClipboardText() = 0;

    // The form's colour word (red in the low byte; negative: a system
    // colour), for controls whose colour follows their parent.
    virtual std::int32_t ParentColor() const = 0;
    // The form's font, for controls whose font follows their parent.
    virtual const TFont32& ParentFont() const = 0;

    // Paints the form's background and contents under `bounds` (screen
    // pixels) into `target`, whose (0, 0) is bounds' top-left corner: what
    // a transparent control shows through itself.
    virtual void PaintParentBackground(TBitmap32& target, const TRect& bounds) = 0;

    // A control made with this host joins it (on top of the others) and
    // leaves it when destroyed; the host drops its capture, focus and hover
    // state without calling the departing control back.
    virtual void InsertControl(TControl& /*control*/) {}
    virtual void RemoveControl(TControl& /*control*/) {}
};

class TControl {
public:
    explicit TControl(TControlHost* host);
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;
    virtual ~TControl();

    TControlHost* Host() const { return FHost; }

    // ---- Geometry (form units) --------------------------------------------
    int Left() const { return FBounds.Left; }
    int Top() const { return FBounds.Top; }
    int Width() const { return FBounds.Width(); }
    int Height() const { return FBounds.Height(); }
    const TRect& BoundsRect() const { return FBounds; }
    // Moves and sizes the control; a size change calls Resize().
    void SetBounds(int left, int top, int width, int height);
    // The bounds in screen pixels at the host's scale, and that scale.
    TPixelScale Scale() const { return FHost ? FHost->Scale() : TPixelScale{}; }
    TRect PixelBounds() const { return Scale().Rect(FBounds); }
    // The host's scale changed: a control that keeps pixels sized by it
    // (a back buffer) resizes them.
    void ScaleChanged() { Resize(); }

    // ---- State ----------------------------------------------------------
    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool enabled);
    std::int32_t Color() const { return FColor; }  // colour word
    virtual void SetColor(std::int32_t colorWord);
    const TFont32& Font() const { return FFont; }
    virtual void SetFont(const TFont32& font);
    std::intptr_t Tag = 0;
    bool Focused() const { return FHost && FHost->FocusedControl() == this; }
    void SetFocus();
    // Whether a click gives this control the keyboard focus.
    virtual bool CanFocus() const { return false; }

    // Marks the control's area for recomposition at the next frame (and a
    // control's own back buffer, if it keeps one, as stale).
    void Invalidate();

    // ---- Loading from the form's stored description ---------------------
    // Between BeginLoad and EndLoad, setters skip the run-time side effects
    // their control documents (change events, cross-checks of ranges);
    // EndLoad then calls Loaded, where a control settles its state.
    void BeginLoad() { FLoading = true; }
    void EndLoad();
    bool Loading() const { return FLoading; }

    // The form calls this on its controls after its colour changed, for
    // controls whose colour follows their parent.
    virtual void ParentColorChanged() {}

    // ---- Painting -------------------------------------------------------
    // Draws the control into the form's frame at PixelBounds() (screen
    // pixels); `target`'s clip is already set to the part of them to redraw.
    virtual void Paint(TBitmap32& target) = 0;

    // ---- Input (editor thread; control-local coordinates) ---------------
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseEnter();
    virtual void MouseLeave();
    // One wheel notch per call, +1 away from the user; true when taken.
    virtual bool MouseWheel(int notches, TShiftState shift, int x, int y);
    // Platform virtual-key codes (ShiftState.h); true when taken.
    virtual bool KeyDown(int& key, TShiftState shift);
    virtual bool KeyUp(int& key, TShiftState shift);
    // A typed character (Unicode code point; 13 for Enter, 8 Backspace).
    virtual bool KeyPress(char32_t& key);
    virtual void FocusChanged(bool focused);

    // ---- Events (Sender is the control) ---------------------------------
    using TNotifyEvent = std::function<void(TControl& sender)>;
    using TMouseEvent = std::function<void(TControl& sender, TMouseButton button, TShiftState shift, int x, int y)>;
    using TMouseMoveEvent = std::function<void(TControl& sender, TShiftState shift, int x, int y)>;
    using TKeyEvent = std::function<void(TControl& sender, int& key, TShiftState shift)>;
    using TKeyPressEvent = std::function<void(TControl& sender, char32_t& key)>;

    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TKeyEvent OnKeyDown, OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter, OnExit;  // focus gained / lost

protected:
    virtual void Resize() {}
    virtual void Loaded() {}
    // Called by Invalidate, before the form is asked to recompose.
    virtual void Invalidated() {}

private:
    TControlHost* FHost;
    TRect FBounds;
    bool FVisible = true;
    bool FEnabled = true;
    bool FLoading = false;
    std::int32_t FColor = 0;
    TFont32 FFont;
};

}  // namespace tessel
