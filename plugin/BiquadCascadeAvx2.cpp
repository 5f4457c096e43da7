// The AVX2+FMA kernel: the pipelined cascade (BiquadPipeline.h) with 256-bit
// vectors of two slots, for both channels each:
//   lanes [slot k left, slot k right, slot k+V left, slot k+V right].
// Compiled for that unit function by function (target attribute), never for
// the whole file; callers check support first.

#include <immintrin.h>

#include <utility>

#include "plugin/BiquadCascade.h"
#include "plugin/CascadeKernel.h"
#include "plugin/StereoBlock.h"

#define TESSEL_PIPELINE_TARGET __attribute__((target("avx2,fma")))
#define TESSEL_LANES_INLINE TESSEL_PIPELINE_TARGET __attribute__((always_inline)) static inline

namespace tessel {
namespace {

struct TAvx2Lanes {
    using TVector = __m256d;
    static constexpr int kQuarters = 2;

    TESSEL_LANES_INLINE const TBiquadCascade::TCoefficientLanes& Layout(const TBiquadCascade& c) { return c.pairs; }
    TESSEL_LANES_INLINE TVector Load(const double* lanes, int k) { return _mm256_load_pd(lanes + 4 * k); }
    TESSEL_LANES_INLINE void Store(double* lanes, int k, TVector v) { _mm256_store_pd(lanes + 4 * k, v); }
    TESSEL_LANES_INLINE TVector Zero() { return _mm256_setzero_pd(); }
    TESSEL_LANES_INLINE TVector Fmadd(TVector a, TVector b, TVector c) { return _mm256_fmadd_pd(a, b, c); }
    TESSEL_LANES_INLINE TVector Mul(TVector a, TVector b) { return _mm256_mul_pd(a, b); }
    TESSEL_LANES_INLINE TVector Broadcast(double x) { return _mm256_set1_pd(x); }
    TESSEL_LANES_INLINE void ClearNonFinite(TVector& s0, TVector& s1) {
        // x - x is 0 for a finite x and NaN for an infinite or NaN one.
        const __m256d probe = _mm256_add_pd(_mm256_sub_pd(s0, s0), _mm256_sub_pd(s1, s1));
        const __m256d finite = _mm256_cmp_pd(probe, probe, _CMP_ORD_Q);
        s0 = _mm256_and_pd(s0, finite);
        s1 = _mm256_and_pd(s1, finite);
    }
    TESSEL_LANES_INLINE TVector ShiftIn(__m128d frame, TVector last) {
        return _mm256_permute2f128_pd(_mm256_castpd128_pd256(frame), last, 0x20);
    }
    template <int kQuarter>
    TESSEL_LANES_INLINE __m128d Quarter(TVector v) {
        if constexpr (kQuarter == 0) {
            return _mm256_castpd256_pd128(v);
        } else {
            return _mm256_extractf128_pd(v, kQuarter);
        }
    }
    template <int kQuarterMask>
    TESSEL_LANES_INLINE TVector KeepQuarters(TVector fresh, TVector old) {
        constexpr int kLanes = ((kQuarterMask & 1) ? 0b0011 : 0) | ((kQuarterMask & 2) ? 0b1100 : 0);
        return _mm256_blend_pd(fresh, old, kLanes);
    }
    // Frames 0 and 1, frames 2 and 3, each vector [left, right, left, right].
    struct TGroup {
        __m256d low;
        __m256d high;
    };

