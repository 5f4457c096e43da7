#include "plugin/BiquadCascade.h"

#include <emmintrin.h>

namespace tessel {

TBiquadCascade::TBiquadCascade() noexcept {
    for (int slot = 0; slot < kMaxSlots; ++slot) SetIdentity(slot);
}

void TBiquadCascade::SetCoefficients(int slot, const TBiquadCoefficients& k) noexcept {
    for (int ch = 0; ch < kChannels; ++ch) {
        b0[slot][ch] = k.b0;
        b1[slot][ch] = k.b1;
        b2[slot][ch] = k.b2;
        negA1[slot][ch] = -k.a1;
        negA2[slot][ch] = -k.a2;
    }
}

void TBiquadCascade::SetIdentity(int slot) noexcept {
    SetCoefficients(slot, {.b0 = 1.0, .b1 = 0.0, .b2 = 0.0, .a1 = 0.0, .a2 = 0.0});
    for (int ch = 0; ch < kChannels; ++ch) SetState(slot, ch, {});
}

TBiquadState TBiquadCascade::State(int slot, int channel) const noexcept {
    return {.s0 = s0[slot][channel], .s1 = s1[slot][channel]};
}

void TBiquadCascade::SetState(int slot, int channel, const TBiquadState& state) noexcept {
    s0[slot][channel] = state.s0;
    s1[slot][channel] = state.s1;
}

void TBiquadCascade::ClearNonFiniteStates() noexcept {
    // All slots: the identity slots behind the active ones run in the wide
    // kernels too, and a NaN passing through would stay in their states.
    for (int slot = 0; slot < kMaxSlots; ++slot) {
        const __m128d a = _mm_load_pd(s0[slot]);
        const __m128d b = _mm_load_pd(s1[slot]);
        // x - x is 0 for a finite x and NaN for an infinite or NaN one.
        const __m128d probe = _mm_add_pd(_mm_sub_pd(a, a), _mm_sub_pd(b, b));
        const __m128d finite = _mm_cmpord_pd(probe, probe);
        _mm_store_pd(s0[slot], _mm_and_pd(a, finite));
        _mm_store_pd(s1[slot], _mm_and_pd(b, finite));
    }
}

}  // namespace tessel
