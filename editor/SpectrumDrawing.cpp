#include "editor/SpectrumDrawing.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "editor/SpectrumAnalyser.h"

namespace tessel {
namespace {

TFixed ToFixed(double pixels) { return static_cast<TFixed>(std::lround(pixels * kFixedOne)); }

}  // namespace

void DrawSpectrum(TBitmap32& target, const TRect& display, std::span<const float> levelsDb, TColor32 fill,
                  TColor32 edge, double edgeWidth) {
    if (levelsDb.empty() || display.Height() <= 0) return;
    const double bottom = display.Bottom;
    const double pixelsPerDb = display.Height() / -TSpectrumAnalyser::kFloorDb;
    std::vector<TFixedPoint> outline;
    outline.reserve(levelsDb.size() + 2);
    for (std::size_t c = 0; c < levelsDb.size(); ++c) {
        const double y = std::clamp(display.Top - static_cast<double>(levelsDb[c]) * pixelsPerDb,
                                    static_cast<double>(display.Top), bottom);
        outline.push_back({ToFixed(display.Left + 1.0 + static_cast<double>(c)), ToFixed(y)});
    }
    std::vector<TFixedPoint> shape;
    shape.reserve(outline.size() + 2);
    shape.push_back({outline.front().x, ToFixed(bottom)});
    shape.insert(shape.end(), outline.begin(), outline.end());
    shape.push_back({outline.back().x, ToFixed(bottom)});
    target.SetClip(display);
    target.FillPolygon(shape, fill);
    target.StrokePolyline(outline, edge, false, edgeWidth);
    target.ResetClip();
}

}  // namespace tessel
