// TBitmap32: aliased and antialiased lines.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "gui/surface/Bitmap32.h"

namespace tessel {
namespace {

constexpr double kMinSmoothLength = 1.0 / 256.0;  // pixels; shorter lines draw nothing

// Narrows [tMin, tMax] to the parameters t at which p + t·d lies within
// [lo, hi]; returns false when no t does.
bool ClipParameter(double p, double d, double lo, double hi, double& tMin, double& tMax) {
    if (d == 0.0) return p >= lo && p <= hi;
    double t0 = (lo - p) / d, t1 = (hi - p) / d;
    if (t0 > t1) std::swap(t0, t1);
    tMin = std::max(tMin, t0);
    tMax = std::min(tMax, t1);
    return tMin <= tMax;
}

}  // namespace

void TBitmap32::MoveTo(int x, int y) {
    FRaster = {x, y};
    FRasterF = {FixedFromInt(x), FixedFromInt(y)};
}

void TBitmap32::LineTo(int x, int y) {
    AliasedLine(FRaster.x, FRaster.y, x, y, FPenColor);
    MoveTo(x, y);
}

void TBitmap32::MoveToF(float x, float y) {
    FRasterF = FixedPoint(x, y);
    FRaster = {FRasterF.x >> 16, FRasterF.y >> 16};
}

void TBitmap32::LineToF(float x, float y) {
    const TFixedPoint to = FixedPoint(x, y);
    LineSmooth(FRasterF, to, FPenColor, false);
    FRasterF = to;
    FRaster = {to.x >> 16, to.y >> 16};
}

// Pixel i (0 .. major - 1) of the line steps once along the major axis and
// sits at round(i · minorDistance / major) along the minor axis (halves
// away from the start), which is what Bresenham's walk produces, computed
// directly so that only the part inside the clip rectangle is visited.
void TBitmap32::AliasedLine(int x0, int y0, int x1, int y1, TColor32 color) {
    const long long dx = static_cast<long long>(x1) - x0;
    const long long dy = static_cast<long long>(y1) - y0;
    const unsigned long long adx = static_cast<unsigned long long>(std::llabs(dx));
    const unsigned long long ady = static_cast<unsigned long long>(std::llabs(dy));
    const bool xMajor = adx >= ady;
    const unsigned long long major = xMajor ? adx : ady;
    const unsigned long long minor = xMajor ? ady : adx;
    if (major == 0) return;

    const TRect clip = ClipRect();
    if (clip.IsEmpty()) return;
    const long long m0 = xMajor ? x0 : y0;
    const long long n0 = xMajor ? y0 : x0;
    const int mStep = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const int nStep = (xMajor ? dy : dx) > 0 ? 1 : -1;
    const long long lo = xMajor ? clip.Left : clip.Top;
    const long long hi = (xMajor ? clip.Right : clip.Bottom) - 1;
    // Steps whose major coordinate m0 + mStep·i lies in [lo, hi].
    long long iFirst = mStep > 0 ? lo - m0 : m0 - hi;
    long long iLast = mStep > 0 ? hi - m0 : m0 - lo;
    iFirst = std::max(iFirst, 0LL);
    iLast = std::min(iLast, static_cast<long long>(major) - 1);

    for (long long i = iFirst; i <= iLast; ++i) {
        // i · minor < 2^64: both factors are below 2^32.
        const unsigned long long product = static_cast<unsigned long long>(i) * minor;
        const unsigned long long q = product / major, r = product % major;
        const long long offset = static_cast<long long>(q + (2 * r >= major ? 1 : 0));
        const long long m = m0 + mStep * i;
        const long long n = n0 + nStep * offset;
        const long long px = xMajor ? m : n, py = xMajor ? n : m;
        if (px >= clip.Left && px < clip.Right && py >= clip.Top && py < clip.Bottom)
            RowPixels(static_cast<int>(py))[px] = color;
    }
}

// Spreads the colour over the 2 × 2 pixels around (x, y) with bilinear
// weights at 1/256-pixel resolution; each pixel takes the colour at alpha ×
// weight by the surface's combine rule.
void TBitmap32::Deposit(double x, double y, TColor32 color) {
    const long long fx = std::llround(x * 256.0), fy = std::llround(y * 256.0);
    const long long ix = fx >> 8, iy = fy >> 8;
    const int wx = static_cast<int>(fx & 255), wy = static_cast<int>(fy & 255);
    const int weights[4] = {(256 - wx) * (256 - wy), wx * (256 - wy), (256 - wx) * wy, wx * wy};
    const int alpha = AlphaComponent(color);
    const TRect& clip = ClipRect();
    const TCombineMode combine = CombineMode();
    for (int k = 0; k < 4; ++k) {
        const long long px = ix + (k & 1), py = iy + (k >> 1);
        if (px < clip.Left || px >= clip.Right || py < clip.Top || py >= clip.Bottom) continue;
        const auto a = static_cast<std::uint8_t>((alpha * weights[k] + 32768) >> 16);
        if (a == 0) continue;
        TColor32& pixel = RowPixels(static_cast<int>(py))[px];
        pixel = Combine(combine, WithAlpha(color, a), pixel);
    }
}

void TBitmap32::LineSmooth(TFixedPoint from, TFixedPoint to, TColor32 color, bool drawLast) {
    const double x0 = FixedToFloat(from.x), y0 = FixedToFloat(from.y);
    const double dx = FixedToFloat(to.x) - x0, dy = FixedToFloat(to.y) - y0;
    const double length = std::hypot(dx, dy);
    const double inked = length + (drawLast ? 1.0 : 0.0);
    if (inked < kMinSmoothLength || AlphaComponent(color) == 0) return;
    const double ux = length > 0.0 ? dx / length : 0.0;
    const double uy = length > 0.0 ? dy / length : 0.0;
    const auto whole = static_cast<long long>(std::floor(inked));

    // Deposits that can touch the clip rectangle: a deposit reaches one
    // pixel right of and below its position.
    const TRect& clip = ClipRect();
    if (clip.IsEmpty()) return;
    double tMin = 0.0, tMax = static_cast<double>(whole);
    if (!ClipParameter(x0, ux, clip.Left - 1.0, clip.Right, tMin, tMax) ||
        !ClipParameter(y0, uy, clip.Top - 1.0, clip.Bottom, tMin, tMax)) {
        tMin = 1.0;  // no whole deposit reaches; the fraction is checked per pixel
        tMax = 0.0;
    }
    const long long kFirst = std::max(0LL, static_cast<long long>(std::ceil(tMin)));
    const long long kLast = std::min(whole - 1, static_cast<long long>(std::floor(tMax)));
    for (long long k = kFirst; k <= kLast; ++k) Deposit(x0 + k * ux, y0 + k * uy, color);

    const double fraction = inked - static_cast<double>(whole);
    const auto alpha = static_cast<std::uint8_t>(std::lround(AlphaComponent(color) * fraction));
    if (alpha == 0) return;
    const double t = std::min(static_cast<double>(whole), length);
    Deposit(x0 + t * ux, y0 + t * uy, WithAlpha(color, alpha));
}

void TBitmap32::StrokePolyline(std::span<const TFixedPoint> points, TColor32 color, bool closed) {
    const std::size_t n = points.size();
    if (n < 2) return;
    for (std::size_t i = 0; i + 1 < n; ++i) LineSmooth(points[i], points[i + 1], color, !closed && i + 2 == n);
    if (closed) LineSmooth(points[n - 1], points[0], color, false);
}

namespace {

// How far a mitred corner may reach, in half widths: sharper corners are
// cut short (bevelled) instead of spiking out.
constexpr double kMiterLimit = 2.0;

// A wide stroke as one polygon under the non-zero rule: a ribbon whose one
// side runs forward and the other back, offset by half the width along
// each corner's bisector (a mitre), so where it folds over itself the
// winding adds up and never cancels. A closed path's two sides are two
// loops joined by a bridge run both ways. Few edges cross any row: a
// horizontal stretch costs none.
std::vector<TFixedPoint> WideStrokeOutline(std::span<const TFixedPoint> input, bool closed, double width) {
    const double half = width / 2.0;
    const double shift = half;  // the 1-pixel line's place: right of and below the path
    struct TAt {
        double x, y;
    };
    std::vector<TAt> p;
    for (const TFixedPoint& q : input) {
        const TAt f{FixedToFloat(q.x) + shift, FixedToFloat(q.y) + shift};
        if (p.empty() || f.x != p.back().x || f.y != p.back().y) p.push_back(f);
    }
    if (closed && p.size() > 1 && p.front().x == p.back().x && p.front().y == p.back().y) p.pop_back();
    const std::size_t n = p.size();
    if (n < 2) return {};
    // The unit normal of the segment from point i to the next.
    auto normal = [&](std::size_t i) {
        const TAt a = p[i % n], b = p[(i + 1) % n];
        const double dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
        return std::pair{-dy / length, dx / length};
    };
    std::vector<TFixedPoint> left(n), right(n);
    for (std::size_t i = 0; i < n; ++i) {
        const bool end = !closed && (i == 0 || i + 1 == n);
        const auto [ax, ay] = normal(i == 0 ? (closed ? n - 1 : 0) : i - 1);
        const auto [bx, by] = end && i + 1 == n ? normal(i - 1) : normal(i);
        double mx = ax + bx, my = ay + by;
        const double m = std::hypot(mx, my);
        double reach = half;
        if (m > 1e-9) {
            mx /= m;
            my /= m;
            reach = half / std::max(mx * bx + my * by, 1.0 / kMiterLimit);
        } else {  // a full turn back: square off along one normal
            mx = bx;
            my = by;
        }
        left[i] = FixedPoint(p[i].x + mx * reach, p[i].y + my * reach);
        right[i] = FixedPoint(p[i].x - mx * reach, p[i].y - my * reach);
    }
    std::vector<TFixedPoint> outline(left.begin(), left.end());
    if (closed) {
        outline.push_back(left.front());
        outline.push_back(right.front());
    }
    outline.insert(outline.end(), right.rbegin(), right.rend());
    return outline;
}

}  // namespace

void TBitmap32::StrokePolyline(std::span<const TFixedPoint> points, TColor32 color, bool closed, double width) {
    if (!(width > 1.0)) {
        StrokePolyline(points, color, closed);
        return;
    }
    if (points.size() < 2) return;
    FillPolygon(WideStrokeOutline(points, closed, width), color, pfWinding, am8times);
}

}  // namespace tessel
