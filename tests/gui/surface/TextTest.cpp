// Text: the DrawText pipeline checked exactly with a box font, and the
// FreeType engine checked for sizes, smoothing levels and widths.

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "gui/surface/Bitmap32.h"
#include "gui/surface/FreeTypeFontEngine.h"
#include "tests/gui/SurfaceTesting.h"

namespace tessel {
namespace {

using testing::CountDifferent;
using testing::TBoxFontEngine;

class BoxTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        FEngine = std::make_shared<TBoxFontEngine>();
        SetFontEngine(FEngine);
        S.Resize(40, 30);
        S.Clear(kWhite32);
        S.Font().Size = 8;  // em 11, advance 5, cell height 13; boxes: columns 1..3, rows 2..10
    }
    void TearDown() override { SetFontEngine(nullptr); }

    static TColor32 Ink(TColor32 color, int alpha) {
        return Blend(WithAlpha(color, static_cast<std::uint8_t>(alpha)), kWhite32);
    }

    std::shared_ptr<TBoxFontEngine> FEngine;
    TBitmap32 S;
};

TEST_F(BoxTextTest, LevelZeroUsesBilevelGlyphsAndTheColoursAlphaAsOpacity) {
    const TColor32 red = 0x80FF0000u;
    S.DrawText(10, 5, "ab", 0, red);
    ASSERT_EQ(FEngine->SmoothFlags.size(), 1u);
    EXPECT_FALSE(FEngine->SmoothFlags[0]);
    EXPECT_EQ(FEngine->Magnifications[0], 1);
    EXPECT_EQ(S.Pixel(11, 7), Ink(red, 128));  // half transparent
    EXPECT_EQ(S.Pixel(13, 15), Ink(red, 128));
    EXPECT_EQ(S.Pixel(16, 7), Ink(red, 128));  // second glyph, pen 15
    EXPECT_EQ(S.Pixel(10, 7), kWhite32);
    EXPECT_EQ(S.Pixel(14, 7), kWhite32);
    EXPECT_EQ(S.Pixel(11, 6), kWhite32);
    EXPECT_EQ(S.Pixel(11, 16), kWhite32);
    EXPECT_EQ(CountDifferent(S, S.BoundsRect(), kWhite32), 2 * 3 * 9);
}

TEST_F(BoxTextTest, LevelMinusOneUsesTheEnginesSmoothing) {
    S.DrawText(10, 5, "a", -1, kBlack32);
    ASSERT_EQ(FEngine->SmoothFlags.size(), 1u);
    EXPECT_TRUE(FEngine->SmoothFlags[0]);
    EXPECT_EQ(S.Pixel(11, 7), Ink(kBlack32, 200));
    S.DrawText(10, 5, "a", -7, kBlack32);  // clamped to -1
    EXPECT_TRUE(FEngine->SmoothFlags[1]);
}

TEST_F(BoxTextTest, LevelTwoRendersFourTimesLargerAndAveragesFourByFourCells) {
    // Em 44, advance 22; boxes cover large columns 1..20 (23..42 for the
    // second glyph) and rows 11..43.
    S.DrawText(10, 5, "ab", 2, kBlack32);
    ASSERT_EQ(FEngine->Magnifications.size(), 1u);
    EXPECT_EQ(FEngine->Magnifications[0], 4);
    EXPECT_FALSE(FEngine->SmoothFlags[0]);
    EXPECT_EQ(S.Pixel(10, 7), Ink(kBlack32, 48));   // cell (0, 2): 3 columns × 1 row of 16 samples
    EXPECT_EQ(S.Pixel(11, 8), kBlack32);            // cell (1, 3): full
    EXPECT_EQ(S.Pixel(14, 8), kBlack32);            // cell (4, 3): columns 16..19, full
    EXPECT_EQ(S.Pixel(15, 8), Ink(kBlack32, 128));  // cell (5, 3): columns 20 and 23 of 20..23
    EXPECT_EQ(S.Pixel(11, 15), kBlack32);           // cell (1, 10): rows 40..43, all inked
    EXPECT_EQ(S.Pixel(11, 16), kWhite32);
    EXPECT_EQ(S.Pixel(10, 6), kWhite32);  // cell (0, 1): rows 4..7, no ink
}

TEST_F(BoxTextTest, LevelIsClampedToFour) {
    S.DrawText(0, 0, "a", 9, kBlack32);
    ASSERT_EQ(FEngine->Magnifications.size(), 1u);
    EXPECT_EQ(FEngine->Magnifications[0], 16);
}

TEST_F(BoxTextTest, TextStartingLeftOfTheSurfaceKeepsItsVisiblePart) {
    // Glyph pens at -12, -7, -2, 3, 8, 13: the last box (columns 14..16) is
    // visible only if the temporary image reaches past the surface's width
    // (measured from x = -12).
    S.Resize(20, 20);
    S.Clear(kWhite32);
    S.DrawText(-12, 0, "abcdef", 0, kBlack32);
    EXPECT_EQ(S.Pixel(15, 5), kBlack32);
    EXPECT_EQ(S.Pixel(0, 5), kBlack32);          // glyph 'c' at pen -2 covers columns -1..1
    S.DrawText(15, 15, "abcdef", 2, kBlack32);   // runs off the right and bottom edges
    S.DrawText(25, 0, "abcdef", 0, kBlack32);    // entirely right of the surface
    S.DrawText(0, -100, "abcdef", 4, kBlack32);  // entirely above
    EXPECT_EQ(S.Pixel(16, 18), kBlack32);        // level-2 cell fully inside the first box
}

