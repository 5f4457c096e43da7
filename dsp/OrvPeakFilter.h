#pragma once

#include "dsp/OrvBiquadFilter.h"

namespace tessel {

// Peaking (bell) filter: the full gain at the frequency. The coefficients
// are those with a0 = 1 + alpha / A, multiplied through by A.
class TOrvPeakFilter final : public TOrvBiquadFilter {
public:
    [[nodiscard]] TBandKind Kind() const noexcept override { return TBandKind::Peak; }

protected:
    void ComputeCoefficients() noexcept override;
};

}  // namespace tessel
