#include "gui/controls/MetalFace.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "gui/controls/DialGeometry.h"

namespace tessel {
namespace {

constexpr float kDiscRadius = 0.35f;  // of min(width, height)
constexpr float kRingSpacing = 3.0f;  // pixels between engraved rings
constexpr float kCapRadius = 0.3f;    // rings stop once within 0.3 · min + 1 pixel
constexpr int kRimDarken = -128;      // levels
constexpr int kRingDarken = -32;
constexpr int kCapRimDarken = -64;

// Sheen shape: t runs 0 (straight up) to just under 3 (straight down);
// each third ramps over 50 levels, offset to centre on 0.
constexpr double kThirds = 2.9999;
constexpr double kRampLevels = 50.0;
constexpr int kShadeOffset = 25;

double RoundEven(double v) { return std::nearbyint(v); }

}  // namespace

int TMetalShading::Shade(int x, int y) const {
    const double dx = Width / 2 - x, dy = Height / 2 - y;
    const double t = std::fabs(std::atan2(dx, dy)) / std::numbers::pi * kThirds;
    const int k = static_cast<int>(RoundEven(t + 1.5)) % 3;
    if (k == 0) return static_cast<int>(RoundEven(99.5 - kRampLevels * t)) - kShadeOffset;
    return static_cast<int>(RoundEven(kRampLevels * t + 99.5)) % 100 - kShadeOffset;
}

void TMetalShading::operator()(TColor32* pixels, int x, int y, int count, const std::uint8_t* coverage) const {
    for (int i = 0; i < count; ++i) {
        const TColor32 c = Lighten(Base, Shade(x + i, y) * Direction);
        pixels[i] = Blend(ScaleAlpha(c, coverage[i]), pixels[i]);
    }
}

void RenderMetalFace(TBitmap32& face, TColor32 base, const TShadow32& shadow, TPixelScale scale) {
    const int w = face.Width(), h = face.Height();
    if (w == 0 || h == 0) return;
    const float m = static_cast<float>(std::min(w, h));
    const float cx = static_cast<float>(w) / 2.0f, cy = static_cast<float>(h) / 2.0f;
    face.SetDrawMode(dmBlend);

    float r = kDiscRadius * m;
    TMetalShading shading{w, h, base, 1};
    std::vector<TFixedPoint> circle = CirclePolygon(cx, cy, r);
    face.FillPolygonWith(circle, shading);
    const double line = scale.Factor();  // one unit wide
    face.StrokePolyline(circle, Lighten(base, kRimDarken), true, line);

    const float spacing = kRingSpacing * static_cast<float>(scale.Factor());
    const float capGap = static_cast<float>(scale.Factor());  // the 1 unit between the last ring and the cap
    for (r -= spacing; r > kCapRadius * m + capGap; r -= spacing)
        face.StrokePolyline(CirclePolygon(cx, cy, r), Lighten(base, kRingDarken), true, line);

    if (r > 0.0f) {
        shading.Direction = -1;
        circle = CirclePolygon(cx, cy, r);
        face.FillPolygonWith(circle, shading);
        face.StrokePolyline(circle, Lighten(base, kCapRimDarken), true, line);
    }

    if (shadow.Visible())
        face.DropShadow(scale.Pixels(shadow.OffsetX()), scale.Pixels(shadow.OffsetY()), scale.Length(shadow.Blur()),
                        shadow.Transparency());
}

}  // namespace tessel
