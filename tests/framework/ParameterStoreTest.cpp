// The parameter store: change handlers, re-entrancy, host automation, the
// host's parameter requests and texts, and descriptions coming and going.

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "framework/DecimalSeparator.h"
#include "host/ScriptedHost.h"
#include "tests/framework/ParameterFixtures.h"

namespace tessel {
namespace {

using Log = std::vector<std::string>;
using test::kFrequency;
using test::kGain;
using test::kType;
using test::kVolume;
using test::TGuardedBuffer;
using test::TParameterModule;
using test::TProgramlessModule;

TModulePtr MakeModule(bool withPrograms) {
    if (withPrograms) return CreateModule<TParameterModule>();
    return CreateModule<TProgramlessModule>();
}

TEST(ParameterStore, LoadedFromTheStoredDescription) {
    auto module = CreateModule<TParameterModule>();
    EXPECT_EQ(module->numParams(), 4);
    EXPECT_EQ(module->Effect().numParams, 4);
    const auto& frequency = module->ParameterProperties()[kFrequency];
    EXPECT_EQ(frequency.DisplayName(), "Filter 1 Frequency");
    EXPECT_EQ(frequency.Curve(), TCurveType::ctLogarithmic);
    EXPECT_EQ(frequency.CurveFactor(), 1000.0f);
    EXPECT_EQ(frequency.CC(), 74);
    EXPECT_TRUE(frequency.Flags().Contains(TVstParameterPropertiesFlag::kVstParameterCanRamp));
    EXPECT_TRUE(frequency.OnParameterChange);
    EXPECT_FALSE(module->ParameterProperties()[kVolume].OnParameterChange);
    module->SetNumParams(99);  // recounts instead
    EXPECT_EQ(module->numParams(), 4);
}

TEST(ParameterStore, HostSetFiresDescriptionThenModuleHandlerOnce) {
    auto module = CreateModule<TParameterModule>();
    module->log.clear();
    module->HostSet(kGain, 0.5f);
    EXPECT_EQ(module->log, (Log{"param 1", "module 1"}));
    EXPECT_EQ(module->ReadParameter(kGain), 0.0f);
    EXPECT_EQ(module->HostGet(kGain), 0.5f);
    EXPECT_TRUE(module->EditorNeedsUpdate());
    module->HostSet(kGain, 0.5f);  // the same value still runs the handlers
    EXPECT_EQ(module->log.size(), 4u);
}

TEST(ParameterStore, HandlerCorrectionIsWhatGetsStored) {
    for (bool withPrograms : {true, false}) {
        TModulePtr module = MakeModule(withPrograms);
        auto& m = static_cast<TParameterModule&>(*module);
        m.onParameter = [](int32_t, float& v) { v = 6.0f; };
        m.StoreParameter(kGain, 12.0f);
        EXPECT_EQ(m.seen, (std::vector<float>{12.0f, 6.0f})) << withPrograms;  // the module's handler sees it
        EXPECT_EQ(m.ReadParameter(kGain), 6.0f) << withPrograms;
        EXPECT_FLOAT_EQ(m.HostGet(kGain), 0.7f) << withPrograms;
    }
}

TEST(ParameterStore, StoreFromInsideAHandlerIsIgnored) {
    auto module = CreateModule<TParameterModule>();
    module->log.clear();
    module->onParameter = [&](int32_t i, float&) {
        if (i == kGain) module->StoreParameter(kType, 5.0f);
    };
    module->StoreParameter(kGain, 3.0f);
    EXPECT_EQ(module->log, (Log{"param 1", "module 1"}));
    EXPECT_EQ(module->ReadParameter(kType), 0.0f);
    EXPECT_FALSE(module->InStoreParameter());
    module->StoreParameter(kType, 5.0f);  // the flag is clear again afterwards
    EXPECT_EQ(module->ReadParameter(kType), 5.0f);
}

TEST(ParameterStore, FlagsClearWhenAHandlerFails) {
    auto module = CreateModule<TParameterModule>();
    module->onModule = [](int32_t, float&) { throw std::runtime_error("handler"); };
    EXPECT_THROW(module->StoreParameter(kGain, 1.0f), std::runtime_error);
    EXPECT_FALSE(module->InStoreParameter());
    module->HostSet(kGain, 1.0f);  // swallowed at the host boundary
    EXPECT_FALSE(module->InHostSetParameter());
    module->onModule = nullptr;
    module->StoreParameter(kGain, 2.0f);
    EXPECT_EQ(module->ReadParameter(kGain), 2.0f);
    EXPECT_THROW(module->StoreParameter(-1, 0.0f), EVSTError);
    EXPECT_THROW(module->StoreParameter(4, 0.0f), EVSTError);
}

class ParameterAutomation : public ::testing::Test {
protected:
    void SetUp() override {
        module = CreateModule<TParameterModule>();
        test::Connect(*module, host);
        host.ClearCalls();
    }
    std::vector<host::TRecordedCall> Automations() const { return host.CallsTo(audioMasterAutomate); }

