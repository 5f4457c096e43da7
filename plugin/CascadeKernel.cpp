#include "plugin/CascadeKernel.h"

namespace tessel {

bool CascadeKernelSupported(TCascadeKernel kernel) noexcept {
    // The library's checks include the operating system's support for saving
    // the wide registers.
    __builtin_cpu_init();
    switch (kernel) {
        case TCascadeKernel::Sse2:
            return true;  // part of the x86-64 baseline
        case TCascadeKernel::Avx2Fma:
            return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
        case TCascadeKernel::Avx512:
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    }
    return false;
}

TCascadeKernel FastestCascadeKernel() noexcept {
    if (CascadeKernelSupported(TCascadeKernel::Avx512) && __builtin_cpu_supports("avx512vbmi2")) {
        return TCascadeKernel::Avx512;
    }
    if (CascadeKernelSupported(TCascadeKernel::Avx2Fma)) return TCascadeKernel::Avx2Fma;
    return TCascadeKernel::Sse2;
}

}  // namespace tessel
