#pragma once
// Helpers shared by the pixel-surface tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gui/surface/Bitmap32.h"

namespace tessel::testing {

inline TFixedPoint Px(double x, double y) { return FixedPoint(x, y); }

// The octagon with corners cut by two pixels that the editor's panels use.
inline std::vector<TFixedPoint> PanelOctagon(const TRect& r) {
    auto p = [](int x, int y) { return TFixedPoint{FixedFromInt(x), FixedFromInt(y)}; };
    return {p(r.Left + 2, r.Top),         p(r.Right - 3, r.Top),        p(r.Right - 1, r.Top + 2),
            p(r.Right - 1, r.Bottom - 3), p(r.Right - 3, r.Bottom - 1), p(r.Left + 2, r.Bottom - 1),
            p(r.Left, r.Bottom - 3),      p(r.Left, r.Top + 2)};
}

// Regular polygon approximating a circle, first vertex straight down.
std::vector<TFixedPoint> CirclePolygon(double cx, double cy, double radius, int vertices);

// Number of pixels in r (clipped to the surface) that differ from `value`.
int CountDifferent(const TCustomBitmap32& s, const TRect& r, TColor32 value);
// Number of pixels outside r that differ from `value`.
int CountDifferentOutside(const TCustomBitmap32& s, const TRect& r, TColor32 value);
// Sum of the alpha channel over the whole surface.
long long AlphaSum(const TCustomBitmap32& s);

// Compares a surface with a PNG under tests/gui/golden. maxChannelDelta is
// the largest per-channel difference still counted as equal;
// maxDifferingFraction the share of pixels allowed to exceed it. On a
// mismatch the actual image is written to the temporary directory as
// tessel_<name>.actual.png. With TESSEL_UPDATE_GOLDEN=1 the golden is (re)written
// instead — only after the image has been checked by eye.
::testing::AssertionResult MatchesGolden(const TCustomBitmap32& s, const std::string& name, int maxChannelDelta = 0,
                                         double maxDifferingFraction = 0.0);
// Text is drawn by whatever FreeType and DejaVu build the machine has: images
// with text may differ by more than 8 levels in up to 2 % of their pixels
// (text covers about 4 % of the editor).
constexpr int kTextDelta = 8;
constexpr double kTextFraction = 0.02;

// A font engine that draws every character as a box, for exact checks of
// the text pipeline: em = FontEmPixels(font, magnification), advance em/2,
// line height em + em/4; the box of a character covers columns
// pen+1 .. pen+advance-2 and rows em/4 .. em-1 of the cell, at coverage 255
// (or 200 when smooth).
class TBoxFontEngine final : public TFontEngine {
public:
    TTextExtent Measure(const TFont32& font, std::string_view utf8, int magnification) override;
    void Rasterize(const TFont32& font, std::string_view utf8, bool smooth, int magnification, TCoverageMask& mask,
                   int x, int y) override;
    std::vector<int> Magnifications;  // of every Rasterize call
    std::vector<bool> SmoothFlags;
};

}  // namespace tessel::testing