    host::TScriptedHost host;
    std::unique_ptr<TParameterModule, TModuleDeleter> module;
};

TEST_F(ParameterAutomation, PluginChangeIsStoredThenReportedOnce) {
    module->AutomateParameter(kFrequency, 1000.0f);
    EXPECT_EQ(module->ReadParameter(kFrequency), 1000.0f);
    const auto calls = Automations();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].index, kFrequency);
    EXPECT_FLOAT_EQ(calls[0].opt, 0.5663833f);

    module->onParameter = [](int32_t, float& v) { v = 20.0f; };  // the caller's value is reported
    module->AutomateParameter(kFrequency, 1000.0f);
    EXPECT_FLOAT_EQ(Automations().at(1).opt, 0.5663833f);
    EXPECT_EQ(module->ReadParameter(kFrequency), 20.0f);
}

TEST_F(ParameterAutomation, NothingIsEchoedToTheHost) {
    // A handler reacting to the host's own change, e.g. an editor knob following it.
    module->onParameter = [&](int32_t i, float& v) {
        if (i == kGain) module->AutomateParameter(kGain, v);
    };
    module->HostSet(kGain, 0.75f);
    EXPECT_EQ(module->ReadParameter(kGain), 7.5f);
    EXPECT_TRUE(Automations().empty());
    // Inside a plug-in store the nested write is ignored, so it is not reported either.
    module->StoreParameter(kGain, 1.0f);
    EXPECT_TRUE(Automations().empty());
    // Not automatable: stored, not reported; out of range: nothing at all.
    module->AutomateParameter(kVolume, -6.0f);
    EXPECT_EQ(module->ReadParameter(kVolume), -6.0f);
    module->AutomateParameter(4, 1.0f);
    EXPECT_TRUE(Automations().empty());
    EXPECT_THROW(module->AutomateParameter(-1, 1.0f), EVSTError);
}

TEST(ParameterStore, HostValuesOutsideTheRulesAreIgnored) {
    auto module = CreateModule<TParameterModule>();
    int sizeFailures = 0;
    module->OnParameterSizeFailed = [&](TBasicVSTModule&) { ++sizeFailures; };
    module->StoreParameter(kGain, 3.0f);
    module->log.clear();
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                      -std::numeric_limits<float>::infinity()})
        module->HostSet(kGain, bad);
    module->HostSet(kFrequency, 1e30f);  // maps to an infinite frequency
    EXPECT_TRUE(module->log.empty());
    EXPECT_EQ(module->ReadParameter(kGain), 3.0f);
    EXPECT_EQ(module->ParameterProperties()[kFrequency].SmoothState2(), 0.0f);

    module->HostSet(4, 0.5f);
    module->HostSet(-1, 0.5f);
    EXPECT_EQ(sizeFailures, 2);
    EXPECT_EQ(module->HostGet(4), 0.0f);
    EXPECT_EQ(module->HostGet(-1), 0.0f);
}

TEST(ParameterStore, ChunkModeKeepsNoValues) {
    auto module = CreateModule<TParameterModule>();
    auto flags = module->Flags();
    flags.Include(TEffFlag::effFlagsProgramChunks);
    module->SetFlags(flags);
    module->log.clear();
    module->StoreParameter(kGain, 9.0f);
    EXPECT_EQ(module->log, (Log{"param 1", "module 1"}));
    EXPECT_EQ(module->ReadParameter(kGain), 0.0f);
    module->OnGetChunkParameter = [](TBasicVSTModule&, int32_t i) { return i == kGain ? 0.1f : 0.0f; };
    EXPECT_EQ(module->ReadParameter(kGain), 0.1f);
    TGuardedBuffer display;
    module->Dispatch(effGetParamDisplay, kGain, 0, display.bytes);
    EXPECT_EQ(display.Text(), "0.100000001490116");  // all the digits the module has
}

