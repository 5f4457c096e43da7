#include "framework/BasicVSTModule.h"

#include <array>

#include "framework/FourCC.h"
#include "framework/VSTBoundary.h"
#include "framework/VSTError.h"

namespace tessel {

namespace {
constexpr std::int32_t kDefaultUniqueId = PackFourCC("NoEf");
constexpr std::int32_t kIdentifyAnswer = PackFourCC("NvEf");
}  // namespace

TBasicVSTModule::TBasicVSTModule() {
    FEffect.magic = kEffectMagic;
    FEffect.uniqueID = kDefaultUniqueId;
    FEffect.ioRatio = 1.0f;
    FEffect.numInputs = 2;
    FEffect.numOutputs = 2;
    AttachRecord(FEffect, *this);
}

TBasicVSTModule::~TBasicVSTModule() = default;

AEffect* TBasicVSTModule::GetEffectRecord() { return &FEffect; }

void TBasicVSTModule::ConnectHost(audioMasterCallback hostCallback) {
    FHostCallback = hostCallback;
    // The very first request carries no record: the host may not know it yet.
    const auto version = hostCallback ? hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) : 0;
    if (version == 0) throw EVSTError("AudioMaster Error");
}

std::intptr_t TBasicVSTModule::CallHost(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr,
                                        float opt) {
    return FHostCallback ? FHostCallback(&FEffect, opcode, index, value, ptr, opt) : 0;
}

// ---- Host requests ----

std::intptr_t TBasicVSTModule::HostVersion() {
    const auto answer = CallHost(audioMasterVersion);
    return answer == 0 ? 1 : answer;
}
std::int32_t TBasicVSTModule::HostCurrentId() { return static_cast<std::int32_t>(CallHost(audioMasterCurrentId)); }
void TBasicVSTModule::HostIdle() { CallHost(audioMasterIdle); }
// The host answers 0 for "connected".
bool TBasicVSTModule::HostInputConnected(std::int32_t index) {
    return CallHost(audioMasterPinConnected, index, 0) == 0;
}
bool TBasicVSTModule::HostOutputConnected(std::int32_t index) {
    return CallHost(audioMasterPinConnected, index, 1) == 0;
}
std::intptr_t TBasicVSTModule::HostGetTime(std::int32_t filter) { return CallHost(audioMasterGetTime, 0, filter); }
void TBasicVSTModule::HostSetTime(std::int32_t filter, void* timeInfo) {
    CallHost(audioMasterSetTime, 0, filter, timeInfo);
}
std::intptr_t TBasicVSTModule::HostTempoAt(std::int32_t position) { return CallHost(audioMasterTempoAt, 0, position); }
std::int32_t TBasicVSTModule::HostNumAutomatableParameters() {
    return static_cast<std::int32_t>(CallHost(audioMasterGetNumAutomatableParameters));
}
void TBasicVSTModule::AutomateParameter(std::int32_t index, float value) {
    CallHost(audioMasterAutomate, index, 0, nullptr, value);
}
std::int32_t TBasicVSTModule::HostParameterQuantization() {
    return static_cast<std::int32_t>(CallHost(audioMasterGetParameterQuantization));
}
std::int32_t TBasicVSTModule::HostInputLatency() {
    return static_cast<std::int32_t>(CallHost(audioMasterGetInputLatency));
}
std::int32_t TBasicVSTModule::HostOutputLatency() {
    return static_cast<std::int32_t>(CallHost(audioMasterGetOutputLatency));
}
std::intptr_t TBasicVSTModule::HostPreviousPlug() { return CallHost(audioMasterGetPreviousPlug); }
std::intptr_t TBasicVSTModule::HostNextPlug() { return CallHost(audioMasterGetNextPlug); }
std::int32_t TBasicVSTModule::HostWillReplaceOrAccumulate() {
    return static_cast<std::int32_t>(CallHost(audioMasterWillReplaceOrAccumulate));
}
std::int32_t TBasicVSTModule::HostCurrentProcessLevel() {
    return static_cast<std::int32_t>(CallHost(audioMasterGetCurrentProcessLevel));
}
std::int32_t TBasicVSTModule::HostAutomationState() {
    return static_cast<std::int32_t>(CallHost(audioMasterGetAutomationState));
}
bool TBasicVSTModule::HostOfflineRead(void* task, std::uint8_t option, bool readSource) {
    return CallHost(audioMasterOfflineRead, readSource ? 1 : 0, option, task) != 0;
}
bool TBasicVSTModule::HostOfflineWrite(void* task, std::uint8_t option) {
    return CallHost(audioMasterOfflineWrite, 0, option, task) != 0;
}
bool TBasicVSTModule::HostOfflineStart(void* audioFiles, std::int32_t numAudioFiles, std::int32_t numNewAudioFiles) {
    return CallHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, audioFiles) != 0;
}
bool TBasicVSTModule::HostOfflineCurrentPass() { return CallHost(audioMasterOfflineGetCurrentPass) != 0; }
bool TBasicVSTModule::HostOfflineCurrentMetaPass() { return CallHost(audioMasterOfflineGetCurrentMetaPass) != 0; }
void TBasicVSTModule::HostSetOutputSampleRate(float sampleRate) {
    CallHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, sampleRate);
}
bool TBasicVSTModule::HostVendorString(char* buffer) { return CallHost(audioMasterGetVendorString, 0, 0, buffer) != 0; }
bool TBasicVSTModule::HostProductString(char* buffer) {
    return CallHost(audioMasterGetProductString, 0, 0, buffer) != 0;
}
std::int32_t TBasicVSTModule::HostVendorVersion() {
    return static_cast<std::int32_t>(CallHost(audioMasterGetVendorVersion));
}
std::intptr_t TBasicVSTModule::HostVendorSpecific(std::int32_t arg1, std::intptr_t arg2, void* ptr, float opt) {
    return CallHost(audioMasterVendorSpecific, arg1, arg2, ptr, opt);
}
std::int32_t TBasicVSTModule::HostCanDo(const char* text) {
    return static_cast<std::int32_t>(CallHost(audioMasterCanDo, 0, 0, const_cast<char*>(text)));
}
std::int32_t TBasicVSTModule::HostLanguage() { return static_cast<std::int32_t>(CallHost(audioMasterGetLanguage)); }
std::intptr_t TBasicVSTModule::HostOpenWindow(void* window) { return CallHost(audioMasterOpenWindow, 0, 0, window); }
bool TBasicVSTModule::HostCloseWindow(void* window) { return CallHost(audioMasterCloseWindow, 0, 0, window) != 0; }
std::intptr_t TBasicVSTModule::HostDirectory() { return CallHost(audioMasterGetDirectory); }
bool TBasicVSTModule::HostUpdateDisplay() { return CallHost(audioMasterUpdateDisplay) != 0; }
bool TBasicVSTModule::HostIOChanged() { return CallHost(audioMasterIOChanged) != 0; }
bool TBasicVSTModule::HostNeedIdle() { return CallHost(audioMasterNeedIdle) != 0; }
bool TBasicVSTModule::HostSizeWindow(std::int32_t width, std::int32_t height) {
    return CallHost(audioMasterSizeWindow, width, height) != 0;
}
bool TBasicVSTModule::HostBeginEdit(std::int32_t index) { return CallHost(audioMasterBeginEdit, index) != 0; }
bool TBasicVSTModule::HostEndEdit(std::int32_t index) { return CallHost(audioMasterEndEdit, index) != 0; }
bool TBasicVSTModule::HostOpenFileSelector(void* selector) {
    return selector != nullptr && CallHost(audioMasterOpenFileSelector, 0, 0, selector) != 0;
}
double TBasicVSTModule::HostSampleRate() { return static_cast<double>(CallHost(audioMasterGetSampleRate)); }
std::int32_t TBasicVSTModule::HostBlockSize() { return static_cast<std::int32_t>(CallHost(audioMasterGetBlockSize)); }
std::intptr_t TBasicVSTModule::HostInputSpeakerArrangement() { return CallHost(audioMasterGetInputSpeakerArrangement); }
std::intptr_t TBasicVSTModule::HostOutputSpeakerArrangement() {
    return CallHost(audioMasterGetOutputSpeakerArrangement);
}
void TBasicVSTModule::HostWantMidi(std::int32_t filter) { CallHost(audioMasterWantMidi, 0, filter); }
bool TBasicVSTModule::HostProcessEvents(VstEvents* events) {
    return CallHost(audioMasterProcessEvents, 0, 0, events) == 1;
}

