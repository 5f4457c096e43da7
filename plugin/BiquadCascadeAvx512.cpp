// The AVX-512 kernel: the pipelined cascade (BiquadPipeline.h) with 512-bit
// vectors of four slots, for both channels each; quarter q of vector k is
// slot k + q*V. Seven bands take two vectors, so a step is ten FMA-unit
// operations instead of twenty. Compiled for that unit function by function
// (target attribute), never for the whole file; callers check support first.

#include <immintrin.h>

#include <utility>

#include "plugin/BiquadCascade.h"
#include "plugin/CascadeKernel.h"
#include "plugin/StereoBlock.h"

#define TESSEL_PIPELINE_TARGET __attribute__((target("avx512f,avx2,fma")))
#define TESSEL_LANES_INLINE TESSEL_PIPELINE_TARGET __attribute__((always_inline)) static inline

namespace tessel {
namespace {

struct TAvx512Lanes {
    using TVector = __m512d;
    static constexpr int kQuarters = 4;

    // A vector shuffle rather than the cast and extract intrinsics, whose
    // definitions leave parts undefined and make the compiler warn.
    template <int kQuarter>
    TESSEL_LANES_INLINE __m128d Quarter(TVector v) {
        return __builtin_shufflevector(v, v, 2 * kQuarter, 2 * kQuarter + 1);
    }
    TESSEL_LANES_INLINE const TBiquadCascade::TCoefficientLanes& Layout(const TBiquadCascade& c) { return c.quads; }
    TESSEL_LANES_INLINE TVector Load(const double* lanes, int k) { return _mm512_load_pd(lanes + 8 * k); }
    TESSEL_LANES_INLINE void Store(double* lanes, int k, TVector v) { _mm512_store_pd(lanes + 8 * k, v); }
    TESSEL_LANES_INLINE TVector Zero() { return _mm512_setzero_pd(); }
    TESSEL_LANES_INLINE TVector Fmadd(TVector a, TVector b, TVector c) { return _mm512_fmadd_pd(a, b, c); }
    TESSEL_LANES_INLINE TVector Mul(TVector a, TVector b) { return _mm512_mul_pd(a, b); }
    TESSEL_LANES_INLINE TVector Broadcast(double x) { return _mm512_set1_pd(x); }
    TESSEL_LANES_INLINE void ClearNonFinite(TVector& s0, TVector& s1) {
        // x - x is 0 for a finite x and NaN for an infinite or NaN one.
        const __m512d probe = _mm512_add_pd(_mm512_sub_pd(s0, s0), _mm512_sub_pd(s1, s1));
        const __mmask8 finite = _mm512_cmp_pd_mask(probe, probe, _CMP_ORD_Q);
        s0 = _mm512_maskz_mov_pd(finite, s0);
        s1 = _mm512_maskz_mov_pd(finite, s1);
    }
    TESSEL_LANES_INLINE TVector ShiftIn(__m128d frame, TVector last) {
        // Doubles 8 and 9 are the frame's (second operand), 0 .. 5 last's first three quarters.
        const __m512i order = _mm512_setr_epi64(8, 9, 0, 1, 2, 3, 4, 5);
        return _mm512_permutex2var_pd(last, order, _mm512_castpd128_pd512(frame));
    }
    template <int kQuarterMask>
    TESSEL_LANES_INLINE TVector KeepQuarters(TVector fresh, TVector old) {
        constexpr int kLanes = ((kQuarterMask & 1) ? 0x03 : 0) | ((kQuarterMask & 2) ? 0x0C : 0) |
                               ((kQuarterMask & 4) ? 0x30 : 0) | ((kQuarterMask & 8) ? 0xC0 : 0);
        return _mm512_mask_blend_pd(static_cast<__mmask8>(kLanes), fresh, old);
    }
    // Four frames, [left, right] each, in quarters 0 .. 3. The conversions
    // are the masked forms with a defined source: the plain ones leave parts
    // undefined in their definitions, and the compiler warns.
    using TGroup = __m512d;

