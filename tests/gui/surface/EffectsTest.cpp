// StackBlur, DropShadow and NoiseFill.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "gui/surface/Bitmap32.h"
#include "tests/gui/SurfaceTesting.h"

namespace tessel {
namespace {

using testing::CountDifferent;

// Direct evaluation of the blur for comparison: per channel, a triangular
// weighted average over clamped neighbours, rows first, truncating.
void ReferenceBlur(std::vector<TColor32>& px, int w, int h, int r) {
    auto pass = [&](bool rows) {
        const std::vector<TColor32> src = px;
        const int d = (r + 1) * (r + 1);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                TColor32 out = 0;
                for (int shift = 0; shift < 32; shift += 8) {
                    int sum = 0;
                    for (int i = -r; i <= r; ++i) {
                        const int sx = rows ? std::clamp(x + i, 0, w - 1) : x;
                        const int sy = rows ? y : std::clamp(y + i, 0, h - 1);
                        sum += (r + 1 - std::abs(i)) * static_cast<int>((src[sy * w + sx] >> shift) & 255);
                    }
                    out |= static_cast<TColor32>(sum / d) << shift;
                }
                px[y * w + x] = out;
            }
    };
    pass(true);
    pass(false);
}

TEST(StackBlurTest, RadiusOneSpreadsOnePixelOneTwoOne) {
    TBitmap32 s(5, 5);
    s.RowPixels(2)[2] = kWhite32;
    s.StackBlur(1);
    // Rows: 63 127 63; columns then truncate again.
    const int expected[3][3] = {{15, 31, 15}, {31, 63, 31}, {15, 31, 15}};
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const std::uint8_t v = static_cast<std::uint8_t>(expected[dy + 1][dx + 1]);
            EXPECT_EQ(s.Pixel(2 + dx, 2 + dy), Color32(v, v, v, v)) << dx << "," << dy;
        }
    EXPECT_EQ(CountDifferent(s, s.BoundsRect(), 0), 9);
}

TEST(StackBlurTest, MatchesTheDirectWeightedAverageIncludingEdges) {
    std::mt19937 rng(3);
    for (int r : {1, 2, 4, 7}) {
        const int w = 13, h = 9;
        TBitmap32 s(w, h);
        std::vector<TColor32> ref(static_cast<std::size_t>(w * h));
        for (int i = 0; i < w * h; ++i) ref[i] = s.Bits()[i] = rng();
        s.StackBlur(r);
        ReferenceBlur(ref, w, h, r);
        for (int i = 0; i < w * h; ++i) ASSERT_EQ(s.Bits()[i], ref[i]) << "radius " << r << " pixel " << i;
    }
}

TEST(StackBlurTest, NonPositiveRadiusLeavesPixelsAndHugeRadiusStaysInBounds) {
    TBitmap32 s(3, 2);
    s.RowPixels(0)[0] = 0xFFFFFFFFu;
    s.StackBlur(0);
    s.StackBlur(-4);
    EXPECT_EQ(s.Pixel(0, 0), 0xFFFFFFFFu);
    s.StackBlur(1000);  // far wider than the surface: edge pixels repeat
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            EXPECT_GT(AlphaComponent(s.Pixel(x, y)), 0);
            EXPECT_LT(AlphaComponent(s.Pixel(x, y)), 255);
        }
}

TEST(ShadowMaskTest, KeepsOnlyScaledAlphaInBlack) {
    TBitmap32 s(3, 1);
    s.RowPixels(0)[0] = 0xFFFFFFFFu;
    s.RowPixels(0)[1] = 0x80336699u;
    s.RowPixels(0)[2] = 0x00FFFFFFu;
    s.ShadowMask(110);
    EXPECT_EQ(s.Pixel(0, 0), 110u << 24);
    EXPECT_EQ(s.Pixel(1, 0), (128u * 110 / 255) << 24);  // 55, floor
    EXPECT_EQ(s.Pixel(2, 0), 0u);
}

TEST(DropShadowTest, ShadowSitsUnderTheShapeAtTheOffset) {
    TBitmap32 s(20, 20);
    s.SetDrawMode(dmBlend);
    s.FillRect(4, 4, 10, 10, 0xFF336699u);
    s.DropShadow(3, 2, 0, 128);
    EXPECT_EQ(s.Pixel(6, 6), 0xFF336699u);                             // shape drawn over its shadow
    EXPECT_EQ(s.Pixel(11, 7), 0x80000000u);                            // shadow only: black at 255·128/255
    EXPECT_EQ(s.Pixel(12, 11), 0x80000000u);                           // bottom-right corner of the shadow
    EXPECT_EQ(s.Pixel(13, 7), 0u);                                     // right of the shadow
    EXPECT_EQ(s.Pixel(5, 3), 0u);                                      // above the shape: no shadow
    EXPECT_EQ(CountDifferent(s, s.BoundsRect(), 0), 36 + 36 - 3 * 4);  // shape, shadow, overlap
}

TEST(DropShadowTest, BlurSoftensTheShadowAndTransparencyScalesIt) {
    TBitmap32 s(30, 30);
    s.SetDrawMode(dmBlend);
    s.FillRect(8, 8, 16, 16, kWhite32);
    s.DropShadow(4, 4, 3, 200);
    const int inside = AlphaComponent(s.Pixel(18, 14));  // well inside the shadow
    const int fringe = AlphaComponent(s.Pixel(21, 14));  // near the shadow's edge
    EXPECT_GT(inside, fringe);
    EXPECT_GT(fringe, 0);
    EXPECT_LE(inside, 200);
    EXPECT_EQ(RedComponent(s.Pixel(21, 14)), 0);  // black
    EXPECT_EQ(s.Pixel(12, 12), kWhite32);
}