TEST(ParameterTexts, NamesLabelsAndDisplays) {
    auto module = CreateModule<TParameterModule>();
    TDecimalSeparatorScope point(".");
    module->StoreParameter(kFrequency, 632.158f);
    module->StoreParameter(kType, 3.0f);
    struct TCase {
        int32_t opcode, index;
        const char* text;
    };
    const TCase cases[] = {
        {effGetParamName, kFrequency, "Filter 1 Frequency"}, {effGetParamLabel, kFrequency, "Hz"},
        {effGetParamDisplay, kFrequency, "632.2"},           {effGetParamDisplay, kType, "Peak"},
        {effGetParamLabel, kVolume, "dB (master)"},          {effGetParamDisplay, kGain, "0"},
        {effGetParamName, 4, "undefined"},                   {effGetParamLabel, -1, "undefined"},
        {effGetParamDisplay, 4, "undefined"},
    };
    for (const auto& c : cases) {
        TGuardedBuffer buffer;
        EXPECT_EQ(module->Dispatch(c.opcode, c.index, 0, buffer.bytes), 0);
        EXPECT_EQ(buffer.Text(), c.text) << c.opcode << " " << c.index;
    }
    TDecimalSeparatorScope comma(",");
    TGuardedBuffer buffer;
    module->Dispatch(effGetParamDisplay, kFrequency, 0, buffer.bytes);
    EXPECT_EQ(buffer.Text(), "632,2");
}

TEST(ParameterTexts, CopiesStopAtTheHostBufferSize) {
    auto module = CreateModule<TParameterModule>();
    const std::string longText(60, 'x');
    module->ParameterProperties()[kGain].OnCustomParameterDisplay = [&](TBasicVSTModule&, int32_t, std::string& t) {
        t = longText;
    };
    module->ParameterProperties()[kGain].OnCustomParameterLabel = [&](TBasicVSTModule&, int32_t, std::string& t) {
        t = longText;
    };
    for (int32_t opcode : {effGetParamDisplay, effGetParamLabel}) {
        TGuardedBuffer buffer;
        module->Dispatch(opcode, kGain, 0, buffer.bytes);
        EXPECT_EQ(buffer.Text(), std::string(31, 'x')) << opcode;
        EXPECT_TRUE(buffer.UntouchedFrom(kVstMaxParamStrLen)) << opcode;
    }
    EXPECT_EQ(module->Dispatch(effGetParamName, kGain, 0, nullptr), 0);  // no buffer: nothing written
}

TEST(ParameterRequests, CanBeAutomated) {
    auto module = CreateModule<TParameterModule>();
    EXPECT_EQ(module->Dispatch(effCanBeAutomated, kGain), 1);
    EXPECT_EQ(module->Dispatch(effCanBeAutomated, kVolume), 0);
    EXPECT_EQ(module->Dispatch(effCanBeAutomated, 1000), 1);
    EXPECT_EQ(module->Dispatch(effCanBeAutomated, -1), 1);
}

TEST(ParameterRequests, StringToParameter) {
    auto module = CreateModule<TParameterModule>();
    TDecimalSeparatorScope point(".");
    char text[32] = "1000";
    EXPECT_EQ(module->Dispatch(effString2Parameter, kFrequency, 0, text), 1);
    EXPECT_EQ(module->ReadParameter(kFrequency), 1000.0f);
    for (const char* bad : {"2000 Hz", "1,5", "", "abc", "1e999"}) {
        std::strcpy(text, bad);
        EXPECT_EQ(module->Dispatch(effString2Parameter, kFrequency, 0, text), 0) << bad;
    }
    EXPECT_EQ(module->ReadParameter(kFrequency), 1000.0f);
    EXPECT_EQ(module->Dispatch(effString2Parameter, kFrequency, 0, nullptr), 0);
    std::strcpy(text, " -2.5E1 ");
    EXPECT_EQ(module->Dispatch(effString2Parameter, kVolume, 0, text), 1);
    EXPECT_EQ(module->ReadParameter(kVolume), -25.0f);
    EXPECT_EQ(module->Dispatch(effString2Parameter, 4, 0, text), 1);   // ignored index still answers 1
    EXPECT_EQ(module->Dispatch(effString2Parameter, -1, 0, text), 0);  // the store fails
    TDecimalSeparatorScope comma(",");
    std::strcpy(text, "1,5");
    EXPECT_EQ(module->Dispatch(effString2Parameter, kGain, 0, text), 1);
    EXPECT_EQ(module->ReadParameter(kGain), 1.5f);
}

