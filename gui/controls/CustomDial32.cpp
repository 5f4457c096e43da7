#include "gui/controls/CustomDial32.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "gui/controls/DialGeometry.h"

namespace tessel {
namespace {

// ColorCircle while ColorAuto: translucent black, or white on dark colours.
constexpr TColor32 kAutoCircleDark = 0x5F000000u;
constexpr TColor32 kAutoCircleLight = 0x5FFFFFFFu;
constexpr int kDarkChannel = 128;

// Drag steps per pixel, as fractions of (Max - Min + 1).
constexpr float kCoarseStep = 0.005f;
constexpr float kCtrlStep = 0.0005f;
constexpr float kShiftFactor = 0.1f;
// Wheel notches, as fractions of (Max - Min).
constexpr float kWheelFraction = 0.01f;
constexpr float kFineWheelFraction = 0.001f;  // with Shift

// The plain knob of this class: a disc and a line pointer of this radius,
// as a fraction of min(width, height).
constexpr float kPlainRadius = 0.45f;

}  // namespace

TCustomDial32::TCustomDial32(TControlHost* host) : TControl(host) {
    FPointerAngles.SetOnChange([this] { Invalidate(); });
}

TCustomDial32::~TCustomDial32() {
    // A knob closed in the middle of a drag must not leave the pointer hidden.
    if (FCursorHidden && Host()) Host()->SetCursorHidden(false);
}

void TCustomDial32::SetPosition(float value) {
    if (std::isnan(value)) return;
    value = std::clamp(value, FMin, FMax);
    if (value == FPosition) return;
    FPosition = value;
    if (!Loading() && OnChange) OnChange(*this);
    Invalidate();
}

void TCustomDial32::SetMin(float value) {
    if (value == FMin) return;
    if (std::isnan(value) || (value > FMax && !Loading())) throw EDialError("Min must not be above Max");
    FMin = value;
    if (FMin > FPosition) FPosition = FMin;
    Invalidate();
}

void TCustomDial32::SetMax(float value) {
    if (value == FMax) return;
    if (std::isnan(value) || (value < FMin && !Loading())) throw EDialError("Max must not be below Min");
    FMax = value;
    if (FMax < FPosition) FPosition = FMax;
    Invalidate();
}

float TCustomDial32::Fraction() const {
    const double lo = FMin, span = static_cast<double>(FMax) - lo;
    if (!(span > 0.0) || !std::isfinite(span)) return 0.0f;
    return static_cast<float>((static_cast<double>(FPosition) - lo) / span);
}

float TCustomDial32::PointerAngle() const {
    double degrees = FPointerAngles.Range() * static_cast<double>(Fraction()) + FPointerAngles.Start();
    degrees = std::fmod(degrees, 360.0);
    if (degrees < 0.0) degrees += 360.0;
    return static_cast<float>(degrees * std::numbers::pi / 180.0);
}

void TCustomDial32::SetColorCircle(TColor32 color) {
    if (color == FColorCircle) return;
    FColorCircle = color;
    Invalidate();
}

void TCustomDial32::SetColorAuto(bool value) {
    if (value == FColorAuto) return;
    FColorAuto = value;
    if (FColorAuto) DeriveColorCircle();
}

void TCustomDial32::SetColor(std::int32_t colorWord) {
    TControl::SetColor(colorWord);
    if (FColorAuto) DeriveColorCircle();
}

// Looks at the colour word's raw bytes (red lowest), system colour words
// included, as the knob always has.
void TCustomDial32::DeriveColorCircle() {
    const auto word = static_cast<std::uint32_t>(Color());
    const int red = word & 0xFF, green = (word >> 8) & 0xFF, blue = (word >> 16) & 0xFF;
    const bool dark = red < kDarkChannel && (green < kDarkChannel || blue < kDarkChannel);
    FColorCircle = dark ? kAutoCircleLight : kAutoCircleDark;
    Invalidate();
}

void TCustomDial32::SetTransparent(bool value) {
    if (value == FTransparent) return;
    FTransparent = value;
    Invalidate();
}

void TCustomDial32::SetEnabled(bool enabled) {
    if (!enabled) {  // a knob switched off mid-drag lets go of the mouse
        EndDrag();
        FButtonsHeld = 0;
        if (Host() && Host()->Capture() == this) Host()->ReleaseCapture(this);
    }
    TControl::SetEnabled(enabled);
}

// ---- Drawing -------------------------------------------------------------

void TCustomDial32::PaintBackground() {
    FBuffer.Font() = Font();
    if (!FTransparent) {
        FBuffer.FillRect(0, 0, FBuffer.Width(), FBuffer.Height(), FromSystemColor(Color()));
        return;
    }
    FBuffer.Clear();
    if (Host()) Host()->PaintParentBackground(FBuffer, PixelBounds());
}

void TCustomDial32::FinishBuffer() {
    if (OnPaint) OnPaint(*this, FBuffer);
    FBufferValid = true;
}

void TCustomDial32::DrawBuffer() {
    PaintBackground();
    const float w = static_cast<float>(FBuffer.Width()), h = static_cast<float>(FBuffer.Height());
    const float cx = w / 2.0f, cy = h / 2.0f, r = kPlainRadius * std::min(w, h);
    FBuffer.FillPolygon(CirclePolygon(cx, cy, r), FColorCircle);
    const float theta = PointerAngle() - std::numbers::pi_v<float> / 2.0f;
    FBuffer.LineSmooth(DialPoint(cx, cy), DialPoint(cx + r * std::cos(theta), cy + r * std::sin(theta)), kBlack32,
                       true);
    FinishBuffer();
}

void TCustomDial32::Paint(TBitmap32& target) {
    if (!FBufferValid) DrawBuffer();
    const TRect at = PixelBounds();
    FBuffer.DrawOnto(target, at.Left, at.Top);
}

// The buffer is in screen pixels: the knob is drawn afresh at each scale.
void TCustomDial32::Resize() {
    const TRect pixels = PixelBounds();
    FBuffer.Resize(pixels.Width(), pixels.Height());
    Invalidate();
}

void TCustomDial32::Loaded() { Resize(); }

// ---- Input ---------------------------------------------------------------

void TCustomDial32::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (!Enabled()) return;  // a disabled knob is not turned, as a disabled window gets no clicks
    FButtonsHeld |= ButtonBit(button);
    if (Host()) Host()->SetCapture(this);
    if (button == TMouseButton::Left) {
        SetFocus();
        FDragging = true;
        FLastX = x;
        FLastY = y;
        if (OnClick) OnClick(*this);
    }
    TControl::MouseDown(button, shift, x, y);
}

