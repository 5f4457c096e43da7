// The parameter store: change handlers, re-entrancy, host automation, the
// host's parameter requests and texts, and descriptions coming and going.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "framework/DecimalSeparator.h"
#include "framework/ParameterQueue.h"
#include "host/ScriptedHost.h"
#include "tests/framework/ParameterFixtures.h"

namespace tessel {
namespace {

using Log = std::vector<std::string>;
using namespace test;

TModulePtr MakeModule(bool withPrograms) {
    if (withPrograms) return CreateModule<TParameterModule>();
    return CreateModule<TProgramlessModule>();
}

class ParameterStore : public ::testing::Test {
protected:
    void SetUp() override {
        module = CreateModule<TParameterModule>();
        Connect(*module, host);
        host.ClearCalls();
        module->log.clear();
    }
    size_t Automations() const { return host.CountOf(audioMasterAutomate); }

    host::TScriptedHost host;
    std::unique_ptr<TParameterModule, TModuleDeleter> module;
};

TEST_F(ParameterStore, HostSetFiresDescriptionThenModuleHandlerOnce) {
    EXPECT_EQ(module->ParameterProperties()[kFrequency].CC(), 74);  // item properties came from the description
    module->HostSet(kGain, 0.5f);
    EXPECT_EQ(module->log, (Log{"param 1", "module 1"}));
    EXPECT_EQ(module->ReadParameter(kGain), 0.0f);
    EXPECT_EQ(module->HostGet(kGain), 0.5f);
    EXPECT_TRUE(module->EditorNeedsUpdate());
    EXPECT_EQ(Automations(), 0u);
}

TEST(ParameterStoreValues, HandlerCorrectionIsWhatGetsStored) {
    for (bool withPrograms : {true, false}) {
        TModulePtr owner = MakeModule(withPrograms);
        auto& m = static_cast<TParameterModule&>(*owner);
        m.onParameter = [](int32_t, float& v) { v = 6.0f; };
        m.StoreParameter(kGain, 12.0f);
        EXPECT_EQ(m.seen, (std::vector<float>{12.0f, 6.0f})) << withPrograms;  // the module's handler sees it
        EXPECT_EQ(m.ReadParameter(kGain), 6.0f) << withPrograms;
        EXPECT_FLOAT_EQ(m.HostGet(kGain), 0.7f) << withPrograms;
    }
}

TEST_F(ParameterStore, StoreFromInsideAHandlerIsIgnoredAndFailuresClearTheGuard) {
    module->onParameter = [&](int32_t i, float&) {
        if (i == kGain) module->StoreParameter(kType, 5.0f);
    };
    module->StoreParameter(kGain, 3.0f);
    EXPECT_EQ(module->log, (Log{"param 1", "module 1"}));
    EXPECT_EQ(module->ReadParameter(kType), 0.0f);

    module->onModule = [](int32_t, float&) { throw std::runtime_error("handler"); };
    EXPECT_THROW(module->StoreParameter(kType, 1.0f), std::runtime_error);
    module->HostSet(kType, 0.5f);  // the failure stops at the host boundary
    EXPECT_FALSE(module->InStoreParameter() || module->InHostSetParameter());
    module->onModule = nullptr;
    module->StoreParameter(kType, 5.0f);
    EXPECT_EQ(module->ReadParameter(kType), 5.0f);
    EXPECT_THROW(module->StoreParameter(4, 0.0f), EVSTError);
}

TEST_F(ParameterStore, PluginChangesAreReportedOnceAndNeverEchoed) {
    module->onParameter = [](int32_t, float& v) { v = 20.0f; };
    module->AutomateParameter(kFrequency, 1000.0f);
    auto calls = host.CallsTo(audioMasterAutomate);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].index, kFrequency);
    EXPECT_FLOAT_EQ(calls[0].opt, 0.5663833f);  // the caller's value, not the handler's correction
    EXPECT_EQ(module->ReadParameter(kFrequency), 20.0f);

