// The loaded plug-in's audio calls allocate and free nothing: every call of
// the allocator in this process is counted, the plug-in's and the dynamic
// loader's included, and the audio calls run on threads that never called
// the plug-in before.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "host/PluginInstance.h"
#include "tests/plugin/FirstAudioCalls.h"
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
        test::OnFreshThread([&] {
            const test::TAllocationWatch watch;
            for (int frames : {1, 17, 256, 4096}) {
                e->processReplacing(e, in, out, frames);
                e->processDoubleReplacing(e, din, dOut, frames);
                e->process(e, in, out, frames);  // accumulating
            }
            const long allocations = watch.Allocations(), releases = watch.Releases();
            EXPECT_EQ(allocations, 0) << "round " << round;
            EXPECT_EQ(releases, 0) << "round " << round;
        });
    }
}

// Hosts automate from their audio thread too, between process calls: every
// parameter, through every band kind and back, stores without allocating.
TEST(AudioAllocation, HostAutomationAllocatesNothing) {
    host::TPluginInstance plugin(TESSEL_PLUGIN_PATH);
    plugin.Open();
    plugin.MainsChanged(true);
    AEffect* e = plugin.Effect();
    test::OnFreshThread([&] {
        const test::TAllocationWatch watch;
        for (int pass = 0; pass < 2; ++pass) {
            for (int32_t index = 0; index < e->numParams; ++index)
                for (float value : {0.0f, 0.2f, 0.4f, 0.5f, 0.6f, 0.8f, 1.0f}) e->setParameter(e, index, value);
        }
        const long allocations = watch.Allocations(), releases = watch.Releases();
        EXPECT_EQ(allocations, 0);
        EXPECT_EQ(releases, 0);
    });
}

// A host's audio thread may be one that never called the plug-in before:
// its first parameter and process calls allocate nothing either, not even
// through the dynamic loader.
TEST(AudioAllocation, FirstCallsOnAFreshThreadAllocateNothing) {
    host::TPluginInstance plugin(TESSEL_PLUGIN_PATH);
    plugin.Open();
    plugin.SetSampleRate(48000.0f);
    plugin.SetBlockSize(256);
    plugin.MainsChanged(true);
    for (const auto& count : test::CountFirstAudioCalls(plugin.Effect())) {
        EXPECT_EQ(count.allocations, 0) << "first call: " << count.routine;
        EXPECT_EQ(count.releases, 0) << "first call: " << count.routine;
    }
}

// The accumulating call adds to what the host's outputs hold, as the VST 2
// contract says, in blocks shorter and longer than the announced size.
TEST(AudioAllocation, AccumulatingCallAddsWithoutAllocating) {
    host::TPluginInstance plugin(TESSEL_PLUGIN_PATH);
    plugin.SetBlockSize(64);
    plugin.Open();
    plugin.MainsChanged(true);  // the start-up setting is flat
    AEffect* e = plugin.Effect();
    std::vector<float> left(5001, 0.25f), right(5001, -0.25f), outLeft(5001), outRight(5001);
    float* in[] = {left.data(), right.data()};
    float* out[] = {outLeft.data(), outRight.data()};
    for (int frames : {1, 64, 1000, 5000}) {
        std::fill(outLeft.begin(), outLeft.end(), 1.0f);
        std::fill(outRight.begin(), outRight.end(), 1.0f);
        test::OnFreshThread([&] {
            const test::TAllocationWatch watch;
            e->process(e, in, out, frames);
            const long allocations = watch.Allocations(), releases = watch.Releases();
            EXPECT_EQ(allocations, 0) << frames;
            EXPECT_EQ(releases, 0) << frames;
        });
        for (int n = 0; n < frames; ++n) {
            ASSERT_NEAR(outLeft[static_cast<std::size_t>(n)], 1.25f, 1e-6f) << frames << " frames, frame " << n;
            ASSERT_NEAR(outRight[static_cast<std::size_t>(n)], 0.75f, 1e-6f) << frames << " frames, frame " << n;
        }
        EXPECT_EQ(outLeft[static_cast<std::size_t>(frames)], 1.0f) << "written past the block";
    }
}

// An announced block size costs no memory, whatever the host sends; a size
// no host can mean (zero, negative, above 2^20 frames, beyond 32 bits)
// changes nothing, and every block the host then sends is processed whole.
TEST(AudioAllocation, BlockSizeAnnouncementsAllocateNothing) {
    host::TPluginInstance plugin(TESSEL_PLUGIN_PATH);
    plugin.Open();
    plugin.MainsChanged(true);
    AEffect* e = plugin.Effect();
    const auto announce = [&](intptr_t frames) {
        const test::TAllocationWatch watch;
        e->dispatcher(e, effSetBlockSize, 0, frames, nullptr, 0.0f);
        e->dispatcher(e, effSetBlockSizeAndSampleRate, 0, frames, nullptr, 48000.0f);
        return watch.Allocations();
    };
    ASSERT_EQ(announce(intptr_t{1} << 20), 0);
    ASSERT_EQ(announce(intptr_t{1} << 19), 0);
    for (intptr_t bogus : {intptr_t{0}, intptr_t{-1}, (intptr_t{1} << 20) + 1, INTPTR_MAX, INTPTR_MIN,
                           (intptr_t{1} << 32) + 512, static_cast<intptr_t>(0xFFFFFFFF5B245AF0u)})
        EXPECT_EQ(announce(bogus), 0) << bogus;

    plugin.SetBlockSize(32);
    std::vector<float> in32(70001, 0.5f), out32(70001);
    std::vector<double> in64(70001, 0.5), out64(70001);
    float* in[] = {in32.data(), in32.data()};
    float* out[] = {out32.data(), out32.data()};
    double* din[] = {in64.data(), in64.data()};
    double* dout[] = {out64.data(), out64.data()};
    for (int frames : {1, 33, 70000}) {
        std::fill(out32.begin(), out32.end(), 0.0f);
        std::fill(out64.begin(), out64.end(), 0.0);
        test::OnFreshThread([&] {
            const test::TAllocationWatch watch;
            e->processReplacing(e, in, out, frames);
            e->processDoubleReplacing(e, din, dout, frames);
            const long allocations = watch.Allocations();
            EXPECT_EQ(allocations, 0) << frames;
        });
        EXPECT_NEAR(out32[static_cast<std::size_t>(frames - 1)], 0.5f, 1e-6f) << frames;
        EXPECT_NEAR(out64[static_cast<std::size_t>(frames - 1)], 0.5, 1e-6) << frames;
        EXPECT_EQ(out32[static_cast<std::size_t>(frames)], 0.0f) << frames;
    }
}

}  // namespace
}  // namespace tessel
