#pragma once
// TMidiEventQueue: the outgoing MIDI events of one audio block, kept in a
// VST 2 events block that can be handed to the host as it is.
//
// All 256 event records exist from construction on and slot i of the block
// always points at record i, so queueing and sending never allocate: the
// audio thread only fills records and moves the count.

#include <array>
#include <cstddef>
#include <cstdint>

#include "framework/VSTAbi.h"

namespace tessel {

class TMidiEventQueue {
public:
    static constexpr std::int32_t kCapacity = 256;  // events per audio block

    TMidiEventQueue() noexcept;                        // [ui-thread]
    TMidiEventQueue(const TMidiEventQueue&) = delete;  // the slots point into this object
    TMidiEventQueue& operator=(const TMidiEventQueue&) = delete;

    // [audio-thread] Copies event into the next record (type and size stay
    // those of a MIDI event); false, and nothing queued, when the block is full.
    bool Append(const VstMidiEvent& event) noexcept;
    std::int32_t Count() const noexcept { return FBlock.numEvents; }  // [audio-thread]
    // [audio-thread] Forgets the queued events; the records stay allocated.
    void Clear() noexcept { FBlock.numEvents = 0; }
    // [audio-thread]
    const VstMidiEvent& Event(std::int32_t index) const noexcept { return FRecords[static_cast<std::size_t>(index)]; }

    // The block in the host's layout, for audioMasterProcessEvents. [audio-thread]
    VstEvents* Block() noexcept;

private:
    // VstEvents with room for every slot; the host reads it through VstEvents.
    struct TEventsBlock {
        std::int32_t numEvents;
        std::intptr_t reserved;
        VstEvent* events[kCapacity];
    };
    static_assert(offsetof(TEventsBlock, reserved) == offsetof(VstEvents, reserved));
    static_assert(offsetof(TEventsBlock, events) == offsetof(VstEvents, events));

    std::array<VstMidiEvent, kCapacity> FRecords{};
    TEventsBlock FBlock{};
};

}  // namespace tessel
