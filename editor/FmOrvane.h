#pragma once
// TFmOrvane: the equaliser's editor form. It reads its appearance from the
// per-user settings when it is created and writes it back when it is
// destroyed, lays out both GUI styles with their 21 knobs, and draws into
// its back buffer through TOrvanePainter over the BackgroundImage it
// shares with the editors that look the same.
//
// Threads. The module reports parameter changes through TOrvaneEditor from
// whatever thread made them — the host's audio thread included. Those
// calls only leave marks (atomic bits, and each knob's position and
// enabling in atomics): no lock, no allocation, no system call. The editor
// thread takes the marks at its next frame and performs exactly the
// drawings they name, then composes and copies the frame. A knob moved by
// the module does not report the move back: only a user's gesture on a
// knob writes a parameter.
//
// Everything else is [editor-thread], or the creating/destroying thread
// while no editor thread runs (FormCreate, FormDestroy).

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "editor/EqualiserModel.h"
#include "editor/OrvaneEditor.h"
#include "editor/OrvaneLayout.h"
#include "editor/OrvanePainter.h"
#include "editor/SettingsStore.h"
#include "editor/SpectrumAnalyser.h"
#include "framework/PropertyTable.h"
#include "gui/controls/FlatEdit.h"
#include "gui/controls/Form.h"
#include "gui/controls/KnobGestures.h"
#include "gui/controls/MetalDial32.h"
#include "gui/controls/PopupMenu.h"

namespace tessel {

class TFmOrvane : public TForm, public TOrvaneEditor, private TOrvaneDrawSource {
public:
    // The form of `owner`; settings come from `settings` (by default the
    // user's configuration folder), the background's texture from `noise`
    // (by default a clock-seeded generator; tests fix it), the desktop's
    // scale in percent from `desktopScale` (by default the X server's
    // Xft.dpi or GDK_SCALE; 0: it says nothing).
    explicit TFmOrvane(TEqualiserModel& owner, std::shared_ptr<TSettingsStore> settings = nullptr,
                       TRandomSource* noise = nullptr, std::function<int()> desktopScale = nullptr);
    ~TFmOrvane() override;

    TEqualiserModel& Owner() const { return FOwner; }

    // ---- What the module asks [any thread, lock-free] ---------------------
    TOrvaneDial& GainDial(int band) override;
    TOrvaneDial& FreqDial(int band) override;
    TOrvaneDial& BandwidthDial(int band) override;
    void DrawFilterType(int band) override;
    void DrawGain(int band) override;
    void DrawFrequency(int band) override;
    void DrawBandwidth(int band) override;
    void DrawResponse() override;
    void DrawSnapshotButtons() override;

    // ---- Layout and drawing [editor thread] --------------------------------
    // Sets every rectangle for the GUI style and places and configures the knobs.
    void CalculateLayout();
    void RenderBackground(std::uint8_t alpha);
    void RedrawAll();
    const TOrvaneLayout& Layout() const { return FLayout; }
    const TBitmap32& BackBuffer() const { return FBackBuffer; }
    // Style and colour changes: layout, background and every text.
    void SetGuiStyle(TGuiStyle style);
    void SetColorScheme(std::int32_t colorWord);
    TGuiStyle GuiStyle() const { return FGuiStyle; }
    std::uint8_t FontQuality() const { return FFontQuality; }
    void SetFontQuality(std::uint8_t quality) { FFontQuality = quality; }
    // The scale the editor is drawn at, percent, and the user's choice
    // (0: automatic). OrvaneScale.h says how it is chosen.
    int ScalePercent() const { return Scale().Percent; }
    int UserScale() const { return FUserScale; }
    // Chooses the scale again from its sources; a change lays out and draws
    // everything at the new scale, and, while the window is open, asks the
    // host to fit its window to the new size.
    void UpdateScale();
    void HostScaleChanged(int percent) override;

    // The knobs, by value and band (null once the form is destroyed).
    TMetalDial32* Knob(TBandValue value, int band) const;

