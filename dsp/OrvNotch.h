#pragma once

#include "dsp/OrvBiquadFilter.h"

namespace tessel {

// Band-stop, silent at the frequency. Ignores the gain.
class TOrvNotch final : public TOrvBiquadFilter {
public:
    [[nodiscard]] TBandKind Kind() const noexcept override { return TBandKind::Notch; }

protected:
    void ComputeCoefficients() noexcept override;
};

}  // namespace tessel
