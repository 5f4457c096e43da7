// The built plug-in seen from a host: exports, entry point, record and the
// dispatcher's boundary behaviour.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/FourCC.h"
#include "host/LoadError.h"
#include "host/PluginInstance.h"
#include "tests/plugin/ExportedSymbols.h"

namespace tessel {
namespace {

using host::TPluginInstance;
using host::TScriptedHost;

std::unique_ptr<TPluginInstance> Load(std::shared_ptr<TScriptedHost> scripted = nullptr) {
    return std::make_unique<TPluginInstance>(TESSEL_PLUGIN_PATH, std::move(scripted));
}

TEST(PluginLibrary, ExportsOnlyTheEntryPointUnderBothNames) {
    const auto names = test::DefinedDynamicSymbols(TESSEL_PLUGIN_PATH);
    EXPECT_EQ(names, (std::set<std::string>{"VSTPluginMain", "main"}));

    void* library = dlopen(TESSEL_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(dlsym(library, "VSTPluginMain"), dlsym(library, "main"));
    dlclose(library);
}

TEST(PluginLibrary, EntryPointRefusesANullCallback) {
    void* library = dlopen(TESSEL_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(nullptr), nullptr);
    dlclose(library);
}

TEST(PluginLibrary, HostThatAnswersZeroToTheVersionGetsNoInstance) {
    auto refusing = std::make_shared<TScriptedHost>();
    refusing->SetVersion(0);
    try {
        Load(refusing);
        FAIL() << "an instance was made";
    } catch (const host::TLoadError& error) {
        EXPECT_EQ(error.Failure(), host::TLoadFailure::EntryReturnedNull);
    }
    // The first request carries no record; nothing else follows a refusal.
    const auto calls = refusing->Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().opcode, audioMasterVersion);
    EXPECT_EQ(calls.front().effect, nullptr);
}

TEST(PluginRecord, HoldsTheEqualisersIdentity) {
    auto plugin = Load();
    const AEffect& r = plugin->Record();
    EXPECT_EQ(r.magic, 0x56737450);
    EXPECT_EQ(r.flags, 0x1019);
    EXPECT_EQ(r.numInputs, 2);
    EXPECT_EQ(r.numOutputs, 2);
    EXPECT_EQ(r.uniqueID, PackFourCC("Tssl"));
    EXPECT_EQ(r.version, 65536);
    EXPECT_EQ(r.initialDelay, 0);
    EXPECT_EQ(r.realQualities, 0);
    EXPECT_EQ(r.offQualities, 0);
    EXPECT_EQ(r.ioRatio, 1.0f);
    EXPECT_NE(r.object, nullptr);
    EXPECT_EQ(r.user, r.object);
    for (auto routine :
         {reinterpret_cast<const void*>(r.dispatcher), reinterpret_cast<const void*>(r.process),
          reinterpret_cast<const void*>(r.processReplacing), reinterpret_cast<const void*>(r.processDoubleReplacing),
          reinterpret_cast<const void*>(r.getParameter), reinterpret_cast<const void*>(r.setParameter)})
        EXPECT_NE(routine, nullptr);
    const char zeros[sizeof r.future] = {};
    EXPECT_EQ(std::memcmp(r.future, zeros, sizeof zeros), 0);
}

TEST(PluginRecord, ConnectingAsksVersionThenProductOnce) {
    auto scripted = std::make_shared<TScriptedHost>();
    auto plugin = Load(scripted);
    const auto calls = scripted->Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0].opcode, audioMasterVersion);
    EXPECT_EQ(scripted->CountOf(audioMasterGetProductString), 1u);  // later asks: the next test
}

// A scan builds and closes many instances: each asks for the host's product
// once, whether or not the host answers.
TEST(PluginRecord, AWholeSessionAsksForTheProductOnce) {
    for (bool answers : {true, false}) {
        auto scripted = std::make_shared<TScriptedHost>();
        if (!answers) scripted->SetAnswer(audioMasterGetProductString, 0);
        auto plugin = Load(scripted);
        plugin->Open();
        plugin->SetProgram(2);
        plugin->Close();
        EXPECT_EQ(scripted->CountOf(audioMasterGetProductString), 1u) << (answers ? "answered" : "unanswered");
    }
}

// Hosts give 24 bytes for a program name: a longer name is cut before a
// character that would not fit whole, never inside it.
TEST(Dispatcher, ProgramNamesAreCutBetweenCharacters) {
    auto plugin = Load();
    const std::string start(21, 'a');
    const std::vector<std::pair<std::string, std::string>> names = {
        {start + "b\xC3\xA9x", start + "b"},          // é would need bytes 23 and 24
        {start + "\xE2\x82\xAC\xE2\x82\xAC", start},  // € would need bytes 22 to 24
        {start + "\xF0\x9F\x8E\x9B", start},          // a 4-byte character
        {start + "\xC3\xA9", start + "\xC3\xA9"},     // 23 bytes fit whole
    };
    for (const auto& [name, cut] : names) {
        plugin->SetProgramName(name);
        EXPECT_EQ(plugin->GetProgramName(), cut);
        EXPECT_EQ(plugin->GetProgramNameIndexed(0), cut);
    }
}

