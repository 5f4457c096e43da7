// The loaded plug-in's audio calls allocate and free nothing: every global
// allocation in this process is counted, the plug-in's included.

#include <gtest/gtest.h>

#include <vector>

#include "host/PluginInstance.h"
#include "tests/support/AllocationCounting.h"

namespace tessel {
namespace {

TEST(AudioAllocation, ProcessCallsAllocateNothing) {
    host::TPluginInstance plugin(TESSEL_PLUGIN_PATH);
    plugin.SetSampleRate(48000.0f);
    plugin.SetBlockSize(256);
    AEffect* e = plugin.Effect();
    // The counter sees allocations made inside the plug-in: opening builds the
    // snapshot slots, and the host records no call that could have allocated.
    const std::size_t hostCalls = plugin.Host().Calls().size();
    const test::TAllocationWatch opening;
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
    ASSERT_GT(opening.Allocations(), 0);
    ASSERT_EQ(plugin.Host().Calls().size(), hostCalls);
    plugin.MainsChanged(true);

    std::vector<float> f(4096, 0.25f), g(4096, 0.25f), fo(4096), go(4096);
    std::vector<double> d(4096, 0.25), h(4096, 0.25), dout(4096), hout(4096);
    float* in[] = {f.data(), g.data()};
    float* out[] = {fo.data(), go.data()};
    double* din[] = {d.data(), h.data()};
    double* dOut[] = {dout.data(), hout.data()};


    for (int round = 0; round < 8; ++round) {
        // A change before every block: the next process call picks it up.
        plugin.String2Parameter(4 * (round % 7) + 1, round % 2 ? "6" : "-3");
        plugin.String2Parameter(4 * (round % 7), "3");
        const test::TAllocationWatch watch;
        for (int frames : {1, 17, 256, 4096}) {
            e->processReplacing(e, in, out, frames);
            e->processDoubleReplacing(e, din, dOut, frames);
            e->process(e, in, out, frames);  // accumulating
        }
        const long allocations = watch.Allocations(), releases = watch.Releases();
        EXPECT_EQ(allocations, 0) << "round " << round;
        EXPECT_EQ(releases, 0) << "round " << round;
    }
}

// Hosts automate from their audio thread too, between process calls: every
// parameter, through every band kind and back, stores without allocating.
TEST(AudioAllocation, HostAutomationAllocatesNothing) {
    host::TPluginInstance plugin(TESSEL_PLUGIN_PATH);
    plugin.Open();
    plugin.MainsChanged(true);
    AEffect* e = plugin.Effect();
    const test::TAllocationWatch watch;
    for (int pass = 0; pass < 2; ++pass) {
        for (int32_t index = 0; index < e->numParams; ++index)
            for (float value : {0.0f, 0.2f, 0.4f, 0.5f, 0.6f, 0.8f, 1.0f}) e->setParameter(e, index, value);
    }
    const long allocations = watch.Allocations(), releases = watch.Releases();
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(releases, 0);
}

}  // namespace
}  // namespace tessel
