// The audio path allocates nothing and frees nothing: every process call,
// including one that takes over freshly published bands, runs with the
// global allocation functions watched.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/plugin/EngineTestSupport.h"
#include "tests/support/AllocationCounting.h"

namespace tessel {
namespace {

// The counter itself works: a watched allocation is seen.
std::vector<int>* volatile gSink = nullptr;

TEST(OrvaneAudioEngineAllocation, TheWatchSeesAnAllocation) {
    const test::TAllocationWatch watch;
    gSink = new std::vector<int>(100);
    delete gSink;
    EXPECT_GE(watch.Allocations(), 2);
    EXPECT_GE(watch.Releases(), 2);
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
            const test::TAllocationWatch watch;
            engine.Process(floatIn.In(), floatOut.Out(), 1031);  // takes over the new bands
            engine.Process(doubleIn.In(), doubleOut.Out(), 1031);
            engine.Process(floatIn.In(), floatOut.Out(), 5);
            engine.Process(doubleIn.In(), doubleOut.Out(), 0);
            const long allocations = watch.Allocations(), releases = watch.Releases();
            EXPECT_EQ(allocations, 0);
            EXPECT_EQ(releases, 0);
        }
    }
}

}  // namespace
}  // namespace tessel
