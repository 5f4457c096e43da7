// The editor's whole background as the editor renders it: brushed texture,
// 36 translucent panels with outlines, and the title with its blurred
// shadow (Knobs layout, default colours). Target: under 15 ms.

#include <benchmark/benchmark.h>

#include <vector>

#include "gui/surface/Bitmap32.h"

namespace tessel {
namespace {

constexpr TColor32 kFormColor = 0xFFD8D5CDu;

void DrawPanel(TBitmap32& s, const TRect& r, TColor32 color) {
    auto p = [](int x, int y) { return TFixedPoint{FixedFromInt(x), FixedFromInt(y)}; };
    const std::vector<TFixedPoint> octagon = {p(r.Left + 2, r.Top),         p(r.Right - 3, r.Top),
                                              p(r.Right - 1, r.Top + 2),    p(r.Right - 1, r.Bottom - 3),
                                              p(r.Right - 3, r.Bottom - 1), p(r.Left + 2, r.Bottom - 1),
                                              p(r.Left, r.Bottom - 3),      p(r.Left, r.Top + 2)};
    s.FillPolygon(octagon, color, pfAlternate, am8times);
    s.StrokePolyline(octagon, Lighten(color, -128), true);
}

void RenderBackground(TBitmap32& s, TRandomSource& random, int titleSizePt = 20) {
    s.Resize(718, 381);
    s.NoiseFill(kFormColor, 48, true, random);
    const TColor32 band = Lighten(WithAlpha(kFormColor, 0x7F), 127);
    const TColor32 light = Lighten(WithAlpha(kFormColor, 0x2F), 127);
    for (int i = 0; i < 7; ++i)
        for (int top : {52, 152, 252, 352}) DrawPanel(s, {20 + 100 * i, top, 101 + 100 * i, top + 17}, band);
    for (int j = 0; j < 6; ++j) DrawPanel(s, {520 + 30 * j, 8, 548 + 30 * j, 34}, light);
    const TRect title{20, 8, 201, 44};
    DrawPanel(s, title, light);
    DrawPanel(s, {220, 8, 501, 44}, light);

    s.Font().Name = "Verdana";
    s.Font().Size = titleSizePt;
    const char* const text = "Tessel EQ";
    TBitmap32 shadow(title.Width(), title.Height());
    shadow.SetDrawMode(dmBlend);
    shadow.SetCombineMode(cmMerge);
    shadow.Font() = s.Font();
    shadow.DrawText((title.Width() - shadow.TextWidth(text)) / 2, 0, text, 4, kBlack32);
    shadow.ShadowMask(120);
    shadow.StackBlur(4);
    shadow.DrawOnto(s, title.Left + 2, title.Top + 2);
    s.DrawText((title.Left + title.Right - s.TextWidth(text)) / 2, title.Top, text, 4, kBlack32);
}

void BM_EditorBackground(benchmark::State& state) {
    TBitmap32 s;
    TXorShiftRandom random(1);
    RenderBackground(s, random);  // glyph cache warm
    for (auto _ : state) {
        RenderBackground(s, random);
        benchmark::DoNotOptimize(s.Bits());
    }
}
BENCHMARK(BM_EditorBackground)->Unit(benchmark::kMillisecond);

void BM_EditorBackgroundColdGlyphs(benchmark::State& state) {
    // A new title size every iteration, so the title's glyphs (at 16 times
    // the size) are rendered anew, as on the first editor open.
    TBitmap32 s;
    TXorShiftRandom random(1);
    int size = 20;
    for (auto _ : state) {
        RenderBackground(s, random, ++size);
        benchmark::DoNotOptimize(s.Bits());
    }
}
BENCHMARK(BM_EditorBackgroundColdGlyphs)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
}  // namespace tessel
