// TOrvanePainter: the response display — the bands' combined response over
// the logarithmic frequency axis, or the current program's name.

#include <algorithm>
#include <cmath>

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
        DrawSpectrum(FBackBuffer, g, FSpectrum->Levels(), SpectrumFillColor(FAppearance.FormColor),
                     SpectrumEdgeColor(FAppearance.FormColor));
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

void TOrvanePainter::DrawCurve() {
    const TRect& g = FLayout.GraphRect;
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
    auto point = [&](int x, double py, bool first) {
        if (aliased) {
            const int iy = static_cast<int>(std::nearbyint(py));  // ties to even
            first ? FBackBuffer.MoveTo(x, iy) : FBackBuffer.LineTo(x, iy);
        } else {
            const auto fx = static_cast<float>(x), fy = static_cast<float>(py);
            first ? FBackBuffer.MoveToF(fx, fy) : FBackBuffer.LineToF(fx, fy);
        }
    };
    point(g.Left + 1, y(kLowestHz), true);
    for (int h = 2; h <= n; ++h) point(g.Left + h, y(FrequencyFromPosition(h * step)), false);
    FBackBuffer.ResetClip();
}

}  // namespace tessel
