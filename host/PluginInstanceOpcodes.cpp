// The typed dispatcher calls of TPluginInstance, one per opcode.
#include <algorithm>
#include <array>
#include <cstring>

#include "host/EventBlock.h"
#include "host/PluginInstance.h"

namespace tessel::host {
namespace {

// Plug-ins often write more than the historic 8..64 bytes the interface
// allows for a text; a host that gives them only that much gets overrun.
constexpr size_t kTextBufferBytes = 1024;
// Slack behind records the plug-in fills, for the same reason.
constexpr size_t kRecordGuardBytes = 256;

class TTextBuffer {
public:
    TTextBuffer() = default;
    explicit TTextBuffer(std::string_view text) {
        std::memcpy(bytes_.data(), text.data(), std::min(text.size(), bytes_.size() - 1));
    }
    char* Data() noexcept { return bytes_.data(); }
    // Up to the first terminator; never past the buffer even if the plug-in wrote no terminator.
    std::string Read() const { return std::string(bytes_.data(), strnlen(bytes_.data(), bytes_.size())); }

private:
    std::array<char, kTextBufferBytes> bytes_{};
};

template <typename TRecord>
struct TGuarded {
    TRecord record;
    char guard[kRecordGuardBytes];
};

intptr_t Flag(bool on) noexcept { return on ? 1 : 0; }

}  // namespace

std::string TPluginInstance::DispatchForText(int32_t opcode, int32_t index, intptr_t value, intptr_t* answer) {
    TTextBuffer text;
    const intptr_t result = Dispatch(opcode, index, value, text.Data());
    if (answer != nullptr) *answer = result;
    return text.Read();
}

template <typename TRecord>
intptr_t TPluginInstance::DispatchForRecord(int32_t opcode, int32_t index, TRecord& record) {
    TGuarded<TRecord> guarded{};
    guarded.record = record;
    const intptr_t answer = Dispatch(opcode, index, 0, &guarded.record);
    record = guarded.record;
    return answer;
}

intptr_t TPluginInstance::Open() { return Dispatch(effOpen); }
intptr_t TPluginInstance::Close() { return Dispatch(effClose); }
intptr_t TPluginInstance::SetProgram(intptr_t program) { return Dispatch(effSetProgram, 0, program); }
intptr_t TPluginInstance::GetProgram() { return Dispatch(effGetProgram); }

intptr_t TPluginInstance::SetProgramName(std::string_view name) {
    TTextBuffer text(name);
    return Dispatch(effSetProgramName, 0, 0, text.Data());
}

std::string TPluginInstance::GetProgramName(intptr_t* answer) {
    return DispatchForText(effGetProgramName, 0, 0, answer);
}

std::string TPluginInstance::GetParamLabel(int32_t index, intptr_t* answer) {
    return DispatchForText(effGetParamLabel, index, 0, answer);
}

std::string TPluginInstance::GetParamDisplay(int32_t index, intptr_t* answer) {
    return DispatchForText(effGetParamDisplay, index, 0, answer);
}

std::string TPluginInstance::GetParamName(int32_t index, intptr_t* answer) {
    return DispatchForText(effGetParamName, index, 0, answer);
}

intptr_t TPluginInstance::GetVu() { return Dispatch(effGetVu); }
intptr_t TPluginInstance::SetSampleRate(float hz) { return Dispatch(effSetSampleRate, 0, 0, nullptr, hz); }
intptr_t TPluginInstance::SetBlockSize(intptr_t frames) { return Dispatch(effSetBlockSize, 0, frames); }
intptr_t TPluginInstance::MainsChanged(bool on) { return Dispatch(effMainsChanged, 0, Flag(on)); }

intptr_t TPluginInstance::EditGetRect(std::optional<ERect>& rect) {
    ERect* stored = nullptr;
    const intptr_t answer = Dispatch(effEditGetRect, 0, 0, &stored);
    rect = stored ? std::optional<ERect>(*stored) : std::nullopt;
    return answer;
}

intptr_t TPluginInstance::EditOpen(void* parentWindow) { return Dispatch(effEditOpen, 0, 0, parentWindow); }
intptr_t TPluginInstance::EditClose() { return Dispatch(effEditClose); }
intptr_t TPluginInstance::EditDraw(ERect* rect) { return Dispatch(effEditDraw, 0, 0, rect); }
intptr_t TPluginInstance::EditMouse(int32_t x, intptr_t y) { return Dispatch(effEditMouse, x, y); }
intptr_t TPluginInstance::EditKey(intptr_t key) { return Dispatch(effEditKey, 0, key); }
intptr_t TPluginInstance::EditIdle() { return Dispatch(effEditIdle); }
intptr_t TPluginInstance::EditTop() { return Dispatch(effEditTop); }
intptr_t TPluginInstance::EditSleep() { return Dispatch(effEditSleep); }
intptr_t TPluginInstance::Identify() { return Dispatch(effIdentify); }

std::vector<uint8_t> TPluginInstance::GetChunk(bool preset, intptr_t* answer) {
    void* data = nullptr;
    const intptr_t size = Dispatch(effGetChunk, static_cast<int32_t>(Flag(preset)), 0, &data);
    if (answer != nullptr) *answer = size;
    if (data == nullptr || size <= 0 || size > kMaxChunkBytes) return {};
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

intptr_t TPluginInstance::SetChunk(bool preset, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> copy = data;  // plug-ins take the pointer as writable
    return Dispatch(effSetChunk, static_cast<int32_t>(Flag(preset)), static_cast<intptr_t>(copy.size()), copy.data());
}

intptr_t TPluginInstance::ProcessEvents(VstEvents* events) { return Dispatch(effProcessEvents, 0, 0, events); }
intptr_t TPluginInstance::ProcessEvents(TEventBlock& events) { return ProcessEvents(events.Get()); }
intptr_t TPluginInstance::CanBeAutomated(int32_t index) { return Dispatch(effCanBeAutomated, index); }

intptr_t TPluginInstance::String2Parameter(int32_t index, std::string_view text) {
    TTextBuffer buffer(text);
    return Dispatch(effString2Parameter, index, 0, buffer.Data());
}

intptr_t TPluginInstance::GetNumProgramCategories() { return Dispatch(effGetNumProgramCategories); }

std::string TPluginInstance::GetProgramNameIndexed(int32_t program, intptr_t* answer, intptr_t category) {
    return DispatchForText(effGetProgramNameIndexed, program, category, answer);
}

intptr_t TPluginInstance::CopyProgram(int32_t destination) { return Dispatch(effCopyProgram, destination); }
intptr_t TPluginInstance::ConnectInput(int32_t index, bool connected) {
    return Dispatch(effConnectInput, index, Flag(connected));
}
intptr_t TPluginInstance::ConnectOutput(int32_t index, bool connected) {
    return Dispatch(effConnectOutput, index, Flag(connected));
}

intptr_t TPluginInstance::GetInputProperties(int32_t index, VstPinProperties& properties) {
    properties = VstPinProperties{};
    return DispatchForRecord(effGetInputProperties, index, properties);
}

intptr_t TPluginInstance::GetOutputProperties(int32_t index, VstPinProperties& properties) {
    properties = VstPinProperties{};
    return DispatchForRecord(effGetOutputProperties, index, properties);
}

intptr_t TPluginInstance::GetPlugCategory() { return Dispatch(effGetPlugCategory); }
intptr_t TPluginInstance::GetCurrentPosition() { return Dispatch(effGetCurrentPosition); }
intptr_t TPluginInstance::GetDestinationBuffer() { return Dispatch(effGetDestinationBuffer); }

intptr_t TPluginInstance::OfflineNotify(void* audioFiles, intptr_t count, bool start) {
    return Dispatch(effOfflineNotify, static_cast<int32_t>(Flag(start)), count, audioFiles);
}
intptr_t TPluginInstance::OfflinePrepare(void* tasks, intptr_t count) {
    return Dispatch(effOfflinePrepare, 0, count, tasks);
}
intptr_t TPluginInstance::OfflineRun(void* tasks, intptr_t count) { return Dispatch(effOfflineRun, 0, count, tasks); }
intptr_t TPluginInstance::ProcessVarIo(void* varIo) { return Dispatch(effProcessVarIo, 0, 0, varIo); }

intptr_t TPluginInstance::SetSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output) {
    return Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(input), output);
}

