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
// Threads. The host may set and read parameters from any thread while the
// editor writes from its own:
//  - reads (ReadParameter, getParameter) are lock-free relaxed atomic loads;
//  - stores from different threads are serialised by a short lock held only
//    while a value is written and its change handlers run, never while the
//    host is called (automation is sent after the lock is released);
//  - the re-entrancy guards (InStoreParameter, InHostSetParameter) are per
//    thread: a nested store inside a change handler is ignored, a store from
//    another thread waits its turn and is never dropped.
// The audio thread never stores or takes the lock. Descriptions and programs
// are created while the stored description loads and removed at teardown.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "framework/CustomVstParameterProperties.h"
#include "framework/CustomVstPrograms.h"
#include "framework/ParameterValues.h"
#include "framework/ThreadFlag.h"
#include "framework/VSTModuleWithMidi.h"

namespace tessel {

using TGetChunkParameterEvent = std::function<float(TBasicVSTModule& sender, std::int32_t index)>;
using TOnBeginLoadBankEvent = std::function<void(TBasicVSTModule& sender, VstPatchChunkInfo& patchChunkInfo)>;
using TOnBeginLoadProgramEvent = TOnBeginLoadBankEvent;

class TVSTModuleWithPrograms : public TVSTModuleWithMidi {
public:
    TVSTModuleWithPrograms();
    ~TVSTModuleWithPrograms() override;

    // ---- Parameter descriptions ----
    TCustomVstParameterProperties& ParameterProperties() { return FParameterProperties; }
    const TCustomVstParameterProperties& ParameterProperties() const { return FParameterProperties; }
    void SetParameterProperties(const TCustomVstParameterProperties& v) { FParameterProperties.Assign(v); }
    // The record's numParams; assigning ignores the value and recounts the descriptions.
    std::int32_t numParams() const { return Effect().numParams; }
    void SetNumParams(std::int32_t ignored);
    // Whether the module keeps its state as opaque chunks (effFlagsProgramChunks).
    bool ChunkMode() const;
    // index within the parameter count and the descriptions.
    bool ParameterInRange(std::int32_t index) const;

    // Natural -> normalised 0..1; 0 for an index outside the parameters. [thread-safe]
    virtual float ParameterToNormalized(std::int32_t index, float value);
    // Normalised -> natural (curve, then one smoothing step); index must be valid. [thread-safe]
    virtual float NormalizedToParameter(std::int32_t index, float value);
    // Host texts: value display, unit label and name ("undefined" outside the parameters).
    std::string ParameterDisplay(std::int32_t index);
    std::string ParameterLabel(std::int32_t index);
    std::string ParameterName(std::int32_t index) const;

    // ---- Parameter store ----
    // Stores a natural value, limited to the description's Min..Max, and fires
    // the description's, then the module's OnParameterChange; no host
    // notification. Ignored when the calling thread is already storing;
    // "Index out of bounds" outside the parameters.
    virtual void StoreParameter(std::int32_t index, float value);
    // Current natural value. [thread-safe, lock-free]
    virtual float ReadParameter(std::int32_t index);
    // Stores, then tells the host (audioMasterAutomate with the normalised
    // value) unless the parameter cannot be automated or the change comes from
    // the host's own setParameter on this thread.
    void AutomateParameter(std::int32_t index, float value) override;
    // The host's direct routines: normalised values.
    float GetParameter(std::int32_t index) override;
    void SetParameter(std::int32_t index, float value) override;
    // True while the calling thread is inside StoreParameter / a host setParameter.
    bool InStoreParameter() const { return FInStoreParameter.IsSet(); }
    bool InHostSetParameter() const { return FInHostSetParameter.IsSet(); }

    // ---- Programs ----
    TCustomVstPrograms& Programs() { return FPrograms; }
    const TCustomVstPrograms& Programs() const { return FPrograms; }
    void SetPrograms(const TCustomVstPrograms& v) { FPrograms.Assign(v); }
    // The record's numPrograms; assigning ignores the value and recounts the programs.
    std::int32_t numPrograms() const { return Effect().numPrograms; }
    void SetNumPrograms(std::int32_t ignored);
    std::int32_t CurrentProgram() const { return FCurrentProgram.load(std::memory_order_relaxed); }
    // Switches to program v and replays its values through the change handlers;
    // asks the host to redisplay in every case.
    virtual void SetCurrentProgram(std::int32_t v);
    std::string CurrentProgramName() const;
    void SetCurrentProgramName(std::string_view v);
    // The last bank chunk handed to the host.
    const std::vector<std::uint8_t>& BankChunkData() const { return FBankChunkData; }

    // ---- Events ----
    TParameterChangeEvent OnParameterChange;  // after the description's own handler
    TNotifyEvent OnParameterSizeFailed;       // the host set an index outside the parameters
    TGetChunkParameterEvent OnGetChunkParameter;
    TNotifyEvent OnBeforeProgramChange, OnAfterProgramChange;
    TNotifyEvent OnBeginSetProgram, OnEndSetProgram;
    TOnBeginLoadBankEvent OnBeginLoadBank;
    TOnBeginLoadProgramEvent OnBeginLoadProgram;

    // ---- Handlers ----
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

    void DefineProperties(TPropertyTable& table, const TMethodTable& methods) override;

protected:
    // Right before the stored description is read: the programs that already
    // exist are initialised and program 0 is selected.
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
    std::mutex FStoreLock;  // serialises stores; never held while calling the host
    TThreadFlag FInStoreParameter;
    TThreadFlag FInHostSetParameter;
};

}  // namespace tessel