TEST(ParameterRequests, ParameterPropertiesRecord) {
    auto module = CreateModule<TParameterModule>();
    TGuardedBuffer record;
    EXPECT_EQ(module->Dispatch(effGetParameterProperties, kGain, 0, record.bytes), 0);  // not reported
    EXPECT_TRUE(record.UntouchedFrom(0));
    EXPECT_EQ(module->Dispatch(effGetParameterProperties, 4, 0, record.bytes), 0);
    ASSERT_EQ(module->Dispatch(effGetParameterProperties, kFrequency, 0, record.bytes), 1);

    auto f32 = [&](size_t at) { float v; std::memcpy(&v, record.bytes + at, 4); return v; };
    auto i32 = [&](size_t at) { int32_t v; std::memcpy(&v, record.bytes + at, 4); return v; };
    EXPECT_EQ(f32(0), 100.0f);
    EXPECT_EQ(f32(4), 10.0f);
    EXPECT_EQ(f32(8), 500.0f);
    EXPECT_STREQ(reinterpret_cast<const char*>(record.bytes + 12), "Filter 1 Frequency");
    EXPECT_EQ(i32(76), 0x42);  // UsesIntegerMinMax (bit 1) and CanRamp (bit 6)
    EXPECT_EQ(i32(80), 20);
    EXPECT_EQ(i32(84), 20000);
    EXPECT_EQ(i32(88), 100);
    EXPECT_EQ(i32(92), 500);
    EXPECT_STREQ(reinterpret_cast<const char*>(record.bytes + 96), "Freq1");
    EXPECT_EQ(record.bytes[104], 0);
    EXPECT_EQ(record.bytes[105], 0);
    EXPECT_TRUE(record.UntouchedFrom(106));  // category and reserved bytes stay the host's
    EXPECT_EQ(record.bytes[12 + 19], test::TGuardedBuffer::kGuard);  // label: only name and zero
}

TEST(ParameterStore, EditorOpenReplaysValuesToTheModuleHandler) {
    for (bool withPrograms : {true, false}) {
        TModulePtr module = MakeModule(withPrograms);
        auto& m = static_cast<TParameterModule&>(*module);
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

        m.SetFlags(TEffFlags{});  // no editor flag
        m.log.clear();
        m.Dispatch(effEditOpen);
        EXPECT_TRUE(m.log.empty());
    }
}

TEST(ParameterDescriptions, AddingAndRemovingResizeTheValues) {
    host::TScriptedHost host;
    auto module = CreateModule<TParameterModule>();
    test::Connect(*module, host);
    module->StoreParameter(kType, 1.0f);
    module->StoreParameter(kGain, 2.0f);
    module->StoreParameter(kFrequency, 3000.0f);

    auto& added = module->ParameterProperties().Add();
    EXPECT_EQ(added.DisplayName(), "Parameter 5");
    EXPECT_EQ(module->numParams(), 5);
    for (int32_t p = 0; p < 4; ++p) EXPECT_EQ(module->Programs()[p].ParameterValues().Count(), 5u);

    // Removing a middle description keeps the later parameters' values with them.
    module->ParameterProperties().Delete(kGain);
    EXPECT_EQ(module->numParams(), 4);
    EXPECT_EQ(module->ParameterProperties()[1].DisplayName(), "Filter 1 Frequency");
    EXPECT_EQ(module->ParameterProperties()[1].Index(), 1);
    EXPECT_EQ(module->ReadParameter(1), 3000.0f);
    EXPECT_EQ(module->Programs()[0].ParameterValues().Count(), 4u);
}

TEST(ParameterDescriptions, SomeHostsKeepTheirParameterCount) {
    for (const char* product : {"Cubase VST", ""}) {
        host::TScriptedHost host;
        host.SetProductString(product);
        auto module = CreateModule<TParameterModule>();
        test::Connect(*module, host);
        module->ParameterProperties().Delete(kVolume);
        EXPECT_EQ(module->numParams(), 4) << product;
        EXPECT_EQ(module->ParameterProperties().Count(), 3);
        EXPECT_EQ(module->HostGet(3), 0.0f);  // the count and the collection must both admit it
        TGuardedBuffer name;
        module->Dispatch(effGetParamName, 3, 0, name.bytes);
        EXPECT_EQ(name.Text(), "undefined");
    }
}

}  // namespace
}  // namespace tessel
