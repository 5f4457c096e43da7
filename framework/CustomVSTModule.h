#pragma once
// TCustomVSTModule: the plug-in's host-visible identity and the answers to
// most host requests — names, version, category, can-do queries, pins,
// sample rate and block size, suspend/resume, latency — plus the events those
// requests fire, and the host product query that host quirks depend on.
//
// Threads: most of it runs on the dispatcher's thread; the three process
// entry points run on the audio thread; the names hosts read are safe from
// any thread. Each function's tag says which (README, "Thread contracts").

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/BasicVSTModule.h"
#include "framework/ChannelBuffers.h"
#include "framework/CustomVstShellPlugins.h"
#include "framework/EditorLease.h"
#include "framework/EditorWindow.h"
#include "framework/EnumSet.h"
#include "framework/PropertyTable.h"
#include "framework/SharedText.h"
#include "framework/VSTCanDo.h"

namespace tessel {

enum class TEffFlag {
    effFlagsHasEditor,
    effFlagsHasClip,
    effFlagsHasVu,
    effFlagsCanMono,
    effFlagsCanReplacing,
    effFlagsProgramChunks,
    effFlagsUnused1,
    effFlagsUnused2,
    effFlagsIsSynth,
    effFlagsNoSoundInStop,
    effFlagsExtIsAsync,
    effFlagsExtHasBuffer,
    effFlagsCanDoubleReplacing
};
using TEffFlags = TEnumSet<TEffFlag>;
extern const std::array<std::string_view, 13> kEffFlagNames;

// Ordinal = the VST 2 category number.
enum class TVstPluginCategory {
    vpcUnknown,
    vpcEffect,
    vpcSynth,
    vpcAnalysis,
    vpcMastering,
    vpcSpacializer,
    vpcRoomFx,
    vpcSurroundFx,
    vpcRestoration,
    vpcOfflineProcess,
    vpcShell,
    vpcGenerator
};
extern const std::array<std::string_view, 12> kPluginCategoryNames;

using TVstCanDos = TEnumSet<TVstCanDo>;
extern const std::array<std::string_view, 27> kCanDoNames;

enum class TProcessPrecision { pp32, pp64 };
extern const std::array<std::string_view, 2> kProcessPrecisionNames;

enum class TChannelPropertyFlag { cpfIsActive, cpfIsStereo, cpfUseSpeaker };
using TChannelPropertyFlags = TEnumSet<TChannelPropertyFlag>;

// ---- Event types (Sender is always the module) ----
using TOnDispatcherEvent = std::function<void(TBasicVSTModule& sender, std::int32_t opCode)>;
using TSampleRateChangeEvent = std::function<void(TBasicVSTModule& sender, float sampleRate)>;  // Hz
using TBlockSizeChangeEvent = std::function<void(TBasicVSTModule& sender, std::int32_t blockSize)>;
using TGetVUEvent = std::function<void(float& vu)>;  // 0..1
using TSetKnobModeEvent = std::function<void(TBasicVSTModule& sender, std::int32_t val)>;
using TInOutConnectedEvent = std::function<void(TBasicVSTModule& sender, std::int32_t index, bool state)>;
using TOnGetChannelPropertiesEvent =
    std::function<std::int32_t(TBasicVSTModule& sender, std::string& vLabel, std::string& shortLabel,
                               std::uint8_t& speakerArrangement, TChannelPropertyFlags& flags)>;
using TOnCanDoEvent = std::function<std::int32_t(TBasicVSTModule& sender, const std::string& canDoText)>;
using TOnVendorSpecificEvent = std::function<std::int32_t(TBasicVSTModule& sender, std::int32_t lArg1,
                                                          std::intptr_t lArg2, void* ptrArg, float floatArg)>;
using TSoftBypassEvent = std::function<void(TBasicVSTModule& sender, bool isBypass)>;
using TOnSetPanLawEvent = std::function<void(TBasicVSTModule& sender, std::int32_t& vType, float& val)>;
using TOfflineNotifyEvent =
    std::function<void(TBasicVSTModule& sender, void* audioFiles, std::int32_t numAudioFiles, bool start)>;
using TOfflineTaskEvent = std::function<void(TBasicVSTModule& sender, void* offlineTasks, std::int32_t count)>;
using TOfflinePrepareEvent = TOfflineTaskEvent;
using TOfflineRunEvent = TOfflineTaskEvent;
using TProcessVarIOEvent = std::function<void(TBasicVSTModule& sender, void* varIo)>;

// Editor events. The open handler creates the window into gui (which may hold
// the window a previous close kept); parentWindow is the host's window handle.
using TGetEditorEvent =
    std::function<void(TBasicVSTModule& sender, std::unique_ptr<TEditorWindow>& gui, std::uintptr_t parentWindow)>;
using TOnEditClose = std::function<void(TBasicVSTModule& sender, bool& destroyForm)>;
using TVSTKeyEvent = std::function<void(TBasicVSTModule& sender, const VstKeyCode& keyCode)>;
using TOnCheckKey = std::function<bool(TBasicVSTModule& sender, char key)>;

// The platform virtual-key code for a forwarded VST key; 0 when it has none. [any-thread]
std::int32_t VirtualKeyToPlatformKey(const VstKeyCode& key);

// Audio routines: channel-pointer arrays and a frame count; they are called [audio-thread].
using TProcessAudioEvent = std::function<void(float* const* inputs, float* const* outputs, std::int32_t frames)>;
using TProcessDoubleReplacingEvent =
    std::function<void(double* const* inputs, double* const* outputs, std::int32_t frames)>;

class TCustomVSTModule : public TBasicVSTModule {
public:
    // Largest block size a host may announce (frames); larger, zero and
    // negative announcements are ignored.
    static constexpr std::int32_t kMaxBlockSize = std::int32_t{1} << 20;
    // Frames of the module's scratch buffers, whatever the host announces:
    // longer host blocks run through them in pieces.
    static constexpr std::int32_t kScratchFrames = 1024;

