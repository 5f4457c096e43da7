#include "plugin/BiquadCascade.h"

namespace tessel {

namespace {

void CopyPairs(const double* from, double* to, int fromIndex, int toIndex) noexcept {
    for (int ch = 0; ch < TBiquadCascade::kChannels; ++ch) {
        to[toIndex * TBiquadCascade::kChannels + ch] = from[fromIndex * TBiquadCascade::kChannels + ch];
    }
}

}  // namespace

TBiquadCascade::TBiquadCascade() noexcept {
    for (int slot = 0; slot < kMaxSlots; ++slot) SetIdentity(slot);
    PrepareLayouts();
}

void TBiquadCascade::SetCoefficients(int slot, const TBiquadCoefficients& k) noexcept {
    for (int ch = 0; ch < kChannels; ++ch) {
        const int lane = slot * kChannels + ch;
        slotOrder.b0[lane] = k.b0;
        slotOrder.b1[lane] = k.b1;
        slotOrder.b2[lane] = k.b2;
        slotOrder.negA1[lane] = -k.a1;
        slotOrder.negA2[lane] = -k.a2;
    }
}

void TBiquadCascade::SetIdentity(int slot) noexcept {
    SetCoefficients(slot, {.b0 = 1.0, .b1 = 0.0, .b2 = 0.0, .a1 = 0.0, .a2 = 0.0});
    for (int ch = 0; ch < kChannels; ++ch) SetState(slot, ch, {});
}

int TBiquadCascade::Position(int slot, int quarters) const noexcept {
    const int vectors = (activeSlots + quarters - 1) / quarters;
    if (slot >= vectors * quarters) return slot;  // beyond the vectors in use: stays put
    return (slot % vectors) * quarters + slot / vectors;
}

void TBiquadCascade::PrepareLayouts() noexcept {
    const auto arrange = [this](int quarters, TCoefficientLanes& to) {
        for (int slot = 0; slot < kMaxSlots; ++slot) {
            const int position = Position(slot, quarters);
            CopyPairs(slotOrder.b0, to.b0, slot, position);
            CopyPairs(slotOrder.b1, to.b1, slot, position);
            CopyPairs(slotOrder.b2, to.b2, slot, position);
            CopyPairs(slotOrder.negA1, to.negA1, slot, position);
            CopyPairs(slotOrder.negA2, to.negA2, slot, position);
        }
    };
    arrange(2, pairs);
    arrange(4, quads);
}

void TBiquadCascade::ArrangeStates(int quarters) noexcept {
    if (quarters == stateQuarters) return;
    TLanes ordered0;
    TLanes ordered1;
    for (int slot = 0; slot < kMaxSlots; ++slot) {
        const int from = Position(slot, stateQuarters);
        CopyPairs(s0, ordered0, from, slot);
        CopyPairs(s1, ordered1, from, slot);
    }
    for (int slot = 0; slot < kMaxSlots; ++slot) {
        const int to = Position(slot, quarters);
        CopyPairs(ordered0, s0, slot, to);
        CopyPairs(ordered1, s1, slot, to);
    }
    stateQuarters = quarters;
}

TBiquadState TBiquadCascade::State(int slot, int channel) const noexcept {
    const int lane = slot * kChannels + channel;
    return {.s0 = s0[lane], .s1 = s1[lane]};
}

void TBiquadCascade::SetState(int slot, int channel, const TBiquadState& state) noexcept {
    const int lane = slot * kChannels + channel;
    s0[lane] = state.s0;
    s1[lane] = state.s1;
}

}  // namespace tessel
