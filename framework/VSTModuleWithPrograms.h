#pragma once
// TVSTModuleWithPrograms: parameter descriptions, the parameter store,
// programs and chunks.
//
// Every write of a parameter value — from the host's setParameter (normalised
// 0..1), from the editor, typed text or the module's own code (natural units)
// — ends in StoreParameter, so the change handlers see every change in the
// same order. Values live in the current program, or in the module's own set
// while there are no programs; in chunk mode the module keeps none and reads
// them through OnGetChunkParameter.
//
// Threads. The host may set and read parameters from any thread, its audio
// thread included, while the editor writes from its own:
//  - reads (ReadParameter, getParameter) are lock-free relaxed atomic loads;
//  - one thread at a time holds the store (TStoreHold) while it writes values
//    and runs their change handlers; the host is never called while it is
//    held (automation is sent afterwards);
//  - the host's setParameter and PostParameter never wait: when another
//    thread holds the store they queue the value (TParameterQueue) and
//    return. The holder applies queued values, in the order they came, before
//    it lets go, so no write is lost, each writer's order is kept and the
//    handlers run once per write. A holder gives up after a few rounds while
//    values keep arriving; each process call then applies what is left,
//    taking the store only if it is free;
//  - StoreParameter, AutomateParameter and program switches wait for the
//    store: they are for threads that may wait (UI, editor, start-up);
//  - the re-entrancy guards (InStoreParameter, InHostSetParameter) are per
//    thread: a nested store inside a change handler is ignored, a store from
//    another thread is never dropped. They use no thread-local storage
//    (TThreadFlag), so an audio thread's first call allocates nothing.
// Descriptions and programs are created while the stored description loads
// and removed at teardown.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "framework/CustomVstParameterProperties.h"
#include "framework/CustomVstPrograms.h"
#include "framework/HostNotices.h"
#include "framework/ParameterQueue.h"
#include "framework/ParameterValues.h"
#include "framework/StoreGate.h"
#include "framework/ThreadFlag.h"
#include "framework/VSTModuleWithMidi.h"

namespace tessel {

using TGetChunkParameterEvent = std::function<float(TBasicVSTModule& sender, std::int32_t index)>;
using TOnBeginLoadBankEvent = std::function<void(TBasicVSTModule& sender, VstPatchChunkInfo& patchChunkInfo)>;
using TOnBeginLoadProgramEvent = TOnBeginLoadBankEvent;

class TVSTModuleWithPrograms : public TVSTModuleWithMidi {
public:
    TVSTModuleWithPrograms();            // [ui-thread]
    ~TVSTModuleWithPrograms() override;  // [ui-thread]

    // ---- Parameter descriptions ----
    // [any-thread] to reach the descriptions; the collection itself changes
    // only while the module loads and at teardown.
    TCustomVstParameterProperties& ParameterProperties() { return FParameterProperties; }
    const TCustomVstParameterProperties& ParameterProperties() const { return FParameterProperties; }
    void SetParameterProperties(const TCustomVstParameterProperties& v) {
        FParameterProperties.Assign(v);
    }  // [ui-thread]
    // The record's numParams; assigning ignores the value and recounts the
    // descriptions. Reading: [any-thread, lock-free]; assigning: [ui-thread].
    std::int32_t numParams() const { return Effect().numParams; }
    void SetNumParams(std::int32_t ignored);
    // Whether the module keeps its state as opaque chunks (effFlagsProgramChunks). [any-thread, lock-free]
    bool ChunkMode() const;
    // index within the parameter count and the descriptions. [any-thread, lock-free]
    bool ParameterInRange(std::int32_t index) const;

    // Natural -> normalised 0..1; 0 for an index outside the parameters. [any-thread, lock-free]
    virtual float ParameterToNormalized(std::int32_t index, float value);
    // Normalised -> natural (curve, then one smoothing step); index must be
    // valid. [any-thread, lock-free]
    virtual float NormalizedToParameter(std::int32_t index, float value);
    // Host texts: value display, unit label and name ("undefined" outside the
    // parameters). [any-thread]; a display handler may wait for the store.
    std::string ParameterDisplay(std::int32_t index);
    std::string ParameterLabel(std::int32_t index);
    std::string ParameterName(std::int32_t index) const;

    // ---- Parameter store ----
    // Holds the store for the scope's lifetime: one thread at a time, and
    // again on a thread that already holds it (a no-op then). Everything
    // that touches what change handlers change holds it. When the scope ends
    // the values queued meanwhile are applied, then the store is free.
    class TStoreHold {
    public:
        // Waits for another thread's hold to end. [any-thread]
        explicit TStoreHold(TVSTModuleWithPrograms& module);
        // Holds only if the store is free at once; see Held. [any-thread, lock-free]
        TStoreHold(TVSTModuleWithPrograms& module, std::try_to_lock_t);
        // Applies what was queued meanwhile (running handlers), then lets go.
        ~TStoreHold();
        TStoreHold(const TStoreHold&) = delete;
        TStoreHold& operator=(const TStoreHold&) = delete;
        bool Held() const noexcept { return FHeld; }  // [any-thread, lock-free]

