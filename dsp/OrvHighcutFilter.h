#pragma once

#include "dsp/OrvBiquadFilter.h"

namespace tessel {

// Second-order low-pass. Ignores the gain.
class TOrvHighcutFilter final : public TOrvBiquadFilter {
public:
    [[nodiscard]] TBandKind Kind() const noexcept override { return TBandKind::Highcut; }

protected:
    void ComputeCoefficients() noexcept override;
};

}  // namespace tessel