    TCustomVSTModule();            // [ui-thread]
    ~TCustomVSTModule() override;  // [ui-thread]

    void ConnectHost(audioMasterCallback hostCallback) override;  // [ui-thread]
    // Destroys a remaining editor window while the whole module is still alive. [ui-thread]
    void BeforeDestruction() override;
    // The host's product text, asked once per instance (once connected) and
    // kept; "Unknown" when the host does not say. [any-thread] once connected.
    std::string HostProduct();

    // ---- Names hosts read, from any thread [any-thread] ----
    std::string EffectName() const { return FEffectName.Get(); }
    void SetEffectName(std::string_view v) { FEffectName.Set(v); }
    std::string ProductName() const { return FProductName.Get(); }
    void SetProductName(std::string_view v) { FProductName.Set(v); }
    std::string VendorName() const { return FVendorName.Get(); }
    void SetVendorName(std::string_view v) { FVendorName.Set(v); }

    // ---- Identity [ui-thread] ----
    const std::string& Version() const { return FVersion; }
    void SetVersion(std::string v) { FVersion = std::move(v); }
    const std::string& About() const { return FAbout; }
    virtual void SetAbout(const std::string& v);  // read-only: ignored

    std::int32_t VersionMajor() const { return FVersionMajor; }
    std::int32_t VersionMinor() const { return FVersionMinor; }
    std::int32_t VersionRelease() const { return FVersionRelease; }
    void SetVersionMajor(std::int32_t v);
    void SetVersionMinor(std::int32_t v);
    void SetVersionRelease(std::int32_t v);
    // version field := major * 65536 + minor * 256 + release, unmasked
    void UpdateVersion();

    TVstPluginCategory PlugCategory() const { return FPlugCategory; }
    void SetPlugCategory(TVstPluginCategory v) { FPlugCategory = v; }
    TVstCanDos CanDos() const { return FCanDos; }
    void SetCanDos(TVstCanDos v) { FCanDos = v; }
    std::int32_t TailSize() const { return FTailSize; }  // samples
    void SetTailSize(std::int32_t v) { FTailSize = v; }
    TProcessPrecision ProcessPrecisition() const { return FProcessPrecision; }
    void SetProcessPrecisition(TProcessPrecision v) { FProcessPrecision = v; }
    std::int32_t numCategories() const { return FNumCategories; }
    void SetNumCategories(std::int32_t v) { FNumCategories = v; }
    // Shell sub-plug-ins (used when PlugCategory is vpcShell); assigning copies item by item.
    TCustomVstShellPlugins& ShellPlugins() { return FShellPlugins; }
    const TCustomVstShellPlugins& ShellPlugins() const { return FShellPlugins; }
    void SetShellPlugins(const TCustomVstShellPlugins& v) { FShellPlugins.Assign(v); }
    bool KeysRequired() const { return FKeysRequired.load(std::memory_order_relaxed); }
    void SetKeysRequired(bool v);

