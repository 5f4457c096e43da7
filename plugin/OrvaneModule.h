#pragma once
// TOrvaneModule: the Tessel EQ module. Everything the host sees is built from
// its stored description (OrvaneModuleDescription.cpp); this class adds the
// equaliser's handlers: seven bands of two filters each, snapshots, and the
// link to the editor.
//
// Threads: the filter objects are the control side's truth. They are only
// touched while the parameter store is held (TStoreHold): the change handlers
// run with it held, and everything else that reads or changes the filters
// holds it. Handlers publish the resulting coefficients to the audio engine.
// The process handlers run only the engine and never touch a filter object.
// The host's setParameter on the audio thread never waits for the store: it
// runs the handlers itself when the store is free and queues the value
// otherwise (see TVSTModuleWithPrograms).

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dsp/BandKind.h"
#include "dsp/OrvBiquadFilter.h"
#include "editor/AnalyserTap.h"
#include "editor/EqualiserModel.h"
#include "editor/OrvaneEditor.h"
#include "framework/VSTModule.h"
#include "plugin/OrvaneAudioEngine.h"

namespace tessel {

class TOrvaneModule : public TVSTModule, public TEqualiserModel {
public:
    static constexpr int kBandCount = 7;
    static constexpr int kChannelCount = 2;
    static constexpr int kSnapshotCount = 6;
    static constexpr int kParametersPerBand = TEqualiserModel::kParametersPerBand;
    static constexpr std::int32_t kVolumeIndex = 28;

    // Which of a band's values its kind (the Type value, rounded) uses: the
    // gain only the shelves and Peak; frequency and bandwidth all but Bypass.
    static constexpr bool KindUsesGain(double kind) { return kind == 1.0 || kind == 3.0 || kind == 5.0; }
    static constexpr bool KindUsesFrequency(double kind) { return kind != 7.0; }

    TOrvaneModule();                                                         // [ui-thread]
    ~TOrvaneModule() override;                                               // [ui-thread]
    std::string_view ClassName() const override { return "TOrvaneModule"; }  // [any-thread]

    // ---- Handlers bound by the stored description ----
    void VSTModuleCreate(TBasicVSTModule& sender);   // [ui-thread]
    void VSTModuleDestroy(TBasicVSTModule& sender);  // [ui-thread]
    void VSTModuleOpen(TBasicVSTModule& sender);     // [ui-thread]
    // Every band starts again from silence: playback restarts. [ui-thread]
    void VSTModuleResume(TBasicVSTModule& sender);
    // [ui-thread]
    void VSTModuleEditOpen(TBasicVSTModule& sender, std::unique_ptr<TEditorWindow>& gui, std::uintptr_t parentWindow);
    void VSTModuleSampleRateChange(TBasicVSTModule& sender, float sampleRate);  // Hz [ui-thread]
    // Change handlers: [any-thread, lock-free], on the thread holding the
    // parameter store, the host's audio thread included. Holding the store
    // makes them the engine's one publisher at a time.
    void OrvaneModuleTypeChange(TBasicVSTModule& sender, std::int32_t index, float& value);
    void OrvaneModuleGainChange(TBasicVSTModule& sender, std::int32_t index, float& value);       // dB
    void OrvaneModuleFreqChange(TBasicVSTModule& sender, std::int32_t index, float& value);       // Hz
    void OrvaneModuleBandwidthChange(TBasicVSTModule& sender, std::int32_t index, float& value);  // 0..1
    // Output gain of both channels, after the bands. [any-thread, lock-free]
    void OrvaneModuleVolumeChange(TBasicVSTModule& sender, std::int32_t index, float& value);  // dB
    // Display handlers: [any-thread]; the Bandwidth display waits for the parameter store.
    void OrvaneModuleTypeDisplay(TBasicVSTModule& sender, std::int32_t index, std::string& text);
    void OrvaneModuleFreqDisplay(TBasicVSTModule& sender, std::int32_t index, std::string& text);  // Hz
    void OrvaneModuleBandwidthDisplay(TBasicVSTModule& sender, std::int32_t index, std::string& text);
    // Texts typed back: a kind name (any case) for Type, octaves ("1.00",
    // "1.00 Oct") for Bandwidth. [ui-thread]
    void OrvaneModuleTypeParse(TBasicVSTModule& sender, std::int32_t index, std::string_view text, float& value);
    void OrvaneModuleBandwidthParse(TBasicVSTModule& sender, std::int32_t index, std::string_view text, float& value);
    // Replacing process handlers. [audio-thread]
    void VSTModuleProcess(float* const* inputs, float* const* outputs, std::int32_t sampleFrames) noexcept;
    void VSTModuleProcessDoubleReplacing(double* const* inputs, double* const* outputs,
                                         std::int32_t sampleFrames) noexcept;

