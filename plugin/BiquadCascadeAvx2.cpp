// The AVX2+FMA kernel. Compiled for that unit function by function (target
// attribute), never for the whole file, so nothing from here can leak into
// code that runs on a baseline processor; callers check support first.
//
// A 256-bit vector holds slots 2k and 2k+1 for both channels:
//   lanes [slot 2k left, slot 2k right, slot 2k+1 left, slot 2k+1 right].
// The slots are pipelined across frames: at step t, slot j works on frame
// t - j, taking the output slot j - 1 made at step t - 1. So every pair's
// recursion advances once per step, independently of the others, and a step
// is one lane shuffle and five FMA-unit operations per pair:
//   y = b0*x + s0;  s0 = (b1*x + s1) - a1*y;  s1 = b2*x - a2*y
// The last active slot's output leaves the pipeline (active - 1) steps after
// its frame entered it. At the start and the end of a block the pipeline is
// partly empty: those steps keep the states of slots without a frame of
// this block (masked steps), so no state ever sees a frame that is not there.

#include <immintrin.h>

#include "plugin/BiquadCascade.h"
#include "plugin/CascadeKernel.h"

#define TESSEL_AVX2_FMA __attribute__((target("avx2,fma")))
#define TESSEL_AVX2_FMA_INLINE __attribute__((target("avx2,fma"), always_inline)) inline

namespace tessel {
namespace {

template <int kActive>
struct TPipeline {
    static constexpr int kPairs = (kActive + 1) / 2;
    static constexpr int kLag = kActive - 1;                 // steps from a frame's entry to its output
    static constexpr bool kOutputInHighHalf = (kLag % 2) == 1;  // slot kActive - 1 is odd
    __m256d s0[kPairs];
    __m256d s1[kPairs];
    __m256d y[kPairs];  // each slot's output of the previous step
};

// All lanes of slot j valid at step t: the slot has a frame of this block.
TESSEL_AVX2_FMA_INLINE __m256d PairMask(int t, int pair, int count) {
    const auto valid = [t, count](int slot) -> long long {
        const int frame = t - slot;
        return (frame >= 0 && frame < count) ? -1LL : 0LL;
    };
    const long long lo = valid(2 * pair);
    const long long hi = valid(2 * pair + 1);
    return _mm256_castsi256_pd(_mm256_set_epi64x(hi, hi, lo, lo));
}

// One step: `input` enters slot 0; returns the frame leaving the last slot.
template <int kActive, bool kMasked>
TESSEL_AVX2_FMA_INLINE __m128d Step(const TBiquadCascade& c, TPipeline<kActive>& p, __m128d input, int t,
                                    int count) {
    constexpr int kPairs = TPipeline<kActive>::kPairs;
    __m256d x[kPairs];
    // Inputs from last step's outputs, all taken before any output changes.
    x[0] = _mm256_permute2f128_pd(_mm256_castpd128_pd256(input), p.y[0], 0x20);
#pragma GCC unroll 4
    for (int k = 1; k < kPairs; ++k) x[k] = _mm256_permute2f128_pd(p.y[k - 1], p.y[k], 0x21);
#pragma GCC unroll 4
    for (int k = 0; k < kPairs; ++k) {
        const __m256d y = _mm256_fmadd_pd(_mm256_load_pd(c.b0[2 * k]), x[k], p.s0[k]);
        const __m256d t0 = _mm256_fmadd_pd(_mm256_load_pd(c.b1[2 * k]), x[k], p.s1[k]);
        const __m256d t1 = _mm256_mul_pd(_mm256_load_pd(c.b2[2 * k]), x[k]);
        __m256d s0 = _mm256_fmadd_pd(_mm256_load_pd(c.negA1[2 * k]), y, t0);
        __m256d s1 = _mm256_fmadd_pd(_mm256_load_pd(c.negA2[2 * k]), y, t1);
        if constexpr (kMasked) {
            const __m256d valid = PairMask(t, k, count);
            s0 = _mm256_blendv_pd(p.s0[k], s0, valid);
            s1 = _mm256_blendv_pd(p.s1[k], s1, valid);
        }
        p.s0[k] = s0;
        p.s1[k] = s1;
        p.y[k] = y;
    }
    if constexpr (TPipeline<kActive>::kOutputInHighHalf) {
        return _mm256_extractf128_pd(p.y[kPairs - 1], 1);
    } else {
        return _mm256_castpd256_pd128(p.y[kPairs - 1]);
    }
}

template <int kActive>
TESSEL_AVX2_FMA void RunPipeline(TBiquadCascade& c, double* frames, int count) noexcept {
    using TPipe = TPipeline<kActive>;
    constexpr int kLag = TPipe::kLag;
    TPipe p;
#pragma GCC unroll 4
    for (int k = 0; k < TPipe::kPairs; ++k) {
        p.s0[k] = _mm256_load_pd(c.s0[2 * k]);
        p.s1[k] = _mm256_load_pd(c.s1[2 * k]);
        p.y[k] = _mm256_setzero_pd();
    }
    const auto input = [frames, count](int t) TESSEL_AVX2_FMA {
        return t < count ? _mm_load_pd(frames + 2 * t) : _mm_setzero_pd();
    };
    const int steps = count + kLag;
    int t = 0;
    // Filling: slots beyond t have no frame yet.
    for (; t < kLag && t < steps; ++t) (void)Step<kActive, true>(c, p, input(t), t, count);
    // Full: every slot has a frame.
    for (; t < count; ++t) {
        const __m128d out = Step<kActive, false>(c, p, _mm_load_pd(frames + 2 * t), t, count);
        _mm_store_pd(frames + 2 * (t - kLag), out);
    }
    // Draining: slots below t - count + 1 have finished the block.
    for (; t < steps; ++t) {
        const __m128d out = Step<kActive, true>(c, p, input(t), t, count);
        _mm_store_pd(frames + 2 * (t - kLag), out);
    }
#pragma GCC unroll 4
    for (int k = 0; k < TPipe::kPairs; ++k) {
        _mm256_store_pd(c.s0[2 * k], p.s0[k]);
        _mm256_store_pd(c.s1[2 * k], p.s1[k]);
    }
}

}  // namespace

TESSEL_AVX2_FMA void RunCascadeAvx2Fma(TBiquadCascade& cascade, double* frames, int count) noexcept {
    switch (cascade.activeSlots) {
        case 1: RunPipeline<1>(cascade, frames, count); break;
        case 2: RunPipeline<2>(cascade, frames, count); break;
        case 3: RunPipeline<3>(cascade, frames, count); break;
        case 4: RunPipeline<4>(cascade, frames, count); break;
        case 5: RunPipeline<5>(cascade, frames, count); break;
        case 6: RunPipeline<6>(cascade, frames, count); break;
        case 7: RunPipeline<7>(cascade, frames, count); break;
        default: break;  // no active band: the frames pass unchanged
    }
}

}  // namespace tessel
