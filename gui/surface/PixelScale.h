#pragma once
// TPixelScale: how many screen pixels one layout pixel takes, in percent
// (100 = 1:1, 150, 200, …). Layouts, mouse positions, drag distances and
// wheel steps stay in layout pixels (units); only drawing works in screen
// pixels.
//
// Rounding: a coordinate (an edge, a point) maps to the nearest screen
// pixel, halves up, so rectangles that touch in units touch on the screen
// and a 718 × 381 area at 150 % is 1077 × 572. A length (line width, blur
// radius, shadow offset) maps the same way but never to less than 1 pixel
// when it was at least 1. A screen pixel maps back to the unit it lies in.

#include <cstdint>

#include "gui/surface/Geometry.h"

namespace tessel {

inline constexpr int kUnscaledPercent = 100;

struct TPixelScale {
    int Percent = kUnscaledPercent;

    constexpr bool Unscaled() const { return Percent == kUnscaledPercent; }
    constexpr double Factor() const { return Percent / static_cast<double>(kUnscaledPercent); }

    // A coordinate in units to screen pixels.
    constexpr int Pixels(int units) const {
        return FloorDiv(std::int64_t{units} * Percent * 2 + kUnscaledPercent, 2 * kUnscaledPercent);
    }
    // A screen pixel to the unit it lies in.
    constexpr int Units(int pixels) const { return FloorDiv(std::int64_t{pixels} * kUnscaledPercent, Percent); }
    // A length in units (line width, radius, offset) to screen pixels.
    constexpr int Length(int units) const {
        const int pixels = Pixels(units);
        return units >= 1 && pixels < 1 ? 1 : pixels;
    }
    constexpr TRect Rect(const TRect& r) const {
        return {Pixels(r.Left), Pixels(r.Top), Pixels(r.Right), Pixels(r.Bottom)};
    }
    constexpr TPoint Point(TPoint p) const { return {Pixels(p.x), Pixels(p.y)}; }

    friend constexpr bool operator==(TPixelScale, TPixelScale) = default;

private:
    static constexpr int FloorDiv(std::int64_t a, std::int64_t b) {
        const std::int64_t q = a / b;
        return static_cast<int>(q * b > a ? q - 1 : q);
    }
};

}  // namespace tessel
