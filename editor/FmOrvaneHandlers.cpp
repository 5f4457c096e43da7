// TFmOrvane: what the user's mouse, knobs, menus and typed values do. The
// rules themselves live in small units (FormClickAction, HintState,
// DialActions, BypassToggle, BandMove, ValueEditEntry); here they meet the
// form's menus, knobs and value box and the module.
//
// Every parameter change is one AutomateParameter call: the module stores
// it, its change handler marks the drawing, and the host hears of it once.
// Knobs the module moves never come back here (FModuleMovesKnob), so a
// change is not echoed to the host a second time.

#include <cmath>

#include "editor/BandMove.h"
#include "editor/BypassToggle.h"
#include "editor/DialActions.h"
#include "editor/FmOrvane.h"
#include "editor/FormClickAction.h"
#include "editor/HintState.h"
#include "editor/OrvanePalette.h"
#include "editor/OrvaneValueTexts.h"
#include "editor/ValueEditEntry.h"

namespace tessel {

namespace {

constexpr std::int32_t kFieldsPerBand = TEqualiserModel::kParametersPerBand;
// The value box's colour is the background's under the text, at this offset
// from the text rectangle's top-left corner (pixels).
constexpr TPoint kValueEditColorProbe{20, 5};
constexpr int kValueEditRaise = 2;  // the box sits this many pixels above its text

// The module as the interaction rules see its parameters.
class TModuleParameters final : public TParameterAccess {
public:
    explicit TModuleParameters(TEqualiserModel& module) : FModule(module) {}
    float ReadParameter(std::int32_t index) override { return FModule.ReadValue(index); }
    void AutomateParameter(std::int32_t index, float value) override { FModule.AutomateValue(index, value); }

private:
    TEqualiserModel& FModule;
};

// The window system's colour word (red in the low byte) of an ARGB pixel.
std::int32_t ColorWordOf(TColor32 argb) {
    const std::uint32_t r = (argb >> 16) & 0xFFu, g = (argb >> 8) & 0xFFu, b = argb & 0xFFu;
    return static_cast<std::int32_t>(r | (g << 8) | (b << 16));
}

int Band(const TControl& knob) { return static_cast<int>(knob.Tag); }
float Position(const TControl& knob) { return static_cast<const TCustomDial32&>(knob).Position(); }

}  // namespace

void TFmOrvane::PublishMethods() {
    using TFormNotify = TForm::TNotifyEvent;
    using TMenuClick = TMenuItem::TClickEvent;
    FMethods.PublishMember<TFormNotify>("FormCreate", this, &TFmOrvane::FormCreate);
    FMethods.PublishMember<TFormNotify>("FormDestroy", this, &TFmOrvane::FormDestroy);
    FMethods.PublishMember<TFormNotify>("FormPaint", this, &TFmOrvane::FormPaint);
    FMethods.PublishMember<TFormNotify>("FormResize", this, &TFmOrvane::FormResize);
    FMethods.PublishMember<TFormNotify>("FormClick", this, &TFmOrvane::FormClick);
    FMethods.PublishMember<TForm::TMouseEvent>("FormMouseDown", this, &TFmOrvane::FormMouseDown);
    FMethods.PublishMember<TForm::TMouseMoveEvent>("FormMouseMove", this, &TFmOrvane::FormMouseMove);

    FMethods.PublishMember<TControl::TMouseEvent>("DialMouseDown", this, &TFmOrvane::DialMouseDown);
    const auto release = [this](TBandValue value, int band) {
        return TControl::TMouseEvent([this, value, band](TControl& sender, TMouseButton button, TShiftState shift, int,
                                                         int) { DialMouseUp(value, band, sender, button, shift); });
    };
    // One handler for every gain and every bandwidth knob; one per band for
    // the frequency knobs, whose defaults differ.
    FMethods.Publish("GainDial1MouseUp", release(TBandValue::Gain, -1));
    FMethods.Publish("BandwidthDial1MouseUp", release(TBandValue::Bandwidth, -1));
    for (int band = 0; band < kOrvaneBands; ++band)
        FMethods.Publish("FreqDial" + std::to_string(band + 1) + "MouseUp", release(TBandValue::Frequency, band));
    FMethods.PublishMember<TControl::TNotifyEvent>("GainDialChange", this, &TFmOrvane::GainDialChange);
    FMethods.PublishMember<TControl::TNotifyEvent>("FreqDialChange", this, &TFmOrvane::FreqDialChange);
    FMethods.PublishMember<TControl::TNotifyEvent>("BandwidthDialChange", this, &TFmOrvane::BandwidthDialChange);

    FMethods.PublishMember<TMenuClick>("MITypeClick", this, &TFmOrvane::MITypeClick);
    FMethods.PublishMember<TMenuClick>("MINoteFrequencyClick", this, &TFmOrvane::MINoteFrequencyClick);
    FMethods.PublishMember<TMenuClick>("MIShadowClick", this, &TFmOrvane::MIShadowClick);
    FMethods.PublishMember<TMenuClick>("MIMagnitudeClick", this, &TFmOrvane::MIMagnitudeClick);
    FMethods.PublishMember<TMenuClick>("MIAnalyserClick", this, &TFmOrvane::MIAnalyserClick);
    FMethods.PublishMember<TMenuClick>("MIKnobsClick", this, &TFmOrvane::MIKnobsClick);
    FMethods.PublishMember<TMenuClick>("MIDisplayClick", this, &TFmOrvane::MIDisplayClick);
    FMethods.PublishMember<TMenuClick>("MIFontQualityClick", this, &TFmOrvane::MIFontQualityClick);
    for (const char* name : {"MIColorDefaultClick", "MIColorCopperClick", "MIColorDarkClick", "MIColorOrangeClick"})
        FMethods.PublishMember<TMenuClick>(name, this, &TFmOrvane::MIColorSchemeClick);
    FMethods.PublishMember<TMenuClick>("MIKeysRequiredClick", this, &TFmOrvane::MIKeysRequiredClick);
    FMethods.PublishMember<TMenuClick>("MIZoomClick", this, &TFmOrvane::MIZoomClick);
    FMethods.PublishMember<TMenuClick>("MIMoveLeftClick", this, &TFmOrvane::MIMoveLeftClick);
    FMethods.PublishMember<TMenuClick>("MIMoveRightClick", this, &TFmOrvane::MIMoveRightClick);
    FMethods.PublishMember<TControl::TKeyPressEvent>("ValueEditKeyPress", this, &TFmOrvane::ValueEditKeyPress);
}

// ---- The form ----------------------------------------------------------------------------

// The form takes the keyboard focus — except from a value box this click
// opened, or left open because its text could not be read.
void TFmOrvane::FormClick(TForm&) {
    if (!(ValueEdit && ValueEdit->Visible())) SetFocus();
}

void TFmOrvane::FormMouseDown(TForm&, TMouseButton button, TShiftState shift, int x, int y) {
    if (ValueEdit && ValueEdit->Visible()) ApplyValueEdit();
    const TFormClickAction action = ClassifyFormMouseDown(FLayout, button, shift, x, y);
    const int band = action.Index;
    switch (action.Kind) {
        case TFormClick::None:
            break;
        case TFormClick::StoreAndSelectSnapshot:
            FOwner.StoreSnapshot(action.Index);
            FOwner.SelectSnapshot(action.Index);
            break;
        case TFormClick::SelectSnapshot:
            FOwner.SelectSnapshot(action.Index);
            break;
        case TFormClick::KindMenu: {
            PopupSimple.Tag = band;
            const double kind = std::nearbyint(FOwner.ReadValue(kFieldsPerBand * band));
            TMenuItem& items = PopupSimple.Items();
            for (int i = 0; i < items.Count(); ++i)
                if (!items.Item(i).IsSeparator())
                    items.Item(i).SetChecked(static_cast<double>(items.Item(i).Tag) == kind);
            Popup(PopupSimple);
            break;
        }
        case TFormClick::BypassToggle:
            if (const auto value = BypassToggleValue(FOwner.ReadValue(kFieldsPerBand * band)))
                FOwner.AutomateValue(kFieldsPerBand * band, *value);
            break;
        case TFormClick::OpenValueEdit:
            OpenValueEdit(action.Field, band, action.Area);
            break;
        case TFormClick::FrequencyDisplayMenu:
            Popup(PUFreqDisplay);
            break;
        case TFormClick::GuiMenu:
            Popup(PUGUI);
            break;
    }
}

void TFmOrvane::FormMouseMove(TForm&, TShiftState, int x, int y) {
    const THintStep step = NextHint(static_cast<THint>(FHintState), x, y, FLayout.SnapshotArea, FLayout.TitleRect);
    if (!step.Changed) return;
    FHintState = static_cast<std::uint8_t>(step.State);
    SyncAppearance();
    if (step.State == THint::None)
        FPainter.DrawResponse();
    else
        FPainter.DrawHint(HintText(step.State));
}

// ---- Knobs -------------------------------------------------------------------------------

void TFmOrvane::DialMouseDown(TControl& sender, TMouseButton, TShiftState shift, int, int) {
    if (!OpensDialMenu(shift)) return;
    PUDial.Tag = sender.Tag;
    Popup(PUDial);
}

void TFmOrvane::DialMouseUp(TBandValue value, int band, TControl& sender, TMouseButton button, TShiftState shift) {
    if (!IsDialResetRelease(button, shift)) return;
    // The knob reports the move like a drag; its change handler stores it.
    static_cast<TCustomDial32&>(sender).SetPosition(DialDefaultPosition(value, band < 0 ? Band(sender) : band));
}

void TFmOrvane::GainDialChange(TControl& sender) { DialChange(TBandValue::Gain, sender); }
void TFmOrvane::FreqDialChange(TControl& sender) { DialChange(TBandValue::Frequency, sender); }
void TFmOrvane::BandwidthDialChange(TControl& sender) { DialChange(TBandValue::Bandwidth, sender); }

void TFmOrvane::DialChange(TBandValue value, TControl& sender) {
    // A value box still open is applied first: the knob's value comes after it.
    if (ValueEdit && ValueEdit->Visible()) {
        ApplyValueEdit();
        HideValueEdit();
    }
    const bool frequency = value == TBandValue::Frequency;
    const TFrequencySnap snap = !frequency                     ? TFrequencySnap::None
                                : FItems.SnapFine->Checked()   ? TFrequencySnap::Fine
                                : FItems.SnapCoarse->Checked() ? TFrequencySnap::Coarse
                                                               : TFrequencySnap::None;
    FOwner.AutomateValue(DialParameterIndex(value, Band(sender)),
                         DialValueFromPosition(value, Position(sender), snap, frequency && FItems.Note->Checked()));
}

// ---- Menus -------------------------------------------------------------------------------

void TFmOrvane::MITypeClick(TMenuItem& sender) {
    FOwner.AutomateValue(static_cast<std::int32_t>(kFieldsPerBand * PopupSimple.Tag), static_cast<float>(sender.Tag));
}

void TFmOrvane::MINoteFrequencyClick(TMenuItem&) {
    // The item has checked itself; every frequency text and knob follows.
    for (int band = 0; band < kOrvaneBands; ++band) FOwner.UpdateEditorFrequency(band, this);
}

void TFmOrvane::MIShadowClick(TMenuItem&) {
    FItems.Shadow->SetChecked(!FItems.Shadow->Checked());
    RedrawAll();
}

void TFmOrvane::MIMagnitudeClick(TMenuItem&) {
    FItems.Magnitude->SetChecked(!FItems.Magnitude->Checked());
    SyncAppearance();
    FPainter.DrawResponse();
}

void TFmOrvane::MIKnobsClick(TMenuItem&) {
    MenuItem("MIKnobs").SetChecked(true);
    SetGuiStyle(TGuiStyle::Knobs);
}

void TFmOrvane::MIDisplayClick(TMenuItem&) {
    MenuItem("MIDisplay").SetChecked(true);
    SetGuiStyle(TGuiStyle::Display);
}

void TFmOrvane::MIFontQualityClick(TMenuItem& sender) {
    // A radio item toggled by hand: clicking the checked one leaves none
    // checked, and the quality is still the clicked item's.
    sender.SetChecked(!sender.Checked());
    SetFontQuality(static_cast<std::uint8_t>(sender.Tag & 0xFF));  // ClearType's -1 is 255
    RedrawAll();
}

void TFmOrvane::MIColorSchemeClick(TMenuItem& sender) {
    for (const TColorScheme& scheme : kColorSchemes) {
        if (scheme.Item != sender.Name) continue;
        sender.SetChecked(true);
        SetColorScheme(scheme.ColorWord);
        return;
    }
}

void TFmOrvane::MIKeysRequiredClick(TMenuItem&) {
    TMenuItem& item = MenuItem("MIKeysRequired");
    item.SetChecked(!item.Checked());
    FOwner.SetEditorWantsKeys(item.Checked());
}

void TFmOrvane::MIZoomClick(TMenuItem& sender) {
    FUserScale = static_cast<int>(sender.Tag);
    CheckZoomItem();
    UpdateScale();
}

void TFmOrvane::MIMoveLeftClick(TMenuItem&) {
    TModuleParameters parameters(FOwner);
    MoveBand(static_cast<int>(PUDial.Tag), TBandMoveDirection::Left, parameters);
}

void TFmOrvane::MIMoveRightClick(TMenuItem&) {
    TModuleParameters parameters(FOwner);
    MoveBand(static_cast<int>(PUDial.Tag), TBandMoveDirection::Right, parameters);
}

// ---- The value box -----------------------------------------------------------------------

void TFmOrvane::OpenValueEdit(TBandValue value, int band, const TRect& area) {
    if (!ValueEdit) return;
    TFlatEdit& edit = *ValueEdit;
    const float v = FOwner.ReadValue(DialParameterIndex(value, band));
    std::string text;
    switch (value) {
        case TBandValue::Gain:
            text = GainText(v);
            break;
        case TBandValue::Frequency:
            text = FrequencyToText(v, FItems.Note->Checked());
            break;
        case TBandValue::Bandwidth:
            text = BandwidthText(v);
            break;
    }
    edit.Tag = ValueEditTag(value, band);
    edit.SetBounds(area.Left, area.Top - kValueEditRaise, edit.Width(), edit.Height());
    edit.SetText(text);
    const TColor32 under =
        FPainter.BackgroundPixel(area.Left + kValueEditColorProbe.x, area.Top + kValueEditColorProbe.y);
    edit.SetColorFlat(ColorWordOf(under));
    edit.SetVisible(true);
    edit.SetFocus();
    edit.SelectAll();
    FValueEditOpen.store(true, std::memory_order_relaxed);
    // Typing goes to this window from now on, whichever way the host passes keys.
    SetTypingBoxOpen(true);
}

void TFmOrvane::HideValueEdit() {
    if (!ValueEdit) return;
    ValueEdit->SetVisible(false);
    if (FocusedControl() == ValueEdit.get()) SetFocus();
    FValueEditOpen.store(false, std::memory_order_relaxed);
    SetTypingBoxOpen(false);
}

void TFmOrvane::ValueEditKeyPress(TControl&, char32_t& key) {
    if (key == kValueEditConfirmKey) ApplyValueEdit();
}

void TFmOrvane::ApplyValueEdit() {
    if (!ValueEdit) return;
    TFlatEdit& edit = *ValueEdit;
    const TValueEditDecision decision = EvaluateValueEdit(edit.Tag, edit.Text(), TNumberConventions::Current());
    if (decision.Outcome != TValueEditOutcome::NoTarget && decision.TrimmedText != edit.Text())
        edit.SetText(decision.TrimmedText);
    if (decision.Write) FOwner.AutomateValue(decision.Write->Index, decision.Write->Value);
    // An unreadable text stays for the user to correct, in red until the next edit.
    if (decision.Outcome == TValueEditOutcome::Unreadable) edit.ShowError();
    if (decision.HideBox()) HideValueEdit();
}

}  // namespace tessel
