#pragma once
// TStereoBlock: the host's two input and two output channel arrays of one
// process call, and the moves between them and the kernels' frame vectors
// (one 128-bit vector of doubles per frame: left, right).
//
// Loading widens to double and adds the denormal guard, the 64-bit constant
// 1e-30, to every sample, so that decaying silence never reaches denormal
// numbers inside the filters. Storing rounds to the output's width in the
// processor's rounding mode (round to nearest), as a plain conversion does.
// The channel arrays need no alignment.
//
// Baseline SSE2 only, inlined into every kernel, including those compiled for
// wider units. No allocation. Every function here is [audio-thread].

#include <emmintrin.h>

namespace tessel {

inline constexpr double kDenormalGuard = 1e-30;

template <class T>
struct TStereoBlock {
    const T* inLeft = nullptr;
    const T* inRight = nullptr;
    T* outLeft = nullptr;
    T* outRight = nullptr;
    int frames = 0;
    // Factor on both outputs after the cascade, applied to the wide sample
    // before it is rounded to the output's width. At exactly 1 the kernels
    // skip it, so the output is what the cascade alone makes, bit for bit.
    double gain = 1.0;
};

#define TESSEL_FRAME_IO __attribute__((always_inline)) inline

// ---- One frame -----------------------------------------------------------------

TESSEL_FRAME_IO __m128d LoadFrame(const TStereoBlock<double>& b, int n) noexcept {
    return _mm_add_pd(_mm_unpacklo_pd(_mm_load_sd(b.inLeft + n), _mm_load_sd(b.inRight + n)),
                      _mm_set1_pd(kDenormalGuard));
}

TESSEL_FRAME_IO __m128d LoadFrame(const TStereoBlock<float>& b, int n) noexcept {
    const __m128 lr = _mm_unpacklo_ps(_mm_load_ss(b.inLeft + n), _mm_load_ss(b.inRight + n));
    return _mm_add_pd(_mm_cvtps_pd(lr), _mm_set1_pd(kDenormalGuard));
}

TESSEL_FRAME_IO void StoreFrame(const TStereoBlock<double>& b, int n, __m128d frame) noexcept {
    _mm_storel_pd(b.outLeft + n, frame);
    _mm_storeh_pd(b.outRight + n, frame);
}

TESSEL_FRAME_IO void StoreFrame(const TStereoBlock<float>& b, int n, __m128d frame) noexcept {
    const __m128 lr = _mm_cvtpd_ps(frame);
    _mm_store_ss(b.outLeft + n, lr);
    _mm_store_ss(b.outRight + n, _mm_shuffle_ps(lr, lr, _MM_SHUFFLE(1, 1, 1, 1)));
}

// ---- Four frames n .. n + 3 ------------------------------------------------------

inline constexpr int kFrameGroup = 4;

TESSEL_FRAME_IO void LoadFrames(const TStereoBlock<double>& b, int n, __m128d (&frames)[kFrameGroup]) noexcept {
    const __m128d guard = _mm_set1_pd(kDenormalGuard);
    for (int half = 0; half < 2; ++half) {
        const __m128d l = _mm_loadu_pd(b.inLeft + n + 2 * half);
        const __m128d r = _mm_loadu_pd(b.inRight + n + 2 * half);
        frames[2 * half] = _mm_add_pd(_mm_unpacklo_pd(l, r), guard);
        frames[2 * half + 1] = _mm_add_pd(_mm_unpackhi_pd(l, r), guard);
    }
}

TESSEL_FRAME_IO void LoadFrames(const TStereoBlock<float>& b, int n, __m128d (&frames)[kFrameGroup]) noexcept {
    const __m128d guard = _mm_set1_pd(kDenormalGuard);
    const __m128 l = _mm_loadu_ps(b.inLeft + n);
    const __m128 r = _mm_loadu_ps(b.inRight + n);
    const __m128 lr01 = _mm_unpacklo_ps(l, r);  // l0 r0 l1 r1
    const __m128 lr23 = _mm_unpackhi_ps(l, r);  // l2 r2 l3 r3
    frames[0] = _mm_add_pd(_mm_cvtps_pd(lr01), guard);
    frames[1] = _mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(lr01, lr01)), guard);
    frames[2] = _mm_add_pd(_mm_cvtps_pd(lr23), guard);
    frames[3] = _mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(lr23, lr23)), guard);
}

TESSEL_FRAME_IO void StoreFrames(const TStereoBlock<double>& b, int n, const __m128d (&frames)[kFrameGroup]) noexcept {
    for (int half = 0; half < 2; ++half) {
        _mm_storeu_pd(b.outLeft + n + 2 * half, _mm_unpacklo_pd(frames[2 * half], frames[2 * half + 1]));
        _mm_storeu_pd(b.outRight + n + 2 * half, _mm_unpackhi_pd(frames[2 * half], frames[2 * half + 1]));
    }
}

TESSEL_FRAME_IO void StoreFrames(const TStereoBlock<float>& b, int n, const __m128d (&frames)[kFrameGroup]) noexcept {
    const __m128 lr01 = _mm_movelh_ps(_mm_cvtpd_ps(frames[0]), _mm_cvtpd_ps(frames[1]));  // l0 r0 l1 r1
    const __m128 lr23 = _mm_movelh_ps(_mm_cvtpd_ps(frames[2]), _mm_cvtpd_ps(frames[3]));  // l2 r2 l3 r3
    _mm_storeu_ps(b.outLeft + n, _mm_shuffle_ps(lr01, lr23, _MM_SHUFFLE(2, 0, 2, 0)));
    _mm_storeu_ps(b.outRight + n, _mm_shuffle_ps(lr01, lr23, _MM_SHUFFLE(3, 1, 3, 1)));
}

#undef TESSEL_FRAME_IO

}  // namespace tessel