TEST(Dispatcher, UnknownOpcodesAnswerZeroAndChangeNothing) {
    auto plugin = Load();
    const AEffect before = plugin->Record();
    for (int32_t opcode : {80, -1, 256, 0x7FFFFFFF, static_cast<int32_t>(0x80000000)})
        EXPECT_EQ(plugin->Dispatch(opcode, 1, 2, nullptr, 3.0f), 0) << opcode;
    EXPECT_EQ(std::memcmp(&before, &plugin->Record(), sizeof before), 0);
}

TEST(Dispatcher, FixedAnswers) {
    auto plugin = Load();
    EXPECT_EQ(plugin->Identify(), 0x4E764566);
    EXPECT_EQ(plugin->GetVstVersion(), 2400);
    EXPECT_EQ(plugin->Dispatch(effSetTotalSampleToProcess, 0, 4096), 4096);
    EXPECT_EQ(plugin->EditDraw(), 0);
    EXPECT_EQ(plugin->GetPlugCategory(), 1);
    EXPECT_EQ(plugin->GetVendorVersion(), 65536);
    EXPECT_EQ(plugin->GetTailSize(), 0);
    EXPECT_EQ(plugin->KeysRequired(), 1);
    EXPECT_EQ(plugin->Dispatch(effSetProcessPrecision, 0, 0), 1);
    EXPECT_EQ(plugin->Dispatch(effGetSpeakerArrangement), 0);
}

TEST(Dispatcher, NamesAndCapabilities) {
    auto plugin = Load();
    intptr_t answer = 0;
    EXPECT_EQ(plugin->GetEffectName(&answer), "Tessel EQ");
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(plugin->GetVendorString(), "Dravik");
    EXPECT_EQ(plugin->GetProductString(), "Tessel EQ");
    EXPECT_EQ(plugin->CanDo("plugAsChannelInsert"), 1);
    EXPECT_EQ(plugin->CanDo("plugAsSend"), 1);
    EXPECT_EQ(plugin->CanDo("2in2out"), 1);
    EXPECT_EQ(plugin->CanDo("receiveVstMidiEvent"), -1);
    EXPECT_EQ(plugin->CanDo("bypass"), -1);
    EXPECT_EQ(plugin->CanDo("PlugAsSend"), 0);
    EXPECT_EQ(plugin->CanDo(""), 0);
}

TEST(Dispatcher, NullBuffersAreNeverWritten) {
    auto plugin = Load();
    for (int32_t opcode : {effGetEffectName, effGetVendorString, effGetProductString, effGetInputProperties,
                           effGetOutputProperties, effCanDo})
        EXPECT_EQ(plugin->Dispatch(opcode, 0, 0, nullptr), 0) << opcode;
}

TEST(Dispatcher, PinProperties) {
    auto plugin = Load();
    VstPinProperties pin{};
    ASSERT_EQ(plugin->GetInputProperties(0, pin), 1);
    EXPECT_STREQ(pin.label, "Input #1");
    EXPECT_STREQ(pin.shortLabel, "In1");
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    ASSERT_EQ(plugin->GetOutputProperties(1, pin), 1);
    EXPECT_STREQ(pin.label, "Output #2");
    EXPECT_STREQ(pin.shortLabel, "Out2");

    VstPinProperties untouched{};
    std::memset(&untouched, 0x5A, sizeof untouched);
    VstPinProperties probe = untouched;
    EXPECT_EQ(plugin->Dispatch(effGetInputProperties, 2, 0, &probe), 0);
    EXPECT_EQ(plugin->Dispatch(effGetOutputProperties, -1, 0, &probe), 0);
    EXPECT_EQ(std::memcmp(&probe, &untouched, sizeof probe), 0);
}

TEST(Dispatcher, CloseEndsOneInstanceOnly) {
    auto first = Load();
    auto second = Load();
    EXPECT_EQ(first->Close(), 1);
    EXPECT_TRUE(first->IsClosed());
    EXPECT_EQ(second->GetEffectName(), "Tessel EQ");
    EXPECT_EQ(second->Identify(), 0x4E764566);
}

TEST(Dispatcher, ResumeAsksForMidiEveryTime) {
    auto scripted = std::make_shared<TScriptedHost>();
    auto plugin = Load(scripted);
    plugin->MainsChanged(true);
    plugin->MainsChanged(false);
    plugin->MainsChanged(true);
    const auto wantMidi = scripted->CallsTo(audioMasterWantMidi);
    ASSERT_EQ(wantMidi.size(), 2u);
    EXPECT_EQ(wantMidi[0].value, 1);
}

}  // namespace
}  // namespace tessel
