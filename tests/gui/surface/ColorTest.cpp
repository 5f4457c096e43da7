// Colour arithmetic: Blend, Merge, Lighten, WithSaturation and the
// window-system conversions.

#include <gtest/gtest.h>

#include <random>

#include "gui/surface/Color32.h"
#include "gui/surface/Combine.h"
#include "gui/surface/SystemColors.h"

namespace tessel {
namespace {

TEST(BlendTest, HalfTransparentRedOntoOpaqueBlack) {
    // floor((256·255 + 128 + (128 - 255)·128) / 256) = 192 for alpha,
    // floor((0 + 128 + 255·128) / 256) = 128 for red.
    EXPECT_EQ(Blend(Color32(255, 0, 0, 128), kBlack32), Color32(128, 0, 0, 192));
}

TEST(BlendTest, TransparentAndOpaqueForegroundsAreShortcuts) {
    const TColor32 back = Color32(10, 20, 30, 40);
    EXPECT_EQ(Blend(Color32(200, 100, 50, 0), back), back);
    EXPECT_EQ(Blend(Color32(200, 100, 50, 255), back), Color32(200, 100, 50, 255));
}

TEST(BlendTest, EveryChannelFollowsTheFloorFormula) {
    std::mt19937 rng(7);
    for (int i = 0; i < 20000; ++i) {
        const TColor32 f = rng(), b = rng();
        const int fa = static_cast<int>(f >> 24);
        if (fa == 0 || fa == 255) continue;
        TColor32 expected = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const int fc = (f >> shift) & 255, bc = (b >> shift) & 255;
            const int v = (256 * bc + 128 + (fc - bc) * fa);
            expected |= static_cast<TColor32>(v / 256) << shift;
        }
        ASSERT_EQ(Blend(f, b), expected) << std::hex << f << " over " << b;
    }
}

TEST(MergeTest, SpecialCasesFollowTheAlphas) {
    const TColor32 f = Color32(200, 100, 50, 90);
    EXPECT_EQ(Merge(f, Color32(1, 2, 3, 0)), f);  // nothing underneath
    EXPECT_EQ(Merge(Color32(200, 100, 50, 0), 0x50102030u), 0x50102030u);
    EXPECT_EQ(Merge(WithAlpha(f, 255), 0x50102030u), WithAlpha(f, 255));
    EXPECT_EQ(Merge(f, 0xFF102030u), Blend(f, 0xFF102030u));  // opaque background
}

TEST(MergeTest, TranslucentOntoTranslucentComposites) {
    // Ra = 128 + 128 - 128·128/255 = 192 (rounded); red = 255·128/192 = 170.
    const TColor32 r = Merge(Color32(255, 0, 0, 128), Color32(0, 0, 255, 128));
    EXPECT_EQ(AlphaComponent(r), 192);
    EXPECT_EQ(RedComponent(r), 170);
    EXPECT_EQ(BlueComponent(r), 85);
}

TEST(MergeTest, ResultStaysBetweenForegroundAndBackground) {
    std::mt19937 rng(11);
    for (int i = 0; i < 20000; ++i) {
        const TColor32 f = rng(), b = rng();
        const TColor32 m = Merge(f, b);
        const int fa = AlphaComponent(f), ba = AlphaComponent(b);
        if (fa > 0 && fa < 255 && ba > 0 && ba < 255) {  // the true compositing case
            ASSERT_GE(AlphaComponent(m), std::max(fa, ba));
            ASSERT_LE(AlphaComponent(m), fa + ba);
        }
        for (int shift = 0; shift < 24; shift += 8) {
            const int fc = (f >> shift) & 255, bc = (b >> shift) & 255, mc = (m >> shift) & 255;
            ASSERT_GE(mc, std::min(fc, bc));
            ASSERT_LE(mc, std::max(fc, bc));
        }
    }
}

TEST(ColorTest, ScaleAlphaKeepsColourAndScalesAlpha) {
    EXPECT_EQ(ScaleAlpha(0xFF336699u, 128), 0x80336699u);
    EXPECT_EQ(ScaleAlpha(0x80336699u, 255), 0x80336699u);
    EXPECT_EQ(ScaleAlpha(0x80336699u, 0), 0x00336699u);
}

TEST(ColorTest, LightenClampsAndKeepsAlpha) {
    EXPECT_EQ(Lighten(Color32(216, 213, 205, 0x7F), 127), Color32(255, 255, 255, 0x7F));
    EXPECT_EQ(Lighten(Color32(255, 255, 255, 0x2F), -128), Color32(127, 127, 127, 0x2F));
    EXPECT_EQ(Lighten(Color32(10, 100, 250, 1), -20), Color32(0, 80, 230, 1));
}

TEST(ColorTest, WithSaturationLeavesGreyAlone) {
    for (TColor32 grey : {0x80000000u, 0xFF7F7F7Fu, 0x5FFFFFFFu})
        for (float s : {0.0f, 0.5f, 1.0f}) EXPECT_EQ(WithSaturation(grey, s), grey);
}

TEST(ColorTest, WithSaturationSetsSaturationAndKeepsHueLightnessAlpha) {
    // Pure red: hue 0, lightness 0.5. s = 1 keeps it; s = 0 gives saturation
    // 0.3: q = 0.65, p = 0.35 -> (166, 89, 89).
    EXPECT_EQ(WithSaturation(0x7FFF0000u, 1.0f), 0x7FFF0000u);
    EXPECT_EQ(WithSaturation(0x7FFF0000u, 0.0f), Color32(166, 89, 89, 0x7F));
    // Green knob arc colour at half position: saturation 0.65, hue kept (green dominant).
    const TColor32 g = WithSaturation(0x7F40DF00u, 0.5f);
    EXPECT_EQ(AlphaComponent(g), 0x7F);
    EXPECT_GT(GreenComponent(g), RedComponent(g));
    EXPECT_GT(RedComponent(g), BlueComponent(g));
    EXPECT_NEAR((std::max({RedComponent(g), GreenComponent(g), BlueComponent(g)}) +
                 std::min({RedComponent(g), GreenComponent(g), BlueComponent(g)})) /
                    2.0,
                (0xDF + 0x00) / 2.0, 1.0);
    // Out-of-range s is clamped, not extrapolated.
    EXPECT_EQ(WithSaturation(0xFF804020u, 5.0f), WithSaturation(0xFF804020u, 1.0f));
}

TEST(ColorTest, SystemColourWordsConvertBothWays) {
    EXPECT_EQ(FromSystemColor(13489624), Color32(216, 213, 205, 255));  // 0xCDD5D8
    EXPECT_EQ(ToSystemColor(Color32(216, 213, 205, 17)), 13489624);
    EXPECT_EQ(FromSystemColor(clBtnFace), FromSystemColor(SystemColorByIndex(scBtnFace)));
    EXPECT_EQ(FromSystemColor(clWindowText), kBlack32);
    EXPECT_EQ(FromSystemColor(clWindow), kWhite32);
    // Unknown indices give black rather than reading past the table.
    EXPECT_EQ(FromSystemColor(SystemColorWord(static_cast<TSystemColorIndex>(200))), kBlack32);
}

}  // namespace
}  // namespace tessel
