// Processing modes: what the host's three audio calls run, block buffering
// with overlap, the latency the block mode reports, copy, mute and the
// component queue, and host input that must not crash any of them.

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <vector>

#include "host/AudioBuffers.h"
#include "tests/framework/ModuleFixtures.h"

namespace tessel {
namespace {

using host::TAudioBuffers;
using test::TBareModule;

void Replacing(TBasicVSTModule& m, float** in, float** out, std::int32_t frames) {
    AEffect* e = m.GetEffectRecord();
    e->processReplacing(e, in, out, frames);
}
void Accumulating(TBasicVSTModule& m, float** in, float** out, std::int32_t frames) {
    AEffect* e = m.GetEffectRecord();
    e->process(e, in, out, frames);
}
void Double(TBasicVSTModule& m, double** in, double** out, std::int32_t frames) {
    AEffect* e = m.GetEffectRecord();
    e->processDoubleReplacing(e, in, out, frames);
}

// Copies what exists of a possibly incomplete buffer set, as a careful handler would.
template <class T>
void SafeCopy(T* const* in, T* const* out, std::int32_t frames) {
    if (!in || !out || frames <= 0) return;
    for (int c = 0; c < 2; ++c)
        if (in[c] && out[c]) std::copy_n(in[c], frames, out[c]);
}

// out = gain x in on both channels of the module's default stereo layout.
template <class T>
auto Gain(T gain) {
    return [gain](T* const* in, T* const* out, std::int32_t frames) {
        for (int c = 0; c < 2; ++c)
            for (std::int32_t i = 0; i < frames; ++i) out[c][i] = gain * in[c][i];
    };
}

// Feeds 1, 2, 3 ... through the replacing call in pieces of `callFrames`
// and returns channel 0 of the output, one value per input sample.
std::vector<float> FeedRamp(TBasicVSTModule& m, std::int32_t total, std::int32_t callFrames) {
    std::vector<float> result;
    for (std::int32_t start = 0; start < total; start += callFrames) {
        const std::int32_t frames = std::min(callFrames, total - start);
        TAudioBuffers<float> in(2, static_cast<std::size_t>(frames)), out(2, static_cast<std::size_t>(frames), -1.0f);
        for (std::int32_t i = 0; i < frames; ++i) in.Channel(0)[i] = in.Channel(1)[i] = float(start + i + 1);
        Replacing(m, in.Pointers(), out.Pointers(), frames);
        result.insert(result.end(), out.Channel(0).begin(), out.Channel(0).end());
    }
    return result;
}

TEST(NormalMode, ReplacingCallReachesTheHandlerWithTheHostsOwnBuffers) {
    auto module = CreateModule<TBareModule>();
    float* const* seenIn = nullptr;
    float* const* seenOut = nullptr;
    std::int32_t seenFrames = 0;
    module->SetOnProcessReplacing([&](float* const* in, float* const* out, std::int32_t frames) {
        seenIn = in;
        seenOut = out;
        seenFrames = frames;
    });
    TAudioBuffers<float> in(2, 37), out(2, 37);
    Replacing(*module, in.Pointers(), out.Pointers(), 37);
    EXPECT_EQ(seenIn, in.Pointers());
    EXPECT_EQ(seenOut, out.Pointers());
    EXPECT_EQ(seenFrames, 37);
}

TEST(NormalMode, AccumulatingCallWithoutItsOwnHandlerAddsTheReplacingOutput) {
    auto module = CreateModule<TBareModule>();
    module->SetBlockSize(16);  // host blocks longer than announced run in pieces
    module->SetOnProcessReplacing([](float* const*, float* const* out, std::int32_t frames) {
        for (int c = 0; c < 2; ++c) std::fill_n(out[c], frames, 0.5f);
    });
    TAudioBuffers<float> in(2, 40), out(2, 40, 0.25f);
    Accumulating(*module, in.Pointers(), out.Pointers(), 40);
    for (int c = 0; c < 2; ++c)
        for (float v : out.Channel(static_cast<std::size_t>(c))) ASSERT_FLOAT_EQ(v, 0.75f);
}

class BlockMode : public ::testing::Test {
protected:
    void SetUp() override { module->SetProcessingMode(TProcessingMode::pmBlockSave); }
    std::unique_ptr<TBareModule, TModuleDeleter> module = CreateModule<TBareModule>();
};

TEST_F(BlockMode, OutputsArriveOneBlockLate) {
    module->SetBlockModeSize(4);
    module->SetOnProcessReplacing(Gain(2.0f));
    EXPECT_EQ(FeedRamp(*module, 8, 4), (std::vector<float>{0, 0, 0, 0, 2, 4, 6, 8}));
}

TEST_F(BlockMode, OverlapRepeatsThePreviousBlocksTailAndDelaysByTheNewSamples) {
    // Overlap first: a new size restarts the fill position at the overlap,
    // while a new overlap only applies from the next block boundary.
    module->SetBlockModeOverlap(2);
    module->SetBlockModeSize(4);
    EXPECT_EQ(module->BlockPosition(), 2);
    std::vector<std::vector<float>> blocks;
    module->SetOnProcessReplacing([&](float* const* in, float* const* out, std::int32_t frames) {
        blocks.emplace_back(in[0], in[0] + frames);
        Gain(10.0f)(in, out, frames);
    });
    const auto output = FeedRamp(*module, 12, 4);
    ASSERT_EQ(blocks.size(), 6u);  // two new samples per block
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        ASSERT_EQ(blocks[b].size(), 4u);
        EXPECT_EQ(blocks[b][2], float(2 * b + 1));
        if (b > 0) {
            EXPECT_EQ((std::vector<float>{blocks[b][0], blocks[b][1]}),
                      (std::vector<float>{blocks[b - 1][2], blocks[b - 1][3]}));
        }
    }
    // Delay N - O = 2 samples.
    for (std::size_t t = 0; t < output.size(); ++t) EXPECT_EQ(output[t], t < 2 ? 0.0f : 10.0f * float(t - 1)) << t;
}

TEST_F(BlockMode, HandlerRunsOncePerBlockWhateverTheHostCallSize) {
    module->SetBlockModeSize(4);
    int calls = 0;
    module->SetOnProcessReplacing([&](float* const* in, float* const* out, std::int32_t frames) {
        EXPECT_EQ(frames, 4);
        ++calls;
        Gain(2.0f)(in, out, frames);
    });
    const auto output = FeedRamp(*module, 12, 3);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(output, (std::vector<float>{0, 0, 0, 0, 2, 4, 6, 8, 10, 12, 14, 16}));
    EXPECT_EQ(module->BlockPosition(), 0);

    // An empty or negative call changes nothing.
    TAudioBuffers<float> in(2, 1), out(2, 1, 7.0f);
    Replacing(*module, in.Pointers(), out.Pointers(), 0);
    Replacing(*module, in.Pointers(), out.Pointers(), -5);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(out.Channel(0)[0], 7.0f);
}

TEST_F(BlockMode, OverlapMustStayBelowTheBlockSize) {
    module->SetBlockModeSize(4);
    module->SetBlockModeOverlap(4);
    EXPECT_EQ(module->BlockModeOverlap(), 0);
    module->SetBlockModeOverlap(-1);
    EXPECT_EQ(module->BlockModeOverlap(), 0);
    module->SetBlockModeOverlap(3);
    module->SetBlockModeSize(0);  // ignored
    EXPECT_EQ(module->BlockModeSize(), 4);
    EXPECT_EQ(module->BlockPosition(), 3);
    // Shrinking the block under the overlap drops the overlap instead of
    // copying outside the buffers.
    module->SetBlockModeSize(2);
    EXPECT_EQ(module->BlockModeOverlap(), 0);
    module->SetOnProcessReplacing(Gain(1.0f));
    EXPECT_EQ(FeedRamp(*module, 6, 3), (std::vector<float>{0, 0, 1, 2, 3, 4}));
}

TEST(BlockModeLatency, ReportsAtLeastTheBlockDelayAndNeverLowersIt) {
    auto scripted = std::make_shared<host::TScriptedHost>();
    auto module = CreateModule<TBareModule>();
    test::Connect(*module, *scripted);
    scripted->ClearCalls();

    module->SetProcessingMode(TProcessingMode::pmBlockSave);  // N = 1024, O = 0
    EXPECT_EQ(module->InitialDelay(), 1024);
    EXPECT_TRUE(scripted->Received(audioMasterIOChanged));
    module->SetBlockModeOverlap(256);
    EXPECT_EQ(module->InitialDelay(), 1024);
    module->SetInitialDelay(100);
    EXPECT_EQ(module->InitialDelay(), 768);
    module->SetInitialDelay(2000);
    EXPECT_EQ(module->InitialDelay(), 2000);
    module->SetInitialDelay(100);

    // Leaving block mode leaves no block delay to report.
    scripted->ClearCalls();
    module->SetProcessingMode(TProcessingMode::pmNormal);
    EXPECT_EQ(module->InitialDelay(), 100);
    EXPECT_TRUE(scripted->Received(audioMasterIOChanged));
}

TEST(BlockModeLatency, EnergyXtGetsTheDelayButNoIoChange) {
    auto scripted = std::make_shared<host::TScriptedHost>();
    scripted->SetProductString("energyXT");
    auto module = CreateModule<TBareModule>();
    test::Connect(*module, *scripted);
    scripted->ClearCalls();
    module->SetProcessingMode(TProcessingMode::pmBlockSave);
    module->SetInitialDelay(100);
    module->SetBlockModeSize(2048);
    EXPECT_EQ(module->InitialDelay(), 2048);
    EXPECT_FALSE(scripted->Received(audioMasterIOChanged));
}

TEST(MuteMode, WritesZerosOverEveryOutputSample64) {
    auto module = CreateModule<TBareModule>();
    module->SetNumOutputs(3);
    module->SetOnProcessDoubleReplacing(Gain(1.0));  // not called in this mode
    module->SetProcessingMode(TProcessingMode::pmMute);
    TAudioBuffers<double> in(2, 33, 1.0), out(3, 33, 0.5);
    Double(*module, in.Pointers(), out.Pointers(), 32);
    for (std::size_t c = 0; c < 3; ++c) {
        for (std::size_t i = 0; i < 32; ++i) ASSERT_EQ(out.Channel(c)[i], 0.0) << c << ' ' << i;
        EXPECT_EQ(out.Channel(c)[32], 0.5);  // beyond the call's frames
    }
}

TEST(CopyMode, CopiesMatchingChannelsAndLeavesTheRestAlone) {
    auto module = CreateModule<TBareModule>();
    module->SetNumOutputs(4);
    module->SetProcessingMode(TProcessingMode::pmCopy);
    TAudioBuffers<float> in(2, 16), out(4, 16, 9.0f);
    for (std::size_t c = 0; c < 2; ++c) std::iota(in.Channel(c).begin(), in.Channel(c).end(), float(c * 100));
    Accumulating(*module, in.Pointers(), out.Pointers(), 16);
    for (std::size_t c = 0; c < 2; ++c)
        EXPECT_TRUE(std::equal(out.Channel(c).begin(), out.Channel(c).end(), in.Channel(c).begin()));
    for (std::size_t c = 2; c < 4; ++c)
        for (float v : out.Channel(c)) ASSERT_EQ(v, 9.0f);
}

// Triples every sample it is given and remembers what it saw.
struct TTripler : TProcessingComponent {
    TTripler() {
        ProcessSingle = [this](TSingleBuffers& set) {
            pieces.push_back(set.frames);
            channels = set.channelCount;
            for (std::int32_t c = 0; c < set.channelCount; ++c)
                for (std::int32_t i = 0; i < set.frames; ++i) set.channels[c][i] *= 3.0f;
        };
    }
    void SetSampleRate(float hz) override { Log("rate " + std::to_string(id) + " " + std::to_string(int(hz))); }
    void SetChannels(std::int32_t n) override { Log("channels " + std::to_string(id) + " " + std::to_string(n)); }
    void ProcessMidiEvent(const TProcessingMidiEvent& e) override {
        Log("midi " + std::to_string(id) + " " + std::to_string(e.midiData[1]) + " " + std::to_string(e.deltaFrames));
    }
    void Log(std::string line) {
        if (log) log->push_back(std::move(line));
    }
    int id = 0;
    std::vector<std::string>* log = nullptr;
    std::vector<std::int32_t> pieces;
    std::int32_t channels = 0;
};

// The temporary set has a fixed size, whatever block size the host announced.
TEST(QueueMode, FirstComponentWorksOnATemporarySetInPiecesOfFixedSize) {
    auto module = CreateModule<TBareModule>();
    module->SetBlockSize(8);
    module->SetNumOutputs(3);
    std::vector<std::string> log;
    auto* first = static_cast<TTripler*>(module->ProcessingComponents().Add(std::make_unique<TTripler>()));
    auto* second = static_cast<TTripler*>(module->ProcessingComponents().Add(std::make_unique<TTripler>()));
    first->log = second->log = &log;
    module->SetProcessingMode(TProcessingMode::pmDspQueue);

    constexpr std::int32_t kPiece = TBareModule::kScratchFrames;
    constexpr std::int32_t kFrames = 2 * kPiece + 4;
    TAudioBuffers<float> in(2, kFrames, 1.0f), out(3, kFrames, 5.0f);
    Replacing(*module, in.Pointers(), out.Pointers(), kFrames);
    EXPECT_EQ(first->pieces, (std::vector<std::int32_t>{kPiece, kPiece, 4}));
    EXPECT_EQ(first->channels, 3);
    EXPECT_TRUE(second->pieces.empty());  // chaining is the first component's business
    for (float v : out.Channel(0)) ASSERT_EQ(v, 3.0f);
    for (float v : out.Channel(2)) ASSERT_EQ(v, 0.0f);  // no input behind it: silence, tripled
}

TEST(Components, HearOfRateChannelAndMidiChangesLastFirst) {
    auto scripted = std::make_shared<host::TScriptedHost>();
    auto module = CreateModule<TBareModule>();
    test::Connect(*module, *scripted);
    std::vector<std::string> log;
    for (int id : {1, 2}) {
        auto* c = static_cast<TTripler*>(module->ProcessingComponents().Add(std::make_unique<TTripler>()));
        c->id = id;
        c->log = &log;
    }
    module->OnSampleRateChange = [&](TBasicVSTModule&, float) { log.push_back("event"); };
    module->SetSampleRate(48000.0f);
    module->SetNumOutputs(6);
    EXPECT_EQ(log, (std::vector<std::string>{"rate 2 48000", "rate 1 48000", "event", "channels 2 6", "channels 1 6"}));

    log.clear();
    module->OnProcessMidi = [&](TBasicVSTModule&, TVstMidiEvent&) { log.push_back("OnProcessMidi"); };
    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.deltaFrames = 17;
    note.midiData[0] = char(0x90);
    note.midiData[1] = 60;
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&note);
    AEffect* e = module->GetEffectRecord();
    EXPECT_EQ(e->dispatcher(e, effProcessEvents, 0, 0, &events, 0.0f), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"midi 2 60 17", "midi 1 60 17", "OnProcessMidi"}));
}

