#pragma once

namespace tessel {

// The five normalised coefficients (a0 = 1) of
//
//   H(z) = (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2)
//
// The feedback coefficients enter the recursion with a minus sign:
//   y[n] = b0 x[n] + b1 x[n-1] + b2 x[n-2] - a1 y[n-1] - a2 y[n-2]
// A value type, so an audio engine can copy a filter's current set and run it
// on its own states without touching the filter object.
struct TBiquadCoefficients {
    double b0 = 0.0;
    double b1 = 0.0;
    double b2 = 0.0;
    double a1 = 0.0;
    double a2 = 0.0;

    bool operator==(const TBiquadCoefficients&) const = default;
};

// The two state variables of the transposed direct form II.
struct TBiquadState {
    double s0 = 0.0;
    double s1 = 0.0;

    bool operator==(const TBiquadState&) const = default;
};

// One step of the transposed direct form II. The new s0 uses the old s1.
// [audio thread] No allocation, no calls.
[[nodiscard]] inline double ProcessBiquad(const TBiquadCoefficients& k, TBiquadState& state, double x) noexcept {
    const double y = k.b0 * x + state.s0;
    state.s0 = k.b1 * x - k.a1 * y + state.s1;
    state.s1 = k.b2 * x - k.a2 * y;
    return y;
}

}  // namespace tessel
