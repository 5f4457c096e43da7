#pragma once
// TVSTModuleWithMidi: hands the MIDI events the host delivers to OnProcessMidi
// and sends the plug-in's own queued events to the host after every block.
//
// Threads: effProcessEvents, the queue and the flush run on the host's audio
// thread (effProcessEvents just before the process call of the same block).

#include <cstdint>
#include <functional>

#include "framework/CustomVSTModule.h"
#include "framework/MidiEventQueue.h"

namespace tessel {

using TVstMidiEvent = VstMidiEvent;
// The handler receives a copy of the host's event, valid during the call only.
using TProcessMidiEvent = std::function<void(TBasicVSTModule& sender, TVstMidiEvent& midiEvent)>;

class TVSTModuleWithMidi : public TCustomVSTModule {
public:
    TVSTModuleWithMidi();            // [ui-thread]
    ~TVSTModuleWithMidi() override;  // [ui-thread]

    TProcessMidiEvent OnProcessMidi;

    // One incoming MIDI event; fires OnProcessMidi with a copy. [audio-thread]
    virtual void HandleMidiEvent(const TVstMidiEvent& event);

    // Queues one event for the host, sent after the current process call;
    // false when 256 events already wait in this block. [audio-thread]
    bool MidiOut(const TVstMidiEvent& event) noexcept { return FMidiOutQueue.Append(event); }
    // The same for a three-byte message at deltaFrames samples into the block. [audio-thread]
    bool MidiOut(std::uint8_t status, std::uint8_t data1, std::uint8_t data2, std::int32_t deltaFrames = 0) noexcept;
    const TMidiEventQueue& MidiOutQueue() const noexcept { return FMidiOutQueue; }  // [audio-thread]

    // Each runs the inherited call, then flushes the queue. [audio-thread]
    void Process(float** inputs, float** outputs, std::int32_t sampleFrames) override;
    void ProcessReplacing(float** inputs, float** outputs, std::int32_t sampleFrames) override;
    void ProcessDoubleReplacing(double** inputs, double** outputs, std::int32_t sampleFrames) override;

    std::intptr_t HandleProcessEvents(std::int32_t, std::intptr_t, void* ptr, float) override;      // [audio-thread]
    std::intptr_t HandleGetCurrentMidiProgram(std::int32_t, std::intptr_t, void*, float) override;  // [ui-thread]

    void DefineProperties(TPropertyTable& table, const TMethodTable& methods) override;  // [ui-thread]

private:
    // [audio-thread] Sends waiting events and empties the queue whatever the host answers.
    void FlushMidiOut() noexcept;

    TMidiEventQueue FMidiOutQueue;
};

}  // namespace tessel
