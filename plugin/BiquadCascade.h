#pragma once
// TBiquadCascade: the bands that are not bypassed, laid out for the vector
// kernels that run a stereo signal through them in series.
//
// Slot j holds the j-th active band in band order. Every coefficient and state
// is stored once per channel (both channels share the coefficients), so one
// 128-bit load gives a slot for both channels and one 256-bit load gives the
// pair of slots 2k and 2k+1. An odd number of active slots is followed by an
// identity slot (b0 = 1, everything else 0, states 0) so the last pair is whole;
// its output equals its input and nothing reads it.
//
// The recursion is the transposed direct form II of ProcessBiquad. The
// feedback coefficients are stored negated so the kernels add where the
// recursion subtracts: p - a*y and p + (-a)*y round identically.

#include "dsp/BiquadCoefficients.h"

namespace tessel {

struct TBiquadCascade {
    static constexpr int kMaxSlots = 8;  // seven bands and the identity slot of an odd count
    static constexpr int kChannels = 2;

    using TLanes = double[kMaxSlots][kChannels];

    alignas(32) TLanes b0{};
    alignas(32) TLanes b1{};
    alignas(32) TLanes b2{};
    alignas(32) TLanes negA1{};
    alignas(32) TLanes negA2{};
    alignas(32) TLanes s0{};
    alignas(32) TLanes s1{};
    int activeSlots = 0;  // slots the kernels run; the identity slot is not counted

    TBiquadCascade() noexcept;

    // Coefficients of a slot for both channels; the states are left alone.
    void SetCoefficients(int slot, const TBiquadCoefficients& k) noexcept;
    // b0 = 1, the rest 0, cleared states: output equals input exactly.
    void SetIdentity(int slot) noexcept;

    [[nodiscard]] TBiquadState State(int slot, int channel) const noexcept;
    void SetState(int slot, int channel, const TBiquadState& state) noexcept;

    // [audio thread] Clears both states of every slot and channel where either
    // state is infinite or NaN, so the output recovers after bad input.
    // Branch-free.
    void ClearNonFiniteStates() noexcept;
};

}  // namespace tessel
