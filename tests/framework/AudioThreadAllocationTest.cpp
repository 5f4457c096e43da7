// The audio paths of the processing modes and the MIDI queue must neither
// allocate nor free: every allocator call made while a process call runs on
// its thread is counted, the thread being one that never called the module.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <vector>

#include "tests/framework/ModuleFixtures.h"
#include "tests/support/AllocationCounting.h"

namespace tessel {
namespace {

using test::TAllocationWatch;
using test::TBareModule;

// A host that answers without allocating: a version, and "yes" to events.
std::atomic<int> gEventBlocksSent{0};
intptr_t QuietHost(AEffect*, int32_t opcode, int32_t, intptr_t, void* ptr, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterProcessEvents && ptr) {
        ++gEventBlocksSent;
        return 1;
    }
    return 0;
}

template <class T>
struct TBuffers {
    TBuffers(int channels, int frames) : samples(std::size_t(channels), std::vector<T>(std::size_t(frames), T(0.5))) {
        for (auto& c : samples) pointers.push_back(c.data());
    }
    T** Get() { return pointers.data(); }
    std::vector<std::vector<T>> samples;
    std::vector<T*> pointers;
};

struct TScaler : TProcessingComponent {
    TScaler() {
        ProcessSingle = [](TSingleBuffers& b) {
            for (std::int32_t c = 0; c < b.channelCount; ++c)
                for (std::int32_t i = 0; i < b.frames; ++i) b.channels[c][i] *= 0.5f;
        };
        ProcessDouble = [](TDoubleBuffers& b) {
            for (std::int32_t c = 0; c < b.channelCount; ++c)
                for (std::int32_t i = 0; i < b.frames; ++i) b.channels[c][i] *= 0.5;
        };
    }
};

void Touch(float* const* in, float* const* out, std::int32_t frames) {
    for (int c = 0; c < 2; ++c)
        for (std::int32_t i = 0; i < frames; ++i) out[c][i] = in[c][i] * 0.25f;
}
void Touch64(double* const* in, double* const* out, std::int32_t frames) {
    for (int c = 0; c < 2; ++c)
        for (std::int32_t i = 0; i < frames; ++i) out[c][i] = in[c][i] * 0.25;
}

// Runs every host audio call a few times with block lengths around and
// beyond the announced block size; returns {allocations, releases}.
std::pair<long, long> CountDuringProcessing(TBareModule& module) {
    TBuffers<float> in(2, 3000), out(4, 3000);
    TBuffers<double> in64(2, 3000), out64(4, 3000);
    AEffect* e = module.GetEffectRecord();
    std::pair<long, long> counts;
    test::OnFreshThread([&] {
        const TAllocationWatch watch(TAllocationWatch::TThreads::Own);
        for (std::int32_t frames : {1, 3, 64, 255, 256, 257, 1000, 3000}) {
            e->process(e, in.Get(), out.Get(), frames);
            e->processReplacing(e, in.Get(), out.Get(), frames);
            e->processDoubleReplacing(e, in64.Get(), out64.Get(), frames);
        }
        counts = {watch.Allocations(), watch.Releases()};
    });
    return counts;
}

std::unique_ptr<TBareModule, TModuleDeleter> Prepared(TProcessingMode mode) {
    auto module = CreateModule<TBareModule>();
    module->ConnectHost(&QuietHost);
    module->SetBlockSize(256);
    module->SetBlockModeSize(100);
    module->SetBlockModeOverlap(30);
    module->SetNumOutputs(4);
    module->SetOnProcessReplacing(Touch);
    module->SetOnProcessDoubleReplacing(Touch64);
    module->ProcessingComponents().Add(std::make_unique<TScaler>());
    module->SetProcessingMode(mode);
    return module;
}

TEST(AudioThreadAllocation, NoModeAllocatesWhileProcessing) {
    using M = TProcessingMode;
    for (M mode : {M::pmNormal, M::pmBlockSave, M::pmCopy, M::pmMute, M::pmDspQueue}) {
        auto module = Prepared(mode);
        const auto [allocations, releases] = CountDuringProcessing(*module);
        EXPECT_EQ(allocations, 0) << "mode " << int(mode);
        EXPECT_EQ(releases, 0) << "mode " << int(mode);
    }
}

TEST(AudioThreadAllocation, TheCountingItselfWorks) {
    static std::unique_ptr<int> kept;  // escapes, so the pair cannot be optimised away
    const TAllocationWatch watch(TAllocationWatch::TThreads::Own);
    kept = std::make_unique<int>(1);
    kept.reset();
    static void* volatile block = nullptr;  // the C allocator's calls count alike
    block = std::malloc(16);
    block = std::realloc(block, 4096);
    std::free(block);
    const long allocations = watch.Allocations(), releases = watch.Releases();
    EXPECT_EQ(allocations, 3);
    EXPECT_EQ(releases, 3);
}

TEST(AudioThreadAllocation, MidiInAndOutAllocateNothing) {
    auto module = Prepared(TProcessingMode::pmBlockSave);
    int received = 0;
    module->OnProcessMidi = [&](TBasicVSTModule&, TVstMidiEvent& e) {
        ++received;
        module->MidiOut(e);  // echo
    };
    module->SetOnProcess([&](float* const*, float* const*, std::int32_t) {
        for (int i = 0; i < 300; ++i) module->MidiOut(0x80, 60, 0, i);  // more than fit
    });

    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.midiData[0] = char(0x90);
    struct {
        std::int32_t numEvents = 2;
        std::intptr_t reserved = 0;
        VstEvent* events[2];
    } block;
    block.events[0] = block.events[1] = reinterpret_cast<VstEvent*>(&note);

    TBuffers<float> in(2, 512), out(4, 512);
    AEffect* e = module->GetEffectRecord();
    gEventBlocksSent = 0;
    test::OnFreshThread([&] {
        const TAllocationWatch watch(TAllocationWatch::TThreads::Own);
        for (int round = 0; round < 4; ++round) {
            e->dispatcher(e, effProcessEvents, 0, 0, &block, 0.0f);
            e->processReplacing(e, in.Get(), out.Get(), 512);
            e->process(e, in.Get(), out.Get(), 512);
        }
        const long allocations = watch.Allocations(), releases = watch.Releases();
        EXPECT_EQ(allocations, 0);
        EXPECT_EQ(releases, 0);
    });
    EXPECT_EQ(received, 8);
    EXPECT_EQ(gEventBlocksSent.load(), 8);  // echoes after each replacing call, notes after each accumulating one
}

}  // namespace
}  // namespace tessel
