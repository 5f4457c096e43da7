#pragma once

#include "dsp/OrvBiquadFilter.h"

namespace tessel {

// Second-order high-pass. Ignores the gain.
class TOrvLowcutFilter final : public TOrvBiquadFilter {
public:
    [[nodiscard]] TBandKind Kind() const noexcept override { return TBandKind::Lowcut; }

protected:
    void ComputeCoefficients() noexcept override;
};

}  // namespace tessel
