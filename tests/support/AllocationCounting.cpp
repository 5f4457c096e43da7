#include "tests/support/AllocationCounting.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <thread>

// The allocators a counted call is passed to. A sanitizer's runtime exports
// its allocator under these names (its own malloc, which ours replaces, is a
// weak alias of them); without one they stay null and the C library serves.
extern "C" {
void* __interceptor_malloc(std::size_t) __attribute__((weak));
void* __interceptor_calloc(std::size_t, std::size_t) __attribute__((weak));
void* __interceptor_realloc(void*, std::size_t) __attribute__((weak));
void __interceptor_free(void*) __attribute__((weak));
int __interceptor_posix_memalign(void**, std::size_t, std::size_t) __attribute__((weak));
void* __interceptor_aligned_alloc(std::size_t, std::size_t) __attribute__((weak));
void* __interceptor_memalign(std::size_t, std::size_t) __attribute__((weak));

void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void __libc_free(void*);
void* __libc_memalign(std::size_t, std::size_t);
}

// The allocator is called before a sanitizer's runtime has set itself up
// (its own start-up looks symbols up through the loader, which allocates):
// the counting code must not be instrumented.
#define TESSEL_UNINSTRUMENTED __attribute__((no_sanitize("address", "thread", "undefined")))

namespace {

// Plain words updated with the compiler's atomic built-ins: no constructor,
// nothing a sanitizer has to see first.
long gAllocations = 0;
long gReleases = 0;
// The executable's thread-locals sit in each thread's static block: reading
// them never allocates, even while the loader or a starting thread allocates.
thread_local long tAllocations = 0;
thread_local long tReleases = 0;

TESSEL_UNINSTRUMENTED void CountAllocation() noexcept {
    __atomic_fetch_add(&gAllocations, 1, __ATOMIC_RELAXED);
    ++tAllocations;
}

TESSEL_UNINSTRUMENTED void CountRelease() noexcept {
    __atomic_fetch_add(&gReleases, 1, __ATOMIC_RELAXED);
    ++tReleases;
}

TESSEL_UNINSTRUMENTED bool PowerOfTwo(std::size_t n) noexcept { return n != 0 && (n & (n - 1)) == 0; }

TESSEL_UNINSTRUMENTED void* AlignedFromLibc(std::size_t alignment, std::size_t bytes) noexcept {
    if (!PowerOfTwo(alignment)) {
        errno = EINVAL;
        return nullptr;
    }
    return __libc_memalign(alignment, bytes);
}

}  // namespace

extern "C" {

TESSEL_UNINSTRUMENTED void* malloc(std::size_t bytes) noexcept {
    CountAllocation();
    return __interceptor_malloc ? __interceptor_malloc(bytes) : __libc_malloc(bytes);
}

TESSEL_UNINSTRUMENTED void* calloc(std::size_t count, std::size_t bytes) noexcept {
    CountAllocation();
    return __interceptor_calloc ? __interceptor_calloc(count, bytes) : __libc_calloc(count, bytes);
}

TESSEL_UNINSTRUMENTED void* realloc(void* p, std::size_t bytes) noexcept {
    if (p) CountRelease();
    if (bytes > 0 || !p) CountAllocation();
    return __interceptor_realloc ? __interceptor_realloc(p, bytes) : __libc_realloc(p, bytes);
}

TESSEL_UNINSTRUMENTED void free(void* p) noexcept {
    if (p) CountRelease();
    if (__interceptor_free)
        __interceptor_free(p);
    else
        __libc_free(p);
}

TESSEL_UNINSTRUMENTED int posix_memalign(void** result, std::size_t alignment, std::size_t bytes) noexcept {
    CountAllocation();
    if (__interceptor_posix_memalign) return __interceptor_posix_memalign(result, alignment, bytes);
    if (!PowerOfTwo(alignment) || alignment % sizeof(void*) != 0) return EINVAL;
    void* p = __libc_memalign(alignment, bytes);
    if (!p) return ENOMEM;
    *result = p;
    return 0;
}

TESSEL_UNINSTRUMENTED void* aligned_alloc(std::size_t alignment, std::size_t bytes) noexcept {
    CountAllocation();
    return __interceptor_aligned_alloc ? __interceptor_aligned_alloc(alignment, bytes)
                                       : AlignedFromLibc(alignment, bytes);
}

TESSEL_UNINSTRUMENTED void* memalign(std::size_t alignment, std::size_t bytes) noexcept {
    CountAllocation();
    return __interceptor_memalign ? __interceptor_memalign(alignment, bytes) : AlignedFromLibc(alignment, bytes);
}

}  // extern "C"

namespace {

// operator new and delete reach the counted functions above, once each.
void* Allocate(std::size_t bytes, std::size_t alignment = alignof(std::max_align_t)) noexcept {
    if (bytes == 0) bytes = 1;
    if (alignment <= alignof(std::max_align_t)) return std::malloc(bytes);
    return std::aligned_alloc(alignment, (bytes + alignment - 1) / alignment * alignment);
}

void* AllocateOrThrow(std::size_t bytes, std::size_t alignment = alignof(std::max_align_t)) {
    if (void* p = Allocate(bytes, alignment)) return p;
    throw std::bad_alloc();
}

void Release(void* p) noexcept { std::free(p); }

}  // namespace

void* operator new(std::size_t n) { return AllocateOrThrow(n); }
void* operator new[](std::size_t n) { return AllocateOrThrow(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void* operator new(std::size_t n, std::align_val_t a) { return AllocateOrThrow(n, static_cast<std::size_t>(a)); }
void* operator new[](std::size_t n, std::align_val_t a) { return AllocateOrThrow(n, static_cast<std::size_t>(a)); }
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return Allocate(n, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return Allocate(n, static_cast<std::size_t>(a));
}
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete(void* p, std::align_val_t) noexcept { Release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { Release(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { Release(p); }

namespace tessel::test {

namespace {
long AllocationsSoFar(TAllocationWatch::TThreads threads) noexcept {
    return threads == TAllocationWatch::TThreads::Own ? tAllocations : __atomic_load_n(&gAllocations, __ATOMIC_RELAXED);
}
long ReleasesSoFar(TAllocationWatch::TThreads threads) noexcept {
    return threads == TAllocationWatch::TThreads::Own ? tReleases : __atomic_load_n(&gReleases, __ATOMIC_RELAXED);
}
}  // namespace

TAllocationWatch::TAllocationWatch(TThreads threads) noexcept
    : FThreads(threads), FAllocationsAtStart(AllocationsSoFar(threads)), FReleasesAtStart(ReleasesSoFar(threads)) {}

long TAllocationWatch::Allocations() const noexcept { return AllocationsSoFar(FThreads) - FAllocationsAtStart; }
long TAllocationWatch::Releases() const noexcept { return ReleasesSoFar(FThreads) - FReleasesAtStart; }

void OnFreshThread(const std::function<void()>& work) { std::thread(work).join(); }

}  // namespace tessel::test
