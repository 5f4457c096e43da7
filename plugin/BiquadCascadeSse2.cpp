// The baseline kernel: one 128-bit vector per frame (left, right), the active
// slots in series per frame. Each slot count has its own fully unrolled
// instance so the states stay in registers and the frame loop has no branch
// on the bands. The operations and their order are those of ProcessBiquad:
//   y = b0*x + s0;  s0 = (b1*x - a1*y) + s1;  s1 = b2*x - a2*y
// with -a stored, which rounds identically, so results are bit-identical.
// Independent slots of neighbouring frames overlap in the processor's
// out-of-order window; explicit pipelining gained nothing measurable here.

#include <emmintrin.h>

#include "plugin/BiquadCascade.h"
#include "plugin/CascadeKernel.h"

namespace tessel {
namespace {

template <int kSlots>
void RunSlots(TBiquadCascade& c, double* frames, int count) noexcept {
    __m128d b0[kSlots], b1[kSlots], b2[kSlots], na1[kSlots], na2[kSlots], s0[kSlots], s1[kSlots];
#pragma GCC unroll 8
    for (int j = 0; j < kSlots; ++j) {
        b0[j] = _mm_load_pd(c.b0[j]);
        b1[j] = _mm_load_pd(c.b1[j]);
        b2[j] = _mm_load_pd(c.b2[j]);
        na1[j] = _mm_load_pd(c.negA1[j]);
        na2[j] = _mm_load_pd(c.negA2[j]);
        s0[j] = _mm_load_pd(c.s0[j]);
        s1[j] = _mm_load_pd(c.s1[j]);
    }
    for (int n = 0; n < count; ++n) {
        __m128d x = _mm_load_pd(frames + 2 * n);
#pragma GCC unroll 8
        for (int j = 0; j < kSlots; ++j) {
            const __m128d y = _mm_add_pd(_mm_mul_pd(b0[j], x), s0[j]);
            s0[j] = _mm_add_pd(_mm_add_pd(_mm_mul_pd(b1[j], x), _mm_mul_pd(na1[j], y)), s1[j]);
            s1[j] = _mm_add_pd(_mm_mul_pd(b2[j], x), _mm_mul_pd(na2[j], y));
            x = y;
        }
        _mm_store_pd(frames + 2 * n, x);
    }
#pragma GCC unroll 8
    for (int j = 0; j < kSlots; ++j) {
        _mm_store_pd(c.s0[j], s0[j]);
        _mm_store_pd(c.s1[j], s1[j]);
    }
}

}  // namespace

void RunCascadeSse2(TBiquadCascade& cascade, double* frames, int count) noexcept {
    switch (cascade.activeSlots) {
        case 1: RunSlots<1>(cascade, frames, count); break;
        case 2: RunSlots<2>(cascade, frames, count); break;
        case 3: RunSlots<3>(cascade, frames, count); break;
        case 4: RunSlots<4>(cascade, frames, count); break;
        case 5: RunSlots<5>(cascade, frames, count); break;
        case 6: RunSlots<6>(cascade, frames, count); break;
        case 7: RunSlots<7>(cascade, frames, count); break;
        default: break;  // no active band: the frames pass unchanged
    }
}

}  // namespace tessel
