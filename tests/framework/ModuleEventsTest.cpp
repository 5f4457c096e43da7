// Host requests that reach module events, the dispatcher's boundary, and the
// accumulating audio call.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/framework/ModuleFixtures.h"

namespace tessel {
namespace {

using test::TBareModule;

using test::Dispatch;

TEST(ModuleEvents, SampleRateAndBlockSizeFireOnChangeOnly) {
    auto module = CreateModule<TBareModule>();
    std::vector<std::string> log;
    module->OnSampleRateChange = [&](TBasicVSTModule&, float hz) { log.push_back("rate " + std::to_string(int(hz))); };
    module->OnBlockSizeChange = [&](TBasicVSTModule&, int32_t n) { log.push_back("block " + std::to_string(n)); };

    EXPECT_EQ(Dispatch(*module, effSetSampleRate, 0, 0, nullptr, 44100.0f), 1);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(Dispatch(*module, effSetSampleRate, 0, 0, nullptr, 48000.0f), 1);
    EXPECT_EQ(Dispatch(*module, effSetBlockSize, 0, 512), 0);
    EXPECT_EQ(Dispatch(*module, effSetBlockSize, 0, 512), 0);
    EXPECT_EQ(Dispatch(*module, effSetBlockSizeAndSampleRate, 0, 256, nullptr, 96000.0f), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"rate 48000", "block 512", "rate 96000", "block 256"}));
}

TEST(ModuleEvents, MainsChangedSuspendsAndResumes) {
    auto module = CreateModule<TBareModule>();
    std::vector<std::string> log;
    module->OnSuspend = [&](TBasicVSTModule&) { log.push_back("suspend"); };
    module->OnResume = [&](TBasicVSTModule&) { log.push_back("resume"); };
    EXPECT_EQ(Dispatch(*module, effMainsChanged, 0, 1), 0);
    EXPECT_EQ(Dispatch(*module, effMainsChanged, 0, 0), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"resume", "suspend"}));
}

TEST(ModuleEvents, VuRoundsHalvesToEven) {
    auto module = CreateModule<TBareModule>();
    EXPECT_EQ(Dispatch(*module, effGetVu), 0);
    float level = 0.5f;
    module->OnGetVU = [&](float& vu) { vu = level; };
    EXPECT_EQ(Dispatch(*module, effGetVu), 16384);  // 16383.5 -> even neighbour
    level = 1.0f;
    EXPECT_EQ(Dispatch(*module, effGetVu), 32767);
}

TEST(ModuleEvents, PassThroughRequestsAnswerWhetherAHandlerRan) {
    auto module = CreateModule<TBareModule>();
    struct TCase {
        int32_t opcode;
        std::function<void()> assign;
    };
    int fired = 0;
    const std::vector<TCase> cases = {
        {effStartProcess, [&] { module->OnStartProcess = [&](TBasicVSTModule&) { ++fired; }; }},
        {effStopProcess, [&] { module->OnStopProcess = [&](TBasicVSTModule&) { ++fired; }; }},
        {effSetBypass, [&] { module->OnSoftBypass = [&](TBasicVSTModule&, bool) { ++fired; }; }},
        {effSetEditKnobMode, [&] { module->OnEditorKnobMode = [&](TBasicVSTModule&, int32_t) { ++fired; }; }},
        {effProcessVarIo, [&] { module->OnProcessVarIO = [&](TBasicVSTModule&, void*) { ++fired; }; }},
        {effOfflinePrepare, [&] { module->OnOfflinePrepare = [&](TBasicVSTModule&, void*, int32_t) { ++fired; }; }},
        {effOfflineRun, [&] { module->OnOfflineRun = [&](TBasicVSTModule&, void*, int32_t) { ++fired; }; }},
        {effOfflineNotify, [&] { module->OnOfflineNotify = [&](TBasicVSTModule&, void*, int32_t, bool) { ++fired; }; }},
        {effSetPanLaw, [&] { module->OnSetPanLaw = [&](TBasicVSTModule&, int32_t&, float&) { ++fired; }; }},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Dispatch(*module, c.opcode), 0) << c.opcode;
        c.assign();
        EXPECT_EQ(Dispatch(*module, c.opcode), 1) << c.opcode;
    }
    EXPECT_EQ(fired, static_cast<int>(cases.size()));
}

TEST(ModuleEvents, ConnectionsAndVendorSpecific) {
    auto module = CreateModule<TBareModule>();
    std::vector<std::pair<int32_t, bool>> inputs;
    EXPECT_EQ(Dispatch(*module, effConnectInput, 0, 1), 1);  // answers 1 even without a handler
    module->OnInConnected = [&](TBasicVSTModule&, int32_t index, bool state) { inputs.emplace_back(index, state); };
    EXPECT_EQ(Dispatch(*module, effConnectInput, 1, 0), 1);
    EXPECT_EQ(inputs, (std::vector<std::pair<int32_t, bool>>{{1, false}}));

    EXPECT_EQ(Dispatch(*module, effVendorSpecific, 1, 2), 0);
    module->OnVendorSpecific = [](TBasicVSTModule&, int32_t a, intptr_t b, void*, float c) {
        return static_cast<int32_t>(a + b + static_cast<int32_t>(c));
    };
    EXPECT_EQ(Dispatch(*module, effVendorSpecific, 1, 2, nullptr, 3.0f), 6);
}

