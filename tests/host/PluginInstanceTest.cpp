// Driving the fake plug-in: binding, typed calls, process calls and closing.
#include "host/PluginInstance.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "host/EventBlock.h"
#include "tests/host/FakePluginProtocol.h"

namespace tessel::host {
namespace {

using test::TForwardedRequest;

class PluginInstanceTest : public ::testing::Test {
protected:
    std::shared_ptr<TScriptedHost> host = std::make_shared<TScriptedHost>();
};

TEST_F(PluginInstanceTest, CallsDuringTheEntryPointAndAfterItReachTheSameHost) {
    host->SetCurrentId(42);
    TPluginInstance plugin(TESSEL_FAKE_PLUGIN, host);
    EXPECT_EQ(plugin.Record().resvd1, reinterpret_cast<intptr_t>(host.get()));
    plugin.Open();

    const auto calls = host->Calls();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].opcode, audioMasterVersion);
    EXPECT_EQ(calls[0].effect, nullptr);
    EXPECT_EQ(calls[1].opcode, audioMasterGetProductString);
    EXPECT_EQ(calls[2].opcode, audioMasterCanDo);
    EXPECT_EQ(calls[2].text, "shellCategory");
    EXPECT_EQ(calls[3].opcode, audioMasterCurrentId);
    EXPECT_EQ(calls[3].answer, 42);
    EXPECT_EQ(calls[4].opcode, audioMasterGetSampleRate);  // from effOpen, through resvd1
    for (size_t i = 1; i < calls.size(); ++i) EXPECT_EQ(calls[i].effect, plugin.Effect());
}

TEST_F(PluginInstanceTest, TypedCallsPutArgumentsWhereTheInterfaceExpectsThem) {
    TPluginInstance plugin(TESSEL_FAKE_PLUGIN, host);
    host->ClearCalls();
    int marker = 0;
    TForwardedRequest request{audioMasterAutomate, 5, 9, &marker, 0.75f};
    host->SetAnswer(audioMasterAutomate, 33);
    EXPECT_EQ(plugin.VendorSpecific(test::kForwardToHost, 0, &request, 0.0f), 33);
    const auto calls = host->CallsTo(audioMasterAutomate);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].index, 5);
    EXPECT_EQ(calls[0].value, 9);
    EXPECT_EQ(calls[0].ptr, &marker);
    EXPECT_EQ(calls[0].opt, 0.75f);

    intptr_t answer = 0;
    EXPECT_EQ(plugin.GetEffectName(&answer), "Fake");
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(plugin.GetParamName(0), "Gain");
    EXPECT_EQ(plugin.GetParamName(1), "Pan");
    EXPECT_EQ(plugin.CanDo("plugAsSend"), 1);
    EXPECT_EQ(plugin.CanDo("plugAsSendX"), -1);
    EXPECT_EQ(plugin.GetVstVersion(), 0);  // the fake leaves it unanswered
}

TEST_F(PluginInstanceTest, ParametersRoundTripAndPlugInChangesAreRecorded) {
    TPluginInstance plugin(TESSEL_FAKE_PLUGIN, host);
    plugin.SetParameter(1, 0.8f);
    EXPECT_EQ(plugin.GetParameter(1), 0.8f);
    EXPECT_EQ(plugin.GetParameter(0), 0.5f);
    const auto automated = host->CallsTo(audioMasterAutomate);
    ASSERT_EQ(automated.size(), 1u);
    EXPECT_EQ(automated[0].index, 1);
    EXPECT_EQ(automated[0].opt, 0.8f);
}

TEST_F(PluginInstanceTest, PinPropertiesAreReadFromAZeroedRecord) {
    TPluginInstance plugin(TESSEL_FAKE_PLUGIN, host);
    VstPinProperties pin{};
    EXPECT_EQ(plugin.GetInputProperties(0, pin), 1);
    EXPECT_STREQ(pin.label, "Fake In");
    EXPECT_EQ(pin.flags, kVstPinIsActive);
    std::memset(&pin, 'x', sizeof pin);
    EXPECT_EQ(plugin.GetInputProperties(1, pin), 0);
    EXPECT_EQ(pin.label[0], '\0');  // a refused request leaves a clean record, not stale bytes
    EXPECT_EQ(pin.flags, 0);
}