    // ---- For the editor: [ui-thread], they wait for the parameter store ----
    // The bands' coefficients as they are now (TEqualiserResponse).
    using TResponseSnapshot = TEqualiserResponse;
    static_assert(TResponseSnapshot::kBandCount == kBandCount);
    TResponseSnapshot ResponseSnapshot() override;
    // Half the combined gain of the seven bands in dB at a frequency in Hz.
    double TotalResponseDb(double frequencyHz);
    void StoreSnapshot(int slot) override;
    void SelectSnapshot(int slot) override;
    int CurrentSnapshot() const override { return FCurrentSnapshot.load(std::memory_order_relaxed); }
    // The rest of what the editor asks, the framework's functions by the
    // editor's names.
    float ReadValue(std::int32_t index) override { return ReadParameter(index); }
    void AutomateValue(std::int32_t index, float value) override { AutomateParameter(index, value); }
    void BeginValueEdit(std::int32_t index) override { HostBeginEdit(index); }
    void EndValueEdit(std::int32_t index) override { HostEndEdit(index); }
    std::string ValueText(std::int32_t index) override;
    std::string ProgramName() override { return CurrentProgramName(); }
    std::string PlugInName() override { return EffectName(); }
    void SetEditorWantsKeys(bool wanted) override { SetKeysRequired(wanted); }
    int HostContentScale() const override { return TCustomVSTModule::HostContentScale(); }
    void RequestEditorSize(int width, int height) override { HostSizeWindow(width, height); }
    // The kind number of a band (0..7), or -1 before its filters exist.
    int FilterKind(int band);
    // Bring the editor's band displays and knobs up to date: [any-thread]
    // from the change handlers, with the store held (the audio thread's too:
    // then they wait for nothing and the editor's side is lock-free).
    void UpdateEditorType(int band, TOrvaneEditor* editor = nullptr);
    void UpdateEditorGain(int band, TOrvaneEditor* editor = nullptr);
    void UpdateEditorFrequency(int band, TOrvaneEditor* editor = nullptr) override;
    void UpdateEditorBandwidth(int band, TOrvaneEditor* editor = nullptr);

    // A band filter's settings as the control side holds them (for tests and displays).
    struct TBandSettings {
        int kind = -1;
        double frequencyHz = 0.0, gainDb = 0.0, bandwidthOctaves = 0.0, sampleRateHz = 0.0;
    };
    TBandSettings BandSettings(int channel, int band);  // [ui-thread]
    // [ui-thread]
    const std::vector<float>& Snapshot(int slot) const { return FSnapshots.at(static_cast<std::size_t>(slot)); }
    // The output the process handlers copy for the editor's spectrum analyser.
    TAnalyserTap& AnalyserTap() override { return FAnalyserTap; }

protected:
    void PublishMethods(TMethodTable& methods) override;  // [ui-thread]
    // The editor window for effEditOpen: the editor form in an X11 child of
    // the host's window, on its own editor thread. [ui-thread]
    virtual std::unique_ptr<TEditorWindow> CreateEditorForm(std::uintptr_t parentWindow);
    // The editor's client size, 718 × 381 pixels at the scale it will open at.
    std::pair<int, int> EditorSizeBeforeOpen() const override;
    // That scale in percent: the user's settings, the host's content scale,
    // the desktop's (OrvaneScale.h). [ui-thread]
    virtual int EditorScaleBeforeOpen() const;

private:
    using TFilterPtr = std::unique_ptr<TOrvBiquadFilter>;
    // One filter of every kind, built with the module, so that a change of
    // kind (automation may arrive on the audio thread) allocates nothing.
    using TKindFilters = std::array<TFilterPtr, kBandKinds.size()>;
    // The equaliser's editor in an editor window: the window itself or the
    // form it shows (Content). Null for none.
    static TOrvaneEditor* EditorOf(TEditorWindow* window);
    // Calls tell with the editor (the given one, else the open window's) while
    // it is leased; nothing without an editor or for a band outside 0..6.
    template <class TTell>
    void TellEditor(int band, TOrvaneEditor* editor, TTell tell);
    // A band's gain, frequency or bandwidth (field 1, 2, 3) changed: set
    // gives it to both channels' filters (null before the first Type change),
    // then the engine and the editor hear of it. [any-thread, lock-free]
    template <class TSet>
    void ChangeBand(std::int32_t index, int field, void (TOrvaneModule::*update)(int, TOrvaneEditor*), TSet set);
    // Hands a band's kind and current coefficients to the audio engine; the store is held.
    void PublishBand(int band);

    std::array<std::array<TKindFilters, kBandCount>, kChannelCount> FFilterPool;
    // Each band's current filter, one of its pool's; null before the band's
    // first Type change. Pool and filters: only with the parameter store held.
    std::array<std::array<TOrvBiquadFilter*, kBandCount>, kChannelCount> FFilters{};
    TOrvaneAudioEngine FEngine;
    TAnalyserTap FAnalyserTap;
    std::array<std::vector<float>, kSnapshotCount> FSnapshots;
    std::atomic<std::uint8_t> FCurrentSnapshot{0};  // read by the editor thread
    // The desktop's scale in percent, asked of the X server once per instance
    // (-1 until then): hosts ask for the editor's size at every idle, and a
    // connection per ask costs milliseconds and X server client slots.
    mutable std::atomic<int> FDesktopPercent{-1};
};

}  // namespace tessel