// Host arrays may be missing or hold null channels; frame counts may be
// zero or negative. None of it may crash or write anywhere.
TEST(HostInput, MissingBuffersAndBadFrameCountsAreHarmlessInEveryMode) {
    using M = TProcessingMode;
    for (M mode : {M::pmNormal, M::pmBlockSave, M::pmCopy, M::pmMute, M::pmDspQueue}) {
        auto module = CreateModule<TBareModule>();
        module->SetBlockSize(8);
        module->SetBlockModeSize(4);
        // The plain mode hands the host's arrays through, so the handlers must cope.
        module->SetOnProcess(SafeCopy<float>);
        module->SetOnProcessReplacing(SafeCopy<float>);
        module->SetOnProcessDoubleReplacing(SafeCopy<double>);
        module->SetProcessingMode(mode);
        TAudioBuffers<float> in(2, 20, 1.0f), out(2, 20, 2.0f);
        float* holes[2] = {nullptr, out.Pointers()[1]};
        float* inHoles[2] = {in.Pointers()[0], nullptr};
        for (std::int32_t frames : {0, -1, -1000, 20}) {
            Replacing(*module, nullptr, nullptr, frames);
            Replacing(*module, inHoles, holes, frames);
            Accumulating(*module, nullptr, holes, frames);
            Double(*module, nullptr, nullptr, frames);
        }
        if (mode == M::pmMute || mode == M::pmCopy) {
            EXPECT_EQ(out.Channel(1)[0], mode == M::pmMute ? 0.0f : 2.0f) << int(mode);
        }
    }
}