TEST_F(PluginInstanceTest, ChunksAreCopiedBothWays) {
    TPluginInstance plugin(TESSEL_FAKE_PLUGIN, host);
    intptr_t size = 0;
    const std::vector<uint8_t> chunk = plugin.GetChunk(false, &size);
    ASSERT_EQ(size, static_cast<intptr_t>(sizeof test::kFakeChunk));
    EXPECT_EQ(std::string(chunk.begin(), chunk.end() - 1), test::kFakeChunk);
    EXPECT_EQ(plugin.SetChunk(false, {20}), 1);  // gain 2.0

    TAudioBuffers<float> in(2, 64, 0.25f);
    TAudioBuffers<float> out(2, 64);
    plugin.ProcessReplacing(in, out);
    EXPECT_EQ(out.Channel(0)[0], 0.5f);
    EXPECT_EQ(out.Channel(1)[63], 0.5f);
}

TEST_F(PluginInstanceTest, ProcessCallsRefuseBuffersThePlugInWouldOverrun) {
    TPluginInstance plugin(TESSEL_FAKE_PLUGIN, host);
    TAudioBuffers<float> stereo(2, 32);
    TAudioBuffers<float> mono(1, 32);
    EXPECT_THROW(plugin.ProcessReplacing(mono, stereo), std::invalid_argument);
    EXPECT_THROW(plugin.ProcessReplacing(stereo, mono), std::invalid_argument);
    EXPECT_THROW(plugin.ProcessReplacing(stereo, stereo, 33), std::invalid_argument);
    EXPECT_NO_THROW(plugin.ProcessReplacing(stereo, stereo, 32));
    // The fake offers neither an accumulating nor a 64-bit routine.
    EXPECT_THROW(plugin.Process(stereo, stereo), std::logic_error);
    TAudioBuffers<double> wide(2, 32);
    EXPECT_THROW(plugin.ProcessDoubleReplacing(wide, wide), std::logic_error);
}

TEST_F(PluginInstanceTest, EventBlocksCarryEveryEvent) {
    TPluginInstance plugin(TESSEL_FAKE_PLUGIN, host);
    TEventBlock events;
    for (uint8_t note = 60; note < 63; ++note) events.AddMidi(note - 60, 0x90, note, 100);
    EXPECT_EQ(plugin.ProcessEvents(events), 3);  // the fake answers the count it saw
    VstEvents* block = events.Get();
    auto* third = reinterpret_cast<VstMidiEvent*>(
        reinterpret_cast<VstEvent**>(reinterpret_cast<char*>(block) + offsetof(VstEvents, events))[2]);
    EXPECT_EQ(third->type, kVstMidiType);
    EXPECT_EQ(third->byteSize, 24);
    EXPECT_EQ(third->deltaFrames, 2);
    EXPECT_EQ(static_cast<uint8_t>(third->midiData[1]), 62);
}

TEST_F(PluginInstanceTest, NothingReachesAClosedInstance) {
    TPluginInstance plugin(TESSEL_FAKE_PLUGIN, host);
    EXPECT_EQ(plugin.Close(), 1);
    EXPECT_TRUE(plugin.IsClosed());
    EXPECT_THROW(plugin.Dispatch(effGetEffectName), std::logic_error);
    EXPECT_THROW(plugin.GetParameter(0), std::logic_error);
    EXPECT_THROW(plugin.Record(), std::logic_error);
    // The destructor must not close again: the fake frees its record on effClose (ASan would see it).
}

TEST_F(PluginInstanceTest, InstancesKeepTheirLibraryAndShareAHost) {
    auto library = TPluginLibrary::Open(TESSEL_FAKE_PLUGIN);
    auto first = std::make_unique<TPluginInstance>(library, host);
    TPluginInstance second(library, host);
    library.reset();  // only the instances hold it now
    first->SetParameter(0, 0.1f);
    second.SetParameter(0, 0.2f);
    const auto automated = host->CallsTo(audioMasterAutomate);
    ASSERT_EQ(automated.size(), 2u);
    EXPECT_EQ(automated[0].effect, first->Effect());
    EXPECT_EQ(automated[1].effect, second.Effect());
    first.reset();  // closes the first; the library stays for the second
    EXPECT_EQ(second.GetEffectName(), "Fake");
}

}  // namespace
}  // namespace tessel::host
