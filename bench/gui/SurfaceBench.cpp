// Costs of the surface operations the editor and the knob use, on a surface
// of the editor's size (718 × 381).

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "gui/surface/Bitmap32.h"

namespace tessel {
namespace {

constexpr int kEditorWidth = 718;
constexpr int kEditorHeight = 381;
constexpr TColor32 kFormColor = 0xFFD8D5CDu;  // the default colour scheme

std::vector<TFixedPoint> Octagon(const TRect& r) {
    auto p = [](int x, int y) { return TFixedPoint{FixedFromInt(x), FixedFromInt(y)}; };
    return {p(r.Left + 2, r.Top),         p(r.Right - 3, r.Top),        p(r.Right - 1, r.Top + 2),
            p(r.Right - 1, r.Bottom - 3), p(r.Right - 3, r.Bottom - 1), p(r.Left + 2, r.Bottom - 1),
            p(r.Left, r.Bottom - 3),      p(r.Left, r.Top + 2)};
}

void BM_NoiseFillTwoPasses(benchmark::State& state) {
    TBitmap32 s(kEditorWidth, kEditorHeight);
    TXorShiftRandom random(1);
    for (auto _ : state) {
        s.NoiseFill(kFormColor, 48, true, random);
        benchmark::DoNotOptimize(s.Bits());
    }
}
BENCHMARK(BM_NoiseFillTwoPasses)->Unit(benchmark::kMillisecond);

void BM_StackBlurRadius4(benchmark::State& state) {
    TBitmap32 s(kEditorWidth, kEditorHeight);
    TXorShiftRandom random(1);
    s.NoiseFill(kFormColor, 48, true, random);
    for (auto _ : state) {
        s.StackBlur(4);
        benchmark::DoNotOptimize(s.Bits());
    }
}
BENCHMARK(BM_StackBlurRadius4)->Unit(benchmark::kMillisecond);

// Argument 0: a band-text panel (81 × 17); 1: the large response panel of
// the Display layout (665 × 129).
void BM_OctagonPanel(benchmark::State& state) {
    TBitmap32 s(kEditorWidth, kEditorHeight);
    s.Clear(kFormColor);
    const TRect r = state.range(0) == 0 ? TRect{20, 52, 101, 69} : TRect{27, 8, 692, 137};
    const auto octagon = Octagon(r);
    const TColor32 panel = Lighten(0x7FD8D5CDu, 127);
    for (auto _ : state) {
        s.FillPolygon(octagon, panel, pfAlternate, am8times);
        s.StrokePolyline(octagon, Lighten(panel, -128), true);
        benchmark::DoNotOptimize(s.Bits());
    }
}
BENCHMARK(BM_OctagonPanel)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The knob's metal sheen as a span filler over a 60-pixel disc.
struct TMetalShading {
    int Width, Height;
    TColor32 Base;
    void operator()(TColor32* pixels, int x, int y, int count, const std::uint8_t* coverage) const {
        for (int i = 0; i < count; ++i) {
            const int dx = Width / 2 - (x + i), dy = Height / 2 - y;
            const double t = std::abs(std::atan2(dx, dy)) / M_PI * 2.9999;
            const int k = static_cast<int>(std::nearbyint(t + 1.5)) % 3;
            const int shade = k == 0 ? static_cast<int>(std::nearbyint(99.5 - 50 * t)) - 25
                                     : static_cast<int>(std::nearbyint(50 * t + 99.5)) % 100 - 25;
            pixels[i] = Blend(WithAlpha(Lighten(Base, shade), coverage[i]), pixels[i]);
        }
    }
};

void BM_DiscThroughSpanFiller(benchmark::State& state) {
    TBitmap32 s(kEditorWidth, kEditorHeight);
    const double radius = 30.0, cx = 200.0, cy = 150.0;
    const int n = static_cast<int>(std::lround(2.0 / std::asin(1.0 / radius)));
    std::vector<TFixedPoint> disc;
    for (int i = 0; i < n; ++i) {
        const double a = 2.0 * M_PI * i / n;
        disc.push_back(FixedPoint(cx - radius * std::sin(a), cy + radius * std::cos(a)));
    }
    TMetalShading shading{kEditorWidth, kEditorHeight, kFormColor};
    auto plain = [](TColor32* pixels, int, int, int count, const std::uint8_t* coverage) {
        for (int i = 0; i < count; ++i) pixels[i] = Blend(WithAlpha(kFormColor, coverage[i]), pixels[i]);
    };
    for (auto _ : state) {
        if (state.range(0) == 0)
            s.FillPolygonWith(disc, shading, pfAlternate, am8times);
        else
            s.FillPolygonWith(disc, plain, pfAlternate, am8times);
        benchmark::DoNotOptimize(s.Bits());
    }
}
// Argument 0: the knob's metal shading; 1: a plain blending filler, which
// leaves mostly the rasteriser's own cost.
BENCHMARK(BM_DiscThroughSpanFiller)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_DrawTextLabelLevel2(benchmark::State& state) {
    TBitmap32 s(kEditorWidth, kEditorHeight);
    s.Clear(kFormColor);
    s.Font().Name = "Verdana";
    s.Font().Size = 8;
    s.DrawText(20, 153, "1.50 kHz", 2, kBlack32);  // glyph cache warm, as in a running editor
    for (auto _ : state) {
        s.DrawText(20, 153, "1.50 kHz", 2, kBlack32);
        benchmark::DoNotOptimize(s.Bits());
    }
}
BENCHMARK(BM_DrawTextLabelLevel2)->Unit(benchmark::kMicrosecond);

// What the editor does per value text: measure at 1×, then draw centred at
// level 2 (4×), so the face switches between two sizes every time.
void BM_CentredLabelLevel2(benchmark::State& state) {
    TBitmap32 s(kEditorWidth, kEditorHeight);
    s.Clear(kFormColor);
    s.Font().Name = "Verdana";
    s.Font().Size = 8;
    const TRect r{20, 152, 101, 169};
    for (auto _ : state) {
        const int x = (r.Left + r.Right - s.TextWidth("1.50 kHz")) / 2;
        s.DrawText(x, r.Top + 1, "1.50 kHz", 2, kBlack32);
        benchmark::DoNotOptimize(s.Bits());
    }
}
BENCHMARK(BM_CentredLabelLevel2)->Unit(benchmark::kMicrosecond);

void BM_TextWidth(benchmark::State& state) {
    TBitmap32 s;
    s.Font().Name = "Verdana";
    s.Font().Size = 8;
    for (auto _ : state) benchmark::DoNotOptimize(s.TextWidth("1.50 kHz"));
}
BENCHMARK(BM_TextWidth)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tessel
