#include "framework/VSTModuleWithPrograms.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#include "framework/EditorThread.h"
#include "framework/NumberText.h"
#include "framework/VSTBoundary.h"
#include "framework/VSTError.h"

namespace tessel {

namespace {

constexpr std::string_view kUndefinedText = "undefined";
// Host buffer sizes for the text requests (bytes, terminator included).
constexpr std::size_t kParameterTextBytes = kVstMaxParamStrLen;
constexpr std::size_t kProgramNameBytes = kVstMaxProgNameLen;
// Value displays: 4 significant digits and a 4-digit exponent; in chunk mode
// the module's own value with 15 digits and a plain exponent.
constexpr int kDisplayPrecision = 4;
constexpr int kDisplayExponentDigits = 4;
constexpr int kChunkDisplayPrecision = 15;
constexpr int kChunkDisplayExponentDigits = 0;
// A bank chunk is, per program in list order, a 32-bit little-endian byte
// length followed by that many bytes; no header, no program count.
constexpr std::size_t kBankLengthBytes = 4;
// Times a holder takes the store again for values queued while it let go,
// unless a host thread awaits it: a change handler that makes another thread
// post a value would otherwise keep its holder going for ever.
constexpr int kReleaseRounds = 4;
// Hosts for which the parameter count must not shrink while descriptions go away.
constexpr std::array<std::string_view, 3> kHostsKeepingParameterCount = {"Cubase VST", "Unknown", ""};

void AppendLength(std::vector<std::uint8_t>& out, std::int32_t length) {
    const auto bits = static_cast<std::uint32_t>(length);
    for (unsigned shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(bits >> shift));
}

std::int32_t ReadLength(const std::uint8_t* bytes) {
    std::uint32_t bits = 0;
    for (unsigned i = 0; i < kBankLengthBytes; ++i) bits |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

std::intptr_t Fired(const TNotifyEvent& event, TBasicVSTModule& sender) {
    if (!event) return 0;
    event(sender);
    return 1;
}

}  // namespace

TVSTModuleWithPrograms::TVSTModuleWithPrograms() = default;

TVSTModuleWithPrograms::~TVSTModuleWithPrograms() {
    // Descriptions first: removing them shrinks the programs' values.
    try {
        FParameterProperties.Clear();
        FPrograms.Clear();
    } catch (...) {
        // Teardown goes on; the members release what is left.
    }
}

// ---- Parameter descriptions ----

bool TVSTModuleWithPrograms::ChunkMode() const { return Flags().Contains(TEffFlag::effFlagsProgramChunks); }

bool TVSTModuleWithPrograms::ParameterInRange(std::int32_t index) const {
    return index >= 0 && index < numParams() && index < FParameterProperties.Count();
}

void TVSTModuleWithPrograms::SetNumParams(std::int32_t) { Effect().numParams = FParameterProperties.Count(); }

void TVSTModuleWithPrograms::ParameterPropertyAdded() {
    const auto count = FParameterProperties.Count();
    Effect().numParams = count;
    FQueuedParameters.SetParameterCount(static_cast<std::size_t>(count));
    FHostNotices.SetParameterCount(static_cast<std::size_t>(count));
    if (ChunkMode()) return;
    try {
        const auto size = static_cast<std::size_t>(count);
        if (FPrograms.Count() > 0) {
            for (std::int32_t i = 0; i < FPrograms.Count(); ++i) FPrograms[i].ParameterValues().Resize(size);
        } else {
            FParameterValues.Resize(size);
        }
    } catch (const std::exception&) {
        // The description is added even when its values could not be.
    }
}

void TVSTModuleWithPrograms::ParameterPropertyRemoving(std::int32_t index) {
    const auto remaining = FParameterProperties.Count() - 1;
    try {
        FQueuedParameters.SetParameterCount(static_cast<std::size_t>(std::max(0, remaining)));
        FHostNotices.SetParameterCount(static_cast<std::size_t>(std::max(0, remaining)));
        if (!ChunkMode()) {
            // The removed parameter's own entry goes, so later ones keep their values.
            auto shrink = [&](TParameterValues& values) {
                values.EraseAt(static_cast<std::size_t>(index));
                values.Resize(static_cast<std::size_t>(remaining));
            };
            if (FPrograms.Count() > 0) {
                for (std::int32_t i = 0; i < FPrograms.Count(); ++i) shrink(FPrograms[i].ParameterValues());
            } else {
                shrink(FParameterValues);
            }
        }
        // Some hosts fail when the count they were given shrinks under them.
        const auto product = HostProduct();
        if (std::find(kHostsKeepingParameterCount.begin(), kHostsKeepingParameterCount.end(), product) ==
            kHostsKeepingParameterCount.end())
            Effect().numParams = remaining;
    } catch (const std::exception&) {
        // The description is removed regardless.
    }
}

float TVSTModuleWithPrograms::ParameterToNormalized(std::int32_t index, float value) {
    if (!ParameterInRange(index)) return 0.0f;
    return FParameterProperties[index].ToNormalized(value);
}

float TVSTModuleWithPrograms::NormalizedToParameter(std::int32_t index, float value) {
    if (index < 0 || index >= FParameterProperties.Count()) return 0.0f;
    auto& description = FParameterProperties[index];
    return description.Smooth(description.FromNormalized(value));
}

std::string TVSTModuleWithPrograms::ParameterDisplay(std::int32_t index) {
    if (!ParameterInRange(index)) return std::string(kUndefinedText);
    const float value = ReadParameter(index);
    std::string text = ChunkMode() ? FormatGeneral(value, kChunkDisplayPrecision, kChunkDisplayExponentDigits)
                                   : FormatGeneral(value, kDisplayPrecision, kDisplayExponentDigits);
    const auto& description = FParameterProperties[index];
    if (description.OnCustomParameterDisplay) description.OnCustomParameterDisplay(*this, index, text);
    return text;
}

std::string TVSTModuleWithPrograms::ParameterLabel(std::int32_t index) {
    if (!ParameterInRange(index)) return std::string(kUndefinedText);
    const auto& description = FParameterProperties[index];
    std::string text = description.Units();
    if (description.OnCustomParameterLabel) description.OnCustomParameterLabel(*this, index, text);
    return text;
}

std::string TVSTModuleWithPrograms::ParameterName(std::int32_t index) const {
    if (!ParameterInRange(index)) return std::string(kUndefinedText);
    return FParameterProperties[index].DisplayName();
}

// ---- Parameter store ----

TCustomVstProgram* TVSTModuleWithPrograms::ActiveProgram() const {
    const auto current = CurrentProgram();
    if (current < 0 || current >= FPrograms.Count()) return nullptr;
    return &FPrograms[current];
}

void TVSTModuleWithPrograms::FireParameterChange(std::int32_t index, float& value) {
    const auto& description = FParameterProperties[index];
    if (description.OnParameterChange) description.OnParameterChange(*this, index, value);
    if (OnParameterChange) OnParameterChange(*this, index, value);
}

// ---- Holding the store ----

TVSTModuleWithPrograms::TStoreHold::TStoreHold(TVSTModuleWithPrograms& module) : FModule(module) {
    FHeld = true;
    if (FModule.FHoldingStore.IsSet()) return;
    FModule.FStoreGate.Enter();
    Take();
}

TVSTModuleWithPrograms::TStoreHold::TStoreHold(TVSTModuleWithPrograms& module, std::try_to_lock_t) : FModule(module) {
    if (FModule.FHoldingStore.IsSet()) {
        FHeld = true;
    } else if (FModule.FStoreGate.TryEnter()) {
        FHeld = true;
        Take();
    }
}

void TVSTModuleWithPrograms::TStoreHold::Take() {
    FTook = true;
    FHolding.emplace(FModule.FHoldingStore);
    // Values queued before this thread got the store come first: a writer
    // whose earlier value is still queued must not see its later one overtake it.
    FModule.ApplyQueuedParameters();
}

TVSTModuleWithPrograms::TStoreHold::~TStoreHold() {
    if (FTook) FModule.ReleaseStore(FHolding);
}

void TVSTModuleWithPrograms::ApplyQueuedParameters() noexcept {
    FQueuedParameters.Drain([this](const TQueuedParameter& write) {
        try {
            // A host's value is applied as its setParameter would have: handlers
            // that automate do not echo it back to the host.
            std::optional<TThreadFlag::TScope> hostSetting;
            if (write.fromHost) hostSetting.emplace(FInHostSetParameter);
            StoreHeld(write.index, write.value);
        } catch (...) {
            // Its writer has moved on; the other queued values still apply.
        }
    });
}

// The holding flag is set only while the gate is held: it never needs more
// than one of its slots.
//
// A writer that found the store taken has queued its value and left it to the
// holder, so the holder looks again after letting go. A push still half-way
// is not ready, and its writer finds the store free and applies it itself.
// Past kReleaseRounds a ready value is left for the next process call or
// store, except when a host thread queued it or came to apply it and found
// the store taken: with no further process call (a host that stops
// processing) it would wait for good, and getParameter would answer the
// older value.
void TVSTModuleWithPrograms::ReleaseStore(std::optional<TThreadFlag::TScope>& holding) noexcept {
    for (int round = 1;; ++round) {
        ApplyQueuedParameters();
        holding.reset();
        FStoreGate.Leave();
        if (!FQueuedParameters.Ready()) return;
        if (round >= kReleaseRounds && !FHolderAwaited.exchange(false, std::memory_order_seq_cst)) return;
        if (!FStoreGate.TryEnter()) return;
        holding.emplace(FHoldingStore);
    }
}

void TVSTModuleWithPrograms::SubmitParameter(std::int32_t index, float value, bool fromHost) {
    if (FInStoreParameter.IsSet()) return;  // a store from inside a change handler
    {
        const TStoreHold hold(*this, std::try_to_lock);
        // Taking the store applies what waits, but stops at a push another
        // writer has not finished; this writer's own earlier value may wait
        // behind it, and a value stored now would overtake it. It then queues
        // too, and letting go of the store applies it in its turn.
        if (hold.Held()) {
            if (FQueuedParameters.Pending())
                FQueuedParameters.Push({.index = index, .value = value, .fromHost = fromHost});
            else
                StoreHeld(index, value);
            return;
        }
    }
    FQueuedParameters.Push({.index = index, .value = value, .fromHost = fromHost});
    if (fromHost) FHolderAwaited.store(true, std::memory_order_seq_cst);
    // The holder may have let go before it could see the value: then apply it here.
    const TStoreHold late(*this, std::try_to_lock);
}

void TVSTModuleWithPrograms::ApplyWaitingParameters() noexcept {
    if (!FQueuedParameters.Pending()) return;
    FHolderAwaited.store(true, std::memory_order_seq_cst);
    // Taking the store applies what waits, and letting go applies what came meanwhile.
    const TStoreHold hold(*this, std::try_to_lock);
}

// ---- Storing ----

void TVSTModuleWithPrograms::StoreParameter(std::int32_t index, float value) {
    if (FInStoreParameter.IsSet()) return;  // a store from inside a change handler
    if (!ParameterInRange(index)) throw EVSTError("Index out of bounds");
    const TStoreHold hold(*this);
    StoreHeld(index, value);
}

void TVSTModuleWithPrograms::PostParameter(std::int32_t index, float value) {
    if (!ParameterInRange(index)) return;
    SubmitParameter(index, value, false);
}

void TVSTModuleWithPrograms::StoreHeld(std::int32_t index, float value) {
    TThreadFlag::TScope storing(FInStoreParameter);
    if (!ParameterInRange(index)) throw EVSTError("Index out of bounds");
    // Whatever brought it (host, program, chunk handler, text, editor), a value
    // outside the description's range never reaches the change handlers.
    value = FParameterProperties[index].Limited(value);
    if (ChunkMode()) {
        FireParameterChange(index, value);
    } else if (auto* program = ActiveProgram()) {
        // Read back: a program answers 0 for an index beyond its values.
        program->SetParameter(index, value);
        float v = program->Parameter(index);
        FireParameterChange(index, v);
        program->SetParameter(index, v);  // a handler may have corrected it
    } else {
        // Each handler works on the stored value itself: the next one sees its correction.
        FParameterValues.Set(index, value);
        float v = FParameterValues.Get(index);
        const auto& description = FParameterProperties[index];
        if (description.OnParameterChange) {
            description.OnParameterChange(*this, index, v);
            FParameterValues.Set(index, v);
        }
        if (OnParameterChange) {
            OnParameterChange(*this, index, v);
            FParameterValues.Set(index, v);
        }
    }
    SetEditorNeedsUpdate(true);
}

float TVSTModuleWithPrograms::ReadParameter(std::int32_t index) {
    if (ChunkMode()) return OnGetChunkParameter ? OnGetChunkParameter(*this, index) : 0.0f;
    if (const auto* program = ActiveProgram()) return program->Parameter(index);
    return FParameterValues.Get(index);
}

void TVSTModuleWithPrograms::AutomateParameter(std::int32_t index, float value) {
    if (index >= numParams() || index >= FParameterProperties.Count()) return;
    // From inside a change handler the store is ignored; reporting a value
    // that was never stored would leave the host disagreeing with the module.
    if (InStoreParameter()) return;
    StoreParameter(index, value);  // a negative index fails here
    if (index < 0) return;
    // The value sent is the caller's, not a handler's correction; this store
    // has let go of the parameter store, so the host may call back freely.
    if (!FParameterProperties[index].CanBeAutomated() || InHostSetParameter()) return;
    const float normalized = ParameterToNormalized(index, value);
    if (TEditorThread::IsCurrent())
        FHostNotices.PostAutomate(index, normalized);
    else
        TVSTModuleWithMidi::AutomateParameter(index, normalized);
}

float TVSTModuleWithPrograms::GetParameter(std::int32_t index) {
    if (!ParameterInRange(index)) return 0.0f;
    return ParameterToNormalized(index, ReadParameter(index));
}

void TVSTModuleWithPrograms::SetParameter(std::int32_t index, float value) {
    if (InHostSetParameter()) return;  // a host set from inside its own handling
    const TThreadFlag::TScope hostSetting(FInHostSetParameter);
    if (!ParameterInRange(index)) {
        // Unflagged, a handler that sets a parameter again could recurse without end.
        if (OnParameterSizeFailed && hostSetting.Recorded()) OnParameterSizeFailed(*this);
        return;
    }
    // A NaN or infinity from the host would reach the filters and stay in the smoothing.
    if (!std::isfinite(value)) return;
    const float natural = NormalizedToParameter(index, value);
    if (!std::isfinite(natural)) return;
    SubmitParameter(index, natural, true);
}

// ---- Audio [audio-thread] ----

void TVSTModuleWithPrograms::Process(float** inputs, float** outputs, std::int32_t sampleFrames) {
    ApplyWaitingParameters();
    TVSTModuleWithMidi::Process(inputs, outputs, sampleFrames);
    DeliverHostNotices(false);
}

void TVSTModuleWithPrograms::ProcessReplacing(float** inputs, float** outputs, std::int32_t sampleFrames) {
    ApplyWaitingParameters();
    TVSTModuleWithMidi::ProcessReplacing(inputs, outputs, sampleFrames);
    DeliverHostNotices(false);
}

void TVSTModuleWithPrograms::ProcessDoubleReplacing(double** inputs, double** outputs, std::int32_t sampleFrames) {
    ApplyWaitingParameters();
    TVSTModuleWithMidi::ProcessDoubleReplacing(inputs, outputs, sampleFrames);
    DeliverHostNotices(false);
}

void TVSTModuleWithPrograms::ReplayParameterValues() {
    if (InStoreParameter()) return;  // called from inside a change handler
    const TStoreHold hold(*this);
    const auto count = std::min(FParameterProperties.Count(), numParams());
    for (std::int32_t i = 0; i < count; ++i) {
        // Handlers run as in a store: nested stores are ignored.
        TThreadFlag::TScope storing(FInStoreParameter);
        if (auto* program = ActiveProgram()) {
            float v = program->Parameter(i);
            OnParameterChange(*this, i, v);
            program->SetParameter(i, v);
        } else {
            float v = FParameterValues.Get(i);
            OnParameterChange(*this, i, v);
            FParameterValues.Set(i, v);
        }
    }
}

// ---- Programs ----

void TVSTModuleWithPrograms::SetNumPrograms(std::int32_t) { Effect().numPrograms = FPrograms.Count(); }

void TVSTModuleWithPrograms::ProgramAdded(TCustomVstProgram& program) {
    Effect().numPrograms = FPrograms.Count();
    if (!ChunkMode()) program.ParameterValues().Resize(static_cast<std::size_t>(std::max(0, numParams())));
    if (CurrentProgram() < 0) SetCurrentProgram(0);
}

void TVSTModuleWithPrograms::ProgramRemoved() {
    const auto count = FPrograms.Count();
    Effect().numPrograms = count;
    // The current index always names an existing program (or -1 without programs).
    if (CurrentProgram() >= count) FCurrentProgram.store(count - 1, std::memory_order_relaxed);
    if (count == 0 && !ChunkMode()) FParameterValues.Resize(static_cast<std::size_t>(FParameterProperties.Count()));
}

void TVSTModuleWithPrograms::SetCurrentProgram(std::int32_t v) {
    if (v >= 0 && v < numPrograms() && v < FPrograms.Count()) {
        // One hold for the whole switch: no other store lands between its values.
        const TStoreHold hold(*this);
        if (OnBeforeProgramChange) OnBeforeProgramChange(*this);
        FCurrentProgram.store(v, std::memory_order_relaxed);
        if (OnAfterProgramChange) OnAfterProgramChange(*this);
        auto& program = FPrograms[v];
        try {
            const auto count = static_cast<std::int32_t>(program.ParameterValues().Count());
            for (std::int32_t i = 0; i < count; ++i) StoreParameter(i, program.Parameter(i));
        } catch (...) {
            // The switch has happened; the remaining values stay as stored.
        }
        SetEditorNeedsUpdate(true);
    }
    HostUpdateDisplay();
}

std::string TVSTModuleWithPrograms::CurrentProgramName() const {
    const auto current = CurrentProgram();
    if (current < 0 || current >= numPrograms()) return {};
    const auto* program = ActiveProgram();
    return program ? program->DisplayName() : std::string();
}

void TVSTModuleWithPrograms::SetCurrentProgramName(std::string_view v) {
    if (numPrograms() > 0 && CurrentProgram() < numPrograms()) {
        if (auto* program = ActiveProgram()) {
            program->SetDisplayName(v);
            SetEditorNeedsUpdate(true);
        }
    }
    HostUpdateDisplay();
}

void TVSTModuleWithPrograms::DescriptionLoading() {
    for (std::int32_t i = 0; i < FPrograms.Count(); ++i) {
        auto& program = FPrograms[i];
        if (program.OnInitialize) program.OnInitialize(program);
    }
    SetCurrentProgram(0);
}

// ---- Handlers: programs ----

std::intptr_t TVSTModuleWithPrograms::HandleSetProgram(std::int32_t, std::intptr_t value, void*, float) {
    if (value >= 0 && value < numPrograms() && value != CurrentProgram())
        SetCurrentProgram(static_cast<std::int32_t>(value));
    return 0;
}

std::intptr_t TVSTModuleWithPrograms::HandleGetProgram(std::int32_t, std::intptr_t, void*, float) {
    return CurrentProgram();
}

std::intptr_t TVSTModuleWithPrograms::HandleSetProgramName(std::int32_t, std::intptr_t, void* ptr, float) {
    if (numPrograms() > 0 && ptr) {
        if (auto* program = ActiveProgram()) program->SetDisplayName(TextFromHost(ptr));
    }
    return 0;
}

std::intptr_t TVSTModuleWithPrograms::HandleGetProgramName(std::int32_t, std::intptr_t, void* ptr, float) {
    const auto* program = numPrograms() > 0 ? ActiveProgram() : nullptr;
    CopyTextToHost(ptr, program ? std::string_view(program->DisplayName()) : std::string_view(""), kProgramNameBytes);
    return 0;
}

std::intptr_t TVSTModuleWithPrograms::HandleGetProgramNameIndexed(std::int32_t index, std::intptr_t, void* ptr, float) {
    if (index < 0 || index >= numPrograms() || index >= FPrograms.Count()) return 0;
    return CopyTextToHost(ptr, FPrograms[index].DisplayName(), kProgramNameBytes) ? 1 : 0;
}

std::intptr_t TVSTModuleWithPrograms::HandleGetNumProgramCategories(std::int32_t, std::intptr_t, void*, float) {
    return numCategories();
}

std::intptr_t TVSTModuleWithPrograms::HandleBeginSetProgram(std::int32_t, std::intptr_t, void*, float) {
    return Fired(OnBeginSetProgram, *this);
}

std::intptr_t TVSTModuleWithPrograms::HandleEndSetProgram(std::int32_t, std::intptr_t, void*, float) {
    return Fired(OnEndSetProgram, *this);
}

std::intptr_t TVSTModuleWithPrograms::BeginLoad(void* ptr, const TOnBeginLoadBankEvent& event) {
    auto* info = HostPatchChunkInfo(ptr);
    if (!info) return 0;  // nothing to check against
    const std::intptr_t answer = info->pluginUniqueID == Effect().uniqueID ? 0 : -1;
    if (event) event(*this, *info);
    return answer;
}

std::intptr_t TVSTModuleWithPrograms::HandleBeginLoadBank(std::int32_t, std::intptr_t, void* ptr, float) {
    return BeginLoad(ptr, OnBeginLoadBank);
}

std::intptr_t TVSTModuleWithPrograms::HandleBeginLoadProgram(std::int32_t, std::intptr_t, void* ptr, float) {
    return BeginLoad(ptr, OnBeginLoadProgram);
}

// ---- Handlers: chunks ----

std::intptr_t TVSTModuleWithPrograms::HandleGetChunk(std::int32_t index, std::intptr_t, void* ptr, float) {
    if (!ChunkMode() || FPrograms.Count() == 0) return 0;
    void** slot = HostAddressSlot(ptr);
    if (!slot) return 0;
    if (index == 0) return GetBankChunk(slot);
    auto* program = ActiveProgram();
    if (!program) return 0;
    // Rewound, not cleared: the handler overwrites from the start.
    auto& data = program->ChunkData();
    data.SetPosition(0);
    if (program->OnStoreChunk) program->OnStoreChunk(*program, CurrentProgram(), true);
    *slot = data.Data();
    return static_cast<std::intptr_t>(data.Size());
}

std::intptr_t TVSTModuleWithPrograms::GetBankChunk(void** slot) {
    FBankChunkData.clear();
    for (std::int32_t i = 0; i < FPrograms.Count(); ++i) {
        auto& program = FPrograms[i];
        auto& data = program.ChunkData();
        data.SetPosition(0);
        if (program.OnStoreChunk) program.OnStoreChunk(program, i, false);
        if (data.Size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
            throw EVSTError("Chunk too large");
        AppendLength(FBankChunkData, static_cast<std::int32_t>(data.Size()));
        FBankChunkData.insert(FBankChunkData.end(), data.Data(), data.Data() + data.Size());
    }
    *slot = FBankChunkData.data();
    return static_cast<std::intptr_t>(FBankChunkData.size());
}

std::intptr_t TVSTModuleWithPrograms::HandleSetChunk(std::int32_t index, std::intptr_t value, void* ptr, float) {
    if (!ChunkMode() || FPrograms.Count() == 0) return 0;
    if (value < 0 || (!ptr && value != 0)) return 0;
    const auto size = static_cast<std::size_t>(value);
    if (index != 0) {
        auto* program = ActiveProgram();
        if (!program) return 0;
        auto& data = program->ChunkData();
        data.Clear();
        data.Write(ptr, size);
        data.SetPosition(0);
        if (program->OnLoadChunk) program->OnLoadChunk(*program, CurrentProgram(), true);
    } else {
        std::vector<std::uint8_t> bytes(size);
        if (size > 0) std::memcpy(bytes.data(), ptr, size);
        if (SetBankChunk(bytes.data(), size) == 0) return 0;
    }
    SetEditorNeedsUpdate(true);
    return value;
}

// Every length is checked before any program changes: a bank that runs past
// its byte count, or holds a negative length, loads nothing.
std::intptr_t TVSTModuleWithPrograms::SetBankChunk(const std::uint8_t* data, std::size_t size) {
    struct TBlock {
        std::size_t offset, length;
    };
    std::vector<TBlock> blocks;
    std::size_t position = 0;
    for (std::int32_t i = 0; i < FPrograms.Count(); ++i) {
        if (size - position < kBankLengthBytes) return 0;
        const std::int32_t length = ReadLength(data + position);
        position += kBankLengthBytes;
        if (length < 0 || static_cast<std::size_t>(length) > size - position) return 0;
        blocks.push_back({position, static_cast<std::size_t>(length)});
        position += static_cast<std::size_t>(length);
    }
    for (std::int32_t i = 0; i < FPrograms.Count(); ++i) {
        auto& program = FPrograms[i];
        auto& chunk = program.ChunkData();
        const auto& block = blocks[static_cast<std::size_t>(i)];
        chunk.Clear();
        chunk.Write(data + block.offset, block.length);
        chunk.SetPosition(0);
        if (program.OnLoadChunk) program.OnLoadChunk(program, i, false);
    }
    if (auto* current = ActiveProgram(); current && current->OnLoadChunk)
        current->OnLoadChunk(*current, CurrentProgram(), false);
    return 1;
}

// ---- Handlers: parameters ----

std::intptr_t TVSTModuleWithPrograms::HandleGetParamLabel(std::int32_t index, std::intptr_t, void* ptr, float) {
    CopyTextToHost(ptr, ParameterLabel(index), kParameterTextBytes);
    return 0;
}

std::intptr_t TVSTModuleWithPrograms::HandleGetParamDisplay(std::int32_t index, std::intptr_t, void* ptr, float) {
    CopyTextToHost(ptr, ParameterDisplay(index), kParameterTextBytes);
    return 0;
}

std::intptr_t TVSTModuleWithPrograms::HandleGetParamName(std::int32_t index, std::intptr_t, void* ptr, float) {
    CopyTextToHost(ptr, ParameterName(index), kParameterTextBytes);
    return 0;
}

std::intptr_t TVSTModuleWithPrograms::HandleCanBeAutomated(std::int32_t index, std::intptr_t, void*, float) {
    if (index < 0 || index >= FParameterProperties.Count()) return 1;
    return FParameterProperties[index].CanBeAutomated() ? 1 : 0;
}

std::intptr_t TVSTModuleWithPrograms::HandleString2Parameter(std::int32_t index, std::intptr_t, void* ptr, float) {
    // Outside the parameters nothing would be stored: no success to report.
    if (!ptr || !ParameterInRange(index)) return 0;
    const std::string_view text = TextFromHost(ptr);
    float natural = std::numeric_limits<float>::quiet_NaN();
    if (const auto number = ParseDecimal(text)) {
        // A number beyond what a float holds is still beyond the range: its end is stored.
        constexpr double kLargest = std::numeric_limits<float>::max();
        natural = static_cast<float>(std::clamp(*number, -kLargest, kLargest));
    }
    const auto& description = FParameterProperties[index];
    if (description.OnCustomParameterParse) description.OnCustomParameterParse(*this, index, text, natural);
    if (std::isnan(natural)) return 0;
    try {
        AutomateParameter(index, natural);
    } catch (const std::exception&) {
        return 0;
    }
    return 1;
}

std::intptr_t TVSTModuleWithPrograms::HandleGetParameterProperties(std::int32_t index, std::intptr_t, void* ptr,
                                                                   float) {
    auto* record = HostParameterProperties(ptr);
    if (!record || !ParameterInRange(index)) return 0;
    const auto& description = FParameterProperties[index];
    if (!description.ReportVST2Properties()) return 0;
    description.WriteVST2Properties(*record);
    return 1;
}

std::intptr_t TVSTModuleWithPrograms::HandleEditOpen(std::int32_t index, std::intptr_t value, void* ptr, float opt) {
    const auto answer = TVSTModuleWithMidi::HandleEditOpen(index, value, ptr, opt);
    if (Flags().Contains(TEffFlag::effFlagsHasEditor) && EditorExists() && OnParameterChange && !ChunkMode())
        ReplayParameterValues();
    return answer;
}

// ---- Published properties ----

void TVSTModuleWithPrograms::DefineProperties(TPropertyTable& t, const TMethodTable& m) {
    TVSTModuleWithMidi::DefineProperties(t, m);
    t.Define("numParams", [this](const TStoredValue& v) { SetNumParams(StoredInteger(v)); });
    t.Define("numPrograms", [this](const TStoredValue& v) { SetNumPrograms(StoredInteger(v)); });
    t.Define("CurrentProgram", [this](const TStoredValue& v) { SetCurrentProgram(StoredInteger(v)); });
    t.Define("CurrentProgramName", [this](const TStoredValue& v) { SetCurrentProgramName(StoredText(v)); });
    DefineCollection(t, "Programs", FPrograms, m);
    DefineCollection(t, "ParameterProperties", FParameterProperties, m);
    DefineEvent(t, "OnParameterChange", OnParameterChange, m);
    DefineEvent(t, "OnParameterSizeFailed", OnParameterSizeFailed, m);
    DefineEvent(t, "OnGetChunkParameter", OnGetChunkParameter, m);
    DefineEvent(t, "OnBeforeProgramChange", OnBeforeProgramChange, m);
    DefineEvent(t, "OnAfterProgramChange", OnAfterProgramChange, m);
    DefineEvent(t, "OnBeginSetProgram", OnBeginSetProgram, m);
    DefineEvent(t, "OnEndSetProgram", OnEndSetProgram, m);
    DefineEvent(t, "OnBeginLoadBank", OnBeginLoadBank, m);
    DefineEvent(t, "OnBeginLoadProgram", OnBeginLoadProgram, m);
}

}  // namespace tessel
