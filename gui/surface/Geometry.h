#pragma once
// Points and rectangles of the pixel surface.
//
// Whole-pixel coordinates are plain ints. Sub-pixel coordinates are 16.16
// fixed point (value × 65536), the precision the drawing operations accept;
// its range is about ±32767 pixels, which bounds every sub-pixel primitive.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tessel {

using TFixed = std::int32_t;  // 16.16 fixed point, pixels × 65536
inline constexpr TFixed kFixedOne = 65536;

struct TPoint {
    int x = 0;
    int y = 0;
    friend constexpr bool operator==(TPoint, TPoint) = default;
};

struct TFixedPoint {
    TFixed x = 0;
    TFixed y = 0;
    friend constexpr bool operator==(TFixedPoint, TFixedPoint) = default;
};

struct TFloatPoint {
    float x = 0.0f;
    float y = 0.0f;
};

// Right and Bottom lie outside: a point is inside when
// Left <= x < Right and Top <= y < Bottom.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

// The overlap of two rectangles; an empty overlap is the all-zero rectangle.
constexpr TRect IntersectRect(const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    return r.IsEmpty() ? TRect{} : r;
}

// Pixels to 16.16, rounded to nearest and saturated to the representable
// range; NaN becomes 0 so that bad input cannot reach the rasterisers.
inline TFixed FixedFromFloat(double pixels) {
    if (std::isnan(pixels)) return 0;
    const double scaled = std::round(pixels * kFixedOne);
    constexpr double lo = std::numeric_limits<TFixed>::min();
    constexpr double hi = std::numeric_limits<TFixed>::max();
    return static_cast<TFixed>(std::clamp(scaled, lo, hi));
}

inline TFixedPoint FixedPoint(double xPixels, double yPixels) {
    return {FixedFromFloat(xPixels), FixedFromFloat(yPixels)};
}

// Whole pixels to 16.16, saturated at the ±32767-pixel range.
constexpr TFixed FixedFromInt(int pixels) {
    constexpr int limit = std::numeric_limits<TFixed>::max() / kFixedOne;
    return static_cast<TFixed>(std::clamp(pixels, -limit, limit)) * kFixedOne;
}

constexpr double FixedToFloat(TFixed v) { return static_cast<double>(v) / kFixedOne; }

}  // namespace tessel
