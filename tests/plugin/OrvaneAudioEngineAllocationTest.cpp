// The audio path allocates nothing and frees nothing: every process call,
// including one that takes over freshly published bands, runs with the
// global allocation functions watched. Nor does it take a lock, and neither
// does publishing, which the audio thread runs when a host automates from it:
// the test counts every mutex lock in the process.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <mutex>
#include <random>
#include <vector>

#include "tests/plugin/EngineTestSupport.h"
#include "tests/support/AllocationCounting.h"

namespace {
std::atomic<long> gMutexLocks{0};
}  // namespace

// Every mutex lock in this program passes here (std::mutex included).
extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex) {
    using TLock = int (*)(pthread_mutex_t*);
    static const auto next = reinterpret_cast<TLock>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
    gMutexLocks.fetch_add(1, std::memory_order_relaxed);
    return next(mutex);
}

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

TEST(OrvaneAudioEngineLocks, TheCountSeesAMutex) {
    std::mutex mutex;
    const long before = gMutexLocks.load();
    const std::lock_guard lock(mutex);
    EXPECT_GT(gMutexLocks.load(), before);
}

TEST(OrvaneAudioEngineLocks, PublishingAndProcessingTakeNoLock) {
    std::mt19937 random(2);
    TOrvaneAudioEngine engine;
    test::TReferenceEqualiser reference(48000.0);
    reference.SetAll(test::RandomSettings(random));
    const test::TStereo<float> in = test::Noise<float>(256, random);
    test::TStereo<float> out(256);
    const long before = gMutexLocks.load();
    for (int band = 0; band < test::kBands; ++band) engine.PublishBand(band, reference.EngineBand(band));
    engine.PublishBands({reference.EngineBand(0), reference.EngineBand(1), reference.EngineBand(2),
                         reference.EngineBand(3), reference.EngineBand(4), reference.EngineBand(5),
                         reference.EngineBand(6)});
    engine.SetOutputGain(0.25);
    engine.Process(in.In(), out.Out(), 256);
    EXPECT_EQ(gMutexLocks.load() - before, 0);
}

}  // namespace
}  // namespace tessel
