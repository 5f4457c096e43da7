// The loaded plug-in's audio calls allocate and free nothing: every global
// allocation in this process is counted, the plug-in's included.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "host/PluginInstance.h"

namespace {
std::atomic<long> gAllocations{0};
std::atomic<long> gFrees{0};
}  // namespace

void* operator new(std::size_t size) {
    ++gAllocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, std::align_val_t alignment) {
    ++gAllocations;
    const auto a = static_cast<std::size_t>(alignment);
    if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t alignment) { return operator new(size, alignment); }
void operator delete(void* p) noexcept {
    if (p) ++gFrees;
    std::free(p);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }
void operator delete(void* p, std::align_val_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::align_val_t) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { operator delete(p); }

namespace tessel {
namespace {

TEST(AudioAllocation, ProcessCallsAllocateNothing) {
    host::TPluginInstance plugin(TESSEL_PLUGIN_PATH);
    plugin.SetSampleRate(48000.0f);
    plugin.SetBlockSize(256);
    plugin.Open();
    plugin.MainsChanged(true);
    AEffect* e = plugin.Effect();

    std::vector<float> f(4096, 0.25f), g(4096, 0.25f), fo(4096), go(4096);
    std::vector<double> d(4096, 0.25), h(4096, 0.25), dout(4096), hout(4096);
    float* in[] = {f.data(), g.data()};
    float* out[] = {fo.data(), go.data()};
    double* din[] = {d.data(), h.data()};
    double* dOut[] = {dout.data(), hout.data()};

    // The counter sees allocations made inside the plug-in: a change of kind builds new filters.
    const long before = gAllocations.load();
    plugin.String2Parameter(0, "3");
    ASSERT_GT(gAllocations.load(), before);

    for (int round = 0; round < 8; ++round) {
        // A change before every block: the next process call picks it up.
        plugin.String2Parameter(4 * (round % 7) + 1, round % 2 ? "6" : "-3");
        plugin.String2Parameter(4 * (round % 7), "3");
        const long allocations = gAllocations.load(), frees = gFrees.load();
        for (int frames : {1, 17, 256, 4096}) {
            e->processReplacing(e, in, out, frames);
            e->processDoubleReplacing(e, din, dOut, frames);
            e->process(e, in, out, frames);  // accumulating
        }
        EXPECT_EQ(gAllocations.load() - allocations, 0) << "round " << round;
        EXPECT_EQ(gFrees.load() - frees, 0) << "round " << round;
    }
}

}  // namespace
}  // namespace tessel
