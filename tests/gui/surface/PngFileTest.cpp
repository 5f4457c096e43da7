// PNG export and import, and golden images of the drawing primitives.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "gui/surface/Bitmap32.h"
#include "gui/surface/PngFile.h"
#include "tests/gui/SurfaceTesting.h"

namespace tessel {
namespace {

using testing::MatchesGolden;
using testing::Px;

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("tessel_gui_" + name)).string();
}

TEST(PngFileTest, RoundTripKeepsStraightAlphaExactly) {
    TBitmap32 s(3, 2);
    s.RowPixels(0)[0] = 0xFFFF0000u;
    s.RowPixels(0)[1] = 0x80336699u;  // translucent: colour must not be premultiplied
    s.RowPixels(0)[2] = 0x00FFFFFFu;
    s.RowPixels(1)[0] = 0x01020304u;
    const std::string path = TempPath("roundtrip.png");
    ASSERT_TRUE(SavePng(s, path));
    TBitmap32 back(9, 9);
    ASSERT_TRUE(LoadPng(back, path));
    ASSERT_EQ(back.Width(), 3);
    ASSERT_EQ(back.Height(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(back.Pixel(x, y), s.Pixel(x, y)) << x << "," << y;
    std::filesystem::remove(path);
}

TEST(PngFileTest, FailuresAreReportedAndLeaveTheSurfaceAlone) {
    TBitmap32 empty;
    EXPECT_FALSE(SavePng(empty, TempPath("empty.png")));
    TBitmap32 s(2, 2);
    EXPECT_FALSE(SavePng(s, "/nonexistent-dir/x.png"));
    s.Clear(0xFF010203u);
    EXPECT_FALSE(LoadPng(s, TempPath("missing.png")));
    const std::string junk = TempPath("junk.png");
    std::ofstream(junk) << "not a png at all";
    EXPECT_FALSE(LoadPng(s, junk));
    EXPECT_EQ(s.Width(), 2);
    EXPECT_EQ(s.Pixel(1, 1), 0xFF010203u);
    std::filesystem::remove(junk);
}

// ---- Golden images ---------------------------------------------------------
// Made from this implementation after checking them by eye and against the
// drawing rules; compared pixel-exactly except where fonts are involved.

TEST(GoldenTest, PanelsLinesAndPolygons) {
    TBitmap32 s(160, 90);
    s.Clear(0xFFD8D5CDu);  // the default form colour
    const TColor32 panel = Lighten(0x7FD8D5CDu, 127);
    for (int i = 0; i < 3; ++i) {
        const auto octagon = testing::PanelOctagon({6 + 50 * i, 6, 47 + 50 * i, 23});
        s.FillPolygon(octagon, panel);
        s.StrokePolyline(octagon, Lighten(panel, -128), true);
    }
    // Star under both fill rules, translucent.
    std::vector<TFixedPoint> star;
    for (int i = 0; i < 5; ++i) {
        const double a = -M_PI / 2 + i * 4 * M_PI / 5;
        star.push_back(Px(25 + 17 * std::cos(a), 55 + 17 * std::sin(a)));
    }
    s.FillPolygon(star, 0xC0C03020u, pfAlternate);
    for (TFixedPoint& p : star) p.x += FixedFromInt(40);
    s.FillPolygon(star, 0xC02050C0u, pfWinding);
    // Antialiased fan and an aliased fan.
    for (int k = 0; k < 8; ++k) {
        const double a = k * M_PI / 16;
        s.LineSmooth(Px(95.5, 85.25), Px(95.5 + 40 * std::cos(a), 85.25 - 40 * std::sin(a)), 0xFF000000u, true);
        s.MoveTo(100, 40);
        s.LineTo(100 + static_cast<int>(30 * std::cos(a + M_PI)), 40 - static_cast<int>(30 * std::sin(a + M_PI)));
    }
    EXPECT_TRUE(MatchesGolden(s, "shapes"));
}

TEST(GoldenTest, NoiseBlurAndShadow) {
    TBitmap32 s(120, 70);
    TXorShiftRandom random(2024);
    s.NoiseFill(0xFFD8D5CDu, 48, true, random);
    TBitmap32 face(50, 50);
    face.SetDrawMode(dmBlend);
    face.FillPolygon(testing::CirclePolygon(25, 25, 17, 60), 0xFF9090A0u);
    face.DropShadow(3, 3, 3, 160);
    face.DrawOnto(s, 5, 10);
    TBitmap32 glow(50, 50);
    glow.SetDrawMode(dmBlend);
    glow.FillRect(15, 15, 35, 35, 0xFF3060C0u);
    glow.StackBlur(4);
    glow.DrawOnto(s, 65, 10);
    EXPECT_TRUE(MatchesGolden(s, "effects"));
}

TEST(GoldenTest, TextAtEveryLevel) {
    // Fonts differ a little between FreeType builds: at most 3% of the
    // pixels may differ by more than 64 levels in any channel.
    TBitmap32 s(220, 130);
    s.Clear(kWhite32);
    s.Font().Name = "Verdana";
    s.Font().Size = 8;
    for (int level = -1; level <= 4; ++level)
        s.DrawText(4, 4 + 16 * (level + 1), "Lowcut 1.50 kHz -3.00 dB (" + std::to_string(level) + ")", level,
                   kBlack32);
    s.Font().Size = 20;
    s.DrawText(4, 98, "Tessel EQ", 4, 0xFF203040u);
    EXPECT_TRUE(MatchesGolden(s, "text", 64, 0.03));
}

}  // namespace
}  // namespace tessel