void TCustomDial32::MouseMove(TShiftState shift, int x, int y) {
    TControl::MouseMove(shift, x, y);
    if (FDragging && FLockCursor && !FCursorHidden && Host()) {
        Host()->SetCursorHidden(true);
        FCursorHidden = true;
    }
    float step = FMax - FMin + 1.0f;
    if (shift.Shift) step *= kShiftFactor;
    step *= shift.Ctrl ? kCtrlStep : kCoarseStep;
    if (FDragging) SetPosition(FPosition + static_cast<float>(FLastY - y) * step);
    FLastX = x;
    FLastY = y;
}

void TCustomDial32::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    FButtonsHeld &= ~ButtonBit(button);
    if (button == TMouseButton::Left) {
        FLastX = x;
        FLastY = y;
        EndDrag();
    }
    if (FButtonsHeld == 0 && Host() && Host()->Capture() == this) Host()->ReleaseCapture(this);
    TControl::MouseUp(button, shift, x, y);
}

bool TCustomDial32::MouseWheel(int notches, TShiftState shift, int, int) {
    if (!Enabled()) return false;
    const float fraction = shift.Shift ? kFineWheelFraction : kWheelFraction;
    FWheeling = true;
    try {
        SetPosition(FPosition + static_cast<float>(notches) * fraction * (FMax - FMin));
    } catch (...) {
        FWheeling = false;
        throw;
    }
    FWheeling = false;
    return true;
}

TDialGesture TCustomDial32::Gesture() const {
    if (FWheeling) return TDialGesture::Wheel;
    return FDragging ? TDialGesture::Drag : TDialGesture::None;
}

void TCustomDial32::EndDrag() {
    const bool wasDragging = FDragging;
    FDragging = false;
    if (FCursorHidden) {
        FCursorHidden = false;
        if (Host()) {
            if (FLockCursor) Host()->WarpPointer(Left() + Width() / 2, Top() + Height() / 2);
            Host()->SetCursorHidden(false);
        }
    }
    if (wasDragging && OnDragEnd) OnDragEnd(*this);
}

void TCustomDial32::MouseEnter() {
    TControl::MouseEnter();
    if (!(FDragging && FLockCursor) && OnMouseEnter) OnMouseEnter(*this);
}

void TCustomDial32::MouseLeave() {
    TControl::MouseLeave();
    if (!(FDragging && FLockCursor) && OnMouseLeave) OnMouseLeave(*this);
}

}  // namespace tessel
