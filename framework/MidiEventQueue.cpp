#include "framework/MidiEventQueue.h"

namespace tessel {

namespace {
constexpr std::int32_t kMidiEventByteSize = 24;  // bytes after type and byteSize
}  // namespace

TMidiEventQueue::TMidiEventQueue() noexcept {
    for (std::size_t i = 0; i < FRecords.size(); ++i) {
        FRecords[i].type = kVstMidiType;
        FRecords[i].byteSize = kMidiEventByteSize;
        // A MIDI event record begins with the generic event header.
        FBlock.events[i] = reinterpret_cast<VstEvent*>(&FRecords[i]);
    }
}

bool TMidiEventQueue::Append(const VstMidiEvent& event) noexcept {
    if (FBlock.numEvents >= kCapacity) return false;
    VstMidiEvent& record = FRecords[static_cast<std::size_t>(FBlock.numEvents)];
    record = event;
    record.type = kVstMidiType;
    record.byteSize = kMidiEventByteSize;
    ++FBlock.numEvents;
    return true;
}

VstEvents* TMidiEventQueue::Block() noexcept { return reinterpret_cast<VstEvents*>(&FBlock); }

}  // namespace tessel
