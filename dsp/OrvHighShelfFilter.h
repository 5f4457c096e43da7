#pragma once

#include "dsp/OrvBiquadFilter.h"

namespace tessel {

// High shelf: the full gain far above the frequency, half of it (in dB) at
// the frequency.
class TOrvHighShelfFilter final : public TOrvBiquadFilter {
public:
    [[nodiscard]] TBandKind Kind() const noexcept override { return TBandKind::Highshelf; }

protected:
    void ComputeCoefficients() noexcept override;
};

}  // namespace tessel
