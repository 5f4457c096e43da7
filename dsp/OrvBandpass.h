#pragma once

#include "dsp/OrvBiquadFilter.h"

namespace tessel {

// Band-pass with 0 dB at the centre frequency. Ignores the gain.
class TOrvBandpass final : public TOrvBiquadFilter {
public:
    [[nodiscard]] TBandKind Kind() const noexcept override { return TBandKind::Bandpass; }

protected:
    void ComputeCoefficients() noexcept override;
};

}  // namespace tessel
