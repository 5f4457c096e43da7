#include "dsp/OrvBiquadFilter.h"

#include <cmath>

namespace tessel {

void TOrvBiquadFilter::SetSampleRate(double sampleRateHz) noexcept {
    TBiquadIIRFilter::SetSampleRate(sampleRateHz);
    ComputeW0();
    ComputeCoefficients();
}

double TOrvBiquadFilter::CosW0() const noexcept { return std::cos(W0()); }

}  // namespace tessel