    TESSEL_LANES_INLINE TGroup LoadGroup(const TStereoBlock<float>& b, int t) {
        const __m128 l = _mm_loadu_ps(b.inLeft + t);
        const __m128 r = _mm_loadu_ps(b.inRight + t);
        const __m256d guard = _mm256_set1_pd(kDenormalGuard);
        return {_mm256_add_pd(_mm256_cvtps_pd(_mm_unpacklo_ps(l, r)), guard),
                _mm256_add_pd(_mm256_cvtps_pd(_mm_unpackhi_ps(l, r)), guard)};
    }
    TESSEL_LANES_INLINE TGroup LoadGroup(const TStereoBlock<double>& b, int t) {
        const __m256d l = _mm256_loadu_pd(b.inLeft + t);
        const __m256d r = _mm256_loadu_pd(b.inRight + t);
        const __m256d even = _mm256_unpacklo_pd(l, r);  // l0 r0 l2 r2
        const __m256d odd = _mm256_unpackhi_pd(l, r);   // l1 r1 l3 r3
        const __m256d guard = _mm256_set1_pd(kDenormalGuard);
        return {_mm256_add_pd(_mm256_permute2f128_pd(even, odd, 0x20), guard),
                _mm256_add_pd(_mm256_permute2f128_pd(even, odd, 0x31), guard)};
    }
    TESSEL_LANES_INLINE void StoreGroup(const TStereoBlock<float>& b, int t, const TGroup& g) {
        const __m128 low = _mm256_cvtpd_ps(g.low);    // l0 r0 l1 r1
        const __m128 high = _mm256_cvtpd_ps(g.high);  // l2 r2 l3 r3
        _mm_storeu_ps(b.outLeft + t, _mm_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0)));
        _mm_storeu_ps(b.outRight + t, _mm_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1)));
    }
    TESSEL_LANES_INLINE void StoreGroup(const TStereoBlock<double>& b, int t, const TGroup& g) {
        const __m256d even = _mm256_permute2f128_pd(g.low, g.high, 0x20);  // l0 r0 l2 r2
        const __m256d odd = _mm256_permute2f128_pd(g.low, g.high, 0x31);   // l1 r1 l3 r3
        _mm256_storeu_pd(b.outLeft + t, _mm256_unpacklo_pd(even, odd));
        _mm256_storeu_pd(b.outRight + t, _mm256_unpackhi_pd(even, odd));
    }
    TESSEL_LANES_INLINE void ScaleGroup(TGroup& g, TVector gain) {
        g.low = _mm256_mul_pd(g.low, gain);
        g.high = _mm256_mul_pd(g.high, gain);
    }
    template <int kFrame>
    TESSEL_LANES_INLINE TVector ShiftInFromGroup(const TGroup& g, TVector last) {
        return _mm256_permute2f128_pd(kFrame < 2 ? g.low : g.high, last, 0x20 | (kFrame & 1));
    }
    template <int kFrame, int kQuarter>
    TESSEL_LANES_INLINE void CollectOutput(TGroup& g, TVector y) {
        __m256d& pair = kFrame < 2 ? g.low : g.high;
        if constexpr ((kFrame & 1) == 0) {
            pair = y;  // its quarter kQuarter is this frame; the next frame completes the pair
        } else {
            pair = _mm256_permute2f128_pd(pair, y, kQuarter | ((2 + kQuarter) << 4));
        }
    }

    TESSEL_LANES_INLINE TVector KeepIdle(TVector fresh, TVector old, int k, int vectors, int t, int frames) {
        const double lo = k;
        const double hi = k + vectors;
        // Each lane's slot works on frame t - slot.
        const __m256d frame = _mm256_sub_pd(_mm256_set1_pd(t), _mm256_setr_pd(lo, lo, hi, hi));
        const __m256d busy = _mm256_and_pd(_mm256_cmp_pd(frame, _mm256_setzero_pd(), _CMP_GE_OQ),
                                           _mm256_cmp_pd(frame, _mm256_set1_pd(frames), _CMP_LT_OQ));
        return _mm256_blendv_pd(old, fresh, busy);
    }
};

#include "plugin/BiquadPipeline.h"

}  // namespace

TESSEL_PIPELINE_TARGET void RunCascadeAvx2Fma(TBiquadCascade& cascade, const TStereoBlock<float>& block) noexcept {
    RunCascadePipelined<TAvx2Lanes>(cascade, block);
}

TESSEL_PIPELINE_TARGET void RunCascadeAvx2Fma(TBiquadCascade& cascade, const TStereoBlock<double>& block) noexcept {
    RunCascadePipelined<TAvx2Lanes>(cascade, block);
}

}  // namespace tessel