    // ---- Record fields [ui-thread] ----
    // The audio thread reads the getters too; the setters do not synchronise
    // with it, as the VST 2 interface allows: hosts change them while suspended.
    std::int32_t numInputs() const { return Effect().numInputs; }
    std::int32_t numOutputs() const { return Effect().numOutputs; }
    virtual void SetNumInputs(std::int32_t v);
    virtual void SetNumOutputs(std::int32_t v);
    float SampleRate() const { return FSampleRate.load(std::memory_order_relaxed); }  // Hz
    virtual void SetSampleRate(float v);
    std::int32_t BlockSize() const { return FBlockSize.load(std::memory_order_relaxed); }  // samples
    // Ignored outside 1..kMaxBlockSize; allocates nothing.
    virtual void SetBlockSize(std::int32_t v);
    virtual std::string UniqueID() const;
    virtual void SetUniqueID(const std::string& v);
    virtual void SetFlags(TEffFlags v);
    virtual TEffFlags Flags() const;
    std::int32_t InitialDelay() const { return Effect().initialDelay; }  // samples, as reported
    virtual void SetInitialDelay(std::int32_t v);
    std::int32_t RealQualities() const { return Effect().realQualities; }
    void SetRealQualities(std::int32_t v) { Effect().realQualities = v; }
    std::int32_t OffQualities() const { return Effect().offQualities; }
    void SetOffQualities(std::int32_t v) { Effect().offQualities = v; }
    std::int32_t IORatio() const { return FIORatio; }
    void SetIORatio(std::int32_t v);

    virtual void SampleRateChanged();                                                  // [ui-thread]
    virtual void BlockSizeChanged();                                                   // [ui-thread]
    virtual void SetBlockSizeAndSampleRate(std::int32_t blockSize, float sampleRate);  // [ui-thread]

    // ---- Speaker arrangements (variable-length host records, allocated here) [ui-thread] ----
    virtual bool AllocateArrangement(VstSpeakerArrangement*& arrangement, std::int32_t channels);
    virtual bool DeallocateArrangement(VstSpeakerArrangement*& arrangement);
    virtual bool CopySpeaker(VstSpeakerProperties* to, const VstSpeakerProperties* from);
    virtual bool MatchArrangement(VstSpeakerArrangement*& to, const VstSpeakerArrangement* from);

    // ---- Editor refresh: any thread may ask, the editor's idle handling clears it [any-thread, lock-free] ----
    virtual void EditorNeedsUpdateRequest() { SetEditorNeedsUpdate(true); }
    bool EditorNeedsUpdate() const { return FEditorNeedsUpdate.load(std::memory_order_relaxed); }
    void SetEditorNeedsUpdate(bool v) { FEditorNeedsUpdate.store(v, std::memory_order_relaxed); }

    // ---- Host requests answered here: they adopt the host's answer [ui-thread] ----
    double HostSampleRate() override;
    std::int32_t HostBlockSize() override;

    // ---- Audio entry points: run the active routines the processing layer installs [audio-thread] ----
    // The accumulating Process runs a replacing routine on fixed-size scratch
    // outputs, piece by piece, and adds them: nothing is allocated.
    void Process(float** inputs, float** outputs, std::int32_t sampleFrames) override;
    void ProcessReplacing(float** inputs, float** outputs, std::int32_t sampleFrames) override;
    void ProcessDoubleReplacing(double** inputs, double** outputs, std::int32_t sampleFrames) override;

    // ---- Dispatcher handlers [ui-thread], HandleProcessEvents [audio-thread] ----
    void BeforeDispatch(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr, float opt) override;

