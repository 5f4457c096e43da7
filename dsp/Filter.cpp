#include "dsp/Filter.h"

#include <algorithm>
#include <cmath>

namespace tessel {

namespace {

constexpr double kTwoPi = 6.283185307179586;
// ln 10 / 20 to nine digits: exp(0.5 * dB * k) = 10^(dB / 40).
constexpr double kLn10Over20 = 0.115129254;
// Half the gain in dB at or below which the gain factor is 0 (-288 dB).
constexpr double kMinHalfGainDb = -144.0;
// The same distance above: keeps the factor finite in 32 bits (about 1.6e7),
// so an absurd gain cannot turn the coefficients into inf/NaN.
constexpr double kMaxHalfGainDb = 144.0;

}  // namespace

void TFilter::ComputeW0() noexcept {
    FW0 = kTwoPi * FFrequency * FSampleRateReciprocal;
    FSinW0 = std::sin(FW0);
    if (FW0 > kMaxW0) FW0 = kMaxW0;
}

void TFilter::SetGain(double gainDb) noexcept {
    FGain = gainDb;
    const double halfGainDb = 0.5 * gainDb;
    if (halfGainDb > kMinHalfGainDb) {
        const double exponent = std::min(halfGainDb, kMaxHalfGainDb) * kLn10Over20;
        FGainFactor = static_cast<double>(static_cast<float>(std::exp(exponent)));
    } else {
        FGainFactor = 0.0;
    }
    ComputeCoefficients();
}

void TFilter::SetFrequency(double frequencyHz) noexcept {
    if (frequencyHz != FFrequency) FFrequency = frequencyHz > 0.0 ? frequencyHz : 1.0;
    ComputeW0();
    ComputeCoefficients();
}

void TFilter::SetSampleRate(double sampleRateHz) noexcept {
    // A zero, negative, subnormal or non-finite rate would make W0 infinite or
    // NaN; keep the previous rate instead.
    if (!(sampleRateHz > 0.0) || !std::isnormal(sampleRateHz)) return;
    FSampleRate = sampleRateHz;
    FSampleRateReciprocal = 1.0 / sampleRateHz;
}

}  // namespace tessel
