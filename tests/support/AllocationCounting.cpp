#include "tests/support/AllocationCounting.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> gAllocations{0};
std::atomic<long> gReleases{0};
// Plain thread-locals: nothing to construct, so they work even while a thread starts or ends.
thread_local long tAllocations = 0;
thread_local long tReleases = 0;

void* Allocate(std::size_t bytes, std::size_t alignment = alignof(std::max_align_t)) noexcept {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    ++tAllocations;
    if (bytes == 0) bytes = 1;
    if (alignment <= alignof(std::max_align_t)) return std::malloc(bytes);
    return std::aligned_alloc(alignment, (bytes + alignment - 1) / alignment * alignment);
}

void* AllocateOrThrow(std::size_t bytes, std::size_t alignment = alignof(std::max_align_t)) {
    if (void* p = Allocate(bytes, alignment)) return p;
    throw std::bad_alloc();
}

void Release(void* p) noexcept {
    if (p) {
        gReleases.fetch_add(1, std::memory_order_relaxed);
        ++tReleases;
    }
    std::free(p);
}

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
    return threads == TAllocationWatch::TThreads::Own ? tAllocations : gAllocations.load();
}
long ReleasesSoFar(TAllocationWatch::TThreads threads) noexcept {
    return threads == TAllocationWatch::TThreads::Own ? tReleases : gReleases.load();
}
}  // namespace

TAllocationWatch::TAllocationWatch(TThreads threads) noexcept
    : FThreads(threads), FAllocationsAtStart(AllocationsSoFar(threads)), FReleasesAtStart(ReleasesSoFar(threads)) {}

long TAllocationWatch::Allocations() const noexcept { return AllocationsSoFar(FThreads) - FAllocationsAtStart; }
long TAllocationWatch::Releases() const noexcept { return ReleasesSoFar(FThreads) - FReleasesAtStart; }

}  // namespace tessel::test
