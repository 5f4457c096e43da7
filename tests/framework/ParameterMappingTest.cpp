// Parameter descriptions: the curves between the host's normalised 0..1 and
// natural values, the host-side smoothing, and names cut on assignment.

#include <gtest/gtest.h>

#include <limits>

#include "tests/framework/ModuleFixtures.h"

namespace tessel {
namespace {

TCustomVstParameterProperty& Add(TVSTModuleWithPrograms& module, float min, float max, TCurveType curve,
                                 float curveFactor = 1.0f) {
    auto& p = module.ParameterProperties().Add();
    p.SetMin(min);
    p.SetMax(max);
    p.SetCurve(curve);
    p.SetCurveFactor(curveFactor);
    return p;
}

TEST(ParameterMapping, FrequencyCurveExamples) {
    auto module = CreateModule<test::TBareModule>();
    Add(*module, 20.0f, 20000.0f, TCurveType::ctLogarithmic, 1000.0f);
    const float normalised[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
    const float hz[] = {20.0f, 112.40387f, 632.15894f, 3555.6865f, 20000.0f};
    for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(module->NormalizedToParameter(0, normalised[i]), hz[i]);
    EXPECT_FLOAT_EQ(module->ParameterToNormalized(0, 100.0f), 0.23307216f);
    EXPECT_FLOAT_EQ(module->ParameterToNormalized(0, 1000.0f), 0.5663833f);
    EXPECT_FLOAT_EQ(module->ParameterToNormalized(0, 10000.0f), 0.89967102f);
}

TEST(ParameterMapping, CurvesRoundTripAndClampOnlyTheNormalisedSide) {
    auto module = CreateModule<test::TBareModule>();
    Add(*module, 0.0f, 10.0f, TCurveType::ctLinear);
    Add(*module, 20.0f, 20000.0f, TCurveType::ctLogarithmic, 1000.0f);
    Add(*module, -5.0f, 30.0f, TCurveType::ctExponential, 10.0f);
    Add(*module, 20.0f, 20000.0f, TCurveType::ctFrequencyScale);
    Add(*module, 0.0f, 500.0f, TCurveType::ctFrequencyScale);  // Min 0: Max is the ratio
    for (int32_t index = 0; index < 5; ++index)
        for (int step = 0; step <= 64; ++step) {
            const float n = static_cast<float>(step) / 64.0f;
            EXPECT_NEAR(module->ParameterToNormalized(index, module->NormalizedToParameter(index, n)), n, 2e-6f)
                << index << " at " << n;
        }
    EXPECT_EQ(module->ParameterToNormalized(0, -3.0f), 0.0f);
    EXPECT_EQ(module->ParameterToNormalized(0, 11.0f), 1.0f);
    EXPECT_EQ(module->ParameterToNormalized(0, std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_FLOAT_EQ(module->NormalizedToParameter(0, 1.2f), 12.0f);
    EXPECT_EQ(module->ParameterToNormalized(5, 5.0f), 0.0f);  // no such parameter
}

TEST(ParameterMapping, SmoothingAdvancesOncePerHostValue) {
    auto module = CreateModule<test::TBareModule>();
    Add(*module, -15.0f, 15.0f, TCurveType::ctLinear);
    EXPECT_EQ(module->NormalizedToParameter(0, 0.5f), 0.0f);  // factor 1: exactly the mapped value

    auto& smooth = Add(*module, 0.0f, 8.0f, TCurveType::ctLinear);
    smooth.SetSmoothingFactor(0.5f);
    EXPECT_FLOAT_EQ(module->NormalizedToParameter(1, 1.0f), 2.0f);  // stage 1 at 4, stage 2 at 2
    EXPECT_FLOAT_EQ(module->NormalizedToParameter(1, 1.0f), 4.0f);  // stage 1 at 6, stage 2 at 4
    EXPECT_FLOAT_EQ(smooth.SmoothState1(), 6.0f);
    module->NormalizedToParameter(1, std::numeric_limits<float>::quiet_NaN());  // leaves the state alone
    EXPECT_FLOAT_EQ(smooth.SmoothState2(), 4.0f);

    // Factor 1 follows exactly even from far away (s + (x - s) would lose x = 1 next to s = 1e30).
    auto& wide = Add(*module, 0.0f, 1e30f, TCurveType::ctLinear);
    module->NormalizedToParameter(2, 1.0f);
    wide.SetMax(1.0f);
    EXPECT_EQ(module->NormalizedToParameter(2, 1.0f), 1.0f);
}

TEST(ParameterDescription, DefaultNamesAndCuts) {
    auto module = CreateModule<test::TBareModule>();
    auto& first = module->ParameterProperties().Add();
    EXPECT_EQ(first.DisplayName(), "Parameter 1");
    EXPECT_EQ(module->ParameterProperties().Add().DisplayName(), "Parameter 2");
    first.SetDisplayName("A parameter name far longer than thirty characters");
    EXPECT_EQ(first.DisplayName(), "A parameter name far longer th");
    first.SetShortLabel(
        "Gr\xC3\xB6\xC3\x9F"
        "enwert");  // cut by character, not by byte
    EXPECT_EQ(first.ShortLabel(),
              "Gr\xC3\xB6\xC3\x9F"
              "enw");
}

}  // namespace
}  // namespace tessel