    std::intptr_t HandleOpen(std::int32_t, std::intptr_t, void*, float) override;
    std::intptr_t HandleClose(std::int32_t, std::intptr_t, void*, float) override;
    std::intptr_t HandleGetVu(std::int32_t, std::intptr_t, void*, float) override;
    std::intptr_t HandleSetSampleRate(std::int32_t, std::intptr_t, void*, float opt) override;
    std::intptr_t HandleSetBlockSize(std::int32_t, std::intptr_t value, void*, float) override;
    std::intptr_t HandleMainsChanged(std::int32_t, std::intptr_t value, void*, float) override;
    std::intptr_t HandleProcessEvents(std::int32_t, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleConnectInput(std::int32_t index, std::intptr_t value, void*, float) override;
    std::intptr_t HandleConnectOutput(std::int32_t index, std::intptr_t value, void*, float) override;
    std::intptr_t HandleGetInputProperties(std::int32_t index, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleGetOutputProperties(std::int32_t index, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleGetPlugCategory(std::int32_t, std::intptr_t, void*, float) override;
    std::intptr_t HandleOfflineNotify(std::int32_t index, std::intptr_t value, void* ptr, float) override;
    std::intptr_t HandleOfflinePrepare(std::int32_t, std::intptr_t value, void* ptr, float) override;
    std::intptr_t HandleOfflineRun(std::int32_t, std::intptr_t value, void* ptr, float) override;
    std::intptr_t HandleProcessVarIo(std::int32_t, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleSetBlockSizeAndSampleRate(std::int32_t, std::intptr_t value, void*, float opt) override;
    std::intptr_t HandleSetBypass(std::int32_t, std::intptr_t value, void*, float) override;
    std::intptr_t HandleGetEffectName(std::int32_t, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleGetVendorString(std::int32_t, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleGetProductString(std::int32_t, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleGetVendorVersion(std::int32_t, std::intptr_t, void*, float) override;
    std::intptr_t HandleVendorSpecific(std::int32_t index, std::intptr_t value, void* ptr, float opt) override;
    std::intptr_t HandleEditGetRect(std::int32_t, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleEditOpen(std::int32_t, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleEditClose(std::int32_t, std::intptr_t, void*, float) override;
    std::intptr_t HandleEditIdle(std::int32_t, std::intptr_t, void*, float) override;
    std::intptr_t HandleEditTop(std::int32_t, std::intptr_t, void*, float) override;
    std::intptr_t HandleEditSleep(std::int32_t, std::intptr_t, void*, float) override;
    std::intptr_t HandleEditKeyDown(std::int32_t index, std::intptr_t value, void*, float opt) override;
    std::intptr_t HandleEditKeyUp(std::int32_t index, std::intptr_t value, void*, float opt) override;
    std::intptr_t HandleCanDo(std::int32_t, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleGetTailSize(std::int32_t, std::intptr_t, void*, float) override;
    std::intptr_t HandleKeysRequired(std::int32_t, std::intptr_t, void*, float) override;
    std::intptr_t HandleGetVstVersion(std::int32_t, std::intptr_t, void*, float) override;
    std::intptr_t HandleSetEditKnobMode(std::int32_t, std::intptr_t value, void*, float) override;
    std::intptr_t HandleGetSpeakerArrangement(std::int32_t, std::intptr_t, void*, float) override;
    std::intptr_t HandleShellGetNextPlugin(std::int32_t, std::intptr_t, void* ptr, float) override;
    std::intptr_t HandleStartProcess(std::int32_t, std::intptr_t, void*, float) override;
    std::intptr_t HandleStopProcess(std::int32_t, std::intptr_t, void*, float) override;
    std::intptr_t HandleSetTotalSampleToProcess(std::int32_t, std::intptr_t value, void*, float) override;
    std::intptr_t HandleSetPanLaw(std::int32_t, std::intptr_t value, void*, float opt) override;
    std::intptr_t HandleSetProcessPrecision(std::int32_t, std::intptr_t, void*, float) override;

    // ---- Events ----
    TNotifyEvent OnOpen, OnClose, OnInitialize, OnResume, OnSuspend, OnStartProcess, OnStopProcess;
    TOnDispatcherEvent OnDispatcher;
    TSampleRateChangeEvent OnSampleRateChange;
    TBlockSizeChangeEvent OnBlockSizeChange;
    TGetVUEvent OnGetVU;
    TSetKnobModeEvent OnEditorKnobMode;
    TInOutConnectedEvent OnInConnected, OnOutConnected;
    TOnGetChannelPropertiesEvent OnInputProperties, OnOutputProperties;
    TOnCanDoEvent OnCanDo;
    TOnVendorSpecificEvent OnVendorSpecific;
    TSoftBypassEvent OnSoftBypass;
    TOnSetPanLawEvent OnSetPanLaw;
    TOfflineNotifyEvent OnOfflineNotify;
    TOfflinePrepareEvent OnOfflinePrepare;
    TOfflineRunEvent OnOfflineRun;
    TProcessVarIOEvent OnProcessVarIO;
    TGetEditorEvent OnEditOpen;
    TOnEditClose OnEditClose;
    TNotifyEvent OnEditIdle, OnEditTop, OnEditSleep;
    TVSTKeyEvent OnEditorKeyDown, OnEditorKeyUp;
    TOnCheckKey OnCheckKey;

    // Adds this level's settable properties; each level calls its base first. [ui-thread]
    virtual void DefineProperties(TPropertyTable& table, const TMethodTable& methods);

protected:
    // The routines the three host audio calls run; installed by the processing layer.
    TProcessAudioEvent FActiveProcess;
    TProcessAudioEvent FActiveProcessReplacing;
    TProcessDoubleReplacingEvent FActiveProcessDoubleReplacing;

    // ---- Editor hosting ----
public:
    // The editor window for any thread (parameter handlers run on whichever
    // thread changed a parameter): effEditClose waits for the lease to end
    // before it destroys the window. [any-thread, lock-free]
    TEditorLease LeaseEditor() const noexcept { return FEditorShare.Lease(); }
    // The content scale the host last sent (effVendorSpecific 'PreS' 'AeCs',
    // the factor in opt) in percent; 0 while it has sent none.
    // [any-thread, lock-free]
    int HostContentScale() const noexcept { return FHostContentScale.load(std::memory_order_relaxed); }

protected:
    virtual bool EditorExists() const { return FEditorForm != nullptr; }
    TEditorWindow* EditorForm() const { return FEditorForm.get(); }
    const ERect& EditorRect() const { return FEditorRect; }
    // The editor's client size (width, height in pixels) before it is
    // opened; {0, 0} when the module cannot tell. Hosts size their editor
    // window from effEditGetRect before effEditOpen.
    virtual std::pair<int, int> EditorSizeBeforeOpen() const { return {0, 0}; }

    std::int32_t RequestedInitialDelay() const { return FRequestedInitialDelay; }
    void SetRequestedInitialDelay(std::int32_t v) { FRequestedInitialDelay = v; }
    // Writes the reported delay and tells the host, except "energyXT", which
    // reacts badly to I/O changes.
    void ReportInitialDelay(std::int32_t effectiveDelay);
    // Runs after numInputs or numOutputs changed in the record (their setters,
    // a shell sub-plug-in taking over); levels that keep per-channel buffers
    // resize them here. Control side.
    virtual void PinCountsChanged();

private:
    std::intptr_t ForwardKey(bool down, std::int32_t character, std::intptr_t virtualKey, float modifiers);
    std::intptr_t AnswerPinProperties(bool input, std::int32_t index, void* ptr);
    // Sizes the accumulating call's scratch buffers for numOutputs x kScratchFrames.
    void ResizeAccumulationScratch();
    // Takes on the identity of the sub-plug-in the host is loading (vpcShell only).
    void SelectShellPlugin();

    TSharedText FEffectName, FProductName, FVendorName;
    std::string FVersion = "0.0";
    std::string FAbout;
    std::int32_t FVersionMajor = 1, FVersionMinor = 0, FVersionRelease = 0;
    TVstPluginCategory FPlugCategory = TVstPluginCategory::vpcUnknown;
    TVstCanDos FCanDos;
    std::int32_t FTailSize = 0;
    TProcessPrecision FProcessPrecision = TProcessPrecision::pp32;
    std::int32_t FNumCategories = 1;
    // The editor sets it on its own thread while the host forwards keys on its UI thread.
    std::atomic<bool> FKeysRequired{false};
    // Atomic: change handlers read them on whichever thread the host sets a
    // parameter from, while its UI thread may be setting them.
    std::atomic<float> FSampleRate{44100.0f};
    std::atomic<std::int32_t> FBlockSize{1024};
    std::int32_t FIORatio = 1;
    std::int32_t FRequestedInitialDelay = 0;
    std::atomic<int> FHostContentScale{0};  // percent
    std::string FHostProductCache;
    std::atomic<bool> FHostProductAsked{false};  // FHostProductCache holds the host's answer
    std::unique_ptr<TEditorWindow> FEditorForm;
    mutable TEditorShare FEditorShare;  // FEditorForm as other threads may reach it
    ERect FEditorRect{};                // its address is handed to the host, so it lives in the module
    TCustomVstShellPlugins FShellPlugins{*this};
    std::int32_t FShellPluginPosition = 0;  // next item effShellGetNextPlugin hands out
    std::atomic<bool> FEditorNeedsUpdate{false};

    // Scratch outputs for the accumulating call when only a replacing routine
    // exists; allocated on the control side so the audio thread never allocates.
    TChannelBuffers<float> FScratchOutputs;
    std::vector<float*> FScratchInputs;  // the host's inputs, offset to the current piece
};

}  // namespace tessel
