// The baseline kernel: one 128-bit vector per frame (left, right), the active
// slots in series per frame. Each slot count has its own fully unrolled
// instance so the states stay in registers and the frame loop has no branch
// on the bands. The operations and their order are those of ProcessBiquad:
//   y = b0*x + s0;  s0 = (b1*x - a1*y) + s1;  s1 = b2*x - a2*y
// with -a stored, which rounds identically, so results are bit-identical.
// Independent slots of neighbouring frames overlap in the processor's
// out-of-order window.

// Exactly the operations written: no fused multiply-add, even where a build
// targets a processor that has one.
#pragma GCC optimize("fp-contract=off")

#include <emmintrin.h>

#include "plugin/BiquadCascade.h"
#include "plugin/CascadeKernel.h"

namespace tessel {
namespace {

template <int kSlots>
struct TSlots {
    __m128d b0[kSlots], b1[kSlots], b2[kSlots], na1[kSlots], na2[kSlots], s0[kSlots], s1[kSlots];

    // The states must be in slot order.
    explicit TSlots(const TBiquadCascade& c) noexcept {
        const TBiquadCascade::TCoefficientLanes& k = c.slotOrder;
#pragma GCC unroll 8
        for (int j = 0; j < kSlots; ++j) {
            const int lane = j * TBiquadCascade::kChannels;
            b0[j] = _mm_load_pd(k.b0 + lane);
            b1[j] = _mm_load_pd(k.b1 + lane);
            b2[j] = _mm_load_pd(k.b2 + lane);
            na1[j] = _mm_load_pd(k.negA1 + lane);
            na2[j] = _mm_load_pd(k.negA2 + lane);
            s0[j] = _mm_load_pd(c.s0 + lane);
            s1[j] = _mm_load_pd(c.s1 + lane);
        }
    }

    // Stores the states at the end of a block, clearing both of a channel
    // where either became infinite or NaN so the next block starts afresh.
    void SaveStates(TBiquadCascade& c) const noexcept {
#pragma GCC unroll 8
        for (int j = 0; j < kSlots; ++j) {
            const int lane = j * TBiquadCascade::kChannels;
            // x - x is 0 for a finite x and NaN for an infinite or NaN one.
            const __m128d probe = _mm_add_pd(_mm_sub_pd(s0[j], s0[j]), _mm_sub_pd(s1[j], s1[j]));
            const __m128d finite = _mm_cmpord_pd(probe, probe);
            _mm_store_pd(c.s0 + lane, _mm_and_pd(s0[j], finite));
            _mm_store_pd(c.s1 + lane, _mm_and_pd(s1[j], finite));
        }
    }

    __attribute__((always_inline)) __m128d Frame(__m128d x) noexcept {
#pragma GCC unroll 8
        for (int j = 0; j < kSlots; ++j) {
            const __m128d y = _mm_add_pd(_mm_mul_pd(b0[j], x), s0[j]);
            s0[j] = _mm_add_pd(_mm_add_pd(_mm_mul_pd(b1[j], x), _mm_mul_pd(na1[j], y)), s1[j]);
            s1[j] = _mm_add_pd(_mm_mul_pd(b2[j], x), _mm_mul_pd(na2[j], y));
            x = y;
        }
        return x;
    }
};

// The block's output gain, where the block has one.
template <bool kScaled>
__attribute__((always_inline)) inline __m128d Scaled(__m128d frame, __m128d gain) noexcept {
    if constexpr (kScaled) return _mm_mul_pd(frame, gain);
    return frame;
}

template <int kSlots, bool kScaled, class T>
void RunSlots(TBiquadCascade& c, const TStereoBlock<T>& block) noexcept {
    c.ArrangeStates(1);
    TSlots<kSlots> slots(c);
    const __m128d gain = _mm_set1_pd(block.gain);
    int n = 0;
    for (; n <= block.frames - kFrameGroup; n += kFrameGroup) {
        __m128d frames[kFrameGroup];
        LoadFrames(block, n, frames);
        for (__m128d& frame : frames) frame = Scaled<kScaled>(slots.Frame(frame), gain);
        StoreFrames(block, n, frames);
    }
    for (; n < block.frames; ++n) StoreFrame(block, n, Scaled<kScaled>(slots.Frame(LoadFrame(block, n)), gain));
    slots.SaveStates(c);
}

// No active slot: the frames pass with only the guard added (and the gain).
template <bool kScaled, class T>
void PassThrough(const TStereoBlock<T>& block) noexcept {
    const __m128d gain = _mm_set1_pd(block.gain);
    for (int n = 0; n < block.frames; ++n) StoreFrame(block, n, Scaled<kScaled>(LoadFrame(block, n), gain));
}

template <bool kScaled, class T>
void Run(TBiquadCascade& c, const TStereoBlock<T>& block) noexcept {
    switch (c.activeSlots) {
        case 1:
            RunSlots<1, kScaled>(c, block);
            break;
        case 2:
            RunSlots<2, kScaled>(c, block);
            break;
        case 3:
            RunSlots<3, kScaled>(c, block);
            break;
        case 4:
            RunSlots<4, kScaled>(c, block);
            break;
        case 5:
            RunSlots<5, kScaled>(c, block);
            break;
        case 6:
            RunSlots<6, kScaled>(c, block);
            break;
        case 7:
            RunSlots<7, kScaled>(c, block);
            break;
        default:
            PassThrough<kScaled>(block);
            break;
    }
}

template <class T>
void RunWithGain(TBiquadCascade& c, const TStereoBlock<T>& block) noexcept {
    if (block.gain == 1.0) {
        Run<false>(c, block);
    } else {
        Run<true>(c, block);
    }
}

}  // namespace

void RunCascadeSse2(TBiquadCascade& cascade, const TStereoBlock<float>& block) noexcept { RunWithGain(cascade, block); }
void RunCascadeSse2(TBiquadCascade& cascade, const TStereoBlock<double>& block) noexcept {
    RunWithGain(cascade, block);
}

}  // namespace tessel
