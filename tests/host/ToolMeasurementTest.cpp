// The measuring pieces behind tessel-host response and --param: the direct
// DFT, the frequency grid, and finding the value a plug-in shows as a text.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "host/PluginInstance.h"
#include "host/tools/MagnitudeResponse.h"
#include "host/tools/ParameterTextSearch.h"
#include "tests/host/ZamEq2.h"

namespace {

using namespace tessel::host;
using namespace tessel::host::tool;

constexpr double kRateHz = 48000.0;

TEST(MagnitudeResponse, MatchesKnownFilters) {
    // A unit impulse, even one arriving late in a long response, passes every frequency at 0 dB.
    std::vector<double> late(100000, 0.0);
    late.back() = 1.0;
    for (const double hz : {20.0, 997.0, 19999.0}) EXPECT_NEAR(MagnitudeDb(late, hz, kRateHz), 0.0, 1e-9) << hz;

    // Two-tap average: |H| = |cos(pi f / fs)|, and a zero at half the rate.
    const std::vector<double> average = {0.5, 0.5};
    for (const double hz : {100.0, 6000.0, 20000.0})
        EXPECT_NEAR(MagnitudeDb(average, hz, kRateHz), 20.0 * std::log10(std::cos(std::numbers::pi * hz / kRateHz)),
                    1e-9)
            << hz;
    EXPECT_EQ(MagnitudeDb(std::vector<double>(8, 0.0), 1000.0, kRateHz), kMagnitudeFloorDb);
    EXPECT_TRUE(std::isnan(MagnitudeDb(std::vector<double>{1.0, NAN}, 1000.0, kRateHz)));

    // A gain of 2 is +6.02 dB.
    EXPECT_NEAR(MagnitudeDb(std::vector<double>{2.0}, 440.0, kRateHz), 20.0 * std::log10(2.0), 1e-12);
}

TEST(MagnitudeResponse, TailShareTellsRingingFromDecayed) {
    std::vector<double> decayed(800, 0.0);
    decayed[0] = 1.0;
    EXPECT_EQ(TailEnergyShare(decayed), 0.0);
    std::vector<double> ringing(800, 0.5);
    EXPECT_NEAR(TailEnergyShare(ringing), 1.0 / 8.0, 1e-12);
}

TEST(MagnitudeResponse, LogSpacedFrequenciesHitBothEndsAtEqualRatios) {
    const std::vector<double> hz = LogSpacedFrequencies(20.0, 20000.0, 4);
    ASSERT_EQ(hz.size(), 4u);
    EXPECT_EQ(hz.front(), 20.0);
    EXPECT_EQ(hz.back(), 20000.0);
    EXPECT_NEAR(hz[1], 200.0, 1e-9);
    EXPECT_NEAR(hz[2], 2000.0, 1e-9);
    EXPECT_EQ(LogSpacedFrequencies(20.0, 20000.0, 1), std::vector<double>{20.0});
}

TEST(ParameterTextSearch, ReadsNumbersAtTheStartOfDisplays) {
    EXPECT_EQ(DisplayNumber("  6.00"), 6.0);
    EXPECT_EQ(DisplayNumber("-3.5 dB"), -3.5);
    EXPECT_EQ(DisplayNumber("1.5k"), 1500.0);
    EXPECT_FALSE(DisplayNumber("-inf"));
    EXPECT_FALSE(DisplayNumber("Off"));
    EXPECT_FALSE(DisplayNumber(""));
}

// ZamEQ2 answers 0 to effString2Parameter and shows values with six decimals.
TEST(ParameterTextSearch, FindsTheValueAPlugInShowsAsANumber) {
    TESSEL_SKIP_WITHOUT_ZAMEQ2();
    TPluginInstance zam(TESSEL_ZAMEQ2_PLUGIN);
    zam.Open();
    constexpr int32_t kBoost1 = 0;  // "Boost/Cut 1", dB
    constexpr int32_t kFreq1 = 2;   // "Frequency 1", Hz, not linear in the normalised value
    ASSERT_EQ(zam.GetParamName(kBoost1), "Boost/Cut 1");
    ASSERT_EQ(zam.GetParamName(kFreq1), "Frequency 1");

    ASSERT_TRUE(SetParameterByDisplay(zam, kBoost1, "-7.25"));
    EXPECT_NEAR(*DisplayNumber(zam.GetParamDisplay(kBoost1)), -7.25, 1e-4);
    ASSERT_TRUE(SetParameterByDisplay(zam, kFreq1, "1234"));
    EXPECT_NEAR(*DisplayNumber(zam.GetParamDisplay(kFreq1)), 1234.0, 0.01);

    // Out of the shown range, or a text no value shows: nothing, and the value is put back.
    const float before = zam.GetParameter(kBoost1);
    EXPECT_FALSE(SetParameterByDisplay(zam, kBoost1, "99"));
    EXPECT_FALSE(SetParameterByDisplay(zam, kBoost1, "Bell"));
    EXPECT_EQ(zam.GetParameter(kBoost1), before);
}

}  // namespace