intptr_t TPluginInstance::SetBlockSizeAndSampleRate(intptr_t frames, float hz) {
    return Dispatch(effSetBlockSizeAndSampleRate, 0, frames, nullptr, hz);
}

intptr_t TPluginInstance::SetBypass(bool bypass) { return Dispatch(effSetBypass, 0, Flag(bypass)); }

std::string TPluginInstance::GetEffectName(intptr_t* answer) { return DispatchForText(effGetEffectName, 0, 0, answer); }
std::string TPluginInstance::GetErrorText(intptr_t* answer) { return DispatchForText(effGetErrorText, 0, 0, answer); }
std::string TPluginInstance::GetVendorString(intptr_t* answer) {
    return DispatchForText(effGetVendorString, 0, 0, answer);
}
std::string TPluginInstance::GetProductString(intptr_t* answer) {
    return DispatchForText(effGetProductString, 0, 0, answer);
}

intptr_t TPluginInstance::GetVendorVersion() { return Dispatch(effGetVendorVersion); }

intptr_t TPluginInstance::VendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) {
    return Dispatch(effVendorSpecific, index, value, ptr, opt);
}

intptr_t TPluginInstance::CanDo(std::string_view text) {
    TTextBuffer query(text);
    return Dispatch(effCanDo, 0, 0, query.Data());
}

