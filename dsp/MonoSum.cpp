#include "dsp/MonoSum.h"

#include <immintrin.h>

// The wide routines are built for their unit by function attributes and only
// run where the caller found it; the file is kept out of unity batches so no
// other code is ever compiled beside them.

namespace tessel {
namespace {

// The frames after the last whole vector.
template <class T>
void MonoSumTail(const T* left, const T* right, std::size_t from, std::size_t frames, float* to) noexcept {
    for (std::size_t i = from; i < frames; ++i) to[i] = static_cast<float>(T{0.5} * (left[i] + right[i]));
}

void MonoSumSse2(const float* left, const float* right, std::size_t frames, float* to) noexcept {
    const __m128 half = _mm_set1_ps(0.5f);
    std::size_t i = 0;
    for (; i + 4 <= frames; i += 4)
        _mm_storeu_ps(to + i, _mm_mul_ps(half, _mm_add_ps(_mm_loadu_ps(left + i), _mm_loadu_ps(right + i))));
    MonoSumTail(left, right, i, frames, to);
}

void MonoSumSse2(const double* left, const double* right, std::size_t frames, float* to) noexcept {
    const __m128d half = _mm_set1_pd(0.5);
    const auto two = [&](std::size_t i) {
        return _mm_cvtpd_ps(_mm_mul_pd(half, _mm_add_pd(_mm_loadu_pd(left + i), _mm_loadu_pd(right + i))));
    };
    std::size_t i = 0;
    for (; i + 4 <= frames; i += 4) _mm_storeu_ps(to + i, _mm_movelh_ps(two(i), two(i + 2)));
    MonoSumTail(left, right, i, frames, to);
}

__attribute__((target("avx2"))) void MonoSumAvx2(const float* left, const float* right, std::size_t frames,
                                                 float* to) noexcept {
    const __m256 half = _mm256_set1_ps(0.5f);
    std::size_t i = 0;
    for (; i + 8 <= frames; i += 8)
        _mm256_storeu_ps(to + i,
                         _mm256_mul_ps(half, _mm256_add_ps(_mm256_loadu_ps(left + i), _mm256_loadu_ps(right + i))));
    MonoSumTail(left, right, i, frames, to);
}

__attribute__((target("avx2"))) void MonoSumAvx2(const double* left, const double* right, std::size_t frames,
                                                 float* to) noexcept {
    const __m256d half = _mm256_set1_pd(0.5);
    std::size_t i = 0;
    for (; i + 4 <= frames; i += 4)
        _mm_storeu_ps(to + i, _mm256_cvtpd_ps(_mm256_mul_pd(
                                  half, _mm256_add_pd(_mm256_loadu_pd(left + i), _mm256_loadu_pd(right + i)))));
    MonoSumTail(left, right, i, frames, to);
}

__attribute__((target("avx512f"))) void MonoSumAvx512(const float* left, const float* right, std::size_t frames,
                                                      float* to) noexcept {
    const __m512 half = _mm512_set1_ps(0.5f);
    std::size_t i = 0;
    for (; i + 16 <= frames; i += 16)
        _mm512_storeu_ps(to + i,
                         _mm512_mul_ps(half, _mm512_add_ps(_mm512_loadu_ps(left + i), _mm512_loadu_ps(right + i))));
    MonoSumTail(left, right, i, frames, to);
}

__attribute__((target("avx512f"))) void MonoSumAvx512(const double* left, const double* right, std::size_t frames,
                                                      float* to) noexcept {
    const __m512d half = _mm512_set1_pd(0.5);
    std::size_t i = 0;
    for (; i + 8 <= frames; i += 8)
        _mm256_storeu_ps(to + i,
                         _mm512_maskz_cvtpd_ps(0xFF, _mm512_mul_pd(half, _mm512_add_pd(_mm512_loadu_pd(left + i),
                                                                                       _mm512_loadu_pd(right + i)))));
    MonoSumTail(left, right, i, frames, to);
}

template <class T>
void MonoSumAt(TMonoSumWidth width, const T* left, const T* right, std::size_t frames, float* to) noexcept {
    switch (width) {
        case TMonoSumWidth::Avx512:
            return MonoSumAvx512(left, right, frames, to);
        case TMonoSumWidth::Avx2:
            return MonoSumAvx2(left, right, frames, to);
        case TMonoSumWidth::Sse2:
            break;
    }
    MonoSumSse2(left, right, frames, to);
}

}  // namespace

void MonoSum(TMonoSumWidth width, const float* left, const float* right, std::size_t frames, float* to) noexcept {
    MonoSumAt(width, left, right, frames, to);
}

void MonoSum(TMonoSumWidth width, const double* left, const double* right, std::size_t frames, float* to) noexcept {
    MonoSumAt(width, left, right, frames, to);
}

}  // namespace tessel
