// TForm: properties, life, composition and the TControlHost services.
// Input routing lives in FormInput.cpp.

#include "gui/controls/Form.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "gui/surface/SystemColors.h"

namespace tessel {

TForm::TForm() : FColor(clBtnFace) {}

// Controls belong to the derived form and are gone by now; any still
// registered would only be forgotten here.
TForm::~TForm() = default;

void TForm::ReportError(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        FLastError = e.what();
    } catch (...) {
        FLastError = "Unknown error";
    }
    if (!OnError) return;
    try {
        OnError(*this, FLastError);
    } catch (...) {
        // The report itself failed; the text stays in LastError.
    }
}

// ---- Properties ----------------------------------------------------------------

void TForm::SetClientSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == FUnitWidth && height == FUnitHeight) return;
    FUnitWidth = width;
    FUnitHeight = height;
    ResizePixels();
    if (OnResize) Guarded([&] { OnResize(*this); });
}

void TForm::SetScale(TPixelScale scale) {
    if (scale == FScale || scale.Percent <= 0) return;
    FScale = scale;
    CloseMenu();
    ResizePixels();
    for (TControl* control : FControls) {
        Guarded([&] { control->ScaleChanged(); });
        control->Invalidate();
    }
    if (OnResize) Guarded([&] { OnResize(*this); });
}

void TForm::ResizePixels() {
    const int width = FScale.Pixels(FUnitWidth), height = FScale.Pixels(FUnitHeight);
    FFrame.Resize(width, height);
    FBackBuffer.Resize(width, height);
    FBackBuffer.Clear(FromSystemColor(FColor));
    FDirty.ClipTo(ClientRect());
    FExposed.ClipTo(ClientRect());
    InvalidateAll();
}

void TForm::SetColor(std::int32_t colorWord) {
    if (colorWord == FColor) return;
    FColor = colorWord;
    // Controls whose colour follows the form take the new one.
    for (TControl* control : FControls) {
        Guarded([&] { control->ParentColorChanged(); });
        control->Invalidate();
    }
}

void TForm::SetFont(const TFont32& font) {
    if (font == FFont) return;
    FFont = font;
    for (TControl* control : FControls) control->Invalidate();
}

// ---- Life ------------------------------------------------------------------------

void TForm::Create() {
    if (FCreated) return;
    FCreated = true;
    // A failure here fails the window's construction: it propagates.
    if (OnCreate) OnCreate(*this);
}

void TForm::Destroy() {
    if (!FCreated || FDestroyed) return;
    FDestroyed = true;
    CloseMenu();
    if (OnDestroy) Guarded([&] { OnDestroy(*this); });
}

// ---- Marks -------------------------------------------------------------------------

void TForm::ProcessMarks() {
    const std::uint64_t bits = FMarks.exchange(0, std::memory_order_acquire);
    if (bits != 0) Guarded([&] { HandleMarks(bits); });
}

void TForm::HandleMarks(std::uint64_t bits) {
    if (bits & kMarkRepaint) InvalidateAll();
}

// ---- Composition -------------------------------------------------------------------

void TForm::InvalidateRect(const TRect& r) { InvalidatePixels(FScale.Rect(r)); }

void TForm::InvalidatePixels(const TRect& r) { FDirty.Add(IntersectRect(r, ClientRect())); }

TDirtyRegion TForm::ComposeFrame() {
    // Painting may invalidate again; that belongs to the next frame.
    TDirtyRegion dirty = std::move(FDirty);
    FDirty.Clear();
    TDirtyRegion present = std::move(FExposed);
    FExposed.Clear();
    for (const TRect& r : dirty.Rects()) {
        Compose(r);
        present.Add(r);
    }
    return present;
}

void TForm::Compose(const TRect& r) {
    // The back buffer, copied row by row (it always has the client size
    // unless a derived form resized it; the rest then shows the form colour).
    const TRect fromBuffer = IntersectRect(r, FBackBuffer.BoundsRect());
    if (fromBuffer != r) {
        FFrame.SetClip(r);
        FFrame.FillRect(r.Left, r.Top, r.Right, r.Bottom, FromSystemColor(FColor));
    }
    for (int y = fromBuffer.Top; y < fromBuffer.Bottom; ++y)
        std::memcpy(FFrame.RowPixels(y) + fromBuffer.Left, FBackBuffer.RowPixels(y) + fromBuffer.Left,
                    static_cast<std::size_t>(fromBuffer.Width()) * sizeof(TColor32));
    for (TControl* control : FControls) {
        if (!control->Visible()) continue;
        const TRect area = IntersectRect(r, control->PixelBounds());
        if (area.IsEmpty()) continue;
        FFrame.SetClip(area);
        Guarded([&] { control->Paint(FFrame); });
    }
    if (FMenuView.IsOpen()) FMenuView.Paint(FFrame, r);
    FFrame.ResetClip();
}

