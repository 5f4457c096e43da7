// TOrvanePainter: the response display — the bands' combined response over
// the logarithmic frequency axis, or the current program's name.

#include <algorithm>
#include <cmath>
#include <vector>

#include "editor/FrequencyPosition.h"
#include "editor/OrvanePainter.h"
#include "editor/OrvanePalette.h"
#include "editor/SpectrumDrawing.h"

namespace tessel {
namespace {

// A response of ±15 dB reaches the display's top and bottom edges; the
// scale is the 32-bit 1/15 the display has always used.
constexpr float kResponseScale = 1.0f / 15.0f;
constexpr double kLowestHz = 20.0;

}  // namespace

void TOrvanePainter::DrawResponse() {
    const TRect& g = FLayout.GraphRect;
    Restore(g);
    if (FAppearance.Analyser && FSpectrum && FSpectrum->Visible())
        DrawSpectrum(FBackBuffer, Pixels(g), FSpectrum->Levels(), SpectrumFillColor(FAppearance.FormColor),
                     SpectrumEdgeColor(FAppearance.FormColor), FAppearance.Scale.Factor());
    if (FAppearance.Magnitude) {
        DrawCurve();
    } else {
        SetFontSize(kTitleTextSize);
        RenderShadowedText(g, "Preset: " + FSource.CurrentProgramName(), kProgramNameStyle.ShadowAlpha,
                           kProgramNameStyle.Blur, kProgramNameStyle.Color,
                           {kProgramNameStyle.OffsetX, kProgramNameStyle.OffsetY});
    }
    Invalidate(g);
}

// One curve point per screen pixel column: at 200 % the curve has twice
// the points, not a stretched 100 % curve. Its width is one unit: above
// 100 % the antialiased curve is one wide stroke; the aliased one is drawn
// as many whole pixels apart vertically as a unit is wide.
void TOrvanePainter::DrawCurve() {
    const TRect g = Pixels(FLayout.GraphRect);
    const int n = g.Width() - 1;
    if (n < 2 || g.Height() <= 0) return;
    FSource.BeginResponse();
    FBackBuffer.SetClip(g);
    FBackBuffer.SetPenColor(ResponseCurveColor(FAppearance.FormColor));
    const double step = 1.0 / n;
    const int half = g.Height() / 2;
    const double scale = half * static_cast<double>(kResponseScale);
    // Beyond the display a point only has to stay on the right side of it:
    // keeps infinite responses (a notch's exact centre) out of the rasterisers.
    const double lowest = g.Top - 2.0 * g.Height(), highest = g.Bottom + 2.0 * g.Height();
    auto y = [&](double hz) {
        const double db = FSource.TotalResponseDb(hz);
        if (std::isnan(db)) return static_cast<double>(g.Top + half);
        return std::clamp(g.Top + half - db * scale, lowest, highest);
    };
    const bool aliased = FAppearance.FontQuality == 0;
    const int width = FAppearance.Scale.Length(1);
    int shift = 0;  // of the aliased pass being drawn, pixels
    auto point = [&](int x, double py, bool first) {
        py += shift;
        if (aliased) {
            const int iy = static_cast<int>(std::nearbyint(py));  // ties to even
            first ? FBackBuffer.MoveTo(x, iy) : FBackBuffer.LineTo(x, iy);
        } else {
            const auto fx = static_cast<float>(x), fy = static_cast<float>(py);
            first ? FBackBuffer.MoveToF(fx, fy) : FBackBuffer.LineToF(fx, fy);
        }
    };
    if (FAppearance.Scale.Unscaled()) {
        point(g.Left + 1, y(kLowestHz), true);
        for (int h = 2; h <= n; ++h) point(g.Left + h, y(FrequencyFromPosition(h * step)), false);
    } else if (!aliased) {
        std::vector<TFixedPoint> curve;
        curve.reserve(static_cast<std::size_t>(n));
        curve.push_back(FixedPoint(g.Left + 1, static_cast<float>(y(kLowestHz))));
        for (int h = 2; h <= n; ++h)
            curve.push_back(FixedPoint(g.Left + h, static_cast<float>(y(FrequencyFromPosition(h * step)))));
        FBackBuffer.StrokePolyline(curve, ResponseCurveColor(FAppearance.FormColor), false, FAppearance.Scale.Factor());
    } else {
        std::vector<double> ys(static_cast<std::size_t>(n) + 1);
        ys[1] = y(kLowestHz);
        for (int h = 2; h <= n; ++h) ys[static_cast<std::size_t>(h)] = y(FrequencyFromPosition(h * step));
        for (int pass = 0; pass < width; ++pass) {
            shift = pass - (width - 1) / 2;
            point(g.Left + 1, ys[1], true);
            for (int h = 2; h <= n; ++h) point(g.Left + h, ys[static_cast<std::size_t>(h)], false);
        }
    }
    FBackBuffer.ResetClip();
}

}  // namespace tessel
