// One plug-in instance, driven through its effect record.
//
// Construction calls the library's entry point with TScriptedHost::Callback
// and binds the host to the record; destruction sends effClose (unless Close
// was called) and only then lets go of the library, so the code is never
// unmapped under a live instance.
//
// Every dispatcher opcode has a typed call named after it without "eff".
// Arguments go where the VST 2 interface puts them; answers come back raw
// unless a call says otherwise. Texts are read from generously sized,
// zero-filled buffers (plug-ins overrun the historic 8..64-byte limits) and
// records the plug-in fills are zeroed first and guarded against overruns.
// Text calls take an optional `answer` to receive the dispatcher's answer.
//
// Nothing is filtered: out-of-range indices and odd values reach the plug-in
// as given, so tests can probe its bounds handling. After Close (or effClose
// through Dispatch) every call throws std::logic_error.
//
// Threads: the instance adds no locking; call the dispatcher from one thread
// at a time, as hosts do, and the process calls from the audio thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/VSTAbi.h"
#include "host/AudioBuffers.h"
#include "host/PluginLibrary.h"
#include "host/ScriptedHost.h"

namespace tessel::host {

class TEventBlock;

class TPluginInstance {
public:
    // Throws TLoadError. One host may serve several instances; each
    // recorded call carries the record it came through.
    TPluginInstance(std::shared_ptr<TPluginLibrary> library, std::shared_ptr<TScriptedHost> host);
    // Opens `path` and makes an instance with `host` (a fresh default host when null).
    explicit TPluginInstance(const std::string& path, std::shared_ptr<TScriptedHost> host = nullptr);
    ~TPluginInstance();
    TPluginInstance(const TPluginInstance&) = delete;
    TPluginInstance& operator=(const TPluginInstance&) = delete;

    // ---- The record and what it came from ----
    AEffect* Effect() const noexcept { return effect_; }  // null once closed
    const AEffect& Record() const;
    bool IsClosed() const noexcept { return effect_ == nullptr; }
    TScriptedHost& Host() const noexcept { return *host_; }
    TPluginLibrary& Library() const noexcept { return *library_; }

    // ---- Raw access ----
    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);
    float GetParameter(int32_t index);              // normalised 0..1
    void SetParameter(int32_t index, float value);  // normalised 0..1

    // ---- Process calls [audio-thread] ----
    // Raw forms pass the arrays unchanged; the buffer forms check that the
    // buffers have at least numInputs / numOutputs channels and `frames`
    // samples (all of them when frames < 0) and throw std::invalid_argument
    // otherwise. A routine the record leaves null throws std::logic_error.
    void Process(float** inputs, float** outputs, int32_t frames);
    void ProcessReplacing(float** inputs, float** outputs, int32_t frames);
    void ProcessDoubleReplacing(double** inputs, double** outputs, int32_t frames);
    void Process(TAudioBuffers<float>& inputs, TAudioBuffers<float>& outputs, int32_t frames = -1);
    void ProcessReplacing(TAudioBuffers<float>& inputs, TAudioBuffers<float>& outputs, int32_t frames = -1);
    void ProcessDoubleReplacing(TAudioBuffers<double>& inputs, TAudioBuffers<double>& outputs, int32_t frames = -1);

