#pragma once

#include "dsp/OrvBiquadFilter.h"

namespace tessel {

// Identity. Ignores gain, frequency and bandwidth.
class TOrvBypass final : public TOrvBiquadFilter {
public:
    [[nodiscard]] TBandKind Kind() const noexcept override { return TBandKind::Bypass; }

    using TOrvBiquadFilter::ProcessSample;
    // [audio thread] Returns the input bit for bit; neither reads nor writes
    // the states.
    TWideSample ProcessSample(TWideSample x) noexcept override { return x; }

protected:
    void ComputeCoefficients() noexcept override;
};

}  // namespace tessel