TEST_F(BoxTextTest, TransparentColourOrEmptyTextDrawsNothing) {
    S.DrawText(5, 5, "abc", 0, 0x00000000u);
    S.DrawText(5, 5, "", 2, kBlack32);
    EXPECT_EQ(CountDifferent(S, S.BoundsRect(), kWhite32), 0);
}

TEST_F(BoxTextTest, TextWidthComesFromTheEngine) {
    EXPECT_EQ(S.TextWidth("abc"), 15);
    EXPECT_EQ(S.TextExtent("abc").Height, 13);
    EXPECT_EQ(S.TextWidth("\xC3\xA9t\xC3\xA9"), 15);  // three code points
}

// ---- FreeType ------------------------------------------------------------

class FreeTypeTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetFontEngine(nullptr);
        S.Resize(300, 60);
        S.Clear(kWhite32);
        S.Font().Name = "Verdana";
        S.Font().Size = 8;
    }
    // Distinct green values and the horizontal ink extent (relative to x).
    struct TInk {
        std::set<int> Levels;
        int Left = 1 << 30, Right = -1;
    };
    TInk InkOf(int x) const {
        TInk ink;
        for (int yy = 0; yy < S.Height(); ++yy)
            for (int xx = 0; xx < S.Width(); ++xx) {
                const int g = GreenComponent(S.Pixel(xx, yy));
                ink.Levels.insert(g);
                if (g != 255) {
                    ink.Left = std::min(ink.Left, xx - x);
                    ink.Right = std::max(ink.Right, xx - x + 1);
                }
            }
        return ink;
    }
    TBitmap32 S;
};

const char* const kLabel = "Tessel EQ 1.50 kHz";

TEST_F(FreeTypeTextTest, NamedFaceResolvesAndScalesWithPointSize) {
    const int width8 = S.TextWidth(kLabel);
    const TTextExtent extent = S.TextExtent(kLabel);
    EXPECT_GT(width8, 60);
    EXPECT_LT(width8, 160);
    EXPECT_GE(extent.Height, 11);  // at least the 11-pixel em of 8 pt at 96 px/inch
    EXPECT_LE(extent.Height, 18);
    S.Font().Size = 20;
    EXPECT_NEAR(S.TextWidth(kLabel), width8 * 2.5, width8 * 2.5 * 0.15);
    EXPECT_LT(S.TextWidth("iii"), S.TextWidth("WWW"));
    EXPECT_EQ(S.TextWidth(""), 0);
}

TEST_F(FreeTypeTextTest, BoldIsWiderThanRegular) {
    const int regular = S.TextWidth(kLabel);
    S.Font().Style.Bold = true;
    EXPECT_GT(S.TextWidth(kLabel), regular);
}

TEST_F(FreeTypeTextTest, HigherLevelsGiveMoreGreyLevels) {
    std::size_t previous = 0;
    for (int level : {0, 2, 4}) {
        S.Clear(kWhite32);
        S.DrawText(10, 10, kLabel, level, kBlack32);
        const TInk ink = InkOf(10);
        if (level == 0)
            EXPECT_EQ(ink.Levels, (std::set<int>{0, 255}));
        else
            EXPECT_GT(ink.Levels.size(), previous + 3) << "level " << level;
        previous = ink.Levels.size();
    }
    EXPECT_LE(previous, 256u);
}

TEST_F(FreeTypeTextTest, LevelMinusOneIsSmoothedByTheEngine) {
    S.DrawText(10, 10, kLabel, -1, kBlack32);
    EXPECT_GT(InkOf(10).Levels.size(), 6u);
}

TEST_F(FreeTypeTextTest, InkSpanAgreesWithTextWidthAtEveryLevel) {
    // Glyph positions scale with the em, so the ink ends where TextWidth
    // says at every level, give or take the last glyph's side bearing and
    // rounding. Allowed: 3 pixels.
    const int width = S.TextWidth(kLabel);
    for (int level : {-1, 0, 1, 2, 3, 4}) {
        S.Clear(kWhite32);
        S.DrawText(20, 10, kLabel, level, kBlack32);
        const TInk ink = InkOf(20);
        EXPECT_GE(ink.Left, -1) << "level " << level;
        EXPECT_LE(ink.Left, 3) << "level " << level;
        EXPECT_NEAR(ink.Right, width, 3) << "level " << level;
    }
}

TEST_F(FreeTypeTextTest, HalfTransparentColourDrawsHalfTransparentText) {
    S.DrawText(10, 10, kLabel, 0, 0x80000000u);
    EXPECT_EQ(InkOf(10).Levels, (std::set<int>{128, 255}));  // Blend(0x80000000, white)
}

TEST_F(FreeTypeTextTest, UnderlineAddsInkBelowTheBaseline) {
    S.DrawText(10, 10, "ace", 0, kBlack32);  // no descenders
    const int before = CountDifferent(S, S.BoundsRect(), kWhite32);
    S.Clear(kWhite32);
    S.Font().Style.Underline = true;
    S.DrawText(10, 10, "ace", 0, kBlack32);
    EXPECT_GE(CountDifferent(S, S.BoundsRect(), kWhite32), before + S.TextWidth("ace") - 2);
}

TEST_F(FreeTypeTextTest, MalformedUtf8IsDrawnNotRejected) {
    const std::string bad = "A\xFF\xC3(B\xE2\x82";
    EXPECT_GT(S.TextWidth(bad), S.TextWidth("AB"));
    S.DrawText(10, 10, bad, 2, kBlack32);
    EXPECT_GT(CountDifferent(S, S.BoundsRect(), kWhite32), 0);
}

}  // namespace
}  // namespace tessel
