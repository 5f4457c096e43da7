// Polygon coverage, fill rules, anti-aliasing modes and span fillers.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "gui/surface/Bitmap32.h"
#include "tests/gui/SurfaceTesting.h"

namespace tessel {
namespace {

using testing::CountDifferent;
using testing::Px;

std::vector<TFixedPoint> Rect(double l, double t, double r, double b) {
    return {Px(l, t), Px(r, t), Px(r, b), Px(l, b)};
}

// Five-pointed star drawn in one stroke: its centre pentagon has winding
// number 2, so even-odd leaves it empty and non-zero fills it.
std::vector<TFixedPoint> Pentagram(double cx, double cy, double r) {
    std::vector<TFixedPoint> pts;
    for (int i = 0; i < 5; ++i) {
        const double a = -M_PI / 2 + i * 4 * M_PI / 5;
        pts.push_back(Px(cx + r * std::cos(a), cy + r * std::sin(a)));
    }
    return pts;
}

TEST(FillPolygonTest, HalfCoveredPixelInMode2GetsHalfTheAlpha) {
    TBitmap32 s(4, 3);
    s.SetCombineMode(cmMerge);  // fills blend whatever the combine mode
    s.Clear(kWhite32);
    s.FillPolygon(Rect(1, 0, 2.5, 3), kBlack32, pfAlternate, am8times);
    EXPECT_EQ(s.Pixel(1, 1), kBlack32);                                   // fully covered
    EXPECT_EQ(s.Pixel(2, 1), Blend(WithAlpha(kBlack32, 128), kWhite32));  // 32 of 64 samples
    EXPECT_EQ(s.Pixel(3, 1), kWhite32);
    EXPECT_EQ(s.Pixel(0, 1), kWhite32);
}

TEST(FillPolygonTest, QuarterCoverageIsMeasuredOnTheModesGrid) {
    // A square covering the top-left quarter of pixel (1, 1) in each mode;
    // amNone samples only the centre, which lies outside.
    const int expected[] = {64, 64, 64, 64, 64, 0};
    for (int mode = am32times; mode <= amNone; ++mode) {
        TBitmap32 s(3, 3);
        std::vector<std::uint8_t> seen;
        auto filler = [&](TColor32*, int x, int y, int count, const std::uint8_t* cov) {
            for (int i = 0; i < count; ++i)
                if (x + i == 1 && y == 1) seen.push_back(cov[i]);
        };
        s.FillPolygonWith(Rect(1, 1, 1.5, 1.5), filler, pfAlternate, static_cast<TAntialiasMode>(mode));
        const int got = seen.empty() ? 0 : seen.front();
        EXPECT_EQ(got, expected[mode]) << "mode " << mode;
    }
}

TEST(FillPolygonTest, AmNoneFillsPixelsWhoseCentreIsInside) {
    TBitmap32 s(6, 6);
    s.FillPolygon(Rect(1.4, 1.4, 4.6, 3.4), kWhite32, pfAlternate, amNone);
    EXPECT_EQ(CountDifferent(s, TRect{1, 1, 5, 3}, kWhite32), 0);  // centres 1.5 .. 4.5 and 1.5, 2.5
    EXPECT_EQ(CountDifferent(s, s.BoundsRect(), 0), 4 * 2);
}

TEST(FillPolygonTest, EvenOddLeavesTheStarsCentreEmptyAndWindingFillsIt) {
    TBitmap32 alt(41, 41), wind(41, 41);
    alt.FillPolygon(Pentagram(20, 20, 18), kWhite32, pfAlternate);
    wind.FillPolygon(Pentagram(20, 20, 18), kWhite32, pfWinding);
    EXPECT_EQ(alt.Pixel(20, 20), 0u);
    EXPECT_EQ(wind.Pixel(20, 20), kWhite32);
    // The points are filled under both rules.
    EXPECT_EQ(alt.Pixel(20, 6), kWhite32);
    EXPECT_EQ(wind.Pixel(20, 6), kWhite32);
    EXPECT_GT(CountDifferent(wind, wind.BoundsRect(), 0), CountDifferent(alt, alt.BoundsRect(), 0));
}

TEST(FillPolygonTest, DegeneratePolygonsCoverNothing) {
    TBitmap32 s(8, 8);
    s.FillPolygon(std::vector<TFixedPoint>{}, kWhite32);
    s.FillPolygon(std::vector<TFixedPoint>{Px(1, 1), Px(5, 5)}, kWhite32);
    s.FillPolygon(std::vector<TFixedPoint>{Px(1, 1), Px(5, 1), Px(7, 1)}, kWhite32);  // flat
    EXPECT_EQ(CountDifferent(s, s.BoundsRect(), 0), 0);
}

TEST(FillPolygonWithTest, SpansCarryTheirPixelsPositionAndCoverage) {
    TBitmap32 s(10, 4);
    struct TRun {
        int x, y, count;
        std::vector<std::uint8_t> coverage;
        bool pointerMatches;
    };
    std::vector<TRun> runs;
    auto filler = [&](TColor32* pixels, int x, int y, int count, const std::uint8_t* cov) {
        runs.push_back({x, y, count, std::vector<std::uint8_t>(cov, cov + count), pixels == s.RowPixels(y) + x});
        for (int i = 0; i < count; ++i) pixels[i] = Color32(0, 0, cov[i], 255);
    };
    s.FillPolygonWith(Rect(2.5, 1, 6, 3), filler, pfAlternate, am8times);
    ASSERT_EQ(runs.size(), 2u);  // rows 1 and 2
    for (const TRun& r : runs) {
        EXPECT_EQ(r.x, 2);
        EXPECT_EQ(r.count, 4);
        EXPECT_TRUE(r.pointerMatches);
        EXPECT_EQ(r.coverage, (std::vector<std::uint8_t>{128, 255, 255, 255}));
    }
    EXPECT_EQ(runs[0].y, 1);
    EXPECT_EQ(runs[1].y, 2);
    EXPECT_EQ(s.Pixel(2, 1), Color32(0, 0, 128, 255));  // the filler wrote the pixels itself
}

TEST(FillPolygonWithTest, SeparateRunsInOneRowAreReportedSeparately) {
    TBitmap32 s(20, 3);
    int runs = 0;
    auto filler = [&](TColor32*, int, int y, int, const std::uint8_t*) { runs += y == 1; };
    // A U shape: two prongs cross row 1.
    const std::vector<TFixedPoint> u = {Px(1, 0),  Px(4, 0),  Px(4, 1),  Px(10, 1),
                                        Px(10, 0), Px(13, 0), Px(13, 3), Px(1, 3)};
    const std::vector<TFixedPoint> prongs = {Px(1, 0),  Px(4, 0),  Px(4, 2),  Px(10, 2),
                                             Px(10, 0), Px(13, 0), Px(13, 3), Px(1, 3)};
    s.FillPolygonWith(u, filler);
    EXPECT_EQ(runs, 1);
    runs = 0;
    s.FillPolygonWith(prongs, filler);
    EXPECT_EQ(runs, 2);
}

TEST(FillPolygonTest, PanelOctagonCutsItsCorners) {
    TBitmap32 s(30, 20);
    s.FillPolygon(testing::PanelOctagon({5, 5, 25, 15}), kWhite32);
    EXPECT_EQ(s.Pixel(10, 10), kWhite32);
    EXPECT_EQ(s.Pixel(5, 5), 0u);  // cut corner: the octagon starts at x = Left + 2 on the top row
    EXPECT_EQ(s.Pixel(7, 5), kWhite32);
    EXPECT_EQ(s.Pixel(24, 10), 0u);  // right edge at Right - 1 = 24
    EXPECT_EQ(s.Pixel(23, 10), kWhite32);
}

}  // namespace
}  // namespace tessel
