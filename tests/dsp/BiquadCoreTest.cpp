// Setters, derived values, processing and saved states of the biquad core.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <numbers>

#include "tests/dsp/TestFilters.h"

namespace tessel {
namespace {

using namespace test;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kTwoPi = 2.0 * std::numbers::pi;

TEST(BiquadCore, FreshFilterOutputsZeroUntilASetterRuns) {
    auto peak = CreateBandFilter(TBandKind::Peak);
    EXPECT_EQ(peak->ProcessSample(0.75), 0.0);
    EXPECT_EQ(peak->ProcessSample(TWideSample{-3.0}), 0.0L);
    EXPECT_EQ(peak->ProcessSampleInt(1000), 0);
    EXPECT_EQ(peak->SampleRateReciprocal(), 2.2675736961451248e-05);
    peak->SetGain(6.0);
    EXPECT_NE(peak->ProcessSample(0.75), 0.0);
}

TEST(BiquadCore, SetFrequencyRecomputesEvenWithTheCurrentValue) {
    TFixedBiquad probe;
    probe.SetSampleRate(48000.0);  // the core level recomputes nothing here
    EXPECT_EQ(probe.W0(), 0.0);
    probe.SetFrequency(1000.0);  // the constructor's value
    EXPECT_NEAR(probe.W0(), kTwoPi * 1000.0 / 48000.0, 1e-15);
    EXPECT_GT(probe.Alpha(), 0.0);
    EXPECT_EQ(probe.computeCount, 1);
}

TEST(BiquadCore, InvalidValuesAreReplacedOrIgnored) {
    TFixedBiquad filter;
    for (double bad : {0.0, -5.0, std::nan("")}) {
        filter.SetFrequency(bad);
        filter.SetBandwidth(bad);
        EXPECT_EQ(filter.Frequency(), 1.0);
        EXPECT_EQ(filter.Bandwidth(), 0.01);
    }
    for (double bad : {0.0, -44100.0, std::nan(""), kInf, 1e-310}) filter.SetSampleRate(bad);
    EXPECT_EQ(filter.SampleRate(), 44100.0);
}

TEST(BiquadCore, W0IsLimitedButSinW0KeepsTheUnlimitedAngle) {
    TFixedBiquad filter;
    filter.SetFrequency(22000.0);
    EXPECT_EQ(filter.W0(), 3.1);
    EXPECT_NEAR(filter.SinW0(), std::sin(kTwoPi * 22000.0 / 44100.0), 1e-15);  // not sin(3.1) = 0.0416
}

TEST(BiquadCore, GainFactorIsRoundedThroughSinglePrecision) {
    auto peak = Band(TBandKind::Peak);
    const struct {
        double gainDb, factor;
    } cases[] = {{15.0, 2.3713736534118652}, {-15.0, 0.4216965138912201}, {-288.0, 0.0}, {0.0, 1.0}};
    for (const auto& c : cases) {
        peak->SetGain(c.gainDb);
        EXPECT_EQ(peak->GainFactor(), c.factor) << c.gainDb;
    }
    for (double absurd : {1e6, kInf}) {  // must not turn the coefficients into inf/NaN
        peak->SetGain(absurd);
        EXPECT_TRUE(std::isfinite(peak->Coefficients().b0) && std::isfinite(peak->Coefficients().a2));
    }
}

TEST(BiquadCore, AlphaMatchesTheWorkedValues) {
    const struct {
        double octaves;
        const char* alpha;
    } cases[] = {{0.1, "0.004926300586241696"}, {1.0, "0.0502467491740458"}, {10.0, "2.276370398317663"}};
    for (const auto& c : cases) EXPECT_TRUE(MatchesPrinted(Band(TBandKind::Peak, 1000.0, c.octaves)->Alpha(), c.alpha));
}

TEST(BiquadCore, BothEntriesFollowTheDifferenceEquation) {
    auto viaDouble = Band(TBandKind::Peak);
    auto viaWide = Band(TBandKind::Peak);
    const TBiquadCoefficients k = viaDouble->Coefficients();
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;  // direct form I, an independent structure
    for (double x : Noise(2000)) {
        const double expected = k.b0 * x + k.b1 * x1 + k.b2 * x2 - k.a1 * y1 - k.a2 * y2;
        const double y = viaDouble->ProcessSample(x);
        ASSERT_NEAR(y, expected, 1e-12);
        ASSERT_EQ(static_cast<double>(viaWide->ProcessSample(TWideSample{x})), y);
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = expected;
    }
}

TEST(BiquadCore, StatesSurviveEverySetterButNotAReset) {
    auto peak = Band(TBandKind::Peak);
    for (double x : Noise(50)) (void)peak->ProcessSample(x);
    const TBiquadState before = peak->States();
    peak->SetFrequency(2000.0);
    peak->SetGain(-3.0);
    peak->SetBandwidth(0.3);
    peak->SetSampleRate(96000.0);
    peak->Reset();
    EXPECT_EQ(peak->States(), before);
    auto fresh = CreateBandFilter(TBandKind::Peak);  // a band recomputes for a new rate
    fresh->SetSampleRate(96000.0);
    fresh->SetFrequency(2000.0);
    fresh->SetBandwidth(0.3);
    fresh->SetGain(0.0);
    EXPECT_EQ(peak->Coefficients(), fresh->Coefficients());
    peak->ResetStatesInt();  // clears the floating-point states too
    EXPECT_EQ(peak->States(), TBiquadState{});
}

TEST(BiquadCore, IntegerProcessingRoundsTiesToEvenAndSaturates) {
    TFixedBiquad half({.b0 = 0.5});
    for (auto [x, y] : {std::pair{3, 2}, {5, 2}, {-3, -2}, {7, 4}}) EXPECT_EQ(half.ProcessSampleInt(x), y) << x;

    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    TFixedBiquad loud({.b0 = 4.0, .b1 = -4.0, .b2 = 4.0, .a1 = -1.9, .a2 = 0.95});
    EXPECT_EQ(loud.ProcessSampleInt(kMax), kMax);
    EXPECT_EQ(loud.ProcessSampleInt(kMin), kMin);

    // Scaled up, the integer path follows the floating-point one to a few
    // units, and floating-point processing leaves the integer states alone.
    auto real = Band(TBandKind::Peak);
    auto integer = Band(TBandKind::Peak);
    for (double x : Noise(10, 1)) (void)integer->ProcessSample(x);
    for (double x : Noise(2000)) {
        const double scaled = std::round(x * 1e6);
        ASSERT_NEAR(static_cast<double>(integer->ProcessSampleInt(static_cast<std::int64_t>(scaled))),
                    real->ProcessSample(scaled), 100.0);
    }
}

TEST(BiquadCore, ImpulseResponseLeavesTheStatesUntouched) {
    auto measured = Band(TBandKind::Peak);
    auto twin = Band(TBandKind::Peak);
    for (double x : Noise(30)) {
        (void)measured->ProcessSample(x);
        (void)twin->ProcessSample(x);
    }
    const TBiquadState before = measured->States();
    std::vector<double> response(300);
    std::vector<float> narrow(300);
    measured->ImpulseResponse(std::span<double>(response));
    measured->ImpulseResponse(std::span<float>(narrow));
    measured->ImpulseResponse(std::span<double>());
    EXPECT_EQ(measured->States(), before);
    EXPECT_EQ(measured->SavedStateCount(), 0U);
    for (std::size_t i = 0; i < response.size(); ++i) {
        ASSERT_EQ(response[i], twin->ProcessSample(i == 0 ? 1.0 : 0.0)) << i;  // from the current states
        ASSERT_EQ(narrow[i], static_cast<float>(response[i])) << i;
    }
}

TEST(BiquadCore, SavedStatesAreAStack) {
    auto peak = Band(TBandKind::Peak);
    peak->RestoreStates();  // empty: nothing happens
    std::vector<TBiquadState> saved;
    for (double x : {1.0, 0.5, -0.5}) {
        (void)peak->ProcessSample(x);
        saved.push_back(peak->States());
        peak->SaveStates();
    }
    for (auto s = saved.rbegin(); s != saved.rend(); ++s) {
        (void)peak->ProcessSample(0.25);
        peak->RestoreStates();
        EXPECT_EQ(peak->States(), *s);
    }
}

TEST(BiquadCore, PolesAndZerosAreTheRootsOfBothPolynomials) {
    TFixedBiquad filter({.b0 = 1.0, .b1 = -3.0, .b2 = 2.0, .a1 = -1.0, .a2 = 0.5});
    filter.ComputePolesZeros();
    using C = std::complex<float>;
    EXPECT_EQ(filter.Zeros(), (std::array{C(2.0F, 0.0F), C(1.0F, 0.0F)}));
    EXPECT_EQ(filter.Poles(), (std::array{C(0.5F, 0.5F), C(0.5F, -0.5F)}));
}

}  // namespace
}  // namespace tessel
