// Every drawing primitive keeps to the clip rectangle and the surface: a
// guard border around the clip must come out untouched, while the clipped
// area shows that the primitive did draw.

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "gui/surface/Bitmap32.h"
#include "tests/gui/SurfaceTesting.h"

namespace tessel {
namespace {

using testing::CountDifferent;
using testing::CountDifferentOutside;
using testing::Px;

constexpr TColor32 kGuard = 0xFF123456u;
const TRect kClip{10, 10, 30, 30};

struct TPrimitive {
    std::string Name;
    std::function<void(TBitmap32&)> Draw;
};

std::vector<TPrimitive> Primitives() {
    const std::vector<TFixedPoint> big = {Px(-20, -15), Px(60, -5), Px(55, 70), Px(-10, 50)};
    const std::vector<TFixedPoint> star = {Px(20, -30), Px(45, 60), Px(-20, 5), Px(60, 5), Px(-5, 60)};
    std::vector<TPrimitive> p = {
        {"FillRect", [](TBitmap32& s) { s.FillRect(-5, -5, 100, 100, kWhite32); }},
        {"SetPixel",
         [](TBitmap32& s) {
             for (int i = -2; i < 45; ++i) s.SetPixel(i, i, kWhite32);
         }},
        {"LineTo",
         [](TBitmap32& s) {
             s.MoveTo(-30, -20);
             s.LineTo(70, 55);
             s.LineTo(INT_MIN, INT_MAX);
             s.MoveTo(INT_MAX, 20);
             s.LineTo(INT_MIN, 21);
         }},
        {"LineSmooth",
         [](TBitmap32& s) {
             s.LineSmooth(Px(-40, 12), Px(90, 25), kWhite32, true);
             s.LineSmooth(Px(20, -40), Px(20.5, 90), kWhite32, false);
             s.LineSmooth(TFixedPoint{INT_MIN, INT_MIN}, TFixedPoint{INT_MAX, INT_MAX}, kWhite32, true);
         }},
        {"LineToF",
         [](TBitmap32& s) {
             s.MoveToF(-3.5f, 9.5f);
             s.LineToF(45.25f, 31.0f);
             s.LineToF(1e9f, -1e9f);
         }},
        {"StrokePolyline", [star](TBitmap32& s) { s.StrokePolyline(star, kWhite32, true); }},
        {"NoiseFill",
         [](TBitmap32& s) {
             TXorShiftRandom r(9);
             s.NoiseFill(kWhite32, 48, true, r);
         }},
        {"DrawText",
         [](TBitmap32& s) {
             s.Font().Name = "Verdana";
             s.Font().Size = 30;
             for (int level = -1; level <= 4; ++level) s.DrawText(-8, 2, "WMW", level, kWhite32);
         }},
        {"DrawOnto",
         [](TBitmap32& s) {
             TBitmap32 src(60, 60);
             src.Clear(0x80FFFFFFu);
             src.DrawOnto(s, -5, -5);
             src.SetDrawMode(dmBlend);
             src.DrawOnto(s, TRect{-30, 0, 80, 41}, TRect{0, 0, 30, 30});
             src.SetCombineMode(cmMerge);
             src.DrawOnto(s, 0, 0);
         }},
    };
    for (int mode = am32times; mode <= amNone; ++mode)
        for (TPolyFillMode rule : {pfAlternate, pfWinding}) {
            const auto aa = static_cast<TAntialiasMode>(mode);
            const std::string suffix = " mode " + std::to_string(mode) + " rule " + std::to_string(rule);
            p.push_back({"FillPolygon" + suffix, [=](TBitmap32& s) {
                             s.FillPolygon(star, kWhite32, rule, aa);  // under even-odd the clip lies in the hole
                             s.FillPolygon(big, 0x80FFFFFFu, rule, aa);
                         }});
            p.push_back({"FillPolygonWith" + suffix, [=](TBitmap32& s) {
                             auto filler = [&s](TColor32* px, int x, int y, int n, const std::uint8_t*) {
                                 // The filler is handed only runs inside the clip.
                                 const TRect clip = s.ClipRect();
                                 ASSERT_GE(x, clip.Left);
                                 ASSERT_LE(x + n, clip.Right);
                                 ASSERT_TRUE(clip.Contains(x, y));
                                 ASSERT_EQ(px, s.RowPixels(y) + x);
                                 for (int i = 0; i < n; ++i) px[i] = kWhite32;
                             };
                             s.FillPolygonWith(big, filler, rule, aa);
                         }});
        }
    return p;
}

TEST(ClipTest, NoPrimitiveWritesOutsideTheClipRectangle) {
    for (const TPrimitive& p : Primitives()) {
        TBitmap32 s(40, 40);
        s.Clear(kGuard);
        s.SetClip(kClip);
        p.Draw(s);
        EXPECT_EQ(CountDifferentOutside(s, kClip, kGuard), 0) << p.Name;
        EXPECT_GT(CountDifferent(s, kClip, kGuard), 0) << p.Name << " drew nothing inside the clip";
    }
}

TEST(ClipTest, PrimitivesReachingPastTheSurfaceStayInIt) {
    // Without a clip the surface edge is the limit; the sanitizers watch the
    // memory around the pixels, this test the pixels themselves.
    for (const TPrimitive& p : Primitives()) {
        TBitmap32 s(40, 40);
        s.Clear(kGuard);
        p.Draw(s);
        EXPECT_GT(CountDifferent(s, s.BoundsRect(), kGuard), 0) << p.Name;
    }
}

TEST(ClipTest, EmptyClipDrawsNothing) {
    for (const TPrimitive& p : Primitives()) {
        TBitmap32 s(40, 40);
        s.Clear(kGuard);
        s.SetClip({50, 50, 60, 60});
        p.Draw(s);
        EXPECT_EQ(CountDifferent(s, s.BoundsRect(), kGuard), 0) << p.Name;
    }
}

TEST(ClipTest, DrawingOnEmptySurfacesIsHarmless) {
    for (const TPrimitive& p : Primitives()) {
        TBitmap32 s;
        p.Draw(s);
        EXPECT_TRUE(s.Empty()) << p.Name;
    }
    TBitmap32 s;
    s.StackBlur(3);
    s.DropShadow(2, 2, 3, 100);
}

}  // namespace
}  // namespace tessel
