#pragma once
// TBiquadCascade: the bands that are not bypassed, laid out for the vector
// kernels that run a stereo signal through them in series.
//
// Slot j holds the j-th active band in band order. Every coefficient and state
// is stored once per channel (both channels share the coefficients), so a
// 128-bit load gives a slot for both channels. Slots from activeSlots up to
// kMaxSlots - 1 are identity slots (b0 = 1, everything else 0): the wide
// kernels run them to fill their last vector, and nothing reads their output.
//
// The recursion is the transposed direct form II of ProcessBiquad. The
// feedback coefficients are stored negated so the kernels add where the
// recursion subtracts: p - a*y and p + (-a)*y round identically.
//
// Layouts. A kernel whose vector holds Q slots (quarters) runs the active
// slots as V = ceil(activeSlots / Q) vectors, with slot k + q*V in quarter q
// of vector k (see BiquadPipeline.h). In that kernel's layout, slot j lives at
// pair index Position(j) = (j % V) * Q + j / V, so vector k is the 2*Q
// doubles from index 2*Q*k on, one aligned load. The canonical layout (Q = 1)
// is slot order. The coefficients are kept in slot order and, from
// PrepareLayouts, in the layouts for Q = 2 and Q = 4. The states live in one
// layout at a time, stateQuarters, so that a kernel loads and stores them
// directly block after block; ArrangeStates moves them when the layout
// changes (another kernel, or new slots).
//
// The cascade is the audio engine's own: [audio-thread], every function
// (and the constructor, run when the engine is built).

#include "dsp/BiquadCoefficients.h"

namespace tessel {

struct TBiquadCascade {
    static constexpr int kMaxSlots = 8;  // seven bands and room to fill a last vector
    static constexpr int kChannels = 2;
    static constexpr int kLanes = kMaxSlots * kChannels;

    // Per-lane values of one quantity, in one layout.
    using TLanes = double[kLanes];

    // The five coefficients, lane by lane, in one layout.
    struct TCoefficientLanes {
        alignas(64) TLanes b0{};
        alignas(64) TLanes b1{};
        alignas(64) TLanes b2{};
        alignas(64) TLanes negA1{};
        alignas(64) TLanes negA2{};
    };

    TCoefficientLanes slotOrder;  // canonical, Q = 1
    TCoefficientLanes pairs;      // Q = 2, after PrepareLayouts
    TCoefficientLanes quads;      // Q = 4, after PrepareLayouts
    alignas(64) TLanes s0{};
    alignas(64) TLanes s1{};
    int stateQuarters = 1;  // the layout the states are in
    int activeSlots = 0;    // slots the kernels run

    TBiquadCascade() noexcept;

    // Coefficients of a slot for both channels, in slot order; the states are
    // left alone. Call PrepareLayouts afterwards.
    void SetCoefficients(int slot, const TBiquadCoefficients& k) noexcept;
    // b0 = 1, the rest 0: output equals input exactly. Clears the slot's
    // states (the states must be in slot order).
    void SetIdentity(int slot) noexcept;
    // Fills the Q = 2 and Q = 4 layouts from slot order for activeSlots.
    void PrepareLayouts() noexcept;

    // Pair index of slot j in the layout of `quarters` slots per vector.
    [[nodiscard]] int Position(int slot, int quarters) const noexcept;
    // Moves the states into the layout of `quarters` slots per vector.
    void ArrangeStates(int quarters) noexcept;

    // States of a slot; the states must be in slot order.
    [[nodiscard]] TBiquadState State(int slot, int channel) const noexcept;
    void SetState(int slot, int channel, const TBiquadState& state) noexcept;
};

}  // namespace tessel