// Returns a fixed sequence, so the texture can be computed by hand.
class TScriptedRandom final : public TRandomSource {
public:
    explicit TScriptedRandom(std::vector<int> values) : FValues(std::move(values)) {}
    int Random(int range) override {
        const int v = FValues[FNext++ % FValues.size()];
        return range > 0 ? v % range : 0;
    }

private:
    std::vector<int> FValues;
    std::size_t FNext = 0;
};

TEST(NoiseFillTest, RunningValueFollowsTheFormula) {
    // Amount 48: h starts at -24. With random = 40 every time:
    // h1 = (40·128 - 24·896) / 1024 = -16 (truncating), pixel = base - 40;
    // h2 = (5120 - 16·896) / 1024 = -9, pixel = base - 33.
    TBitmap32 s(2, 1);
    TScriptedRandom random({40});
    const TColor32 base = Color32(200, 150, 100, 255);
    s.NoiseFill(base, 48, false, random);
    EXPECT_EQ(s.Pixel(0, 0), Lighten(base, -40));
    EXPECT_EQ(s.Pixel(1, 0), Lighten(base, -33));
}

TEST(NoiseFillTest, SecondPassRunsRightToLeftOverTheResult) {
    TBitmap32 s(2, 1);
    TScriptedRandom random({40});
    const TColor32 base = Color32(200, 150, 100, 255);
    s.NoiseFill(base, 48, true, random);
    // Right pixel: first pass -33, then the second pass starts there (-40).
    EXPECT_EQ(s.Pixel(1, 0), Lighten(base, -33 - 40));
    EXPECT_EQ(s.Pixel(0, 0), Lighten(base, -40 - 33));
}

TEST(NoiseFillTest, FixedGeneratorIsDeterministicWithDarkerRowEnds) {
    TBitmap32 a(200, 40), b(200, 40);
    TXorShiftRandom r1(42), r2(42);
    const TColor32 base = Color32(216, 213, 205, 255);
    a.NoiseFill(base, 48, true, r1);
    b.NoiseFill(base, 48, true, r2);
    EXPECT_EQ(std::memcmp(a.Bits(), b.Bits(), 200 * 40 * sizeof(TColor32)), 0);

    auto columnMean = [&](int x) {
        double sum = 0;
        for (int y = 0; y < a.Height(); ++y) sum += RedComponent(a.Pixel(x, y));
        return sum / a.Height();
    };
    const double left = columnMean(0), middle = columnMean(100), right = columnMean(199);
    EXPECT_LT(left, middle - 15);
    EXPECT_LT(right, middle - 15);
    EXPECT_EQ(AlphaComponent(a.Pixel(100, 20)), 255);
    // Neighbours stay close (soft streaks), unlike independent noise.
    int bigSteps = 0;
    for (int x = 50; x < 150; ++x)
        bigSteps += std::abs(RedComponent(a.Pixel(x, 5)) - RedComponent(a.Pixel(x + 1, 5))) > 12;
    EXPECT_LT(bigSteps, 5);
}

TEST(NoiseFillTest, StaysInsideTheClipAndSurvivesOddAmounts) {
    TBitmap32 s(10, 10);
    s.SetClip({2, 3, 8, 6});
    TXorShiftRandom random(1);
    s.NoiseFill(kWhite32, 48, true, random);
    EXPECT_EQ(testing::CountDifferentOutside(s, {2, 3, 8, 6}, 0), 0);
    EXPECT_EQ(CountDifferent(s, {2, 3, 8, 6}, 0), 18);
    s.NoiseFill(kWhite32, 0, true, random);
    s.NoiseFill(kWhite32, -5, true, random);
    s.NoiseFill(kWhite32, 1 << 30, true, random);
    EXPECT_EQ(testing::CountDifferentOutside(s, {2, 3, 8, 6}, 0), 0);
}

// Each thread's default generator is seeded from the clock when the thread
// first draws: two threads, started at different moments, draw different
// textures. (Two fills on one thread differ whatever the seed, since the
// second continues the first's sequence; a fixed seed shows only here.)
TEST(NoiseFillTest, DefaultGeneratorIsSeededFromTheClock) {
    auto firstTextureOfANewThread = [] {
        std::vector<TColor32> pixels;
        std::thread([&] {
            TBitmap32 s(64, 4);
            s.NoiseFill(kWhite32, 48, true);
            pixels.assign(s.Bits(), s.Bits() + 64 * 4);
        }).join();
        return pixels;
    };
    const auto a = firstTextureOfANewThread();
    const auto b = firstTextureOfANewThread();
    ASSERT_EQ(a.size(), 256u);
    EXPECT_NE(a, b);
}

TEST(RandomSourceTest, RangesAreRespectedAndRoughlyUniform) {
    TXorShiftRandom random(5);
    int counts[6] = {};
    for (int i = 0; i < 60000; ++i) {
        const int v = random.Random(6);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 6);
        counts[v]++;
    }
    for (int c : counts) EXPECT_NEAR(c, 10000, 500);
    EXPECT_EQ(random.Random(0), 0);
    EXPECT_EQ(random.Random(-3), 0);
}

}  // namespace
}  // namespace tessel