    private:
        void Take();
        TVSTModuleWithPrograms& FModule;
        bool FHeld = false;
        bool FTook = false;  // false when the thread held the store already
        std::optional<TThreadFlag::TScope> FHolding;
    };

    // Stores a natural value, limited to the description's Min..Max, and fires
    // the description's, then the module's OnParameterChange; no host
    // notification. Ignored when the calling thread is already storing;
    // "Index out of bounds" outside the parameters. Waits while another
    // thread holds the store. [any-thread]
    virtual void StoreParameter(std::int32_t index, float value);
    // Stores a natural value like StoreParameter without ever waiting: when
    // another thread holds the store the value is queued and applied by that
    // thread before it lets go; otherwise the handlers run here, as for
    // SetParameter. Ignored outside the parameters and inside a change
    // handler. [any-thread, lock-free]
    void PostParameter(std::int32_t index, float value);
    // Queued writes that a newer one of the same parameter replaced before
    // they could be applied (see TParameterQueue). [any-thread, lock-free]
    std::uint64_t MergedParameterWrites() const noexcept { return FQueuedParameters.MergedWrites(); }
    // Current natural value (in chunk mode OnGetChunkParameter's answer).
    // [any-thread, lock-free]
    virtual float ReadParameter(std::int32_t index);
    // Stores, then tells the host (audioMasterAutomate with the normalised
    // value) unless the parameter cannot be automated or the change comes from
    // the host's own setParameter on this thread. Waits for the store. On an
    // editor thread the host hears of it later, from one of its own threads
    // (see "Host notices" below). [any-thread]
    void AutomateParameter(std::int32_t index, float value) override;
    // The host's direct routines: normalised values. SetParameter never
    // waits: it stores at once or queues (PostParameter). When it stores it
    // runs the change handlers on the calling thread, so a module whose host
    // automates from the audio thread keeps its handlers fit for it (the
    // equaliser's are). [any-thread, lock-free]
    float GetParameter(std::int32_t index) override;
    void SetParameter(std::int32_t index, float value) override;
    // Each applies the parameter writes still queued, if the store is free,
    // then runs the inherited call, then delivers the host notices that wait
    // (below): a holder that let go while writes kept arriving leaves the
    // last of them for the next block. [audio-thread]
    void Process(float** inputs, float** outputs, std::int32_t sampleFrames) override;
    void ProcessReplacing(float** inputs, float** outputs, std::int32_t sampleFrames) override;
    void ProcessDoubleReplacing(double** inputs, double** outputs, std::int32_t sampleFrames) override;
    // True while the calling thread is inside StoreParameter / a host
    // setParameter. [any-thread, lock-free]
    bool InStoreParameter() const { return FInStoreParameter.IsSet(); }
    bool InHostSetParameter() const { return FInHostSetParameter.IsSet(); }

    // ---- Host notices (VSTModuleHostNotices.cpp) ----
    // Called on an editor thread (EditorThread.h), the five notifications
    // below and AutomateParameter send nothing: they queue (THostNotices),
    // answer false, and the host's own threads deliver: effEditIdle and
    // effEditClose on its UI thread, every process call on its audio thread.
    // From any other thread they call the host at once. [any-thread]
    bool HostBeginEdit(std::int32_t index) override;
    bool HostEndEdit(std::int32_t index) override;
    bool HostUpdateDisplay() override;
    bool HostSizeWindow(std::int32_t width, std::int32_t height) override;
    // Delivers what waits; returns at once when another thread is
    // delivering. [any-thread, lock-free]
    void DeliverHostNotices(bool onUiThread) noexcept;
    bool HostNoticesPending() const noexcept { return FHostNotices.Pending(); }  // [any-thread, lock-free]
    // [ui-thread]: after the base's work, the notices are delivered; a closed
    // editor leaves no gesture open.
    std::intptr_t HandleEditIdle(std::int32_t index, std::intptr_t value, void* ptr, float opt) override;
    std::intptr_t HandleEditClose(std::int32_t index, std::intptr_t value, void* ptr, float opt) override;

    // ---- Programs ----
    // [any-thread] to reach the programs; the list changes only while the
    // module loads and at teardown.
    TCustomVstPrograms& Programs() { return FPrograms; }
    const TCustomVstPrograms& Programs() const { return FPrograms; }
    void SetPrograms(const TCustomVstPrograms& v) { FPrograms.Assign(v); }  // [ui-thread]
    // The record's numPrograms; assigning ignores the value and recounts the
    // programs. Reading: [any-thread, lock-free]; assigning: [ui-thread].
    std::int32_t numPrograms() const { return Effect().numPrograms; }
    void SetNumPrograms(std::int32_t ignored);
    std::int32_t CurrentProgram() const {
        return FCurrentProgram.load(std::memory_order_relaxed);
    }  // [any-thread, lock-free]
    // Switches to program v and replays its values through the change
    // handlers, holding the store throughout; asks the host to redisplay in
    // every case. [ui-thread]
    virtual void SetCurrentProgram(std::int32_t v);
    std::string CurrentProgramName() const;          // [any-thread]
    void SetCurrentProgramName(std::string_view v);  // [any-thread]
    // The last bank chunk handed to the host. [ui-thread]
    const std::vector<std::uint8_t>& BankChunkData() const { return FBankChunkData; }

