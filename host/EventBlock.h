// A VST 2 events block (VstEvents) holding MIDI events, for effProcessEvents.
//
// VstEvents is variable-length: its count is followed by as many event
// addresses as there are events. This class owns the block and the events
// and keeps the addresses valid until it is changed or destroyed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/VSTAbi.h"

namespace tessel::host {

class TEventBlock {
public:
    TEventBlock();
    // Adds a three-byte MIDI message at `deltaFrames` into the next block.
    void AddMidi(int32_t deltaFrames, uint8_t status, uint8_t data1, uint8_t data2);
    void Clear();
    size_t Count() const noexcept { return events_.size(); }
    // The block to hand to the plug-in; rebuilt after each change.
    VstEvents* Get();

private:
    struct TFreeAligned {
        void operator()(std::byte* block) const noexcept;
    };

    std::vector<VstMidiEvent> events_;
    std::unique_ptr<std::byte, TFreeAligned> block_;
    bool stale_ = true;
};

}  // namespace tessel::host