    // ---- Typed dispatcher calls, in opcode order ----
    intptr_t Open();                                                         // 0
    intptr_t Close();                                                        // 1; ends the instance
    intptr_t SetProgram(intptr_t program);                                   // 2
    intptr_t GetProgram();                                                   // 3
    intptr_t SetProgramName(std::string_view name);                          // 4
    std::string GetProgramName(intptr_t* answer = nullptr);                  // 5
    std::string GetParamLabel(int32_t index, intptr_t* answer = nullptr);    // 6
    std::string GetParamDisplay(int32_t index, intptr_t* answer = nullptr);  // 7
    std::string GetParamName(int32_t index, intptr_t* answer = nullptr);     // 8
    intptr_t GetVu();                                                        // 9: level x 32767
    intptr_t SetSampleRate(float hz);                                        // 10
    intptr_t SetBlockSize(intptr_t frames);                                  // 11
    intptr_t MainsChanged(bool on);                                          // 12
    // 13: `rect` gets a copy when the plug-in stored a rectangle address.
    intptr_t EditGetRect(std::optional<ERect>& rect);
    intptr_t EditOpen(void* parentWindow);      // 14
    intptr_t EditClose();                       // 15
    intptr_t EditDraw(ERect* rect = nullptr);   // 16
    intptr_t EditMouse(int32_t x, intptr_t y);  // 17
    intptr_t EditKey(intptr_t key);             // 18
    intptr_t EditIdle();                        // 19
    intptr_t EditTop();                         // 20
    intptr_t EditSleep();                       // 21
    intptr_t Identify();                        // 22
    // 23: a copy of the chunk (at most kMaxChunkBytes); empty when none.
    std::vector<uint8_t> GetChunk(bool preset, intptr_t* answer = nullptr);
    intptr_t SetChunk(bool preset, const std::vector<uint8_t>& data);  // 24; the plug-in gets a private copy
    intptr_t ProcessEvents(VstEvents* events);                         // 25
    intptr_t ProcessEvents(TEventBlock& events);
    intptr_t CanBeAutomated(int32_t index);                           // 26
    intptr_t String2Parameter(int32_t index, std::string_view text);  // 27
    intptr_t GetNumProgramCategories();                               // 28
    std::string GetProgramNameIndexed(int32_t program, intptr_t* answer = nullptr,
                                      intptr_t category = -1);                                    // 29
    intptr_t CopyProgram(int32_t destination);                                                    // 30
    intptr_t ConnectInput(int32_t index, bool connected);                                         // 31
    intptr_t ConnectOutput(int32_t index, bool connected);                                        // 32
    intptr_t GetInputProperties(int32_t index, VstPinProperties& properties);                     // 33
    intptr_t GetOutputProperties(int32_t index, VstPinProperties& properties);                    // 34
    intptr_t GetPlugCategory();                                                                   // 35
    intptr_t GetCurrentPosition();                                                                // 36
    intptr_t GetDestinationBuffer();                                                              // 37
    intptr_t OfflineNotify(void* audioFiles, intptr_t count, bool start);                         // 38
    intptr_t OfflinePrepare(void* tasks, intptr_t count);                                         // 39
    intptr_t OfflineRun(void* tasks, intptr_t count);                                             // 40
    intptr_t ProcessVarIo(void* varIo);                                                           // 41
    intptr_t SetSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output);  // 42
    intptr_t SetBlockSizeAndSampleRate(intptr_t frames, float hz);                                // 43
    intptr_t SetBypass(bool bypass);                                                              // 44
    std::string GetEffectName(intptr_t* answer = nullptr);                                        // 45
    std::string GetErrorText(intptr_t* answer = nullptr);                                         // 46
    std::string GetVendorString(intptr_t* answer = nullptr);                                      // 47
    std::string GetProductString(intptr_t* answer = nullptr);                                     // 48
    intptr_t GetVendorVersion();                                                                  // 49
    intptr_t VendorSpecific(int32_t index, intptr_t value, void* ptr, float opt);                 // 50
    intptr_t CanDo(std::string_view text);            // 51: 1 yes, -1 no, 0 don't know
    intptr_t GetTailSize();                           // 52
    intptr_t Idle();                                  // 53
    intptr_t GetIcon();                               // 54
    intptr_t SetViewPosition(int32_t x, intptr_t y);  // 55
    intptr_t GetParameterProperties(int32_t index, VstParameterProperties& properties);  // 56
    intptr_t KeysRequired();                                                             // 57
    intptr_t GetVstVersion();                                                            // 58
    intptr_t EditKeyDown(int32_t character, intptr_t virtualKey, float modifiers);       // 59
    intptr_t EditKeyUp(int32_t character, intptr_t virtualKey, float modifiers);         // 60
    intptr_t SetEditKnobMode(intptr_t mode);                                             // 61
    // 62..66: the MIDI program records are not declared in our ABI; pass them raw.
    intptr_t GetMidiProgramName(int32_t channel, void* midiProgramName);                            // 62
    intptr_t GetCurrentMidiProgram(int32_t channel, void* midiProgramName);                         // 63
    intptr_t GetMidiProgramCategory(int32_t channel, void* category);                               // 64
    intptr_t HasMidiProgramsChanged(int32_t channel);                                               // 65
    intptr_t GetMidiKeyName(int32_t channel, void* midiKeyName);                                    // 66
    intptr_t BeginSetProgram();                                                                     // 67
    intptr_t EndSetProgram();                                                                       // 68
    intptr_t GetSpeakerArrangement(VstSpeakerArrangement*& input, VstSpeakerArrangement*& output);  // 69
    // 70: the answer is the next sub-plug-in's unique ID (0 at the end).
    intptr_t ShellGetNextPlugin(std::string& name);
    intptr_t StartProcess();                             // 71
    intptr_t StopProcess();                              // 72
    intptr_t SetTotalSampleToProcess(intptr_t frames);   // 73
    intptr_t SetPanLaw(intptr_t type, float gain);       // 74
    intptr_t BeginLoadBank(VstPatchChunkInfo& info);     // 75
    intptr_t BeginLoadProgram(VstPatchChunkInfo& info);  // 76
    intptr_t SetProcessPrecision(intptr_t precision);    // 77: 0 = 32-bit, 1 = 64-bit
    intptr_t GetNumMidiInputChannels();                  // 78
    intptr_t GetNumMidiOutputChannels();                 // 79

    // Largest chunk GetChunk copies (bytes); a larger answer is treated as bogus.
    static constexpr intptr_t kMaxChunkBytes = intptr_t{64} << 20;

private:
    void Instantiate();
    AEffect& Live() const;
    std::string DispatchForText(int32_t opcode, int32_t index, intptr_t value, intptr_t* answer);
    template <typename TRecord>
    intptr_t DispatchForRecord(int32_t opcode, int32_t index, TRecord& record);
    template <typename TSample>
    void CheckBuffers(const TAudioBuffers<TSample>& inputs, const TAudioBuffers<TSample>& outputs,
                      int32_t& frames) const;

    std::shared_ptr<TPluginLibrary> library_;  // outlives effect_: declared first, destroyed last
    std::shared_ptr<TScriptedHost> host_;
    AEffect* effect_ = nullptr;
};

}  // namespace tessel::host
