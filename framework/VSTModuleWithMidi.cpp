#include "framework/VSTModuleWithMidi.h"

#include "framework/VSTBoundary.h"

namespace tessel {

namespace {
constexpr std::intptr_t kNoMidiProgram = -1;
}  // namespace

TVSTModuleWithMidi::TVSTModuleWithMidi() = default;
TVSTModuleWithMidi::~TVSTModuleWithMidi() = default;

void TVSTModuleWithMidi::HandleMidiEvent(const TVstMidiEvent& event) {
    if (!OnProcessMidi) return;
    TVstMidiEvent copy = event;
    OnProcessMidi(*this, copy);
}

bool TVSTModuleWithMidi::MidiOut(std::uint8_t status, std::uint8_t data1, std::uint8_t data2,
                                 std::int32_t deltaFrames) noexcept {
    TVstMidiEvent event{};
    event.deltaFrames = deltaFrames;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1);
    event.midiData[2] = static_cast<char>(data2);
    return MidiOut(event);
}

// The host's block is variable-length and says nothing about its size but
// its count, so the count is trusted as given; a negative count is no events.
// The walk also ends at the first null address: hosts that reuse a larger
// block with a stale count leave zeroed slots behind the real events.
std::intptr_t TVSTModuleWithMidi::HandleProcessEvents(std::int32_t, std::intptr_t, void* ptr, float) {
    const VstEvents* block = HostEvents(ptr);
    if (!block || !OnProcessMidi) return 1;
    for (std::int32_t i = 0; i < block->numEvents; ++i) {
        const VstEvent* event = HostEventAt(block, i);
        if (!event) break;
        if (const VstMidiEvent* midi = HostMidiEvent(event)) HandleMidiEvent(*midi);
    }
    return 1;
}

std::intptr_t TVSTModuleWithMidi::HandleGetCurrentMidiProgram(std::int32_t, std::intptr_t, void*, float) {
    return kNoMidiProgram;
}

void TVSTModuleWithMidi::Process(float** inputs, float** outputs, std::int32_t sampleFrames) {
    TCustomVSTModule::Process(inputs, outputs, sampleFrames);
    FlushMidiOut();
}

void TVSTModuleWithMidi::ProcessReplacing(float** inputs, float** outputs, std::int32_t sampleFrames) {
    TCustomVSTModule::ProcessReplacing(inputs, outputs, sampleFrames);
    FlushMidiOut();
}

void TVSTModuleWithMidi::ProcessDoubleReplacing(double** inputs, double** outputs, std::int32_t sampleFrames) {
    TCustomVSTModule::ProcessDoubleReplacing(inputs, outputs, sampleFrames);
    FlushMidiOut();
}

void TVSTModuleWithMidi::FlushMidiOut() noexcept {
    if (FMidiOutQueue.Count() <= 0) return;
    try {
        HostProcessEvents(FMidiOutQueue.Block());
    } catch (...) {
        // A failing host must not keep stale events queued for the next block.
    }
    FMidiOutQueue.Clear();
}

void TVSTModuleWithMidi::DefineProperties(TPropertyTable& t, const TMethodTable& m) {
    TCustomVSTModule::DefineProperties(t, m);
    DefineEvent(t, "OnProcessMidi", OnProcessMidi, m);
}

}  // namespace tessel