    // ---- Components, by their stored names ---------------------------------
    TPopupMenu PopupSimple{"PopupSimple"};
    TPopupMenu PUGUI{"PUGUI"};
    TPopupMenu PUFreqDisplay{"PUFreqDisplay"};
    TPopupMenu PUDial{"PUDial"};
    TMenuItem& MenuItem(std::string_view name);  // throws for an unknown name
    std::unique_ptr<TFlatEdit> ValueEdit;

    // ---- Handlers bound by the stored description ----------------------------
    void FormCreate(TForm& sender);
    void FormDestroy(TForm& sender);
    void FormPaint(TForm& sender);
    void FormResize(TForm& sender);
    // Every handler is published by its stored name (Methods()).
    const TMethodTable& Methods() const { return FMethods; }

    // ---- Interaction [editor thread] (FmOrvaneHandlers.cpp) -----------------
    // Every parameter change goes through the module's AutomateParameter:
    // stored, drawn, and sent to the host once, inside an edit gesture: a
    // knob's drag or wheel run is one (TKnobGestures), any other change is
    // one of its own. On the editor thread the module queues what the host
    // is to hear, and the host's threads deliver it.
    void FormClick(TForm& sender);
    void FormMouseDown(TForm& sender, TMouseButton button, TShiftState shift, int x, int y);
    void FormMouseMove(TForm& sender, TShiftState shift, int x, int y);
    void DialMouseDown(TControl& sender, TMouseButton button, TShiftState shift, int x, int y);
    // GainDial1MouseUp, BandwidthDial1MouseUp and FreqDial1MouseUp …
    // FreqDial7MouseUp: Ctrl + right-button release resets the knob.
    void DialMouseUp(TBandValue value, int band, TControl& sender, TMouseButton button, TShiftState shift);
    void GainDialChange(TControl& sender);
    void FreqDialChange(TControl& sender);
    void BandwidthDialChange(TControl& sender);
    // What the three knob-change handlers share: the value box, if open, is
    // applied and closed, then the knob's value automated.
    void DialChange(TBandValue value, TControl& sender);
    void MITypeClick(TMenuItem& sender);
    void MINoteFrequencyClick(TMenuItem& sender);
    void MIShadowClick(TMenuItem& sender);
    void MIMagnitudeClick(TMenuItem& sender);
    void MIAnalyserClick(TMenuItem& sender);
    void MIKnobsClick(TMenuItem& sender);
    void MIDisplayClick(TMenuItem& sender);
    void MIFontQualityClick(TMenuItem& sender);
    // MIColorDefaultClick, MIColorCopperClick, MIColorDarkClick, MIColorOrangeClick.
    void MIColorSchemeClick(TMenuItem& sender);
    void MIKeysRequiredClick(TMenuItem& sender);
    // Zoom: the item's Tag is the scale in percent, 0 automatic.
    void MIZoomClick(TMenuItem& sender);
    void MIMoveLeftClick(TMenuItem& sender);
    void MIMoveRightClick(TMenuItem& sender);
    void ValueEditKeyPress(TControl& sender, char32_t& key);
    // Reads the value box and stores what it names; an unreadable text
    // leaves the box open with its text in red.
    void ApplyValueEdit();
    // [any thread] The value box was open when the last forwarded key
    // arrived: that key is the editor's, even if it has closed the box since
    // (Enter does, on the editor thread, before the host asks).
    bool TakesKeys() const override { return FKeyArrivedWhileEditOpen.load(std::memory_order_relaxed); }
    void HostKeyArriving() override {
        FKeyArrivedWhileEditOpen.store(FValueEditOpen.load(std::memory_order_relaxed), std::memory_order_relaxed);
    }
    // A knob turned by the user, before its change handler runs; knobs the
    // module moves do not raise it.
    std::function<void(TControl& knob)> OnKnobGesture;

