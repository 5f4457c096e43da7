#pragma once
// TCustomDial32: a rotary knob that the user turns by dragging the mouse
// up and down. It holds the value (Min..Max, Position), the pointer's
// angular layout, the mouse handling and a back buffer that is rendered
// only when something changed and then composed into the form's frame.
//
// Dragging: only vertical movement counts, moving up increases the value.
// One pixel is (Max - Min + 1) · 0.005; Shift divides that by ten, Ctrl by
// another ten (for a 0..1 knob: 0.01, 0.001 with Shift or Ctrl, 0.0001
// with both). Steps come from the pointer's relative movement between
// events, so a drag works the same whether or not the window system lets
// the pointer be moved back (LockCursor).
//
// A press takes the mouse capture until every button is up; the knob lets
// go of it itself. OnClick fires on the left press, as the knob always has.
//
// The mouse wheel turns the knob too, as users of current plug-ins expect:
// one notch is a hundredth of Min..Max, a thousandth with Shift, through
// SetPosition like a drag (so OnChange sees it the same way).
//
// Threads: editor thread only, like every control.

#include <functional>

#include "gui/controls/Control.h"
#include "gui/controls/DialPointerAngles.h"
#include "gui/surface/Bitmap32.h"

namespace tessel {

// What is turning a knob while its OnChange runs.
enum class TDialGesture { None, Drag, Wheel };

class TCustomDial32 : public TControl {
public:
    using TPaintEvent = std::function<void(TControl& sender, TBitmap32& buffer)>;

    explicit TCustomDial32(TControlHost* host);
    ~TCustomDial32() override;

    // ---- Value ----------------------------------------------------------
    float Min() const { return FMin; }
    float Max() const { return FMax; }
    float Position() const { return FPosition; }
    // Clamped into Min..Max; a change fires OnChange (not while loading)
    // and redraws. NaN is ignored.
    void SetPosition(float value);
    // Throw EDialError when Min would exceed Max (not while loading); a
    // Position left outside the range is moved in without OnChange.
    void SetMin(float value);
    void SetMax(float value);
    // Where Position lies between Min and Max, 0..1 (0 for an empty range).
    float Fraction() const;

    TDialPointerAngles& PointerAngles() { return FPointerAngles; }
    const TDialPointerAngles& PointerAngles() const { return FPointerAngles; }
    // The pointer's angle in radians clockwise from straight up, 0..2π.
    float PointerAngle() const;

    // ---- Look -----------------------------------------------------------
    TColor32 ColorCircle() const { return FColorCircle; }
    void SetColorCircle(TColor32 color);
    // While set, ColorCircle follows Color: translucent black, or white on
    // dark colours.
    bool ColorAuto() const { return FColorAuto; }
    void SetColorAuto(bool value);
    void SetColor(std::int32_t colorWord) override;
    // Switching a knob off ends a drag in progress.
    void SetEnabled(bool enabled) override;
    // Shows the form under the knob instead of a plain fill of Color.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    // Hides the pointer while dragging and puts it back at the knob's
    // centre on release.
    bool LockCursor() const { return FLockCursor; }
    void SetLockCursor(bool value) { FLockCursor = value; }

    // ---- Drawing --------------------------------------------------------
    // Renders the whole knob into the buffer and marks it valid.
    virtual void DrawBuffer();
    const TBitmap32& Buffer() const { return FBuffer; }
    bool BufferValid() const { return FBufferValid; }
    // Renders the buffer if it is stale, then copies it to the frame.
    void Paint(TBitmap32& target) override;

    // ---- Input ----------------------------------------------------------
    bool Dragging() const { return FDragging; }
    // The user's hand behind the current change: a drag, a wheel notch, or
    // neither (the position was set).
    TDialGesture Gesture() const;
    bool CanFocus() const override { return Enabled() && Visible(); }
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    bool MouseWheel(int notches, TShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;

    // ---- Events (Sender is the knob) ------------------------------------
    TNotifyEvent OnChange;
    TNotifyEvent OnDragEnd;  // a drag ended: button released, or the knob switched off
    TNotifyEvent OnMouseEnter, OnMouseLeave;
    TPaintEvent OnPaint;  // after the knob drew itself into the buffer

protected:
    TBitmap32& DrawingBuffer() { return FBuffer; }
    // The background every DrawBuffer starts from: the form under the knob
    // when Transparent, otherwise Color.
    void PaintBackground();
    void FinishBuffer();  // OnPaint, then the buffer is valid
    void Resize() override;
    void Loaded() override;
    void Invalidated() override { FBufferValid = false; }

private:
    void DeriveColorCircle();
    void EndDrag();

    float FMin = 0.0f;
    float FMax = 100.0f;
    float FPosition = 0.0f;
    TDialPointerAngles FPointerAngles;
    TColor32 FColorCircle = 0;
    bool FColorAuto = true;
    bool FTransparent = false;
    bool FLockCursor = false;

    TBitmap32 FBuffer;
    bool FBufferValid = false;

    bool FDragging = false;
    bool FWheeling = false;  // inside MouseWheel
    bool FCursorHidden = false;
    unsigned FButtonsHeld = 0;  // bit per TMouseButton, for the capture
    int FLastX = 0;
    int FLastY = 0;
};

}  // namespace tessel
