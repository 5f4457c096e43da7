#pragma once
// TProcessingComponent: a unit of audio processing the module's component
// list can hold, run in place of the module's own handlers in pmDspQueue.
//
// The framework defines no kind of component and never creates one; plug-in
// code derives from this class and adds instances to the module's list. The
// list hands a block only to its first component, which runs any further ones
// itself, so chaining is the components' own business.

#include <array>
#include <cstdint>
#include <functional>

namespace tessel {

// A buffer set passed by reference: channel pointers with the channel and frame
// counts beside them. A component works on the samples in place.
template <class T>
struct TBufferSet {
    T* const* channels = nullptr;
    std::int32_t channelCount = 0;
    std::int32_t frames = 0;
};
using TSingleBuffers = TBufferSet<float>;
using TDoubleBuffers = TBufferSet<double>;

// What a component learns of one incoming VST 2 MIDI event.
struct TProcessingMidiEvent {
    std::array<std::uint8_t, 3> midiData{};
    std::int32_t deltaFrames = 0;  // samples into the block
    std::int32_t noteOffset = 0;   // samples
    std::int32_t noteLength = 0;   // samples
    std::int8_t detune = 0;        // cents
    std::uint8_t noteOffVelocity = 0;
};

class TProcessingComponent {
public:
    virtual ~TProcessingComponent() = default;

    // Defaults ignore the change. [ui-thread]
    virtual void SetSampleRate(float /*sampleRateHz*/) {}
    virtual void SetChannels(std::int32_t /*channels*/) {}
    // [audio-thread]
    virtual void ProcessMidiEvent(const TProcessingMidiEvent& /*event*/) {}

    // Bound routines run on the module's temporary buffer set; unassigned
    // ones are skipped. Must not allocate. Called [audio-thread].
    std::function<void(TSingleBuffers& buffers)> ProcessSingle;
    std::function<void(TDoubleBuffers& buffers)> ProcessDouble;
};

}  // namespace tessel
