#include "dsp/BiquadIIRFilter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessel {

namespace {

constexpr double kPi = 3.141592653589793;

// |H|^2 as numerator N = |B|^2 over denominator D = |A|^2.
struct TPowerRatio {
    double numerator;
    double denominator;
};

TPowerRatio PowerRatio(const TBiquadCoefficients& k, double c) noexcept {
    const double n =
        (k.b0 - k.b2) * (k.b0 - k.b2) + k.b1 * k.b1 + 2.0 * c * (k.b1 * (k.b0 + k.b2) + 2.0 * c * k.b0 * k.b2);
    const double d = (1.0 - k.a2) * (1.0 - k.a2) + k.a1 * k.a1 + 2.0 * c * (k.a1 * (k.a2 + 1.0) + 2.0 * c * k.a2);
    // |B|^2 is never negative, but its expanded form rounds below 0 next to a
    // zero on the unit circle (a notch at its centre); that must read as
    // silence, not as NaN.
    return {std::max(n, 0.0), d};
}

// The conjugate response: Re H and -Im H, each still to be divided by |A|^2.
struct TConjugateParts {
    double re;
    double im;
    double denominator;
};

TConjugateParts ConjugateParts(const TBiquadCoefficients& k, double c) noexcept {
    const double cos2w = 2.0 * c * c - 1.0;
    const double re = cos2w * (k.b0 * k.a2 + k.b2) + k.b0 + k.b1 * k.a1 + k.b2 * k.a2 +
                      c * (k.b1 * (k.a2 + 1.0) + k.a1 * (k.b0 + k.b2));
    const double s = std::sqrt(1.0 - c * c);
    const double im = s * ((k.b2 - k.b0) * k.a1 + (1.0 - k.a2) * k.b1 + 2.0 * c * (k.b2 - k.b0 * k.a2));
    const double e = k.a2 * k.a2 - 2.0 * k.a2 + k.a1 * k.a1 + 1.0 + 2.0 * c * (k.a1 * (k.a2 + 1.0) + 2.0 * c * k.a2);
    return {re, im, e};
}

// Nearest integer, ties to even, whatever the FPU rounding mode; saturates at
// the 64-bit range and maps NaN to 0 so no input can overflow.
std::int64_t RoundToInt64(double v) noexcept {
    constexpr double kTwoPow63 = 9223372036854775808.0;
    if (std::isnan(v)) return 0;
    if (v >= kTwoPow63) return std::numeric_limits<std::int64_t>::max();
    if (v <= -kTwoPow63) return std::numeric_limits<std::int64_t>::min();
    double r = std::floor(v);
    const double fraction = v - r;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(r, 2.0) != 0.0)) r += 1.0;
    return static_cast<std::int64_t>(r);
}

std::int64_t RoundedProduct(std::int64_t x, double k) noexcept { return RoundToInt64(static_cast<double>(x) * k); }

std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) noexcept {
    std::int64_t sum = 0;
    if (!__builtin_add_overflow(a, b, &sum)) return sum;
    return b > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
}

std::int64_t SaturatingSub(std::int64_t a, std::int64_t b) noexcept {
    std::int64_t difference = 0;
    if (!__builtin_sub_overflow(a, b, &difference)) return difference;
    return b < 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
}

// The two roots of z^2 + p z + q with m = -p/2 and d = q - m^2.
std::array<std::complex<float>, 2> QuadraticRoots(double m, double d) noexcept {
    const auto re = static_cast<float>(m);
    if (d > 0.0) {
        const auto im = static_cast<float>(std::sqrt(d));
        return {{{re, im}, {re, -im}}};
    }
    const double root = std::sqrt(-d);
    return {{{static_cast<float>(m + root), 0.0F}, {static_cast<float>(m - root), 0.0F}}};
}

}  // namespace

double TBiquadIIRFilter::ProcessSample(double x) noexcept { return ProcessBiquad(FCoefficients, FState, x); }

std::int64_t TBiquadIIRFilter::ProcessSampleInt(std::int64_t x) noexcept {
    const TBiquadCoefficients& k = FCoefficients;
    const std::int64_t y = SaturatingAdd(RoundedProduct(x, k.b0), FIntState.s0);
    FIntState.s0 = SaturatingAdd(SaturatingSub(RoundedProduct(x, k.b1), RoundedProduct(y, k.a1)), FIntState.s1);
    FIntState.s1 = SaturatingSub(RoundedProduct(x, k.b2), RoundedProduct(y, k.a2));
    return y;
}