    // A handler following the host's own change (an editor knob, say) reports nothing,
    // nor does a nested write inside a plug-in store, which is ignored anyway.
    module->onParameter = [&](int32_t i, float& v) { module->AutomateParameter(i, v); };
    module->HostSet(kGain, 0.75f);
    EXPECT_EQ(module->ReadParameter(kGain), 7.5f);
    module->StoreParameter(kGain, 1.0f);
    module->AutomateParameter(kVolume, -6.0f);  // stored, but cannot be automated
    EXPECT_EQ(module->ReadParameter(kVolume), -6.0f);
    module->AutomateParameter(4, 1.0f);
    // Inside the host's own call but outside any store: stored, not sent back.
    module->OnParameterSizeFailed = [&](TBasicVSTModule&) { module->AutomateParameter(kType, 2.0f); };
    module->HostSet(99, 0.5f);
    EXPECT_EQ(module->ReadParameter(kType), 2.0f);
    EXPECT_EQ(Automations(), 1u);
    EXPECT_THROW(module->AutomateParameter(-1, 1.0f), EVSTError);
}

TEST_F(ParameterStore, HostValuesOutsideTheRulesAreIgnored) {
    int sizeFailures = 0;
    module->OnParameterSizeFailed = [&](TBasicVSTModule&) { ++sizeFailures; };
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
        module->HostSet(kGain, bad);
    module->HostSet(kFrequency, 1e30f);  // would map to an infinite frequency
    EXPECT_TRUE(module->log.empty());
    EXPECT_EQ(module->ParameterProperties()[kFrequency].SmoothState2(), 0.0f);
    module->HostSet(4, 0.5f);
    module->HostSet(-1, 0.5f);
    EXPECT_EQ(sizeFailures, 2);
    EXPECT_EQ(module->HostGet(4), 0.0f);
}

TEST_F(ParameterStore, ChunkModeKeepsNoValues) {
    module->SetFlags(TEffFlags{TEffFlag::effFlagsProgramChunks});
    module->StoreParameter(kGain, 9.0f);
    EXPECT_EQ(module->log, (Log{"param 1", "module 1"}));
    EXPECT_EQ(module->ReadParameter(kGain), 0.0f);
    module->OnGetChunkParameter = [](TBasicVSTModule&, int32_t) { return 0.1f; };
    TGuardedBuffer display;
    module->Dispatch(effGetParamDisplay, kGain, 0, display.bytes);
    EXPECT_EQ(display.Text(), "0.100000001490116");  // every digit the module has
}

TEST_F(ParameterStore, TextsAndTheirBounds) {
    TDecimalSeparatorScope point(".");
    module->StoreParameter(kFrequency, 632.158f);
    module->StoreParameter(kType, 3.0f);
    const std::tuple<int32_t, int32_t, const char*> cases[] = {
        {effGetParamName, kFrequency, "Filter 1 Frequency"},
        {effGetParamLabel, kFrequency, "Hz"},
        {effGetParamDisplay, kFrequency, "632.2"},
        {effGetParamDisplay, kType, "Peak"},
        {effGetParamLabel, kVolume, "dB (master)"},
        {effGetParamName, 4, "undefined"},
        {effGetParamDisplay, -1, "undefined"},
    };
    for (const auto& [opcode, index, text] : cases) {
        TGuardedBuffer buffer;
        EXPECT_EQ(module->Dispatch(opcode, index, 0, buffer.bytes), 0);
        EXPECT_EQ(buffer.Text(), text) << opcode << " " << index;
    }
    TDecimalSeparatorScope comma(",");
    TGuardedBuffer buffer;
    module->Dispatch(effGetParamDisplay, kFrequency, 0, buffer.bytes);
    EXPECT_EQ(buffer.Text(), "632,2");

    auto& gain = module->ParameterProperties()[kGain];
    gain.OnCustomParameterDisplay =
        gain.OnCustomParameterLabel = [](TBasicVSTModule&, int32_t, std::string& t) { t.assign(60, 'x'); };
    for (int32_t opcode : {effGetParamDisplay, effGetParamLabel}) {
        TGuardedBuffer cut;
        module->Dispatch(opcode, kGain, 0, cut.bytes);
        EXPECT_EQ(cut.Text(), std::string(kVstMaxParamStrLen - 1, 'x'));
        EXPECT_TRUE(cut.UntouchedFrom(kVstMaxParamStrLen));
    }
}

