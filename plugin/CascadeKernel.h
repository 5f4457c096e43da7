#pragma once
// The kernels that run a stereo block through a TBiquadCascade, and the
// choice among them at run time. The shipped binary targets baseline x86-64,
// so the SSE2 kernel always exists; the wider kernels are compiled for their
// unit alone and only called when the processor reports it.
//
// Every kernel reads a block's two input channels, adds the denormal guard,
// runs the frames through the cascade's active slots and writes the two
// output channels (StereoBlock.h), leaving the states where the last frame
// left them, except that states which became infinite or NaN are cleared, so
// the next block recovers. No output sample is written before the same frame's inputs have
// been read, so an output array may be an input array.
//
// SSE2: one 128-bit vector holds a frame's two channels; the active slots run
// in series per frame with exactly the operations of ProcessBiquad, so the
// result is bit-identical to the scalar recursion.
//
// AVX2+FMA and AVX-512: vectors of two or four slots for both channels, the
// slots software-pipelined across frames (slot j works on frame n - j), so
// every slot's recursion runs at once instead of waiting for the slot before
// it (BiquadPipeline.h). Fused multiply-adds round once where the scalar
// recursion rounds twice, so results differ from it in the last bits: by
// 1e-14 relative typically, by some 1e-11 where the filters are badly
// conditioned (tens of Hz at high sample rates, narrow, boosts stacked),
// where the scalar recursion is itself off from exact arithmetic by as much.

#include <string_view>

#include "dsp/MonoSum.h"
#include "plugin/StereoBlock.h"

namespace tessel {

struct TBiquadCascade;

enum class TCascadeKernel { Sse2, Avx2Fma, Avx512 };

// True when this processor (and its operating system) can run the kernel. [any-thread, lock-free]
[[nodiscard]] bool CascadeKernelSupported(TCascadeKernel kernel) noexcept;
// The kernel to use by default: the fastest this processor runs well.
// AVX-512 only where the processor also has VBMI2 (Ice Lake and later, Zen 4):
// the first AVX-512 processors lower the clock of the whole core while
// 512-bit multiply-adds run, which would slow down the rest of the host. [any-thread, lock-free]
[[nodiscard]] TCascadeKernel FastestCascadeKernel() noexcept;
// The kernel a name asks for ("sse2", "avx2", "avx512"), so that measurements
// can compare them through the loaded plug-in; the fastest kernel for any
// other name, and for one this processor cannot run. [any-thread, lock-free]
[[nodiscard]] TCascadeKernel CascadeKernelNamed(std::string_view name) noexcept;
// Other audio-thread vector work runs on the kernel's unit: a processor
// where the kernel runs runs it too, and a kernel chosen to avoid a unit
// (TESSEL_KERNEL, slower clocks) avoids it for everything.
[[nodiscard]] constexpr TMonoSumWidth MonoSumWidthOf(TCascadeKernel kernel) noexcept {
    switch (kernel) {
        case TCascadeKernel::Avx512:
            return TMonoSumWidth::Avx512;
        case TCascadeKernel::Avx2Fma:
            return TMonoSumWidth::Avx2;
        case TCascadeKernel::Sse2:
            break;
    }
    return TMonoSumWidth::Sse2;
}
// The variable whose value CascadeKernelNamed reads when an instance is created.
inline constexpr const char* kCascadeKernelVariable = "TESSEL_KERNEL";

// [audio-thread] No allocation, no locks, no system calls. The block's
// pointers are valid for block.frames samples.
void RunCascadeSse2(TBiquadCascade& cascade, const TStereoBlock<float>& block) noexcept;
void RunCascadeSse2(TBiquadCascade& cascade, const TStereoBlock<double>& block) noexcept;
// [audio-thread] Only where CascadeKernelSupported(Avx2Fma).
void RunCascadeAvx2Fma(TBiquadCascade& cascade, const TStereoBlock<float>& block) noexcept;
void RunCascadeAvx2Fma(TBiquadCascade& cascade, const TStereoBlock<double>& block) noexcept;
// [audio-thread] Only where CascadeKernelSupported(Avx512).
void RunCascadeAvx512(TBiquadCascade& cascade, const TStereoBlock<float>& block) noexcept;
void RunCascadeAvx512(TBiquadCascade& cascade, const TStereoBlock<double>& block) noexcept;

// [audio-thread] The chosen kernel; the caller has checked that it is supported.
template <class T>
void RunCascade(TCascadeKernel kernel, TBiquadCascade& cascade, const TStereoBlock<T>& block) noexcept {
    switch (kernel) {
        case TCascadeKernel::Avx512:
            RunCascadeAvx512(cascade, block);
            break;
        case TCascadeKernel::Avx2Fma:
            RunCascadeAvx2Fma(cascade, block);
            break;
        case TCascadeKernel::Sse2:
            RunCascadeSse2(cascade, block);
            break;
    }
}

}  // namespace tessel
