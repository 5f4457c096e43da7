#pragma once

#include <array>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dsp/BiquadCoefficients.h"
#include "dsp/IIRFilter.h"

namespace tessel {

// |H| of a coefficient set at a frequency in Hz, for a sample period in
// seconds: what Magnitude answers, for a copy of the coefficients taken
// away from the filter (an editor drawing on its own thread).
[[nodiscard]] double BiquadMagnitude(const TBiquadCoefficients& k, double frequencyHz,
                                     double sampleRateReciprocal) noexcept;

// A second-order recursive filter in transposed direct form II. Subclasses
// say how the five coefficients follow from frequency, gain and alpha; until
// the first setter runs the coefficients are all 0 and the filter outputs 0.
// The states persist across every setter call; only the resets clear them.
class TBiquadIIRFilter : public TIIRFilter {
public:
    [[nodiscard]] int Order() const noexcept override { return 2; }

    // [audio thread] Both entries run the same double-precision recursion; the
    // wide entry narrows its input to double first.
    double ProcessSample(double x) noexcept override;
    std::int64_t ProcessSampleInt(std::int64_t x) noexcept override;
    TWideSample ProcessSample(TWideSample x) noexcept override;

    [[nodiscard]] double Magnitude(double frequencyHz) const noexcept override;
    [[nodiscard]] double MagnitudeDb(double frequencyHz) const noexcept override;
    [[nodiscard]] double Phase(double frequencyHz) const noexcept override;
    [[nodiscard]] double RealPart(double frequencyHz) const noexcept override;
    [[nodiscard]] double ImaginaryPart(double frequencyHz) const noexcept override;
    void ComplexResponse(double frequencyHz, double& re, double& im) const noexcept override;
    void ComplexResponse(double frequencyHz, float& re, float& im) const noexcept override;

    // Both resets clear the floating-point and the integer states.
    void ResetStates() noexcept override;
    void ResetStatesInt() noexcept override;
    // Gain back to 0 dB; the states are kept.
    void Reset() noexcept override;

    // Saves and restores both the floating-point and the integer states.
    void SaveStates() override;
    void RestoreStates() noexcept override;

    // 27. Roots of the numerator (zeros) and denominator (poles), stored as
    //     32-bit floats. Not kept up to date by the setters.
    virtual void ComputePolesZeros() noexcept;

    [[nodiscard]] const TBiquadCoefficients& Coefficients() const noexcept { return FCoefficients; }
    [[nodiscard]] const TBiquadState& States() const noexcept { return FState; }
    [[nodiscard]] const std::array<std::complex<float>, 2>& Poles() const noexcept { return FPoles; }
    [[nodiscard]] const std::array<std::complex<float>, 2>& Zeros() const noexcept { return FZeros; }
    [[nodiscard]] std::size_t SavedStateCount() const noexcept { return FStateStack.size(); }

protected:
    TBiquadIIRFilter() = default;

    void SetCoefficients(const TBiquadCoefficients& coefficients) noexcept { FCoefficients = coefficients; }

private:
    // The integer recursion keeps states of its own: reading the bits of a
    // double state as an integer would only give garbage.
    struct TIntegerState {
        std::int64_t s0 = 0;
        std::int64_t s1 = 0;
    };
    struct TSavedStates {
        TBiquadState real;
        TIntegerState integer;
    };

    TBiquadCoefficients FCoefficients;
    std::array<std::complex<float>, 2> FPoles{};
    std::array<std::complex<float>, 2> FZeros{};
    TBiquadState FState;
    TIntegerState FIntState;
    std::vector<TSavedStates> FStateStack;  // newest last
};

}  // namespace tessel