// A value outside Min..Max never reaches a change handler, whichever path
// brought it; what is stored is the value at the range's end.
TEST_F(ParameterStore, ValuesAreLimitedToTheRangeByEveryPath) {
    auto expectStored = [&](int32_t index, float value, const char* path) {
        ASSERT_FALSE(module->seen.empty()) << path;
        EXPECT_EQ(module->seen.back(), value) << path;
        EXPECT_EQ(module->ReadParameter(index), value) << path;
        module->seen.clear();
    };
    module->StoreParameter(kGain, 40.0f);
    expectStored(kGain, 15.0f, "store");
    module->AutomateParameter(kGain, -99.0f);
    expectStored(kGain, -15.0f, "automation");
    EXPECT_EQ(host.CallsTo(audioMasterAutomate).back().opt, 0.0f);
    module->HostSet(kFrequency, 1.5f);  // beyond 20 kHz before limiting
    expectStored(kFrequency, 20000.0f, "host set");
    module->StoreParameter(kFrequency, std::numeric_limits<float>::quiet_NaN());
    expectStored(kFrequency, 20.0f, "not a number");

    module->Programs()[2].SetParameter(kType, -4.0f);  // as a module's own code might leave it
    module->Programs()[2].SetParameter(kFrequency, 1e9f);
    module->SetCurrentProgram(2);
    EXPECT_EQ(module->ReadParameter(kType), 0.0f);
    EXPECT_EQ(module->ReadParameter(kFrequency), 20000.0f);
    EXPECT_EQ(module->seen, (std::vector<float>{0.0f, 0.0f, 0.0f, 0.0f, 20000.0f, 20000.0f, 0.0f}));
    module->seen.clear();

    auto flags = module->Flags();
    flags.Include(TEffFlag::effFlagsProgramChunks);  // chunk mode: handlers only, nothing stored
    module->SetFlags(flags);
    module->StoreParameter(kGain, 16.0f);
    EXPECT_EQ(module->seen, (std::vector<float>{15.0f, 15.0f}));
}

