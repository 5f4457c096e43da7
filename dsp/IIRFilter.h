#pragma once

#include "dsp/Filter.h"

namespace tessel {

// Adds a bandwidth in octaves and the "alpha" derived from it and W0.
class TIIRFilter : public TFilter {
public:
    // 21-22. Saves the states, runs a unit impulse through ProcessSample and
    //        restores the states. Does nothing for an empty buffer.
    void ImpulseResponse(std::span<float> buffer) override;
    void ImpulseResponse(std::span<double> buffer) override;

    // 25. Bandwidth in octaves; values <= 0 (and NaN) become 0.01 octave.
    virtual void SetBandwidth(double bandwidthOctaves) noexcept;

    [[nodiscard]] double Bandwidth() const noexcept { return FBandwidth; }  // octaves
    [[nodiscard]] double Alpha() const noexcept { return FAlpha; }

    // Alpha never exceeds this. Above the W0 limit SinW0 can come arbitrarily
    // close to 0 (a frequency at a multiple of the Nyquist frequency), where the
    // sinh overflows (as it does for bandwidths beyond some 50 octaves); an
    // infinite alpha would give NaN coefficients. At this value every kind is
    // still finite and stable.
    static constexpr double kMaxAlpha = 1.0e6;

protected:
    TIIRFilter() = default;

    // 1. The inherited W0, then alpha.
    void ComputeW0() noexcept override;
    // 26. alpha = SinW0 * sinh(ln2/2 * bandwidth * cos(W0/2) * W0 / SinW0).
    //     The cos(W0/2) factor is deliberate: it is part of this filter
    //     family's bandwidth warping, not the textbook formula.
    virtual void ComputeAlpha() noexcept;

private:
    double FBandwidth = 1.0;
    double FAlpha = 0.0;
};

}  // namespace tessel
