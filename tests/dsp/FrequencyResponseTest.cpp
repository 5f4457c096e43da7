// The closed-form response functions against an independent evaluation of
// H(e^jw) and against the spectrum of the impulse response.
#include <gtest/gtest.h>

#include <complex>
#include <numbers>

#include "tests/dsp/TestFilters.h"

namespace tessel {
namespace {

using namespace test;
constexpr double kSampleRateHz = 44100.0;

std::complex<double> EvaluateH(const TBiquadCoefficients& k, double frequencyHz) {
    const std::complex<double> z1 = std::polar(1.0, -2.0 * std::numbers::pi * frequencyHz / kSampleRateHz);
    return (k.b0 + z1 * (k.b1 + z1 * k.b2)) / (1.0 + z1 * (k.a1 + z1 * k.a2));
}

// Magnitude = |H|, Phase = -arg H, and RealPart/ImaginaryPart give conj(H).
// The expanded closed forms cancel in stop-bands and divide by a small |A|^2
// near resonances: they are accurate in absolute terms, so dB and phase are
// compared only where |H| is not tiny.
TEST(FrequencyResponse, MatchesDirectEvaluationForEveryKind) {
    for (const auto& info : kBandKinds) {
        const auto filter = Band(info.kind, 1500.0, 0.7, -9.0);
        for (double f : {31.0, 100.0, 999.0, 1500.0, 4321.0, 10000.0, 21000.0}) {
            SCOPED_TRACE(std::string(info.displayName) + " at " + std::to_string(f));
            const std::complex<double> h = EvaluateH(filter->Coefficients(), f);
            EXPECT_NEAR(std::pow(filter->Magnitude(f), 2), std::norm(h), 1e-9);
            if (std::abs(h) > 0.01) {
                EXPECT_NEAR(filter->MagnitudeDb(f), 20.0 * std::log10(std::abs(h)), 1e-9);
                EXPECT_NEAR(filter->Phase(f), -std::arg(h), 1e-9);
            }
            EXPECT_NEAR(filter->RealPart(f), h.real(), 1e-9);
            EXPECT_NEAR(filter->ImaginaryPart(f), -h.imag(), 1e-9);
            double re = 0.0, im = 0.0;
            float reF = 0.0F, imF = 0.0F;
            filter->ComplexResponse(f, re, im);
            filter->ComplexResponse(f, reF, imF);
            EXPECT_NEAR(re, filter->RealPart(f), 1e-15);
            EXPECT_NEAR(im, filter->ImaginaryPart(f), 1e-15);
            EXPECT_EQ(reF, static_cast<float>(re));
            EXPECT_EQ(imF, static_cast<float>(im));
        }
    }
}

// A long impulse response of a Peak, transformed at bin frequencies, must
// give the closed-form magnitude and phase: this ties processing to response.
TEST(FrequencyResponse, ImpulseResponseSpectrumMatchesMagnitude) {
    const auto peak = Band(TBandKind::Peak);
    constexpr std::size_t kLength = 1 << 16;  // the tail has decayed far below 1e-300
    std::vector<double> h(kLength);
    peak->ImpulseResponse(std::span<double>(h));
    for (std::size_t bin : {149U, 1486U, 1500U, 14860U, 20000U}) {
        const double frequencyHz = static_cast<double>(bin) * kSampleRateHz / kLength;
        std::complex<double> sum;
        for (std::size_t n = 0; n < kLength; ++n)
            sum += h[n] * std::polar(1.0, -2.0 * std::numbers::pi * static_cast<double>((bin * n) % kLength) / kLength);
        EXPECT_NEAR(peak->Magnitude(frequencyHz), std::abs(sum), 1e-9) << frequencyHz;
        EXPECT_NEAR(peak->Phase(frequencyHz), -std::arg(sum), 1e-9) << frequencyHz;
    }
}

}  // namespace
}  // namespace tessel
