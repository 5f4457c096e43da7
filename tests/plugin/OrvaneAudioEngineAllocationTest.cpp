// The audio path allocates nothing and frees nothing: every process call,
// including one that takes over freshly published bands, runs with the
// global allocation functions watched.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

#include "tests/plugin/EngineTestSupport.h"

namespace {

std::atomic<bool> gWatching{false};
std::atomic<int> gAllocations{0};
std::atomic<int> gReleases{0};

void* Allocate(std::size_t size, std::size_t alignment = alignof(std::max_align_t)) {
    if (gWatching.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t rounded = (size + alignment - 1) / alignment * alignment;
    void* p = alignment <= alignof(std::max_align_t) ? std::malloc(size == 0 ? 1 : size)
                                                      : std::aligned_alloc(alignment, rounded == 0 ? alignment : rounded);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

void Release(void* p) noexcept {
    if (p != nullptr && gWatching.load(std::memory_order_relaxed)) gReleases.fetch_add(1, std::memory_order_relaxed);
    std::free(p);
}

// Counts allocations and releases on any thread while it lives.
class TWatch {
public:
    TWatch() {
        gAllocations = 0;
        gReleases = 0;
        gWatching = true;
    }
    ~TWatch() { gWatching = false; }
    TWatch(const TWatch&) = delete;
    TWatch& operator=(const TWatch&) = delete;
};

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, std::align_val_t a) { return Allocate(size, static_cast<std::size_t>(a)); }
void* operator new[](std::size_t size, std::align_val_t a) { return Allocate(size, static_cast<std::size_t>(a)); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
void operator delete(void* p, std::align_val_t) noexcept { Release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }

namespace tessel {
namespace {

// The counter itself works: a watched allocation is seen.
std::vector<int>* volatile gSink = nullptr;

TEST(OrvaneAudioEngineAllocation, TheWatchSeesAnAllocation) {
    TWatch watch;
    gSink = new std::vector<int>(100);
    delete gSink;
    EXPECT_GE(gAllocations.load(), 2);
    EXPECT_GE(gReleases.load(), 2);
}

TEST(OrvaneAudioEngineAllocation, ProcessCallsAllocateNothing) {
    std::mt19937 random(1);
    for (const TCascadeKernel kernel : test::SupportedKernels()) {
        SCOPED_TRACE(test::KernelName(kernel));
        TOrvaneAudioEngine engine;
        ASSERT_TRUE(engine.SelectKernel(kernel));
        test::TReferenceEqualiser reference(48000.0);
        const test::TStereo<float> floatIn = test::Noise<float>(1031, random);
        const test::TStereo<double> doubleIn = test::Noise<double>(1031, random);
        test::TStereo<float> floatOut(1031);
        test::TStereo<double> doubleOut(1031);
        for (int round = 0; round < 4; ++round) {
            reference.SetAll(test::RandomSettings(random));
            test::PublishAll(engine, reference);  // control side: may allocate
            if (round == 3) engine.ClearAllStates();
            TWatch watch;
            engine.Process(floatIn.In(), floatOut.Out(), 1031);  // takes over the new bands
            engine.Process(doubleIn.In(), doubleOut.Out(), 1031);
            engine.Process(floatIn.In(), floatOut.Out(), 5);
            engine.Process(doubleIn.In(), doubleOut.Out(), 0);
            EXPECT_EQ(gAllocations.load(), 0);
            EXPECT_EQ(gReleases.load(), 0);
        }
    }
}

}  // namespace
}  // namespace tessel
