// The default control behaviour: geometry, state and the plain events.
// Subclasses extend the input handlers and call these for the events.

#include "gui/controls/Control.h"

namespace tessel {

TControl::TControl(TControlHost* host) : FHost(host) {
    if (FHost) FHost->InsertControl(*this);
}

TControl::~TControl() {
    // A control that goes away must not leave the form pointing at it.
    if (!FHost) return;
    FHost->RemoveControl(*this);
    if (FHost->Capture() == this) FHost->ReleaseCapture(this);
    if (FHost->FocusedControl() == this) FHost->SetFocusedControl(nullptr);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    const TRect next{left, top, left + width, top + height};
    if (next == FBounds) return;
    const bool resized = next.Width() != FBounds.Width() || next.Height() != FBounds.Height();
    Invalidate();
    FBounds = next;
    if (resized) Resize();
    Invalidate();
}

void TControl::SetVisible(bool visible) {
    if (visible == FVisible) return;
    FVisible = visible;
    if (FHost) FHost->InvalidateRect(FBounds);
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    Invalidate();
}

void TControl::SetColor(std::int32_t colorWord) {
    if (colorWord == FColor) return;
    FColor = colorWord;
    Invalidate();
}

void TControl::SetFont(const TFont32& font) {
    if (font == FFont) return;
    FFont = font;
    Invalidate();
}

void TControl::SetFocus() {
    if (FHost && CanFocus()) FHost->SetFocusedControl(this);
}

void TControl::Invalidate() {
    Invalidated();
    if (FHost && FVisible) FHost->InvalidateRect(FBounds);
}

void TControl::EndLoad() {
    FLoading = false;
    Loaded();
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (FEnabled && OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (FEnabled && OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}

void TControl::MouseEnter() {}
void TControl::MouseLeave() {}

bool TControl::MouseWheel(int, TShiftState, int, int) { return false; }

bool TControl::KeyDown(int& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(*this, key, shift);
    return false;
}

bool TControl::KeyUp(int& key, TShiftState shift) {
    if (OnKeyUp) OnKeyUp(*this, key, shift);
    return false;
}

bool TControl::KeyPress(char32_t& key) {
    if (OnKeyPress) OnKeyPress(*this, key);
    return false;
}

void TControl::FocusChanged(bool focused) {
    if (focused ? OnEnter : OnExit) (focused ? OnEnter : OnExit)(*this);
}

}  // namespace tessel
