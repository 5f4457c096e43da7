#include "plugin/CascadeKernel.h"

#include <initializer_list>

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
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx2") &&
                   __builtin_cpu_supports("fma");
    }
    return false;
}

TCascadeKernel FastestCascadeKernel() noexcept {
    for (const TCascadeKernel kernel : {TCascadeKernel::Avx512, TCascadeKernel::Avx2Fma}) {
        if (CascadeKernelSupported(kernel)) return kernel;
    }
    return TCascadeKernel::Sse2;
}

}  // namespace tessel
