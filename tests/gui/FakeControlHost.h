#pragma once
// A form stand-in for control tests: records what controls ask of their
// window and answers from plain fields. Focus changes notify the controls
// as the form does; the pointer warp is refused, as XWayland refuses it.

#include <string>
#include <vector>

#include "gui/controls/Control.h"
#include "gui/surface/Bitmap32.h"

namespace tessel::testing {

class TFakeControlHost : public TControlHost {
public:
    void InvalidateRect(const TRect& r) override { Invalidated.push_back(r); }
    void SetCapture(TControl* control) override { FCapture = control; }
    void ReleaseCapture(TControl* control) override {
        if (FCapture == control) FCapture = nullptr;
    }
    TControl* Capture() const override { return FCapture; }
    void SetFocusedControl(TControl* control) override {
        if (control == FFocused) return;
        TControl* old = FFocused;
        FFocused = control;
        if (old) old->FocusChanged(false);
        if (control) control->FocusChanged(true);
    }
    TControl* FocusedControl() const override { return FFocused; }
    void SetCursorHidden(bool hidden) override { CursorHidden = hidden; }
    void WarpPointer(int x, int y) override { Warps.push_back({x, y}); }
    void SetClipboardText(const std::string& text) override { Clipboard = text; }
    std::string ClipboardText() override { return Clipboard; }
    std::int32_t ParentColor() const override { return Color; }
    const TFont32& ParentFont() const override { return Font; }
    // Copies the form image under `bounds` (transparent outside it).
    void PaintParentBackground(TBitmap32& target, const TRect& bounds) override {
        ++BackgroundPaints;
        for (int y = 0; y < target.Height(); ++y)
            for (int x = 0; x < target.Width(); ++x)
                target.SetPixel(x, y, FormImage.Pixel(bounds.Left + x, bounds.Top + y));
    }

    std::vector<TRect> Invalidated;
    bool CursorHidden = false;
    std::vector<TPoint> Warps;
    std::string Clipboard;
    std::int32_t Color = 13489624;  // the default colour scheme
    TFont32 Font;
    TBitmap32 FormImage;
    int BackgroundPaints = 0;

private:
    TControl* FCapture = nullptr;
    TControl* FFocused = nullptr;
};

}  // namespace tessel::testing
