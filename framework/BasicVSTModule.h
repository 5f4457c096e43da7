#pragma once
// TBasicVSTModule: the root of every plug-in module.
//
// It owns the effect record the host sees, keeps the host's callback, wraps
// every request the plug-in may send to the host in one operation each, and
// declares one virtual handler per dispatcher opcode with a neutral answer.
// Classes above it override the handlers of the matters they own.
//
// Threads: handlers run on the thread that calls the dispatcher (normally the
// host's UI thread); the process entry points run on the audio thread; the
// parameter routines on either. Tags: see "Thread contracts" in the README.

#include <cstdint>
#include <functional>

#include "framework/VSTAbi.h"

namespace tessel {

class TBasicVSTModule;

// Module events all receive the module as Sender.
using TNotifyEvent = std::function<void(TBasicVSTModule& sender)>;

class TBasicVSTModule {
public:
    TBasicVSTModule();  // [ui-thread]
    TBasicVSTModule(const TBasicVSTModule&) = delete;
    TBasicVSTModule& operator=(const TBasicVSTModule&) = delete;
    virtual ~TBasicVSTModule();  // [ui-thread]

    virtual AEffect* GetEffectRecord();  // [any-thread]
    // Stores the callback and asks the host for its version; a host answering
    // 0 is refused with "AudioMaster Error". [ui-thread]
    virtual void ConnectHost(audioMasterCallback hostCallback);
    audioMasterCallback HostCallback() const { return FHostCallback; }  // [any-thread]

    // ---- Requests to the host [any-thread] ----
    // Each is sent from the calling thread; which requests a host accepts from
    // which thread is the host's business. Neutral answers while no callback
    // is stored.
    virtual std::intptr_t HostVersion();
    virtual std::int32_t HostCurrentId();
    virtual void HostIdle();
    virtual bool HostInputConnected(std::int32_t index);
    virtual bool HostOutputConnected(std::int32_t index);
    virtual std::intptr_t HostGetTime(std::int32_t filter);  // address of the host's time info, or 0
    virtual void HostSetTime(std::int32_t filter, void* timeInfo);
    virtual std::intptr_t HostTempoAt(std::int32_t position);
    virtual std::int32_t HostNumAutomatableParameters();
    virtual void AutomateParameter(std::int32_t index, float value);  // value as given (root: no mapping)
    virtual std::int32_t HostParameterQuantization();
    virtual std::int32_t HostInputLatency();
    virtual std::int32_t HostOutputLatency();
    virtual std::intptr_t HostPreviousPlug();
    virtual std::intptr_t HostNextPlug();
    virtual std::int32_t HostWillReplaceOrAccumulate();
    virtual std::int32_t HostCurrentProcessLevel();
    virtual std::int32_t HostAutomationState();
    virtual bool HostOfflineRead(void* task, std::uint8_t option, bool readSource);
    virtual bool HostOfflineWrite(void* task, std::uint8_t option);
    virtual bool HostOfflineStart(void* audioFiles, std::int32_t numAudioFiles, std::int32_t numNewAudioFiles);
    virtual bool HostOfflineCurrentPass();
    virtual bool HostOfflineCurrentMetaPass();
    virtual void HostSetOutputSampleRate(float sampleRate);
    virtual bool HostVendorString(char* buffer);   // buffer of kVstMaxVendorStrLen bytes
    virtual bool HostProductString(char* buffer);  // buffer of kVstMaxProductStrLen bytes
    virtual std::int32_t HostVendorVersion();
    virtual std::intptr_t HostVendorSpecific(std::int32_t arg1, std::intptr_t arg2, void* ptr, float opt);
    virtual std::int32_t HostCanDo(const char* text);  // 1 yes, -1 no, 0 unknown
    virtual std::int32_t HostLanguage();
    virtual std::intptr_t HostOpenWindow(void* window);
    virtual bool HostCloseWindow(void* window);
    virtual std::intptr_t HostDirectory();  // address of the host's text
    virtual bool HostUpdateDisplay();
    virtual bool HostIOChanged();
    virtual bool HostNeedIdle();
    virtual bool HostSizeWindow(std::int32_t width, std::int32_t height);
    virtual bool HostBeginEdit(std::int32_t index);
    virtual bool HostEndEdit(std::int32_t index);
    virtual bool HostOpenFileSelector(void* selector);
    virtual double HostSampleRate();       // Hz
    virtual std::int32_t HostBlockSize();  // samples
    virtual std::intptr_t HostInputSpeakerArrangement();
    virtual std::intptr_t HostOutputSpeakerArrangement();
    void HostWantMidi(std::int32_t filter);
    bool HostProcessEvents(VstEvents* events);  // sent after a process call [audio-thread]

    // ---- Entry points behind the record's direct routines ----
    // The channel arrays are the host's, passed on unchanged. [audio-thread]
    virtual void Process(float** inputs, float** outputs, std::int32_t sampleFrames);
    virtual void ProcessReplacing(float** inputs, float** outputs, std::int32_t sampleFrames);
    virtual void ProcessDoubleReplacing(double** inputs, double** outputs, std::int32_t sampleFrames);
    // Normalised 0..1; hosts call these from their audio thread as well as
    // from others, so neither ever waits. [any-thread, lock-free]
    virtual float GetParameter(std::int32_t index);
    virtual void SetParameter(std::int32_t index, float value);

    // Observes every dispatcher request before it is routed. [ui-thread]
    virtual void BeforeDispatch(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr, float opt);

    // ---- Dispatcher handlers [ui-thread] ----
    // HandleProcessEvents is the exception: [audio-thread], just before the
    // process call of the same block.
    // One handler per dispatcher opcode, in opcode order (HandleOpen ... HandleGetNumMidiOutputChannels).
#define TESSEL_DECLARE_HANDLER(number, name) \
    virtual std::intptr_t Handle##name(std::int32_t index, std::intptr_t value, void* ptr, float opt);
    TESSEL_DISPATCHER_OPCODES(TESSEL_DECLARE_HANDLER)
#undef TESSEL_DECLARE_HANDLER

    // Routes an opcode other than effClose to its handler; an opcode outside
    // 0..79 raises "unknown opcode". [ui-thread], HandleProcessEvents as above.
    std::intptr_t RouteOpcode(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr, float opt);

    // Runs before the module is deleted, while every class level is still
    // whole; derived levels extend it (destroy events, releasing handlers). [ui-thread]
    virtual void BeforeDestruction() {}

protected:
    // Sends one request; 0 without a callback. Every wrapper goes through here.
    std::intptr_t CallHost(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0, void* ptr = nullptr,
                           float opt = 0.0f);
    AEffect& Effect() { return FEffect; }
    const AEffect& Effect() const { return FEffect; }

private:
    AEffect FEffect{};
    audioMasterCallback FHostCallback = nullptr;
};

}  // namespace tessel
