#include "dsp/IIRFilter.h"

#include <cmath>
#include <numbers>

namespace tessel {

namespace {

constexpr double kHalfLn2 = 0.5 * std::numbers::ln2;
constexpr double kMinBandwidthOctaves = 0.01;

template <typename Sample>
void RunImpulse(TFilter& filter, std::span<Sample> buffer) {
    if (buffer.empty()) return;
    filter.SaveStates();
    buffer[0] = static_cast<Sample>(filter.ProcessSample(1.0));
    for (std::size_t i = 1; i < buffer.size(); ++i) buffer[i] = static_cast<Sample>(filter.ProcessSample(0.0));
    filter.RestoreStates();
}

}  // namespace

void TIIRFilter::ImpulseResponse(std::span<float> buffer) { RunImpulse(*this, buffer); }

void TIIRFilter::ImpulseResponse(std::span<double> buffer) { RunImpulse(*this, buffer); }

void TIIRFilter::SetBandwidth(double bandwidthOctaves) noexcept {
    FBandwidth = bandwidthOctaves > 0.0 ? bandwidthOctaves : kMinBandwidthOctaves;
    ComputeAlpha();
    ComputeCoefficients();
}

void TIIRFilter::ComputeW0() noexcept {
    TFilter::ComputeW0();
    ComputeAlpha();
}

void TIIRFilter::ComputeAlpha() noexcept {
    const double sinW0 = SinW0();
    if (sinW0 == 0.0) {
        FAlpha = sinW0 / (2.0 * FBandwidth);
        return;
    }
    const double w0 = W0();
    const double alpha = sinW0 * std::sinh(kHalfLn2 * FBandwidth * std::cos(w0 / 2.0) * w0 / sinW0);
    // Written so that NaN (from an infinite frequency) also takes the limit.
    FAlpha = alpha <= kMaxAlpha ? alpha : kMaxAlpha;
}

}  // namespace tessel
