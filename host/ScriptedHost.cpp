#include "host/ScriptedHost.h"

#include <cmath>
#include <cstring>
#include <sstream>

#include "host/OpcodeNames.h"

namespace tessel::host {
namespace {

// The host that answers callbacks on this thread while an entry point runs.
thread_local TScriptedHost* tConstructingHost = nullptr;
// Depth of process calls this thread is inside (they do not nest in practice).
thread_local int tAudioDepth = 0;

std::atomic<uint64_t> gUnattributedCalls{0};

// Answers of the process-level request.
constexpr intptr_t kProcessLevelUser = 1;
constexpr intptr_t kProcessLevelRealtime = 2;
constexpr intptr_t kLanguageEnglish = 1;
constexpr intptr_t kAutomationOff = 1;

std::string BoundedText(const void* ptr) {
    if (ptr == nullptr) return {};
    const char* text = static_cast<const char*>(ptr);
    return std::string(text, strnlen(text, TScriptedHost::kMaxRecordedText));
}

// Copies text into a plug-in buffer of `bytes` bytes, cut to fit, terminated.
intptr_t WriteText(void* ptr, const std::string& text, size_t bytes) {
    if (ptr == nullptr) return 0;
    const size_t length = std::min(text.size(), bytes - 1);
    std::memcpy(ptr, text.data(), length);
    static_cast<char*>(ptr)[length] = '\0';
    return 1;
}

}  // namespace

TScriptedHost::TScriptedHost() = default;

// ---- Scripting ----

void TScriptedHost::SetAnswer(int32_t opcode, intptr_t answer) {
    std::lock_guard lock(scriptMutex_);
    scripts_[opcode] = TScript{answer, nullptr};
}

void TScriptedHost::SetHandler(int32_t opcode, THandler handler) {
    std::lock_guard lock(scriptMutex_);
    scripts_[opcode] = TScript{std::nullopt, std::make_shared<const THandler>(std::move(handler))};
}

void TScriptedHost::ClearScript(int32_t opcode) {
    std::lock_guard lock(scriptMutex_);
    scripts_.erase(opcode);
}

void TScriptedHost::SetVersion(intptr_t version) {
    std::lock_guard lock(scriptMutex_);
    profile_.version = version;
}

void TScriptedHost::SetProductString(std::string text) {
    std::lock_guard lock(scriptMutex_);
    profile_.product = std::move(text);
}

void TScriptedHost::SetVendorString(std::string text) {
    std::lock_guard lock(scriptMutex_);
    profile_.vendor = std::move(text);
}

void TScriptedHost::SetVendorVersion(intptr_t version) {
    std::lock_guard lock(scriptMutex_);
    profile_.vendorVersion = version;
}

void TScriptedHost::SetCanDo(const std::string& text, intptr_t answer) {
    std::lock_guard lock(scriptMutex_);
    profile_.canDo[text] = answer;
}

void TScriptedHost::SetCurrentId(intptr_t id) {
    std::lock_guard lock(scriptMutex_);
    profile_.currentId = id;
}

void TScriptedHost::SetSampleRate(double hz) {
    std::lock_guard lock(scriptMutex_);
    profile_.sampleRateHz = hz;
}

void TScriptedHost::SetBlockSize(intptr_t frames) {
    std::lock_guard lock(scriptMutex_);
    profile_.blockSizeFrames = frames;
}

// ---- Recording ----

std::vector<TRecordedCall> TScriptedHost::Calls() const {
    std::lock_guard lock(callsMutex_);
    return calls_;
}

std::vector<TRecordedCall> TScriptedHost::CallsTo(int32_t opcode) const {
    std::lock_guard lock(callsMutex_);
    std::vector<TRecordedCall> matching;
    for (const TRecordedCall& call : calls_)
        if (call.opcode == opcode) matching.push_back(call);
    return matching;
}

size_t TScriptedHost::CountOf(int32_t opcode) const {
    std::lock_guard lock(callsMutex_);
    const auto found = counts_.find(opcode);
    return found == counts_.end() ? 0 : found->second;
}

void TScriptedHost::ClearCalls() {
    std::lock_guard lock(callsMutex_);
    calls_.clear();
    counts_.clear();
    dropped_ = 0;
    nextSequence_ = 0;
}

void TScriptedHost::SetRecordLimit(size_t calls) {
    std::lock_guard lock(callsMutex_);
    recordLimit_ = calls;
}

size_t TScriptedHost::DroppedCalls() const {
    std::lock_guard lock(callsMutex_);
    return dropped_;
}

size_t TScriptedHost::HandlerFailures() const { return handlerFailures_.load(); }

std::string TScriptedHost::DumpCalls() const {
    std::ostringstream out;
    for (const TRecordedCall& call : Calls()) {
        out << '#' << call.sequence << ' ' << DescribeHostOpcode(call.opcode)
            << " effect=" << static_cast<const void*>(call.effect) << " index=" << call.index << " value=" << call.value
            << " ptr=" << call.ptr << " opt=" << call.opt;
        if (call.opcode == audioMasterCanDo) out << " text=\"" << call.text << '"';
        out << " -> " << call.answer << '\n';
    }
    if (const size_t dropped = DroppedCalls(); dropped > 0) out << "(" << dropped << " further calls not recorded)\n";
    return out.str();
}

void TScriptedHost::Record(const THostRequest& request, std::string text, intptr_t answer) {
    std::lock_guard lock(callsMutex_);
    ++counts_[request.opcode];
    const uint64_t sequence = nextSequence_++;
    if (calls_.size() >= recordLimit_) {
        ++dropped_;
        return;
    }
    TRecordedCall call;
    static_cast<THostRequest&>(call) = request;
    call.text = std::move(text);
    call.answer = answer;
    call.thread = std::this_thread::get_id();
    call.sequence = sequence;
    calls_.push_back(std::move(call));
}

// ---- Answering ----

intptr_t TScriptedHost::Answer(const THostRequest& request) {
    // Copy the query before answering: the handler may look at it, and the
    // plug-in's buffer is only ours during the call.
    std::string text = request.opcode == audioMasterCanDo ? BoundedText(request.ptr) : std::string();
    const intptr_t answer = Compute(request);
    Record(request, std::move(text), answer);
    return answer;
}

intptr_t TScriptedHost::Compute(const THostRequest& request) {
    std::shared_ptr<const THandler> handler;
    std::optional<intptr_t> fixed;
    {
        std::lock_guard lock(scriptMutex_);
        if (const auto found = scripts_.find(request.opcode); found != scripts_.end()) {
            handler = found->second.handler;
            fixed = found->second.fixed;
        }
    }
    if (handler) {
        // An exception must not unwind through the plug-in's C frames.
        try {
            return (*handler)(request);
        } catch (...) {
            ++handlerFailures_;
            return 0;
        }
    }
    if (fixed) return *fixed;
    return BuiltInAnswer(request);
}

// What a well-behaved host answers; requests not listed answer 0.
intptr_t TScriptedHost::BuiltInAnswer(const THostRequest& request) {
    std::lock_guard lock(scriptMutex_);
    switch (request.opcode) {
        case audioMasterVersion:
            return profile_.version;
        case audioMasterCurrentId:
            return profile_.currentId;
        case audioMasterPinConnected:
            return 0;  // 0 means connected
        case audioMasterGetSampleRate:
            return static_cast<intptr_t>(std::llround(profile_.sampleRateHz));
        case audioMasterGetBlockSize:
            return profile_.blockSizeFrames;
        case audioMasterGetVendorString:
            return WriteText(request.ptr, profile_.vendor, kVstMaxVendorStrLen);
        case audioMasterGetProductString:
            return WriteText(request.ptr, profile_.product, kVstMaxProductStrLen);
        case audioMasterGetVendorVersion:
            return profile_.vendorVersion;
        case audioMasterCanDo: {
            const auto found = profile_.canDo.find(BoundedText(request.ptr));
            return found == profile_.canDo.end() ? 0 : found->second;
        }
        case audioMasterGetCurrentProcessLevel:
            return tAudioDepth > 0 ? kProcessLevelRealtime : kProcessLevelUser;
        case audioMasterGetLanguage:
            return kLanguageEnglish;
        case audioMasterGetAutomationState:
            return kAutomationOff;
        case audioMasterIOChanged:
        case audioMasterUpdateDisplay:
        case audioMasterBeginEdit:
        case audioMasterEndEdit:
            return 1;  // accepted
        default:
            return 0;
    }
}

intptr_t TScriptedHost::Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    TScriptedHost* host = nullptr;
    if (effect != nullptr && effect->resvd1 != 0)
        host = reinterpret_cast<TScriptedHost*>(effect->resvd1);
    else
        host = tConstructingHost;
    if (host == nullptr) {
        ++gUnattributedCalls;
        return 0;
    }
    try {
        return host->Answer(THostRequest{effect, opcode, index, value, ptr, opt});
    } catch (...) {
        // Out of memory while recording: never unwind into the plug-in.
        return 0;
    }
}

void TScriptedHost::Bind(AEffect& effect) noexcept { effect.resvd1 = reinterpret_cast<intptr_t>(this); }

uint64_t TScriptedHost::UnattributedCalls() noexcept { return gUnattributedCalls.load(); }

TScriptedHost::TConstructionScope::TConstructionScope(TScriptedHost& host) noexcept : previous_(tConstructingHost) {
    tConstructingHost = &host;
}

TScriptedHost::TConstructionScope::~TConstructionScope() { tConstructingHost = previous_; }

TScriptedHost::TAudioThreadScope::TAudioThreadScope() noexcept { ++tAudioDepth; }

TScriptedHost::TAudioThreadScope::~TAudioThreadScope() { --tAudioDepth; }

}  // namespace tessel::host