    // ---- Events ----
    TParameterChangeEvent OnParameterChange;  // after the description's own handler
    TNotifyEvent OnParameterSizeFailed;       // the host set an index outside the parameters
    TGetChunkParameterEvent OnGetChunkParameter;
    TNotifyEvent OnBeforeProgramChange, OnAfterProgramChange;
    TNotifyEvent OnBeginSetProgram, OnEndSetProgram;
    TOnBeginLoadBankEvent OnBeginLoadBank;
    TOnBeginLoadProgramEvent OnBeginLoadProgram;

    // ---- Handlers [ui-thread] ----
    // Exceptions, [any-thread]: the text requests HandleGetProgramName,
    // HandleGetProgramNameIndexed, HandleGetParamName, HandleGetParamLabel and
    // HandleGetParamDisplay; hosts ask them from scanner and worker threads.
    std::intptr_t HandleSetProgram(std::int32_t, std::intptr_t value, void*, float) override;
    std::intptr_t HandleGetProgram(std::int32_t, std::intptr_t, void*, float) override;
    std::intptr_t HandleSetProgramName(std::int32_t, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleGetProgramName(std::int32_t, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleGetParamLabel(std::int32_t index, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleGetParamDisplay(std::int32_t index, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleGetParamName(std::int32_t index, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleEditOpen(std::int32_t index, std::intptr_t value, void* ptr, float opt) override;
    std::intptr_t HandleGetChunk(std::int32_t index, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleSetChunk(std::int32_t index, std::intptr_t value, void* ptr, float) override;
    std::intptr_t HandleCanBeAutomated(std::int32_t index, std::intptr_t, void*, float) override;
    std::intptr_t HandleString2Parameter(std::int32_t index, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleGetNumProgramCategories(std::int32_t, std::intptr_t, void*, float) override;
    std::intptr_t HandleGetProgramNameIndexed(std::int32_t index, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleGetParameterProperties(std::int32_t index, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleBeginSetProgram(std::int32_t, std::intptr_t, void*, float) override;
    std::intptr_t HandleEndSetProgram(std::int32_t, std::intptr_t, void*, float) override;
    std::intptr_t HandleBeginLoadBank(std::int32_t, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleBeginLoadProgram(std::int32_t, std::intptr_t, void* ptr, float) override;

    void DefineProperties(TPropertyTable& table, const TMethodTable& methods) override;  // [ui-thread]

protected:
    // Right before the stored description is read: the programs that already
    // exist are initialised and program 0 is selected. [ui-thread]
    virtual void DescriptionLoading();

private:
    friend class TCustomVstParameterProperties;
    friend class TCustomVstPrograms;
    // Collection notifications (control side).
    void ParameterPropertyAdded();
    void ParameterPropertyRemoving(std::int32_t index);
    void ProgramAdded(TCustomVstProgram& program);
    void ProgramRemoved();

    // The program whose values are live, or null when there is none.
    TCustomVstProgram* ActiveProgram() const;
    // Runs both change handlers on value.
    void FireParameterChange(std::int32_t index, float& value);
    // The store itself, with the store held.
    void StoreHeld(std::int32_t index, float value);
    // Stores now if the store is free, else queues. [any-thread, lock-free]
    void SubmitParameter(std::int32_t index, float value, bool fromHost);
    // Applies the queued values; failures of their handlers are dropped. The store is held.
    void ApplyQueuedParameters() noexcept;
    // Applies what waits, lets go, and takes the store again while values
    // keep arriving (a bounded number of times). The store is held.
    void ReleaseStore(std::optional<TThreadFlag::TScope>& holding) noexcept;
    // Applies the queued values when the store is free at once. [any-thread, lock-free]
    void ApplyWaitingParameters() noexcept;
    // Fires the module's OnParameterChange once per parameter with its current value.
    void ReplayParameterValues();
    std::intptr_t GetBankChunk(void** slot);
    std::intptr_t SetBankChunk(const std::uint8_t* data, std::size_t size);
    std::intptr_t BeginLoad(void* ptr, const TOnBeginLoadBankEvent& event);

    TCustomVstParameterProperties FParameterProperties{*this};
    TCustomVstPrograms FPrograms{*this};
    TParameterValues FParameterValues;  // live values while there are no programs
    std::atomic<std::int32_t> FCurrentProgram{-1};
    std::vector<std::uint8_t> FBankChunkData;
    TStoreGate FStoreGate;  // never held while calling the host
    TParameterQueue FQueuedParameters;
    // Set by a host thread that queued a value, or came to apply what waits,
    // and found the store taken: the holder must look once more before it
    // lets go for good.
    std::atomic<bool> FHolderAwaited{false};
    THostNotices FHostNotices;  // what editor threads have to tell the host
    TThreadFlag FHoldingStore;
    TThreadFlag FInStoreParameter;
    TThreadFlag FInHostSetParameter;
};

}  // namespace tessel