    TESSEL_LANES_INLINE TGroup LoadGroup(const TStereoBlock<float>& b, int t) {
        const __m128 l = _mm_loadu_ps(b.inLeft + t);
        const __m128 r = _mm_loadu_ps(b.inRight + t);
        const __m256 lr = _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_unpacklo_ps(l, r)), _mm_unpackhi_ps(l, r), 1);
        return _mm512_add_pd(_mm512_mask_cvtps_pd(_mm512_setzero_pd(), 0xFF, lr), _mm512_set1_pd(kDenormalGuard));
    }
    TESSEL_LANES_INLINE TGroup LoadGroup(const TStereoBlock<double>& b, int t) {
        const __m512d l = _mm512_castpd256_pd512(_mm256_loadu_pd(b.inLeft + t));
        const __m512d r = _mm512_castpd256_pd512(_mm256_loadu_pd(b.inRight + t));
        const __m512i interleave = _mm512_setr_epi64(0, 8, 1, 9, 2, 10, 3, 11);
        return _mm512_add_pd(_mm512_permutex2var_pd(l, interleave, r), _mm512_set1_pd(kDenormalGuard));
    }
    TESSEL_LANES_INLINE void StoreGroup(const TStereoBlock<float>& b, int t, TGroup g) {
        const __m256 lr = _mm512_mask_cvtpd_ps(_mm256_setzero_ps(), 0xFF, g);  // l0 r0 l1 r1 l2 r2 l3 r3
        const __m128 low = _mm256_castps256_ps128(lr);
        const __m128 high = _mm256_extractf128_ps(lr, 1);
        _mm_storeu_ps(b.outLeft + t, _mm_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0)));
        _mm_storeu_ps(b.outRight + t, _mm_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1)));
    }
    TESSEL_LANES_INLINE void StoreGroup(const TStereoBlock<double>& b, int t, TGroup g) {
        _mm256_storeu_pd(b.outLeft + t, __builtin_shufflevector(g, g, 0, 2, 4, 6));
        _mm256_storeu_pd(b.outRight + t, __builtin_shufflevector(g, g, 1, 3, 5, 7));
    }
    TESSEL_LANES_INLINE void ScaleGroup(TGroup& g, TVector gain) { g = _mm512_mul_pd(g, gain); }
    template <int kFrame>
    TESSEL_LANES_INLINE TVector ShiftInFromGroup(TGroup g, TVector last) {
        // The group's frame kFrame (second operand) into quarter 0, last's quarters 0 .. 2 above it.
        const __m512i order = _mm512_setr_epi64(8 + 2 * kFrame, 9 + 2 * kFrame, 0, 1, 2, 3, 4, 5);
        return _mm512_permutex2var_pd(last, order, g);
    }
    // Index of lane j when quarter kQuarter of the second operand replaces quarter kFrame.
    static constexpr long long Pick(int j, int frame, int quarter) {
        return j / 2 == frame ? 8 + 2 * quarter + (j & 1) : j;
    }
    template <int kFrame, int kQuarter>
    TESSEL_LANES_INLINE void CollectOutput(TGroup& g, TVector y) {
        const __m512i order = _mm512_setr_epi64(
            Pick(0, kFrame, kQuarter), Pick(1, kFrame, kQuarter), Pick(2, kFrame, kQuarter), Pick(3, kFrame, kQuarter),
            Pick(4, kFrame, kQuarter), Pick(5, kFrame, kQuarter), Pick(6, kFrame, kQuarter), Pick(7, kFrame, kQuarter));
        // Frame 0 starts the group: the other lanes may hold anything.
        g = _mm512_permutex2var_pd(kFrame == 0 ? y : g, order, y);
    }

    TESSEL_LANES_INLINE TVector KeepIdle(TVector fresh, TVector old, int k, int vectors, int t, int frames) {
        const double s0 = k;
        const double s1 = k + vectors;
        const double s2 = k + 2 * vectors;
        const double s3 = k + 3 * vectors;
        // Each lane's slot works on frame t - slot.
        const __m512d frame = _mm512_sub_pd(_mm512_set1_pd(t), _mm512_setr_pd(s0, s0, s1, s1, s2, s2, s3, s3));
        const __mmask8 busy = _mm512_cmp_pd_mask(frame, _mm512_setzero_pd(), _CMP_GE_OQ) &
                              _mm512_cmp_pd_mask(frame, _mm512_set1_pd(frames), _CMP_LT_OQ);
        return _mm512_mask_blend_pd(busy, old, fresh);
    }
};

#include "plugin/BiquadPipeline.h"

}  // namespace

TESSEL_PIPELINE_TARGET void RunCascadeAvx512(TBiquadCascade& cascade, const TStereoBlock<float>& block) noexcept {
    RunCascadePipelined<TAvx512Lanes>(cascade, block);
}

TESSEL_PIPELINE_TARGET void RunCascadeAvx512(TBiquadCascade& cascade, const TStereoBlock<double>& block) noexcept {
    RunCascadePipelined<TAvx512Lanes>(cascade, block);
}

}  // namespace tessel
