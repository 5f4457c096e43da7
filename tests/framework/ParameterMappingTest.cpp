// Parameter descriptions: defaults and texts, the curves between the host's
// normalised 0..1 and natural values, and the host-side smoothing.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "tests/framework/ModuleFixtures.h"

namespace tessel {
namespace {

using test::TBareModule;

TCustomVstParameterProperty& AddParameter(TVSTModuleWithPrograms& module, float min, float max, TCurveType curve,
                                          float curveFactor = 1.0f) {
    auto& p = module.ParameterProperties().Add();
    p.SetMin(min);
    p.SetMax(max);
    p.SetCurve(curve);
    p.SetCurveFactor(curveFactor);
    return p;
}

TEST(ParameterMapping, FrequencyCurveExamples) {
    auto module = CreateModule<TBareModule>();
    auto& frequency = AddParameter(*module, 20.0f, 20000.0f, TCurveType::ctLogarithmic, 1000.0f);
    const float normalised[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
    const float hz[] = {20.0f, 112.40387f, 632.15894f, 3555.6865f, 20000.0f};
    for (int i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(frequency.FromNormalized(normalised[i]), hz[i]);
        EXPECT_FLOAT_EQ(module->NormalizedToParameter(0, normalised[i]), hz[i]);
    }
    EXPECT_FLOAT_EQ(module->ParameterToNormalized(0, 100.0f), 0.23307216f);
    EXPECT_FLOAT_EQ(module->ParameterToNormalized(0, 1000.0f), 0.5663833f);
    EXPECT_FLOAT_EQ(module->ParameterToNormalized(0, 10000.0f), 0.89967102f);
}

TEST(ParameterMapping, CurvesRoundTrip) {
    auto module = CreateModule<TBareModule>();
    AddParameter(*module, -15.0f, 15.0f, TCurveType::ctLinear);
    AddParameter(*module, 20.0f, 20000.0f, TCurveType::ctLogarithmic, 1000.0f);
    AddParameter(*module, -5.0f, 30.0f, TCurveType::ctExponential, 10.0f);
    AddParameter(*module, 20.0f, 20000.0f, TCurveType::ctFrequencyScale);
    AddParameter(*module, 0.0f, 500.0f, TCurveType::ctFrequencyScale);  // Min 0 uses Max as the ratio
    for (int32_t index = 0; index < 5; ++index) {
        for (int step = 0; step <= 64; ++step) {
            const float n = static_cast<float>(step) / 64.0f;
            const float natural = module->NormalizedToParameter(index, n);
            EXPECT_NEAR(module->ParameterToNormalized(index, natural), n, 2e-6f) << index << " at " << n;
        }
    }
}

TEST(ParameterMapping, NormalisedSideClampsNaturalSideDoesNot) {
    auto module = CreateModule<TBareModule>();
    auto& linear = AddParameter(*module, 0.0f, 10.0f, TCurveType::ctLinear);
    EXPECT_EQ(linear.ToNormalized(-3.0f), 0.0f);
    EXPECT_EQ(linear.ToNormalized(11.0f), 1.0f);
    EXPECT_EQ(linear.ToNormalized(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_FLOAT_EQ(module->NormalizedToParameter(0, 1.2f), 12.0f);
    EXPECT_EQ(module->ParameterToNormalized(1, 5.0f), 0.0f);   // no such parameter
    EXPECT_EQ(module->ParameterToNormalized(-1, 5.0f), 0.0f);
}

TEST(ParameterMapping, SmoothingAdvancesOncePerHostValue) {
    auto module = CreateModule<TBareModule>();
    AddParameter(*module, -15.0f, 15.0f, TCurveType::ctLinear);
    EXPECT_EQ(module->NormalizedToParameter(0, 0.5f), 0.0f);  // factor 1: exactly the mapped value
    EXPECT_EQ(module->NormalizedToParameter(0, 1.0f), 15.0f);

    auto& smooth = AddParameter(*module, 0.0f, 8.0f, TCurveType::ctLinear);
    smooth.SetSmoothingFactor(0.5f);
    EXPECT_FLOAT_EQ(module->NormalizedToParameter(1, 1.0f), 2.0f);  // stage 1 at 4, stage 2 at 2
    EXPECT_FLOAT_EQ(smooth.SmoothState1(), 4.0f);
    EXPECT_FLOAT_EQ(module->NormalizedToParameter(1, 1.0f), 4.0f);  // stage 1 at 6, stage 2 at 4
    EXPECT_FLOAT_EQ(smooth.SmoothState1(), 6.0f);

    // A factor of 1 follows exactly even from a state far away (s + (x - s)
    // would lose x = 1 next to s = 1e30).
    auto& wide = AddParameter(*module, 0.0f, 1e30f, TCurveType::ctLinear);
    module->NormalizedToParameter(2, 1.0f);
    wide.SetMax(1.0f);
    EXPECT_EQ(module->NormalizedToParameter(2, 1.0f), 1.0f);
    // A non-finite value leaves the state alone.
    module->NormalizedToParameter(1, std::numeric_limits<float>::quiet_NaN());
    EXPECT_FLOAT_EQ(smooth.SmoothState2(), 4.0f);
}

TEST(ParameterDescription, DefaultsNamesAndCuts) {
    auto module = CreateModule<TBareModule>();
    auto& first = module->ParameterProperties().Add();
    auto& second = module->ParameterProperties().Add();
    EXPECT_EQ(first.DisplayName(), "Parameter 1");
    EXPECT_EQ(second.DisplayName(), "Parameter 2");
    EXPECT_EQ(first.Max(), 1.0f);
    EXPECT_EQ(first.CC(), -1);
    EXPECT_EQ(first.MaxInteger(), 100);
    EXPECT_EQ(first.LargeStepInteger(), 10);
    EXPECT_TRUE(first.CanBeAutomated());
    EXPECT_FALSE(first.ReportVST2Properties());

    first.SetDisplayName("A parameter name far longer than thirty characters");
    EXPECT_EQ(first.DisplayName(), "A parameter name far longer th");
    first.SetShortLabel("Frequency");
    EXPECT_EQ(first.ShortLabel(), "Frequen");
    first.SetShortLabel("Gr\xC3\xB6\xC3\x9F" "enwert");  // cut by character, not by byte
    EXPECT_EQ(first.ShortLabel(), "Gr\xC3\xB6\xC3\x9F" "enw");

    second.SetUnits("Hz");
    second.SetMin(5.0f);
    first.Assign(second);  // only the name and the units travel
    EXPECT_EQ(first.DisplayName(), "Parameter 2");
    EXPECT_EQ(first.Units(), "Hz");
    EXPECT_EQ(first.Min(), 0.0f);
}

}  // namespace
}  // namespace tessel
