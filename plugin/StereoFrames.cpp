#include "plugin/StereoFrames.h"

#include <emmintrin.h>

namespace tessel {

// Four frames per round where the arrays allow it, then one at a time. The
// channel arrays need no alignment.

void LoadStereoFrames(const float* left, const float* right, int count, double* frames) noexcept {
    const __m128d guard = _mm_set1_pd(kDenormalGuard);
    int n = 0;
    for (; n + 4 <= count; n += 4) {
        const __m128 l = _mm_loadu_ps(left + n);
        const __m128 r = _mm_loadu_ps(right + n);
        const __m128 lr01 = _mm_unpacklo_ps(l, r);  // l0 r0 l1 r1
        const __m128 lr23 = _mm_unpackhi_ps(l, r);  // l2 r2 l3 r3
        double* out = frames + 2 * n;
        _mm_store_pd(out, _mm_add_pd(_mm_cvtps_pd(lr01), guard));
        _mm_store_pd(out + 2, _mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(lr01, lr01)), guard));
        _mm_store_pd(out + 4, _mm_add_pd(_mm_cvtps_pd(lr23), guard));
        _mm_store_pd(out + 6, _mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(lr23, lr23)), guard));
    }
    for (; n < count; ++n) {
        frames[2 * n] = static_cast<double>(left[n]) + kDenormalGuard;
        frames[2 * n + 1] = static_cast<double>(right[n]) + kDenormalGuard;
    }
}

void LoadStereoFrames(const double* left, const double* right, int count, double* frames) noexcept {
    const __m128d guard = _mm_set1_pd(kDenormalGuard);
    int n = 0;
    for (; n + 2 <= count; n += 2) {
        const __m128d l = _mm_loadu_pd(left + n);
        const __m128d r = _mm_loadu_pd(right + n);
        _mm_store_pd(frames + 2 * n, _mm_add_pd(_mm_unpacklo_pd(l, r), guard));
        _mm_store_pd(frames + 2 * n + 2, _mm_add_pd(_mm_unpackhi_pd(l, r), guard));
    }
    for (; n < count; ++n) {
        frames[2 * n] = left[n] + kDenormalGuard;
        frames[2 * n + 1] = right[n] + kDenormalGuard;
    }
}

void StoreStereoFrames(const double* frames, int count, float* left, float* right) noexcept {
    int n = 0;
    for (; n + 4 <= count; n += 4) {
        const double* in = frames + 2 * n;
        const __m128 f01 = _mm_movelh_ps(_mm_cvtpd_ps(_mm_load_pd(in)), _mm_cvtpd_ps(_mm_load_pd(in + 2)));
        const __m128 f23 = _mm_movelh_ps(_mm_cvtpd_ps(_mm_load_pd(in + 4)), _mm_cvtpd_ps(_mm_load_pd(in + 6)));
        // f01 = l0 r0 l1 r1, f23 = l2 r2 l3 r3
        _mm_storeu_ps(left + n, _mm_shuffle_ps(f01, f23, _MM_SHUFFLE(2, 0, 2, 0)));
        _mm_storeu_ps(right + n, _mm_shuffle_ps(f01, f23, _MM_SHUFFLE(3, 1, 3, 1)));
    }
    for (; n < count; ++n) {
        left[n] = static_cast<float>(frames[2 * n]);
        right[n] = static_cast<float>(frames[2 * n + 1]);
    }
}

void StoreStereoFrames(const double* frames, int count, double* left, double* right) noexcept {
    int n = 0;
    for (; n + 2 <= count; n += 2) {
        const __m128d f0 = _mm_load_pd(frames + 2 * n);
        const __m128d f1 = _mm_load_pd(frames + 2 * n + 2);
        _mm_storeu_pd(left + n, _mm_unpacklo_pd(f0, f1));
        _mm_storeu_pd(right + n, _mm_unpackhi_pd(f0, f1));
    }
    for (; n < count; ++n) {
        left[n] = frames[2 * n];
        right[n] = frames[2 * n + 1];
    }
}

}  // namespace tessel