TEST_F(ParameterStore, StringToParameterAndCanBeAutomated) {
    TDecimalSeparatorScope point(".");
    char text[32] = "1000";
    EXPECT_EQ(module->Dispatch(effString2Parameter, kFrequency, 0, text), 1);
    EXPECT_EQ(module->ReadParameter(kFrequency), 1000.0f);
    EXPECT_EQ(Automations(), 1u);
    for (const char* bad : {"2000 Hz", "1,5", "1e999"}) {
        std::strcpy(text, bad);
        EXPECT_EQ(module->Dispatch(effString2Parameter, kFrequency, 0, text), 0) << bad;
    }
    EXPECT_EQ(module->ReadParameter(kFrequency), 1000.0f);
    EXPECT_EQ(module->Dispatch(effString2Parameter, kFrequency, 0, nullptr), 0);
    std::strcpy(text, " -2.5E1 ");
    EXPECT_EQ(module->Dispatch(effString2Parameter, kGain, 0, text), 1);
    EXPECT_EQ(module->ReadParameter(kGain), -15.0f);                      // limited to the range
    for (int32_t outside : {4, std::numeric_limits<int32_t>::max(), -1})  // nothing stored there
        EXPECT_EQ(module->Dispatch(effString2Parameter, outside, 0, text), 0) << outside;

    // A parameter with a display of its own reads that display back; the handler
    // gets the plain number (NaN for none) and its answer is stored.
    std::vector<float> offered;
    module->ParameterProperties()[kType].OnCustomParameterParse = [&](TBasicVSTModule&, int32_t, std::string_view typed,
                                                                      float& value) {
        offered.push_back(value);
        if (typed == "Peak") value = 3.0f;
        if (typed == "never") value = std::numeric_limits<float>::quiet_NaN();
    };
    const std::vector<std::pair<const char*, intptr_t>> answers = {{"Peak", 1}, {"5", 1}, {"never", 0}, {"x", 0}};
    for (const auto& [typed, answer] : answers) {
        std::strcpy(text, typed);
        EXPECT_EQ(module->Dispatch(effString2Parameter, kType, 0, text), answer) << typed;
        if (typed == answers[0].first) {
            EXPECT_EQ(module->ReadParameter(kType), 3.0f);
        }
    }
    EXPECT_EQ(module->ReadParameter(kType), 5.0f);
    ASSERT_EQ(offered.size(), 4u);
    EXPECT_TRUE(std::isnan(offered[0]));
    EXPECT_EQ(offered[1], 5.0f);

    EXPECT_EQ(module->Dispatch(effCanBeAutomated, kVolume), 0);
    EXPECT_EQ(module->Dispatch(effCanBeAutomated, kGain), 1);
    EXPECT_EQ(module->Dispatch(effCanBeAutomated, 1000), 1);
}

TEST_F(ParameterStore, ParameterPropertiesRecord) {
    TGuardedBuffer record;
    EXPECT_EQ(module->Dispatch(effGetParameterProperties, kGain, 0, record.bytes), 0);  // not reported
    EXPECT_TRUE(record.UntouchedFrom(0));
    ASSERT_EQ(module->Dispatch(effGetParameterProperties, kFrequency, 0, record.bytes), 1);
    auto word = [&](size_t at) {
        int32_t v;
        std::memcpy(&v, record.bytes + at, 4);
        return v;
    };
    auto real = [&](size_t at) {
        float v;
        std::memcpy(&v, record.bytes + at, 4);
        return v;
    };
    EXPECT_EQ(real(0), 100.0f);
    EXPECT_EQ(real(4), 10.0f);
    EXPECT_EQ(real(8), 500.0f);
    EXPECT_STREQ(reinterpret_cast<const char*>(record.bytes + 12), "Filter 1 Frequency");
    EXPECT_EQ(record.bytes[12 + 19], TGuardedBuffer::kGuard);  // the name and its zero, nothing more
    EXPECT_EQ(word(76), 0x42);                                 // UsesIntegerMinMax (bit 1), CanRamp (bit 6)
    EXPECT_EQ(word(80), 20);
    EXPECT_EQ(word(84), 20000);
    EXPECT_EQ(word(88), 100);
    EXPECT_EQ(word(92), 500);
    EXPECT_STREQ(reinterpret_cast<const char*>(record.bytes + 96), "Freq1");
    EXPECT_EQ(record.bytes[104] | record.bytes[105], 0);  // display index
    EXPECT_TRUE(record.UntouchedFrom(106));               // category and reserved bytes stay the host's
}