// ---- Entry points: the root has nothing to run ----

void TBasicVSTModule::Process(float**, float**, std::int32_t) {}
void TBasicVSTModule::ProcessReplacing(float**, float**, std::int32_t) {}
void TBasicVSTModule::ProcessDoubleReplacing(double**, double**, std::int32_t) {}
float TBasicVSTModule::GetParameter(std::int32_t) { return 0.0f; }
void TBasicVSTModule::SetParameter(std::int32_t, float) {}
void TBasicVSTModule::BeforeDispatch(std::int32_t, std::int32_t, std::intptr_t, void*, float) {}

// ---- Root defaults: every opcode answers 0, effIdentify answers 'NvEf' ----

#define TESSEL_DEFINE_DEFAULT_HANDLER(number, name)                                          \
    std::intptr_t TBasicVSTModule::Handle##name(std::int32_t, std::intptr_t, void*, float) { \
        return number == effIdentify ? kIdentifyAnswer : 0;                                  \
    }
TESSEL_DISPATCHER_OPCODES(TESSEL_DEFINE_DEFAULT_HANDLER)
#undef TESSEL_DEFINE_DEFAULT_HANDLER

namespace {
using THandler = std::intptr_t (TBasicVSTModule::*)(std::int32_t, std::intptr_t, void*, float);
// Indexed by opcode; calling through a member pointer still dispatches virtually.
#define TESSEL_HANDLER_ENTRY(number, name) &TBasicVSTModule::Handle##name,
constexpr std::array<THandler, kDispatcherOpcodeCount> kHandlers = {TESSEL_DISPATCHER_OPCODES(TESSEL_HANDLER_ENTRY)};
#undef TESSEL_HANDLER_ENTRY
}  // namespace

std::intptr_t TBasicVSTModule::RouteOpcode(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr,
                                           float opt) {
    if (opcode < 0 || opcode >= kDispatcherOpcodeCount) throw EVSTError("unknown opcode");
    return (this->*kHandlers[static_cast<std::size_t>(opcode)])(index, value, ptr, opt);
}

}  // namespace tessel
