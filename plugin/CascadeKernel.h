#pragma once
// The kernels that run interleaved stereo frames through a TBiquadCascade, and
// the choice among them at run time. The shipped binary targets baseline
// x86-64, so the SSE2 kernel always exists; the AVX2+FMA kernel is compiled
// for that unit alone and only called when the processor reports it.
//
// Both kernels work in place on `frames` interleaved stereo frames
// (left, right, left, right ...), 16-byte aligned, and leave the cascade's
// states where the last frame left them.
//
// SSE2: one 128-bit vector holds a frame's two channels; the active slots run
// in series per frame with exactly the operations of ProcessBiquad, so the
// result is bit-identical to the scalar recursion.
//
// AVX2+FMA: one 256-bit vector holds two slots for both channels, and the
// slots are software-pipelined across frames (slot j works on frame n - j), so
// every slot's recursion runs at once instead of waiting for the slot before
// it. Fused multiply-adds round once where the scalar recursion rounds twice,
// so results differ from it in the last bits.

namespace tessel {

struct TBiquadCascade;

enum class TCascadeKernel { Sse2, Avx2Fma };

// True when this processor (and its operating system) can run the kernel.
[[nodiscard]] bool CascadeKernelSupported(TCascadeKernel kernel) noexcept;
// The fastest kernel this processor can run.
[[nodiscard]] TCascadeKernel FastestCascadeKernel() noexcept;

// [audio thread] No allocation, no locks, no system calls.
void RunCascadeSse2(TBiquadCascade& cascade, double* frames, int count) noexcept;
// [audio thread] Only where CascadeKernelSupported(Avx2Fma).
void RunCascadeAvx2Fma(TBiquadCascade& cascade, double* frames, int count) noexcept;

// [audio thread] The chosen kernel; the caller has checked that it is supported.
inline void RunCascade(TCascadeKernel kernel, TBiquadCascade& cascade, double* frames, int count) noexcept {
    if (kernel == TCascadeKernel::Avx2Fma) {
        RunCascadeAvx2Fma(cascade, frames, count);
    } else {
        RunCascadeSse2(cascade, frames, count);
    }
}

}  // namespace tessel