TEST(ModuleEvents, KeysRequiredIsAnsweredInverted) {
    auto module = CreateModule<TBareModule>();
    EXPECT_EQ(Dispatch(*module, effKeysRequired), 1);
    module->SetKeysRequired(true);
    EXPECT_EQ(Dispatch(*module, effKeysRequired), 0);
}

TEST(ModuleEvents, PinPropertiesHandlerMayRewriteTheRecord) {
    auto module = CreateModule<TBareModule>();
    module->OnOutputProperties = [](TBasicVSTModule&, std::string& label, std::string& shortLabel, uint8_t&,
                                    TChannelPropertyFlags& flags) {
        label = std::string(100, 'L');
        shortLabel = "LongerThanEight";
        flags = {TChannelPropertyFlag::cpfUseSpeaker};
        return 0;
    };
    VstPinProperties pin{};
    std::memset(&pin, 0x5A, sizeof pin);
    ASSERT_EQ(Dispatch(*module, effGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_EQ(std::string(pin.label), std::string(63, 'L'));
    EXPECT_EQ(std::string(pin.shortLabel), "LongerT");
    EXPECT_EQ(pin.flags, 4);
    EXPECT_EQ(pin.arrangementType, 0x5A5A5A5A);  // not written
}

TEST(Dispatcher, EveryRequestIsObservedFirstAndFailuresStopAtTheBoundary) {
    class TThrowingModule : public TBareModule {
    public:
        intptr_t HandleIdle(int32_t, intptr_t, void*, float) override { throw std::runtime_error("boom"); }
    };
    auto module = CreateModule<TThrowingModule>();
    std::vector<int32_t> seen;
    module->OnDispatcher = [&](TBasicVSTModule&, int32_t opcode) { seen.push_back(opcode); };
    EXPECT_EQ(Dispatch(*module, effIdle), 0);
    EXPECT_EQ(Dispatch(*module, 80), 0);
    EXPECT_EQ(Dispatch(*module, -1), 0);
    EXPECT_EQ(Dispatch(*module, effIdentify), 0x4E764566);
    EXPECT_EQ(seen, (std::vector<int32_t>{effIdle, 80, -1, effIdentify}));
    // A null record or object is refused, not dereferenced.
    AEffect* effect = module->GetEffectRecord();
    EXPECT_EQ(effect->dispatcher(nullptr, effIdentify, 0, 0, nullptr, 0.0f), 0);
}

TEST(Dispatcher, CloseRunsTheCloseAndDestroyEvents) {
    auto module = CreateModule<TBareModule>().release();
    std::vector<std::string> log;
    module->OnClose = [&](TBasicVSTModule&) { log.push_back("close"); };
    module->OnDestroy = [&](TBasicVSTModule&) { log.push_back("destroy"); };
    EXPECT_EQ(Dispatch(*module, effClose), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"close", "destroy"}));
}

// A module whose only audio routine is the replacing one, copying input to output.
class TReplacingOnlyModule : public test::TBareModule {
public:
    TReplacingOnlyModule() {
        FActiveProcessReplacing = [](float* const* in, float* const* out, int32_t frames) {
            for (int c = 0; c < 2; ++c)
                for (int32_t n = 0; n < frames; ++n) out[c][n] = in[c][n];
        };
    }
};

TEST(AccumulatingCall, AddsTheReplacingRoutinesOutput) {
    auto module = CreateModule<TReplacingOnlyModule>();
    module->SetBlockSize(4);  // host blocks longer than announced still add correctly
    constexpr int kFrames = 11;
    std::vector<float> inL(kFrames, 0.25f), inR(kFrames, 0.0f), outL(kFrames, 0.5f), outR(kFrames, 0.5f);
    for (int n = 0; n < kFrames; ++n) inR[static_cast<size_t>(n)] = static_cast<float>(n);
    float* in[] = {inL.data(), inR.data()};
    float* out[] = {outL.data(), outR.data()};
    AEffect* effect = module->GetEffectRecord();
    effect->process(effect, in, out, kFrames);
    for (int n = 0; n < kFrames; ++n) {
        EXPECT_EQ(outL[static_cast<size_t>(n)], 0.75f);
        EXPECT_EQ(outR[static_cast<size_t>(n)], 0.5f + static_cast<float>(n));
    }
    effect->process(effect, in, out, 0);
    effect->process(effect, in, out, -5);
    EXPECT_EQ(outL[0], 0.75f);
}

}  // namespace
}  // namespace tessel
