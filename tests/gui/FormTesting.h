#pragma once
// Controls for driving a form in tests: each paints a flat colour and
// writes the events it gets into a shared log.

#include <algorithm>
#include <string>
#include <vector>

#include "gui/controls/Control.h"
#include "gui/surface/Bitmap32.h"

namespace tessel::testing {

inline std::string ButtonName(TMouseButton b) {
    return b == TMouseButton::Left ? "L" : b == TMouseButton::Right ? "R" : "M";
}

class TProbeControl : public TControl {
public:
    TProbeControl(TControlHost* host, std::vector<std::string>& log, std::string name, TColor32 color,
                  const TRect& bounds, bool focusable = false)
        : TControl(host), Name(std::move(name)), Fill(color), FLog(log), FFocusable(focusable) {
        SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    }

    std::string Name;
    TColor32 Fill;
    std::u32string Text;    // characters typed into it
    bool TakeKeys = false;  // KeyDown reports the key as taken

    bool CanFocus() const override { return FFocusable; }
    void Paint(TBitmap32& target) override {
        const TRect& b = BoundsRect();
        target.FillRect(b.Left, b.Top, b.Right, b.Bottom, Enabled() ? Fill : 0xFF808080u);
        // One block per typed character, so typing shows in the pixels.
        for (std::size_t i = 0; i < Text.size() && b.Left + 4 + 6 * static_cast<int>(i) + 4 < b.Right; ++i) {
            const int x = b.Left + 4 + 6 * static_cast<int>(i);
            target.FillRect(x, b.Top + 4, x + 4, b.Bottom - 4, 0xFF000000u | (Text[i] * 2654435761u >> 8));
        }
        if (Focused()) target.FillRect(b.Left, b.Top, b.Right, b.Top + 2, 0xFFFFFF00u);
    }
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
        Log("down " + ButtonName(button) + " " + Point(x, y) + (shift.Double ? " double" : ""));
        TControl::MouseDown(button, shift, x, y);
    }
    void MouseMove(TShiftState shift, int x, int y) override {
        Log("move " + Point(x, y));
        TControl::MouseMove(shift, x, y);
    }
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override {
        Log("up " + ButtonName(button) + " " + Point(x, y));
        TControl::MouseUp(button, shift, x, y);
    }
    void MouseEnter() override { Log("enter"); }
    void MouseLeave() override { Log("leave"); }
    bool KeyDown(int& key, TShiftState shift) override {
        Log("key " + std::to_string(key) + (shift.Ctrl ? " ctrl" : "") + (shift.Shift ? " shift" : ""));
        TControl::KeyDown(key, shift);
        return TakeKeys;
    }
    bool KeyPress(char32_t& key) override {
        Log("char " + std::to_string(static_cast<unsigned>(key)));
        Text += key;
        Invalidate();
        return true;
    }
    void FocusChanged(bool focused) override {
        Log(focused ? "focus" : "unfocus");
        TControl::FocusChanged(focused);
    }

protected:
    void Log(const std::string& what) { FLog.push_back(Name + " " + what); }
    static std::string Point(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

private:
    std::vector<std::string>& FLog;
    bool FFocusable;
};

// Knob-like dragging: a left press takes the capture and hides the
// pointer, vertical motion is summed (pixels, up is positive), and the
// release shows the pointer again at the control's centre.
class TDragControl : public TProbeControl {
public:
    using TProbeControl::TProbeControl;
    int Travel = 0;
    bool Dragging = false;

    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
        TProbeControl::MouseDown(button, shift, x, y);
        if (button != TMouseButton::Left) return;
        Dragging = true;
        FLastY = y;
        Host()->SetCapture(this);
        Host()->SetCursorHidden(true);
    }
    void MouseMove(TShiftState shift, int x, int y) override {
        TProbeControl::MouseMove(shift, x, y);
        if (!Dragging) return;
        Travel += FLastY - y;
        FLastY = y;
        Invalidate();
    }
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override {
        TProbeControl::MouseUp(button, shift, x, y);
        if (button != TMouseButton::Left || !Dragging) return;
        Dragging = false;
        Host()->ReleaseCapture(this);
        Host()->SetCursorHidden(false);
        Host()->WarpPointer(Left() + Width() / 2, Top() + Height() / 2);
    }
    void Paint(TBitmap32& target) override {
        TProbeControl::Paint(target);
        // A bar whose height shows the travel.
        const TRect& b = BoundsRect();
        const int h = std::clamp(Travel / 2, 0, b.Height());
        target.FillRect(b.Left, b.Bottom - h, b.Left + 6, b.Bottom, 0xFF00FF00u);
    }

private:
    int FLastY = 0;
};

}  // namespace tessel::testing