intptr_t TPluginInstance::GetTailSize() { return Dispatch(effGetTailSize); }
intptr_t TPluginInstance::Idle() { return Dispatch(effIdle); }
intptr_t TPluginInstance::GetIcon() { return Dispatch(effGetIcon); }
intptr_t TPluginInstance::SetViewPosition(int32_t x, intptr_t y) { return Dispatch(effSetViewPosition, x, y); }

intptr_t TPluginInstance::GetParameterProperties(int32_t index, VstParameterProperties& properties) {
    properties = VstParameterProperties{};
    return DispatchForRecord(effGetParameterProperties, index, properties);
}

intptr_t TPluginInstance::KeysRequired() { return Dispatch(effKeysRequired); }
intptr_t TPluginInstance::GetVstVersion() { return Dispatch(effGetVstVersion); }

intptr_t TPluginInstance::EditKeyDown(int32_t character, intptr_t virtualKey, float modifiers) {
    return Dispatch(effEditKeyDown, character, virtualKey, nullptr, modifiers);
}
intptr_t TPluginInstance::EditKeyUp(int32_t character, intptr_t virtualKey, float modifiers) {
    return Dispatch(effEditKeyUp, character, virtualKey, nullptr, modifiers);
}

intptr_t TPluginInstance::SetEditKnobMode(intptr_t mode) { return Dispatch(effSetEditKnobMode, 0, mode); }

intptr_t TPluginInstance::GetMidiProgramName(int32_t channel, void* midiProgramName) {
    return Dispatch(effGetMidiProgramName, channel, 0, midiProgramName);
}
intptr_t TPluginInstance::GetCurrentMidiProgram(int32_t channel, void* midiProgramName) {
    return Dispatch(effGetCurrentMidiProgram, channel, 0, midiProgramName);
}
intptr_t TPluginInstance::GetMidiProgramCategory(int32_t channel, void* category) {
    return Dispatch(effGetMidiProgramCategory, channel, 0, category);
}
intptr_t TPluginInstance::HasMidiProgramsChanged(int32_t channel) {
    return Dispatch(effHasMidiProgramsChanged, channel);
}
intptr_t TPluginInstance::GetMidiKeyName(int32_t channel, void* midiKeyName) {
    return Dispatch(effGetMidiKeyName, channel, 0, midiKeyName);
}

intptr_t TPluginInstance::BeginSetProgram() { return Dispatch(effBeginSetProgram); }
intptr_t TPluginInstance::EndSetProgram() { return Dispatch(effEndSetProgram); }

intptr_t TPluginInstance::GetSpeakerArrangement(VstSpeakerArrangement*& input, VstSpeakerArrangement*& output) {
    input = nullptr;
    output = nullptr;
    return Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&input), &output);
}

intptr_t TPluginInstance::ShellGetNextPlugin(std::string& name) {
    TTextBuffer text;
    const intptr_t id = Dispatch(effShellGetNextPlugin, 0, 0, text.Data());
    name = text.Read();
    return id;
}

intptr_t TPluginInstance::StartProcess() { return Dispatch(effStartProcess); }
intptr_t TPluginInstance::StopProcess() { return Dispatch(effStopProcess); }
intptr_t TPluginInstance::SetTotalSampleToProcess(intptr_t frames) {
    return Dispatch(effSetTotalSampleToProcess, 0, frames);
}
intptr_t TPluginInstance::SetPanLaw(intptr_t type, float gain) {
    return Dispatch(effSetPanLaw, 0, type, nullptr, gain);
}

intptr_t TPluginInstance::BeginLoadBank(VstPatchChunkInfo& info) {
    return DispatchForRecord(effBeginLoadBank, 0, info);
}
intptr_t TPluginInstance::BeginLoadProgram(VstPatchChunkInfo& info) {
    return DispatchForRecord(effBeginLoadProgram, 0, info);
}

intptr_t TPluginInstance::SetProcessPrecision(intptr_t precision) {
    return Dispatch(effSetProcessPrecision, 0, precision);
}
intptr_t TPluginInstance::GetNumMidiInputChannels() { return Dispatch(effGetNumMidiInputChannels); }
intptr_t TPluginInstance::GetNumMidiOutputChannels() { return Dispatch(effGetNumMidiOutputChannels); }

}  // namespace tessel::host
