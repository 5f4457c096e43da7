// Aliased LineTo and antialiased LineSmooth / LineToF / StrokePolyline.

#include <gtest/gtest.h>

#include <cmath>

#include "gui/surface/Bitmap32.h"
#include "tests/gui/SurfaceTesting.h"

namespace tessel {
namespace {

using testing::AlphaSum;
using testing::CountDifferent;
using testing::Px;

TEST(LineToTest, DrawsFromTheRasterPositionExcludingTheEndPixel) {
    TBitmap32 s(10, 10);
    s.SetPenColor(0x80FF0000u);
    s.MoveTo(1, 2);
    s.LineTo(6, 2);
    EXPECT_EQ(s.RasterPos(), (TPoint{6, 2}));
    for (int x = 1; x < 6; ++x) EXPECT_EQ(s.Pixel(x, 2), 0x80FF0000u) << x;  // overwritten, not blended
    EXPECT_EQ(s.Pixel(6, 2), 0u);
    EXPECT_EQ(CountDifferent(s, s.BoundsRect(), 0), 5);
}

TEST(LineToTest, EveryOctantSetsOnePixelPerMajorStep) {
    const TPoint ends[] = {{9, 3}, {3, 9}, {-3, 9}, {-9, 3}, {-9, -3}, {-3, -9}, {3, -9}, {9, -3}};
    for (TPoint e : ends) {
        TBitmap32 s(21, 21);
        s.MoveTo(10, 10);
        s.LineTo(10 + e.x, 10 + e.y);
        EXPECT_EQ(CountDifferent(s, s.BoundsRect(), 0), std::max(std::abs(e.x), std::abs(e.y))) << e.x << "," << e.y;
        EXPECT_NE(s.Pixel(10, 10), 0u);              // start pixel drawn
        EXPECT_EQ(s.Pixel(10 + e.x, 10 + e.y), 0u);  // end pixel excluded
    }
}

TEST(LineToTest, DiagonalPassesThroughTheExpectedPixels) {
    TBitmap32 s(8, 8);
    s.MoveTo(0, 0);
    s.LineTo(6, 3);  // minor offset round(i·3/6): 0 0 1 1 2 2 (halves away from the start)
    const int expectedY[] = {0, 1, 1, 2, 2, 3};
    for (int x = 0; x < 6; ++x) EXPECT_NE(s.Pixel(x, expectedY[x]), 0u) << x;
    EXPECT_EQ(CountDifferent(s, s.BoundsRect(), 0), 6);
}

TEST(LineSmoothTest, IntegerPositionsLandOnSinglePixels) {
    TBitmap32 s(10, 3);
    s.LineSmooth(Px(2, 1), Px(6, 1), kWhite32, false);
    // L = 4: deposits at x = 2, 3, 4, 5 at full alpha; no fraction left.
    for (int x = 2; x <= 5; ++x) EXPECT_EQ(s.Pixel(x, 1), kWhite32) << x;
    EXPECT_EQ(s.Pixel(6, 1), 0u);
    EXPECT_EQ(CountDifferent(s, s.BoundsRect(), 0), 4);
}

TEST(LineSmoothTest, DrawLastAddsTheEndPoint) {
    TBitmap32 s(10, 3);
    s.LineSmooth(Px(2, 1), Px(6, 1), kWhite32, true);
    for (int x = 2; x <= 6; ++x) EXPECT_EQ(s.Pixel(x, 1), kWhite32) << x;
    EXPECT_EQ(CountDifferent(s, s.BoundsRect(), 0), 5);
}

TEST(LineSmoothTest, FractionalLengthEndsWithAPartialDeposit) {
    // L = 3.5 with merge onto transparent, so alphas add up without the
    // background interfering: three full deposits, then one of alpha 128 at
    // x = 3 + 2 (floor(L) pixels along, before the end point at 5.5).
    TBitmap32 s(10, 3);
    s.SetCombineMode(cmMerge);
    s.LineSmooth(Px(2, 1), Px(5.5, 1), 0xFF000000u, false);
    EXPECT_EQ(s.Pixel(2, 1), 0xFF000000u);
    EXPECT_EQ(s.Pixel(4, 1), 0xFF000000u);
    EXPECT_EQ(s.Pixel(5, 1), 0x80000000u);
    EXPECT_EQ(s.Pixel(6, 1), 0u);
}

TEST(LineSmoothTest, InkGrowsWithLengthAlongAnyDirection) {
    // Total alpha deposited is alpha × L (up to rounding of the 2 × 2
    // weights), whatever the angle; merge onto transparent keeps sums exact
    // while deposits do not overlap (one pixel apart).
    for (double angle : {0.0, 0.3, 0.7854, 1.2, 2.5}) {
        TBitmap32 s(64, 64);
        s.SetCombineMode(cmMerge);
        const double len = 20.0;
        s.LineSmooth(Px(30.3, 30.6), Px(30.3 + len * std::cos(angle), 30.6 + len * std::sin(angle)), 0x40000000u,
                     false);
        EXPECT_NEAR(static_cast<double>(AlphaSum(s)), 64.0 * len, 64.0 * len * 0.08) << angle;
    }
}

TEST(LineSmoothTest, SubPixelPositionSpreadsBilinearly) {
    TBitmap32 s(4, 4);
    s.SetCombineMode(cmMerge);
    // One deposit (L = 1 with drawLast on a zero-length line) at (1.5, 1.25).
    s.LineSmooth(Px(1.5, 1.25), Px(1.5, 1.25), kBlack32, true);
    EXPECT_EQ(AlphaComponent(s.Pixel(1, 1)), 96);  // 255 · 0.5 · 0.75
    EXPECT_EQ(AlphaComponent(s.Pixel(2, 1)), 96);
    EXPECT_EQ(AlphaComponent(s.Pixel(1, 2)), 32);  // 255 · 0.5 · 0.25
    EXPECT_EQ(AlphaComponent(s.Pixel(2, 2)), 32);
}

TEST(LineSmoothTest, TooShortLinesDrawNothing) {
    TBitmap32 s(4, 4);
    s.LineSmooth(Px(1, 1), TFixedPoint{FixedFromInt(1) + 200, FixedFromInt(1)}, kWhite32, false);  // 0.003 px
    EXPECT_EQ(AlphaSum(s), 0);
    s.LineSmooth(Px(1, 1), Px(1, 1), kWhite32, false);
    EXPECT_EQ(AlphaSum(s), 0);
}

TEST(LineToFTest, ChainsInkEachJointOnceAndMovesTheRaster) {
    TBitmap32 s(12, 3);
    s.SetPenColor(kWhite32);
    s.MoveToF(1.0f, 1.0f);
    s.LineToF(4.0f, 1.0f);
    s.LineToF(8.0f, 1.0f);
    EXPECT_EQ(s.RasterPosF(), (TFixedPoint{FixedFromInt(8), FixedFromInt(1)}));
    EXPECT_EQ(s.RasterPos(), (TPoint{8, 1}));
    for (int x = 1; x < 8; ++x) EXPECT_EQ(s.Pixel(x, 1), kWhite32) << x;
    EXPECT_EQ(s.Pixel(8, 1), 0u);
}

TEST(StrokePolylineTest, OpenDrawsTheLastPointAndClosedReturnsToTheFirst) {
    const std::vector<TFixedPoint> pts = {Px(1, 1), Px(5, 1), Px(5, 4)};
    TBitmap32 open(8, 8), closed(8, 8);
    open.StrokePolyline(pts, kWhite32, false);
    closed.Clear(kBlack32);
    closed.StrokePolyline(pts, kWhite32, true);
    EXPECT_EQ(open.Pixel(5, 4), kWhite32);
    EXPECT_EQ(CountDifferent(open, open.BoundsRect(), 0), 4 + 4);
    EXPECT_EQ(open.Pixel(3, 2), 0u);
    EXPECT_GT(RedComponent(closed.Pixel(3, 2)), 0);  // the closing diagonal (5,4) -> (1,1)
    // The closing segment starts on (5, 4) with a full deposit. (Translucent
    // deposits blended over it later lower its alpha, as Blend does.)
    EXPECT_EQ(RedComponent(closed.Pixel(5, 4)), 255);
}

// A wide stroke is where the 1-pixel line is, that many pixels across, and
// inks each pixel once: a translucent corner is no darker than its arms.
TEST(StrokePolylineTest, AWideStrokeCoversTheLinesPlaceOnceWhereverItsPartsOverlap) {
    constexpr TColor32 kWhite = 0xFFFFFFFFu;
    TBitmap32 s(20, 20);
    s.Clear(kWhite);
    const TFixedPoint corner[] = {Px(3, 5), Px(15, 5), Px(15, 16)};
    s.StrokePolyline(corner, 0x80000000u, false, 2.0);
    const TColor32 ink = s.Pixel(9, 5);
    EXPECT_NE(ink, kWhite);
    for (int x = 4; x < 15; ++x) {
        EXPECT_EQ(s.Pixel(x, 5), ink) << x;  // rows 5 and 6, as row 5 at width 1
        EXPECT_EQ(s.Pixel(x, 6), ink) << x;
        EXPECT_EQ(s.Pixel(x, 4), kWhite) << x;
        EXPECT_EQ(s.Pixel(x, 7), kWhite) << x;
    }
    for (int y = 7; y < 16; ++y) EXPECT_EQ(s.Pixel(16, y), ink) << y;
    EXPECT_EQ(s.Pixel(15, 5), ink);  // the joint, inked once
    EXPECT_EQ(s.Pixel(16, 6), ink);
}

}  // namespace
}  // namespace tessel
