#include <gtest/gtest.h>

#include "tests/gui/SurfaceTesting.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "gui/surface/PngFile.h"

#ifndef TESSEL_GUI_GOLDEN_DIR
#error "TESSEL_GUI_GOLDEN_DIR must name tests/gui/golden"
#endif

namespace tessel::testing {

std::vector<TFixedPoint> CirclePolygon(double cx, double cy, double radius, int vertices) {
    std::vector<TFixedPoint> points;
    for (int i = 0; i < vertices; ++i) {
        const double a = 2.0 * M_PI * i / vertices;
        points.push_back(FixedPoint(cx - radius * std::sin(a), cy + radius * std::cos(a)));
    }
    return points;
}

int CountDifferent(const TCustomBitmap32& s, const TRect& r, TColor32 value) {
    const TRect area = IntersectRect(r, s.BoundsRect());
    int n = 0;
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x) n += s.Pixel(x, y) != value;
    return n;
}

int CountDifferentOutside(const TCustomBitmap32& s, const TRect& r, TColor32 value) {
    int n = 0;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) n += !r.Contains(x, y) && s.Pixel(x, y) != value;
    return n;
}

long long AlphaSum(const TCustomBitmap32& s) {
    long long sum = 0;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) sum += AlphaComponent(s.Pixel(x, y));
    return sum;
}

::testing::AssertionResult MatchesGolden(const TCustomBitmap32& s, const std::string& name, int maxChannelDelta,
                                         double maxDifferingFraction) {
    const std::string path = std::string(TESSEL_GUI_GOLDEN_DIR) + "/" + name + ".png";
    if (const char* update = std::getenv("TESSEL_UPDATE_GOLDEN"); update && std::string(update) == "1") {
        if (!SavePng(s, path)) return ::testing::AssertionFailure() << "cannot write " << path;
        return ::testing::AssertionSuccess() << "golden written";
    }
    TBitmap32 golden;
    if (!LoadPng(golden, path)) return ::testing::AssertionFailure() << "cannot read " << path;
    const std::string actual = (std::filesystem::temp_directory_path() / ("tessel_" + name + ".actual.png")).string();
    if (golden.Width() != s.Width() || golden.Height() != s.Height()) {
        SavePng(s, actual);
        return ::testing::AssertionFailure()
               << "size " << s.Width() << "x" << s.Height() << ", golden " << golden.Width() << "x" << golden.Height();
    }
    int differing = 0, worst = 0;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) {
            const TColor32 a = s.Pixel(x, y), b = golden.Pixel(x, y);
            int delta = 0;
            for (int shift = 0; shift < 32; shift += 8)
                delta = std::max(delta,
                                 std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)));
            worst = std::max(worst, delta);
            differing += delta > maxChannelDelta;
        }
    const double fraction = static_cast<double>(differing) / (s.Width() * s.Height());
    if (fraction > maxDifferingFraction) {
        SavePng(s, actual);
        return ::testing::AssertionFailure() << differing << " pixels differ by more than " << maxChannelDelta
                                             << " (largest " << worst << "); see " << actual;
    }
    return ::testing::AssertionSuccess();
}

TTextExtent TBoxFontEngine::Measure(const TFont32& font, std::string_view utf8, int magnification) {
    const int em = FontEmPixels(font, magnification);
    return {static_cast<int>(DecodeUtf8(utf8).size()) * (em / 2), em + em / 4};
}

void TBoxFontEngine::Rasterize(const TFont32& font, std::string_view utf8, bool smooth, int magnification,
                               TCoverageMask& mask, int x, int y) {
    Magnifications.push_back(magnification);
    SmoothFlags.push_back(smooth);
    const int em = FontEmPixels(font, magnification), advance = em / 2;
    int pen = x;
    for (std::size_t i = 0; i < DecodeUtf8(utf8).size(); ++i, pen += advance)
        for (int row = em / 4; row < em; ++row)
            for (int col = pen + 1; col < pen + advance - 1; ++col) mask.Paint(col, y + row, smooth ? 200 : 255);
}

}  // namespace tessel::testing