// A class whose description chooses the mode and binds its handlers by name.
class TDescribedBlockModule : public TVSTModule {
public:
    std::string_view ClassName() const override { return "TDescribedBlockModule"; }

protected:
    void PublishMethods(TMethodTable& methods) override {
        methods.Publish("DoubleIt", TProcessAudioEvent(Gain(2.0f)));
        methods.Publish("DoubleIt64", TProcessDoubleEvent(Gain(2.0)));
    }
};

const bool kDescribedBlockModuleRegistered = TStoredDescriptions::Register(
    {"TDescribedBlockModule",
     {stored::Ident("ProcessingMode", "pmBlockSave"), stored::Integer("BlockModeSize", 4),
      stored::Integer("BlockModeOverlap", 1), stored::Integer("InitialDelay", 0),
      stored::Method("OnProcessReplacing", "DoubleIt"), stored::Method("OnProcessDoubleReplacing", "DoubleIt64")}});

TEST(StoredDescription, ChoosesTheModeAndBindsTheHandlersByName) {
    ASSERT_TRUE(kDescribedBlockModuleRegistered);
    auto module = CreateModule<TDescribedBlockModule>();
    EXPECT_EQ(module->ProcessingMode(), TProcessingMode::pmBlockSave);
    EXPECT_EQ(module->BlockModeSize(), 4);
    EXPECT_EQ(module->BlockModeOverlap(), 1);
    // The mode came first, with N = 1024: the delay reported then is never lowered
    // by the later size and overlap, only by assigning a new InitialDelay.
    EXPECT_EQ(module->InitialDelay(), 1024);
    EXPECT_TRUE(module->OnProcessReplacing());
    // The overlap came after the size, so the first block is filled from 0;
    // from then on the output is the input doubled and N - O = 3 samples late.
    EXPECT_EQ(FeedRamp(*module, 6, 2), (std::vector<float>{0, 0, 0, 0, 4, 6}));
    EXPECT_EQ(FeedRamp(*module, 3, 3), (std::vector<float>{8, 10, 12}));
    module->SetInitialDelay(1);
    EXPECT_EQ(module->InitialDelay(), 3);
}

}  // namespace
}  // namespace tessel