TWideSample TBiquadIIRFilter::ProcessSample(TWideSample x) noexcept {
    return ProcessBiquad(FCoefficients, FState, static_cast<double>(x));
}

double BiquadMagnitude(const TBiquadCoefficients& k, double frequencyHz, double sampleRateReciprocal) noexcept {
    const auto [n, d] = PowerRatio(k, std::cos(2.0 * kPi * frequencyHz * sampleRateReciprocal));
    return std::sqrt(n / d);
}

double TBiquadIIRFilter::Magnitude(double frequencyHz) const noexcept {
    return BiquadMagnitude(FCoefficients, frequencyHz, SampleRateReciprocal());
}

double TBiquadIIRFilter::MagnitudeDb(double frequencyHz) const noexcept {
    const auto [n, d] = PowerRatio(FCoefficients, std::cos(2.0 * kPi * frequencyHz * SampleRateReciprocal()));
    return 10.0 * std::log10(n / d);
}

double TBiquadIIRFilter::Phase(double frequencyHz) const noexcept {
    const double w = 2.0 * kPi * frequencyHz * SampleRateReciprocal();
    const double c = std::cos(w);
    const double s = std::sin(w);
    const TBiquadCoefficients& k = FCoefficients;
    const double x = k.b0 * ((2.0 * c * c - 1.0) * k.a2 + 1.0 + c * k.a1) + k.b1 * (k.a1 + c + c * k.a2) +
                     k.b2 * (k.a2 + 2.0 * c * c + c * k.a1 - 1.0);
    const double y = -s * (k.b0 * (k.a1 + 2.0 * c * k.a2) + k.b1 * (k.a2 - 1.0) - k.b2 * (k.a1 + 2.0 * c));
    return std::atan2(y, x);
}

double TBiquadIIRFilter::RealPart(double frequencyHz) const noexcept {
    const auto parts = ConjugateParts(FCoefficients, std::cos(2.0 * kPi * frequencyHz * SampleRateReciprocal()));
    return parts.re / parts.denominator;
}

double TBiquadIIRFilter::ImaginaryPart(double frequencyHz) const noexcept {
    const auto parts = ConjugateParts(FCoefficients, std::cos(2.0 * kPi * frequencyHz * SampleRateReciprocal()));
    return parts.im / parts.denominator;
}

void TBiquadIIRFilter::ComplexResponse(double frequencyHz, double& re, double& im) const noexcept {
    const auto parts = ConjugateParts(FCoefficients, std::cos(2.0 * kPi * frequencyHz * SampleRateReciprocal()));
    const double reciprocal = 1.0 / parts.denominator;
    re = parts.re * reciprocal;
    im = parts.im * reciprocal;
}

void TBiquadIIRFilter::ComplexResponse(double frequencyHz, float& re, float& im) const noexcept {
    double wideRe = 0.0;
    double wideIm = 0.0;
    ComplexResponse(frequencyHz, wideRe, wideIm);
    re = static_cast<float>(wideRe);
    im = static_cast<float>(wideIm);
}

void TBiquadIIRFilter::ResetStates() noexcept {
    FState = {};
    FIntState = {};
}

void TBiquadIIRFilter::ResetStatesInt() noexcept {
    FState = {};
    FIntState = {};
}

void TBiquadIIRFilter::Reset() noexcept { SetGain(0.0); }

void TBiquadIIRFilter::SaveStates() { FStateStack.push_back({FState, FIntState}); }

void TBiquadIIRFilter::RestoreStates() noexcept {
    if (FStateStack.empty()) return;
    FState = FStateStack.back().real;
    FIntState = FStateStack.back().integer;
    FStateStack.pop_back();
}

void TBiquadIIRFilter::ComputePolesZeros() noexcept {
    const TBiquadCoefficients& k = FCoefficients;
    const double zeroMid = -k.b1 / (2.0 * k.b0);
    FZeros = QuadraticRoots(zeroMid, k.b2 / k.b0 - zeroMid * zeroMid);
    const double poleMid = -k.a1 / 2.0;
    FPoles = QuadraticRoots(poleMid, k.a2 - poleMid * poleMid);
}

}  // namespace tessel
