#pragma once

#include "dsp/BandKind.h"
#include "dsp/BiquadIIRFilter.h"

namespace tessel {

// Common base of the equaliser's eight band kinds. Each kind is a class of
// its own deriving directly from this one, and reports which it is through
// Kind(). Gain and bandwidth are stored by every kind, also where its
// formulas ignore them, so they survive a change of kind.
class TOrvBiquadFilter : public TBiquadIIRFilter {
public:
    // Unlike the base classes, a band filter recomputes W0, alpha and its
    // coefficients for the new rate; the states are kept.
    void SetSampleRate(double sampleRateHz) noexcept override;

    [[nodiscard]] virtual TBandKind Kind() const noexcept = 0;

protected:
    TOrvBiquadFilter() = default;

    [[nodiscard]] double CosW0() const noexcept;
};

}  // namespace tessel
