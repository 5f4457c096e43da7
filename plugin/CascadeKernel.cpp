#include "plugin/CascadeKernel.h"

namespace tessel {

bool CascadeKernelSupported(TCascadeKernel kernel) noexcept {
    switch (kernel) {
        case TCascadeKernel::Sse2:
            return true;  // part of the x86-64 baseline
        case TCascadeKernel::Avx2Fma:
            // The library's checks include the operating system's support for
            // saving the 256-bit registers.
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    }
    return false;
}

TCascadeKernel FastestCascadeKernel() noexcept {
    return CascadeKernelSupported(TCascadeKernel::Avx2Fma) ? TCascadeKernel::Avx2Fma : TCascadeKernel::Sse2;
}

}  // namespace tessel
