#include "plugin/CascadeKernel.h"

#include <array>

namespace tessel {

namespace {

struct TKernelName {
    std::string_view name;
    TCascadeKernel kernel;
};

constexpr std::array<TKernelName, 3> kKernelNames = {{
    {"sse2", TCascadeKernel::Sse2},
    {"avx2", TCascadeKernel::Avx2Fma},
    {"avx512", TCascadeKernel::Avx512},
}};

}  // namespace

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

TCascadeKernel CascadeKernelNamed(std::string_view name) noexcept {
    for (const TKernelName& k : kKernelNames)
        if (k.name == name && CascadeKernelSupported(k.kernel)) return k.kernel;
    return FastestCascadeKernel();
}

}  // namespace tessel