    // Ends knob gestures whose wheel has rested and shows the analyser's next frame. [editor thread]
    void Tick(std::chrono::steady_clock::time_point now) override {
        FKnobGestures.Tick(now);
        TickAnalyser(now);
    }
    const TSpectrumAnalyser& Spectrum() const { return FSpectrum; }

protected:
    void HandleMarks(std::uint64_t bits) override;

private:
    // A knob as the module sees it: the last position and enabling it set,
    // picked up by the editor thread.
    class TDialLink final : public TOrvaneDial {
    public:
        void Attach(TFmOrvane* form) { FForm = form; }
        void SetEnabled(bool enabled) override;
        void SetPosition(float position) override;
        bool Enabled() const { return FEnabled.load(std::memory_order_relaxed); }
        float Position() const { return FPosition.load(std::memory_order_relaxed); }

    private:
        TFmOrvane* FForm = nullptr;
        std::atomic<float> FPosition{0.0f};
        std::atomic<bool> FEnabled{true};
    };
    using TKnobs = std::array<std::unique_ptr<TMetalDial32>, kOrvaneBands>;
    using TLinks = std::array<TDialLink, kOrvaneBands>;

    // TOrvaneDrawSource
    std::string FilterTypeText(int band) override;
    float ParameterValue(int index) override;
    bool ValueEnabled(TBandValue value, int band) override;
    int CurrentSnapshot() override;
    std::string CurrentProgramName() override;
    std::string EffectName() override;
    void BeginResponse() override;
    double TotalResponseDb(double frequencyHz) override;

    void PublishMethods();
    void ApplyDescription();
    void BuildMenus();
    void ReadSettings();
    void WriteSettings();
    void CreateKnobs();
    void ConfigureKnob(TMetalDial32& knob, TBandValue value, int band, const TRect& bounds);
    void ApplyDialLinks();
    void SyncAppearance();
    void CheckZoomItem();
    int ResolveScale() const;  // percent, from the user's Zoom, the host and the desktop
    bool Checked(std::string_view item);
    TKnobs& KnobsOf(TBandValue value);
    const TKnobs& KnobsOf(TBandValue value) const;
    TLinks& LinksOf(TBandValue value);
    void Mark(std::uint64_t bits) noexcept { PostMarks(bits); }
    void OpenValueEdit(TBandValue value, int band, const TRect& area);
    void HideValueEdit();
    // The analyser (editor/FmOrvaneAnalyser.cpp): the tap follows the menu's check.
    void ApplyAnalyser();
    void TickAnalyser(std::chrono::steady_clock::time_point now);

    // The items that drawing and the knobs consult on every pass, found once
    // when the menus are built.
    struct TConsultedItems {
        TMenuItem* Shadow = nullptr;
        TMenuItem* Magnitude = nullptr;
        TMenuItem* Note = nullptr;
        TMenuItem* Analyser = nullptr;
        TMenuItem* SnapFine = nullptr;
        TMenuItem* SnapCoarse = nullptr;
    };

    TMethodTable FMethods;
    TConsultedItems FItems;
    TEqualiserModel& FOwner;
    std::shared_ptr<TSettingsStore> FSettings;
    TOrvaneLayout FLayout;
    TOrvaneAppearance FAppearance;
    TOrvanePainter FPainter;
    TEqualiserResponse FResponse;
    TSpectrumAnalyser FSpectrum;
    std::chrono::steady_clock::time_point FLastSpectrumFrame{};
    std::function<int()> FDesktopScale;
    int FUserScale = 0;  // percent; 0 automatic
    std::uint8_t FFontQuality = 2;
    std::uint8_t FHintState = 0;  // 0 none, 1 menu hint, 2 snapshot hint
    TGuiStyle FGuiStyle = TGuiStyle::Knobs;
    TKnobs FGainDials, FFreqDials, FBandwidthDials;
    TLinks FGainLinks, FFreqLinks, FBandwidthLinks;
    bool FModuleMovesKnob = false;  // a position from the module: not a gesture
    // Begin and end of knob gestures go to the module, which passes them
    // to the host after the changes made so far.
    TKnobGestures FKnobGestures{[this](std::int32_t index) { FOwner.BeginValueEdit(index); },
                                [this](std::int32_t index) { FOwner.EndValueEdit(index); }};
    std::atomic<bool> FValueEditOpen{false};
    std::atomic<bool> FKeyArrivedWhileEditOpen{false};
};

}  // namespace tessel
