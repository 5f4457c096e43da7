// A VST 2 host callback whose answers are scripted and whose calls are recorded.
//
// Every request a plug-in sends is answered in this order:
//   1. a handler set with SetHandler for that opcode (runs on the plug-in's
//      thread, outside the host's locks, so it may call back into the plug-in);
//   2. a fixed answer set with SetAnswer (nothing is written to ptr);
//   3. the built-in answer of a well-behaved host (see BuiltInAnswer in the
//      source), shaped by SetProductString, SetCanDo, SetSampleRate, ...
// and then recorded with its arguments and answer.
//
// Threading: every member is [thread-safe]; plug-ins call back from the
// audio thread and the UI thread at once. The callback takes locks and
// allocates to record, so it is a test host, not a real-time one.
//
// Finding the host: the C callback has no user-data argument. After the
// entry point returns, TPluginInstance stores the host in the record's resvd1
// (reserved for hosts). Calls made before that (the version check inside the
// entry point, with a null effect, and anything else the entry point asks)
// reach the host that a TConstructionScope on the calling thread names.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "framework/VSTAbi.h"
#include "host/HostRequest.h"

namespace tessel::host {

class TScriptedHost {
public:
    using THandler = std::function<intptr_t(const THostRequest&)>;

    static constexpr intptr_t kDefaultVersion = 2400;
    static constexpr double kDefaultSampleRateHz = 44100.0;
    static constexpr intptr_t kDefaultBlockSizeFrames = 1024;
    static constexpr size_t kDefaultRecordLimit = 1u << 16;
    // Longest text copied from a plug-in's query (bytes, without terminator).
    static constexpr size_t kMaxRecordedText = 255;

    TScriptedHost();
    TScriptedHost(const TScriptedHost&) = delete;
    TScriptedHost& operator=(const TScriptedHost&) = delete;

    // ---- Scripting the answers ----
    void SetAnswer(int32_t opcode, intptr_t answer);
    void SetHandler(int32_t opcode, THandler handler);
    void ClearScript(int32_t opcode);  // back to the built-in answer

    // Shape the built-in answers.
    void SetVersion(intptr_t version);                        // audioMasterVersion; 0 refuses the plug-in
    void SetProductString(std::string text);                  // audioMasterGetProductString
    void SetVendorString(std::string text);                   // audioMasterGetVendorString
    void SetVendorVersion(intptr_t version);                  // audioMasterGetVendorVersion
    void SetCanDo(const std::string& text, intptr_t answer);  // 1 yes, -1 no; unlisted texts answer 0
    void SetCurrentId(intptr_t id);                           // audioMasterCurrentId (shell sub-plug-in ID)
    void SetSampleRate(double hz);                            // audioMasterGetSampleRate, answered in whole Hz
    void SetBlockSize(intptr_t frames);                       // audioMasterGetBlockSize

    // ---- Reading the recorded calls ----
    std::vector<TRecordedCall> Calls() const;
    std::vector<TRecordedCall> CallsTo(int32_t opcode) const;
    // Counts every call, also those beyond the record limit.
    size_t CountOf(int32_t opcode) const;
    bool Received(int32_t opcode) const { return CountOf(opcode) > 0; }
    void ClearCalls();
    // Keeps memory bounded for plug-ins that call back every block.
    void SetRecordLimit(size_t calls);
    size_t DroppedCalls() const;
    // Exceptions thrown by handlers; each such call was answered 0.
    size_t HandlerFailures() const;
    // One line per recorded call, with opcode names.
    std::string DumpCalls() const;

    // ---- The callback ----
    // Answers and records one request. [thread-safe]
    intptr_t Answer(const THostRequest& request);
    // The routine handed to plug-ins.
    static intptr_t Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    // Makes later calls through this record reach this host.
    void Bind(AEffect& effect) noexcept;
    // Calls that reached the callback with no host to answer them (answered 0).
    static uint64_t UnattributedCalls() noexcept;

    // Names the host for callbacks on this thread while an entry point runs.
    class TConstructionScope {
    public:
        explicit TConstructionScope(TScriptedHost& host) noexcept;
        ~TConstructionScope();
        TConstructionScope(const TConstructionScope&) = delete;
        TConstructionScope& operator=(const TConstructionScope&) = delete;

    private:
        TScriptedHost* previous_;
    };

    // Marks this thread as inside a process call, so that
    // audioMasterGetCurrentProcessLevel answers 2 (real-time) instead of 1 (user).
    class TAudioThreadScope {
    public:
        TAudioThreadScope() noexcept;
        ~TAudioThreadScope();
        TAudioThreadScope(const TAudioThreadScope&) = delete;
        TAudioThreadScope& operator=(const TAudioThreadScope&) = delete;
    };

private:
    struct TScript {
        std::optional<intptr_t> fixed;
        std::shared_ptr<const THandler> handler;
    };

    struct TProfile {
        intptr_t version = kDefaultVersion;
        std::string product = "tessel-host";
        std::string vendor = "Tessel";
        intptr_t vendorVersion = 1000;
        std::map<std::string, intptr_t> canDo;
        intptr_t currentId = 0;
        double sampleRateHz = kDefaultSampleRateHz;
        intptr_t blockSizeFrames = kDefaultBlockSizeFrames;
    };

    intptr_t Compute(const THostRequest& request);
    intptr_t BuiltInAnswer(const THostRequest& request);
    void Record(const THostRequest& request, std::string text, intptr_t answer);

    mutable std::mutex scriptMutex_;  // scripts_ and profile_
    std::map<int32_t, TScript> scripts_;
    TProfile profile_;

    mutable std::mutex callsMutex_;  // everything below
    std::vector<TRecordedCall> calls_;
    std::map<int32_t, size_t> counts_;
    size_t recordLimit_ = kDefaultRecordLimit;
    size_t dropped_ = 0;
    uint64_t nextSequence_ = 0;

    std::atomic<size_t> handlerFailures_{0};
};

}  // namespace tessel::host
