#include "host/EventBlock.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tessel::host {
namespace {

// The declared block has room for two addresses; hosts always provide at least that.
constexpr size_t kDeclaredAddresses = 2;
// byteSize counts the bytes after type and byteSize.
constexpr int32_t kMidiEventByteSize = static_cast<int32_t>(sizeof(VstMidiEvent) - 2 * sizeof(int32_t));

}  // namespace

void TEventBlock::TFreeAligned::operator()(std::byte* block) const noexcept {
    ::operator delete (block, std::align_val_t{alignof(VstEvents)});
}

TEventBlock::TEventBlock() = default;

void TEventBlock::AddMidi(int32_t deltaFrames, uint8_t status, uint8_t data1, uint8_t data2) {
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = kMidiEventByteSize;
    event.deltaFrames = deltaFrames;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1);
    event.midiData[2] = static_cast<char>(data2);
    events_.push_back(event);
    stale_ = true;
}

void TEventBlock::Clear() {
    events_.clear();
    stale_ = true;
}

VstEvents* TEventBlock::Get() {
    if (stale_) {
        const size_t addresses = std::max(events_.size(), kDeclaredAddresses);
        const size_t bytes = offsetof(VstEvents, events) + addresses * sizeof(VstEvent*);
        auto* raw = static_cast<std::byte*>(::operator new (bytes, std::align_val_t{alignof(VstEvents)}));
        block_.reset(raw);
        std::memset(raw, 0, bytes);
        auto* header = new (raw) VstEvents{};
        header->numEvents = static_cast<int32_t>(events_.size());
        // Addresses beyond the declared two are written through the raw block,
        // not through the fixed-size array member.
        auto* slots = reinterpret_cast<VstEvent**>(raw + offsetof(VstEvents, events));
        for (size_t i = 0; i < events_.size(); ++i) slots[i] = reinterpret_cast<VstEvent*>(&events_[i]);
        stale_ = false;
    }
    return reinterpret_cast<VstEvents*>(block_.get());
}

}  // namespace tessel::host
