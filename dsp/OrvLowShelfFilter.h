#pragma once

#include "dsp/OrvBiquadFilter.h"

namespace tessel {

// Low shelf: the full gain far below the frequency, half of it (in dB) at
// the frequency.
class TOrvLowShelfFilter final : public TOrvBiquadFilter {
public:
    [[nodiscard]] TBandKind Kind() const noexcept override { return TBandKind::Lowshelf; }

protected:
    void ComputeCoefficients() noexcept override;
};

}  // namespace tessel