TEST(ParameterStoreValues, EditorOpenReplaysValuesToTheModuleHandler) {
    for (bool withPrograms : {true, false}) {
        TModulePtr owner = MakeModule(withPrograms);
        auto& m = static_cast<TParameterModule&>(*owner);
        m.StoreParameter(kGain, 4.0f);
        m.log.clear();
        m.seen.clear();
        m.Dispatch(effEditOpen);
        EXPECT_TRUE(m.log.empty()) << "no editor, no replay";

        m.editorExists = true;
        m.onModule = [&](int32_t i, float& v) {
            if (i == kGain) v = 5.0f;
            m.StoreParameter(kVolume, 1.0f);  // nested: ignored
        };
        m.Dispatch(effEditOpen);
        EXPECT_EQ(m.log, (Log{"module 0", "module 1", "module 2", "module 3"})) << withPrograms;
        EXPECT_EQ(m.seen, (std::vector<float>{0.0f, 4.0f, 0.0f, 0.0f})) << withPrograms;
        EXPECT_EQ(m.ReadParameter(kGain), 5.0f) << withPrograms;
        EXPECT_EQ(m.ReadParameter(kVolume), 0.0f) << withPrograms;
    }
}

TEST_F(ParameterStore, AddingAndRemovingDescriptionsResizeTheValues) {
    module->StoreParameter(kFrequency, 3000.0f);
    EXPECT_EQ(module->ParameterProperties().Add().DisplayName(), "Parameter 5");
    EXPECT_EQ(module->numParams(), 5);
    EXPECT_EQ(module->Programs()[3].ParameterValues().Count(), 5u);
    // Removing a middle description keeps the later parameters' values with them.
    module->ParameterProperties().Delete(kGain);
    EXPECT_EQ(module->numParams(), 4);
    EXPECT_EQ(module->ParameterProperties()[1].Index(), 1);
    EXPECT_EQ(module->ReadParameter(1), 3000.0f);
    EXPECT_EQ(module->Programs()[0].ParameterValues().Count(), 4u);
}

TEST(ParameterDescriptions, SomeHostsKeepTheirParameterCount) {
    for (const char* product : {"Cubase VST", ""}) {
        host::TScriptedHost host;
        host.SetProductString(product);
        auto module = CreateModule<TParameterModule>();
        Connect(*module, host);
        module->ParameterProperties().Delete(kVolume);
        EXPECT_EQ(module->numParams(), 4) << product;
        EXPECT_EQ(module->HostGet(3), 0.0f);  // the count and the collection must both admit an index
        TGuardedBuffer name;
        module->Dispatch(effGetParamName, 3, 0, name.bytes);
        EXPECT_EQ(name.Text(), "undefined");
    }
}

// A drain that found the ring empty takes the merged slots; writes pushed
// meanwhile can fill the ring and merge a newer value into a slot it has yet
// to take (here pushed from inside the drain itself, as another thread would
// between its looks). The older ring values must not follow the newer one.
TEST(ParameterQueue, AWriteNeverTakesItsParameterBackToAnOlderValue) {
    TParameterQueue queue;
    queue.SetParameterCount(2);
    const auto capacity = static_cast<int>(TParameterQueue::kCapacity);
    for (int k = 0; k <= capacity; ++k) queue.Push({.index = 0, .value = static_cast<float>(k)});  // the last merges
    std::vector<float> applied[2];
    bool pushed = false;
    queue.Drain([&](const TQueuedParameter& write) {
        applied[write.index].push_back(write.value);
        if (write.index != 0 || write.value != static_cast<float>(capacity) || pushed) return;
        pushed = true;
        for (int k = 1; k <= capacity + 1; ++k) queue.Push({.index = 1, .value = static_cast<float>(k)});
    });
    queue.Drain([&](const TQueuedParameter& write) { applied[write.index].push_back(write.value); });
    for (const auto& values : applied) {
        ASSERT_FALSE(values.empty());
        EXPECT_EQ(std::adjacent_find(values.begin(), values.end(), std::greater_equal<float>()), values.end());
    }
    EXPECT_EQ(applied[0].back(), static_cast<float>(capacity));
    EXPECT_EQ(applied[1].back(), static_cast<float>(capacity + 1)) << "the newest value must be the one that stays";
    EXPECT_EQ(applied[0].size() + applied[1].size() + queue.MergedWrites(), 2u * (TParameterQueue::kCapacity + 1));
}

}  // namespace
}  // namespace tessel
