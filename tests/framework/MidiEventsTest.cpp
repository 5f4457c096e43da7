// Incoming MIDI events (effProcessEvents) and the outgoing queue that is
// flushed to the host after every audio call.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "host/AudioBuffers.h"
#include "tests/framework/ModuleFixtures.h"

namespace tessel {
namespace {

using host::TAudioBuffers;
using test::TBareModule;

// An events block with room for a few addresses, in the host's layout.
struct TSmallEvents {
    std::int32_t numEvents = 0;
    std::intptr_t reserved = 0;
    VstEvent* events[4] = {};
    VstEvents* Block() { return reinterpret_cast<VstEvents*>(this); }
};

VstMidiEvent Note(std::uint8_t key, std::int32_t deltaFrames) {
    VstMidiEvent e{};
    e.type = kVstMidiType;
    e.byteSize = 24;
    e.deltaFrames = deltaFrames;
    e.midiData[0] = char(0x90);
    e.midiData[1] = char(key);
    e.midiData[2] = 100;
    return e;
}

using test::Dispatch;

class IncomingMidi : public ::testing::Test {
protected:
    void SetUp() override {
        module->OnProcessMidi = [this](TBasicVSTModule&, TVstMidiEvent& e) {
            keys.push_back(static_cast<std::uint8_t>(e.midiData[1]));
            e.midiData[1] = 0;  // the handler's copy, not the host's event
        };
    }
    std::unique_ptr<TBareModule, TModuleDeleter> module = CreateModule<TBareModule>();
    std::vector<std::uint8_t> keys;
};

TEST_F(IncomingMidi, OnlyMidiEventsReachTheHandler) {
    VstMidiEvent note = Note(60, 5);
    VstEvent sysEx{};
    sysEx.type = kVstSysExType;
    TSmallEvents block;
    block.numEvents = 2;
    block.events[0] = &sysEx;
    block.events[1] = reinterpret_cast<VstEvent*>(&note);
    EXPECT_EQ(Dispatch(*module, effProcessEvents, 0, 0, block.Block()), 1);
    EXPECT_EQ(keys, std::vector<std::uint8_t>{60});
    EXPECT_EQ(note.midiData[1], 60);
}

TEST_F(IncomingMidi, MalformedBlocksAreAnsweredWithoutHarm) {
    VstMidiEvent first = Note(61, 0), second = Note(62, 1);
    TSmallEvents block;
    EXPECT_EQ(Dispatch(*module, effProcessEvents), 1);
    EXPECT_EQ(Dispatch(*module, effProcessEvents, 0, 0, block.Block()), 1);  // empty
    block.numEvents = -3;
    block.events[0] = reinterpret_cast<VstEvent*>(&first);
    EXPECT_EQ(Dispatch(*module, effProcessEvents, 0, 0, block.Block()), 1);
    EXPECT_TRUE(keys.empty());
    // An overstated count ends at the first null address.
    block.numEvents = 1'000'000;
    block.events[2] = reinterpret_cast<VstEvent*>(&second);
    EXPECT_EQ(Dispatch(*module, effProcessEvents, 0, 0, block.Block()), 1);
    EXPECT_EQ(keys, std::vector<std::uint8_t>{61});
}

TEST(IncomingMidiWithoutHandler, NoEventIsTouched) {
    auto module = CreateModule<TBareModule>();
    TSmallEvents block;
    block.numEvents = 4;
    for (auto& slot : block.events) slot = reinterpret_cast<VstEvent*>(std::uintptr_t{8});  // unreadable
    EXPECT_EQ(Dispatch(*module, effProcessEvents, 0, 0, block.Block()), 1);
    EXPECT_EQ(Dispatch(*module, effGetCurrentMidiProgram), -1);
}

class OutgoingMidi : public ::testing::Test {
protected:
    void SetUp() override {
        test::Connect(*module, *scripted);
        // Copies what the host receives while the block is valid.
        scripted->SetHandler(audioMasterProcessEvents, [this](const host::THostRequest& r) -> intptr_t {
            const auto* block = static_cast<const VstEvents*>(r.ptr);
            std::vector<VstMidiEvent> events;
            const auto* slots =
                reinterpret_cast<VstEvent* const*>(reinterpret_cast<const char*>(block) + offsetof(VstEvents, events));
            for (std::int32_t i = 0; i < block->numEvents; ++i)
                events.push_back(*reinterpret_cast<const VstMidiEvent*>(slots[i]));
            received.push_back(std::move(events));
            return answer;
        });
    }
    void ProcessAllThree() {
        AEffect* e = module->GetEffectRecord();
        e->process(e, in.Pointers(), out.Pointers(), 16);
        e->processReplacing(e, in.Pointers(), out.Pointers(), 16);
        e->processDoubleReplacing(e, in64.Pointers(), out64.Pointers(), 16);
    }

    std::shared_ptr<host::TScriptedHost> scripted = std::make_shared<host::TScriptedHost>();
    std::unique_ptr<TBareModule, TModuleDeleter> module = CreateModule<TBareModule>();
    std::vector<std::vector<VstMidiEvent>> received;
    intptr_t answer = 1;
    TAudioBuffers<float> in{2, 16}, out{2, 16};
    TAudioBuffers<double> in64{2, 16}, out64{2, 16};
};

TEST_F(OutgoingMidi, AnEmptyQueueSendsNothing) {
    ProcessAllThree();
    EXPECT_FALSE(scripted->Received(audioMasterProcessEvents));
}

TEST_F(OutgoingMidi, EveryAudioCallFlushesAndEmptiesTheQueue) {
    answer = 0;  // a host refusing the events still gets them only once
    module->SetOnProcessReplacing(
        [this](float* const*, float* const*, std::int32_t) { module->MidiOut(0x90, 64, 90, 3); });
    module->SetOnProcessDoubleReplacing([this](double* const*, double* const*, std::int32_t) {
        module->MidiOut(Note(65, 7));
        module->MidiOut(Note(66, 8));
    });
    ProcessAllThree();  // the accumulating call runs the replacing handler
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0].size(), 1u);
    EXPECT_EQ(received[1].size(), 1u);
    ASSERT_EQ(received[2].size(), 2u);
    const VstMidiEvent& sent = received[0][0];
    EXPECT_EQ(sent.type, kVstMidiType);
    EXPECT_EQ(sent.byteSize, 24);
    EXPECT_EQ(sent.deltaFrames, 3);
    EXPECT_EQ(std::uint8_t(sent.midiData[0]), 0x90);
    EXPECT_EQ(sent.midiData[1], 64);
    EXPECT_EQ(received[2][1].midiData[1], 66);
    EXPECT_EQ(module->MidiOutQueue().Count(), 0);
}

TEST_F(OutgoingMidi, AtMost256EventsPerBlock) {
    module->SetOnProcessReplacing([this](float* const*, float* const*, std::int32_t) {
        for (int i = 0; i < 256; ++i) ASSERT_TRUE(module->MidiOut(Note(std::uint8_t(i & 0x7F), i)));
        EXPECT_FALSE(module->MidiOut(Note(1, 300)));
    });
    AEffect* e = module->GetEffectRecord();
    e->processReplacing(e, in.Pointers(), out.Pointers(), 16);
    ASSERT_EQ(received.size(), 1u);
    ASSERT_EQ(received[0].size(), 256u);
    EXPECT_EQ(received[0][255].deltaFrames, 255);
}

}  // namespace
}  // namespace tessel
