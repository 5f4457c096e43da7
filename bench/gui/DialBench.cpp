// Costs of the metal knob on the editor's form (718 × 381): one knob's
// DrawBuffer (background from the form, face, arc, pointer), and one drag
// frame — a one-pixel move that changes the position, the redraw and the
// composition into the form's frame. Argument: the knob's height (83 in
// the Knobs layout, 52 in the Display layout; 81 pixels wide).

#include <benchmark/benchmark.h>

#include "gui/controls/MetalDial32.h"

namespace tessel {
namespace {

constexpr int kEditorWidth = 718;
constexpr int kEditorHeight = 381;
constexpr std::int32_t kFormColorWord = 13489624;  // the default colour scheme

// The form as far as a knob sees it: a textured background to show
// through, and no-ops for the rest.
class TBenchHost final : public TControlHost {
public:
    TBenchHost() : FBackground(kEditorWidth, kEditorHeight) {
        TXorShiftRandom random(1);
        FBackground.Clear(FromSystemColor(kFormColorWord));
        FBackground.NoiseFill(FromSystemColor(kFormColorWord), 48, true, random);
    }
    void InvalidateRect(const TRect&) override {}
    void SetCapture(TControl* c) override { FCapture = c; }
    void ReleaseCapture(TControl*) override { FCapture = nullptr; }
    TControl* Capture() const override { return FCapture; }
    void SetFocusedControl(TControl* c) override { FFocus = c; }
    TControl* FocusedControl() const override { return FFocus; }
    void SetCursorHidden(bool) override {}
    void WarpPointer(int, int) override {}
    void SetClipboardText(const std::string&) override {}
    std::string ClipboardText() override { return {}; }
    std::int32_t ParentColor() const override { return kFormColorWord; }
    const TFont32& ParentFont() const override { return FFont; }
    void PaintParentBackground(TBitmap32& target, const TRect& bounds) override {
        FBackground.DrawOnto(target, {0, 0, bounds.Width(), bounds.Height()}, bounds);
    }

private:
    TBitmap32 FBackground;
    TFont32 FFont;
    TControl* FCapture = nullptr;
    TControl* FFocus = nullptr;
};

// Configured as the editor's gain knobs.
void Configure(TMetalDial32& knob, int height) {
    knob.SetBounds(220, 69, 81, height);
    knob.SetTransparent(true);
    knob.SetLockCursor(true);
    knob.SetRangeStyle(rsCenter);
    knob.SetColorCircle(0x7FFF0000u);
    knob.SetColorAuto(false);
    knob.Shadow().SetBlur(4);
    knob.Shadow().SetVisible(true);
    knob.Shadow().SetTransparency(160);
    knob.SetPosition(0.3f);
}

void BM_KnobDrawBuffer(benchmark::State& state) {
    TBenchHost host;
    TMetalDial32 knob(&host);
    Configure(knob, static_cast<int>(state.range(0)));
    knob.DrawBuffer();  // renders the shared face once
    for (auto _ : state) {
        knob.DrawBuffer();
        benchmark::DoNotOptimize(knob.Buffer().Bits());
    }
}
BENCHMARK(BM_KnobDrawBuffer)->Arg(83)->Arg(52)->Unit(benchmark::kMicrosecond);

void BM_KnobDragFrame(benchmark::State& state) {
    TBenchHost host;
    TMetalDial32 knob(&host);
    Configure(knob, static_cast<int>(state.range(0)));
    TBitmap32 frame(kEditorWidth, kEditorHeight);
    frame.SetClip(knob.BoundsRect());
    knob.Paint(frame);
    TShiftState held;
    held.Left = true;
    knob.MouseDown(TMouseButton::Left, held, 40, 40);
    int y = 40, direction = -1;
    for (auto _ : state) {
        y += direction;
        if (y <= 10 || y >= 60) direction = -direction;  // positions stay within 0.1..0.6
        knob.MouseMove(held, 40, y);
        knob.Paint(frame);
        benchmark::DoNotOptimize(frame.Bits());
    }
    knob.MouseUp(TMouseButton::Left, {}, 40, y);
}
BENCHMARK(BM_KnobDragFrame)->Arg(83)->Arg(52)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tessel