void TForm::PaintParentBackground(TBitmap32& target, const TRect& bounds) {
    const TRect source = IntersectRect(bounds, FBackBuffer.BoundsRect());
    for (int y = source.Top; y < source.Bottom; ++y) {
        TColor32* to = target.RowPixels(y - bounds.Top);
        if (!to) continue;
        const int left = source.Left - bounds.Left;
        const int count = std::min(source.Right - bounds.Left, target.Width()) - left;
        if (left < 0 || count <= 0) continue;
        std::memcpy(to + left, FBackBuffer.RowPixels(y) + source.Left,
                    static_cast<std::size_t>(count) * sizeof(TColor32));
    }
}

// ---- Controls ----------------------------------------------------------------------

void TForm::InsertControl(TControl& control) { FControls.push_back(&control); }

void TForm::RemoveControl(TControl& control) {
    std::erase(FControls, &control);
    // Forget the control without calling it back: it is being destroyed.
    if (FCapture == &control) FCapture = nullptr;
    if (FFocused == &control) FFocused = nullptr;
    if (FHover == &control) FHover = nullptr;
    InvalidateRect(control.BoundsRect());
}

TControl* TForm::ControlAt(int x, int y) const {
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* control = *it;
        if (control->Visible() && control->Enabled() && control->BoundsRect().Contains(x, y)) return control;
    }
    return nullptr;
}

void TForm::SetCapture(TControl* control) { FCapture = control; }

void TForm::ReleaseCapture(TControl* control) {
    if (FCapture == control) FCapture = nullptr;
}

void TForm::SetFocusedControl(TControl* control) {
    if (control == FFocused || (control && !control->CanFocus())) return;
    TControl* previous = FFocused;
    FFocused = control;
    if (previous) {
        Guarded([&] { previous->FocusChanged(false); });
        previous->Invalidate();
    }
    if (control && FFocused == control) {
        Guarded([&] { control->FocusChanged(true); });
        control->Invalidate();
    }
}

// ---- Services ------------------------------------------------------------------------

void TForm::SetCursorHidden(bool hidden) {
    if (FWindow) FWindow->SetCursorHidden(hidden);
}

void TForm::WarpPointer(int x, int y) {
    if (FWindow) FWindow->WarpPointer(FScale.Pixels(x), FScale.Pixels(y));
}

void TForm::SetClipboardText(const std::string& text) {
    if (FWindow)
        FWindow->SetClipboardText(text);
    else
        FLocalClipboard = text;
}

std::string TForm::ClipboardText() { return FWindow ? FWindow->ClipboardText() : FLocalClipboard; }

// ---- Menus -----------------------------------------------------------------------------

void TForm::Popup(TPopupMenu& menu) { Popup(menu, FCursor.x, FCursor.y); }

void TForm::Popup(TPopupMenu& menu, int x, int y) {
    // The menu takes over the buttons now held: their releases go to it,
    // and the control or form that got the press gets no release.
    FMenuButtons |= FButtonsHeld;
    FButtonsHeld = 0;
    FCapture = nullptr;
    FFormPressed = false;
    if (TControl* hover = FHover) {
        FHover = nullptr;
        Guarded([&] { hover->MouseLeave(); });
    }
    InvalidatePixels(FMenuView.Open(menu, FScale.Pixels(x), FScale.Pixels(y), ClientRect(), FFont, FScale));
    UpdateKeyboardHold();
}

void TForm::CloseMenu() {
    InvalidatePixels(FMenuView.Close());
    UpdateKeyboardHold();
}

void TForm::ApplyMenuResult(const TMenuView::TResult& result) {
    InvalidatePixels(result.Dirty);
    if (result.Chosen) Guarded([&] { result.Chosen->Click(); });
    UpdateKeyboardHold();
}

// ---- The keyboard --------------------------------------------------------------------

void TForm::SetTypingBoxOpen(bool open) {
    FTypingBoxOpen = open;
    UpdateKeyboardHold();
}

void TForm::UpdateKeyboardHold() {
    const bool wanted = FTypingBoxOpen || FMenuView.IsOpen();
    if (wanted == FHoldingKeyboard || !FWindow) return;
    FHoldingKeyboard = wanted;
    if (wanted)
        FWindow->TakeFocus();
    else
        FWindow->ReleaseFocus();
}

}  // namespace tessel
