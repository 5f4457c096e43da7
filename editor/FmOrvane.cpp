// TFmOrvane: construction from the stored form description, the settings,
// the layout and the knobs, and the marks other threads leave for drawing.

#include "editor/FmOrvane.h"

#include <chrono>
#include <cmath>
#include <stdexcept>

#include "editor/DialActions.h"
#include "editor/FileSettingsStore.h"
#include "editor/FmOrvaneDescription.h"
#include "editor/OrvanePalette.h"
#include "editor/OrvaneScale.h"
#include "editor/OrvaneSettings.h"
#include "framework/CustomVstParameterProperty.h"
#include "gui/surface/SystemColors.h"
#include "gui/window/DesktopScale.h"

namespace tessel {
namespace {

// Marks: the low bits are the drawings (TRedrawSet); one more bit says that
// the module moved or switched knobs.
constexpr std::uint64_t kRedrawBits = 0x7FFFFFFFu;
constexpr std::uint64_t kMarkDials = std::uint64_t{1} << 40;

constexpr std::array<TBandValue, 3> kBandValues = {TBandValue::Gain, TBandValue::Frequency, TBandValue::Bandwidth};

// How each kind of knob is configured (the bandwidth knobs keep the
// knob's own range style, rsLeft).
struct TKnobRow {
    TBandValue Value;
    bool SetRange;
    TRangeStyle Range;
    TColor32 ColorCircle;
    const char* OnChange;
};
constexpr std::array<TKnobRow, 3> kKnobRows = {{
    {TBandValue::Gain, true, rsCenter, 0x7FFF0000, "GainDialChange"},
    {TBandValue::Frequency, true, rsPosition, 0x7F40DF00, "FreqDialChange"},
    {TBandValue::Bandwidth, false, rsLeft, 0x7F0020FF, "BandwidthDialChange"},
}};
constexpr std::uint8_t kKnobShadowBlur = 4;  // units
constexpr std::uint8_t kKnobShadowKnobsStyle = 160;
constexpr std::uint8_t kKnobShadowDisplayStyle = 110;

// The Zoom menu's items and the scale each chooses (0: automatic).
struct TZoomItem {
    const char* Item;
    int Percent;
};
constexpr std::array<TZoomItem, 7> kZoomItems = {{{"MIZoomAuto", 0},
                                                  {"MIZoom100", 100},
                                                  {"MIZoom125", 125},
                                                  {"MIZoom150", 150},
                                                  {"MIZoom200", 200},
                                                  {"MIZoom250", 250},
                                                  {"MIZoom300", 300}}};

// The release handler a knob is bound to: one for all gain knobs, one per
// band for the frequency knobs, one for all bandwidth knobs.
std::string MouseUpHandler(TBandValue value, int band) {
    switch (value) {
        case TBandValue::Gain:
            return "GainDial1MouseUp";
        case TBandValue::Frequency:
            return "FreqDial" + std::to_string(band + 1) + "MouseUp";
        case TBandValue::Bandwidth:
            return "BandwidthDial1MouseUp";
    }
    return {};
}

const TKnobRow& KnobRow(TBandValue value) { return kKnobRows[static_cast<std::size_t>(value)]; }

std::size_t BandIndex(int band) {
    if (band < 0 || band >= kOrvaneBands) throw std::out_of_range("Index out of bounds");
    return static_cast<std::size_t>(band);
}

// Font height in pixels at 96 pixels per inch (negative: the em) to points.
int PointsFromHeight(std::int64_t height) {
    return static_cast<int>(
        std::lround(static_cast<double>(std::llabs(height)) * kPointsPerInch / kScreenPixelsPerInch));
}

}  // namespace

// ---- Knob links [any thread] ----------------------------------------------------

void TFmOrvane::TDialLink::SetEnabled(bool enabled) {
    FEnabled.store(enabled, std::memory_order_relaxed);
    if (FForm) FForm->Mark(kMarkDials);
}

void TFmOrvane::TDialLink::SetPosition(float position) {
    FPosition.store(position, std::memory_order_relaxed);
    if (FForm) FForm->Mark(kMarkDials);
}

TFmOrvane::TLinks& TFmOrvane::LinksOf(TBandValue value) {
    return value == TBandValue::Gain ? FGainLinks : value == TBandValue::Frequency ? FFreqLinks : FBandwidthLinks;
}

const TFmOrvane::TKnobs& TFmOrvane::KnobsOf(TBandValue value) const {
    return value == TBandValue::Gain ? FGainDials : value == TBandValue::Frequency ? FFreqDials : FBandwidthDials;
}

TFmOrvane::TKnobs& TFmOrvane::KnobsOf(TBandValue value) {
    return const_cast<TKnobs&>(static_cast<const TFmOrvane*>(this)->KnobsOf(value));
}

TOrvaneDial& TFmOrvane::GainDial(int band) { return FGainLinks[BandIndex(band)]; }
TOrvaneDial& TFmOrvane::FreqDial(int band) { return FFreqLinks[BandIndex(band)]; }
TOrvaneDial& TFmOrvane::BandwidthDial(int band) { return FBandwidthLinks[BandIndex(band)]; }

void TFmOrvane::DrawFilterType(int band) { Mark(TRedrawSet::FilterType(band).Bits()); }
void TFmOrvane::DrawGain(int band) { Mark(TRedrawSet::Gain(band).Bits()); }
void TFmOrvane::DrawFrequency(int band) { Mark(TRedrawSet::Frequency(band).Bits()); }
void TFmOrvane::DrawBandwidth(int band) { Mark(TRedrawSet::Bandwidth(band).Bits()); }
void TFmOrvane::DrawResponse() { Mark(TRedrawSet::Response().Bits()); }
void TFmOrvane::DrawSnapshotButtons() { Mark(TRedrawSet::SnapshotButtons().Bits()); }

// ---- Construction -----------------------------------------------------------------

TFmOrvane::TFmOrvane(TEqualiserModel& owner, std::shared_ptr<TSettingsStore> settings, TRandomSource* noise,
                     std::function<int()> desktopScale)
    : FOwner(owner),
      FSettings(settings ? std::move(settings) : std::make_shared<TFileSettingsStore>()),
      FPainter(FBackBuffer, TBackgroundImages::Shared(), FLayout, FAppearance, *this),
      FDesktopScale(desktopScale ? std::move(desktopScale) : std::function<int()>(DesktopScalePercent)) {
    for (TBandValue value : kBandValues)
        for (TDialLink& link : LinksOf(value)) link.Attach(this);
    FPainter.OnInvalidate = [this](const TRect& r) { InvalidatePixels(r); };
    FPainter.SetRandomSource(noise);
    FPainter.SetSpectrum(&FSpectrum);
    PublishMethods();
    ApplyDescription();
    BuildMenus();
}

TFmOrvane::~TFmOrvane() {
    FOwner.AnalyserTap().SetOpen(false);
    // Knobs and the value box leave the form before it goes.
    for (TBandValue value : kBandValues)
        for (auto& knob : KnobsOf(value)) knob.reset();
    ValueEdit.reset();
}

void TFmOrvane::ApplyDescription() {
    TPropertyTable t;
    auto ignore = [](const TStoredValue&) {};
    t.Define("BorderStyle", ignore);  // the window never has a border
    t.Define("Caption", [this](const TStoredValue& v) { Caption = StoredText(v); });
    t.Define("ClientHeight", [this](const TStoredValue& v) { SetClientSize(ClientWidth(), StoredInteger(v)); });
    t.Define("ClientWidth", [this](const TStoredValue& v) { SetClientSize(StoredInteger(v), ClientHeight()); });
    t.Define("Color", [this](const TStoredValue& v) { SetColor(StoredInteger(v)); });
    t.Define("Font.Charset", ignore);
    t.Define("Font.Color", [this](const TStoredValue&) {
        TFont32 font = Font();
        font.Color = FromSystemColor(clWindowText);
        SetFont(font);
    });
    t.Define("Font.Height", [this](const TStoredValue& v) {
        TFont32 font = Font();
        font.Size = PointsFromHeight(StoredInteger(v));
        SetFont(font);
    });
    t.Define("Font.Name", [this](const TStoredValue& v) {
        TFont32 font = Font();
        font.Name = StoredText(v);
        SetFont(font);
    });
    t.Define("Font.Style", ignore);  // stored empty: no style
    t.Define("Scaled", ignore);      // laid out for 96 pixels per inch and never scaled
    t.Define("PixelsPerInch", ignore);
    DefineEvent(t, "OnClick", OnClick, FMethods);
    DefineEvent(t, "OnCreate", OnCreate, FMethods);
    DefineEvent(t, "OnDestroy", OnDestroy, FMethods);
    DefineEvent(t, "OnMouseDown", OnMouseDown, FMethods);
    DefineEvent(t, "OnMouseMove", OnMouseMove, FMethods);
    DefineEvent(t, "OnPaint", OnPaint, FMethods);
    DefineEvent(t, "OnResize", OnResize, FMethods);
    ApplyStoredProperties(FmOrvaneDescription().properties, t);

    ValueEdit = std::make_unique<TFlatEdit>(this);
    TFlatEdit& edit = *ValueEdit;
    TRect bounds;
    TPropertyTable e;
    e.Define("Left", [&](const TStoredValue& v) { bounds.Left = StoredInteger(v); });
    e.Define("Top", [&](const TStoredValue& v) { bounds.Top = StoredInteger(v); });
    e.Define("Width", [&](const TStoredValue& v) { bounds.Right = StoredInteger(v); });
    e.Define("Height", [&](const TStoredValue& v) { bounds.Bottom = StoredInteger(v); });
    e.Define("ColorFlat", [&](const TStoredValue& v) { edit.SetColorFlat(StoredInteger(v)); });
    e.Define("ParentColor", [&](const TStoredValue& v) { edit.SetParentColor(StoredBoolean(v)); });
    e.Define("ShowBorder", [&](const TStoredValue& v) { edit.SetShowBorder(StoredBoolean(v)); });
    e.Define("Transparent", [&](const TStoredValue& v) { edit.SetTransparent(StoredBoolean(v)); });
    e.Define("TabOrder", ignore);  // the only control that takes keys
    e.Define("Text", [&](const TStoredValue& v) { edit.SetText(StoredText(v)); });
    e.Define("Visible", [&](const TStoredValue& v) { edit.SetVisible(StoredBoolean(v)); });
    DefineEvent(e, "OnKeyPress", edit.OnKeyPress, FMethods);
    edit.BeginLoad();
    ApplyStoredProperties(ValueEditDescription(), e);
    edit.SetBounds(bounds.Left, bounds.Top, bounds.Right, bounds.Bottom);
    edit.EndLoad();
}

void TFmOrvane::BuildMenus() {
    TPopupMenu* const menus[] = {&PopupSimple, &PUGUI, &PUFreqDisplay, &PUDial};
    tessel::BuildMenus(menus, FmOrvaneMenuRows(), [this](std::string_view name) -> TMenuItem::TClickEvent {
        try {
            return FMethods.Bind<TMenuItem::TClickEvent>(std::string(name));
        } catch (const EVSTError&) {
            return nullptr;
        }
    });
    FItems = {.Shadow = &MenuItem("MIShadow"),
              .Magnitude = &MenuItem("MIMagnitude"),
              .Note = &MenuItem("MINote"),
              .Analyser = &MenuItem("MIAnalyser"),
              .SnapFine = &MenuItem("MISnapFine"),
              .SnapCoarse = &MenuItem("MISnapCoarse")};
}

TMenuItem& TFmOrvane::MenuItem(std::string_view name) {
    for (TPopupMenu* menu : {&PopupSimple, &PUGUI, &PUFreqDisplay, &PUDial})
        if (TMenuItem* item = menu->Find(name)) return *item;
    throw std::invalid_argument("No menu item " + std::string(name));
}

bool TFmOrvane::Checked(std::string_view item) { return MenuItem(item).Checked(); }

// ---- Life ---------------------------------------------------------------------------

void TFmOrvane::FormCreate(TForm&) {
    ReadSettings();
    SetScale({ResolveScale()});
    ApplyAnalyser();
    CreateKnobs();
    CalculateLayout();
    RenderBackground(255);
    InvalidateAll();
}

void TFmOrvane::ReadSettings() {
    FFontQuality = kFontQualityMiddle;
    const TOrvaneSettings s = ReadOrvaneSettings(*FSettings);
    if (s.KeyFound) {
        FFontQuality = s.FontQuality;
        FItems.Magnitude->SetChecked(s.Magnitude);
        FItems.Shadow->SetChecked(s.Shadow);
        SetColor(s.ColorScheme);
        FGuiStyle = s.GuiStyle == 0 ? TGuiStyle::Knobs : TGuiStyle::Display;
        // A colour that matches no scheme leaves every scheme unchecked.
        for (const TColorScheme& scheme : kColorSchemes) MenuItem(scheme.Item).SetChecked(Color() == scheme.ColorWord);
        MenuItem("MIKnobs").SetChecked(FGuiStyle == TGuiStyle::Knobs);
        MenuItem("MIDisplay").SetChecked(FGuiStyle == TGuiStyle::Display);
        MenuItem("MIKeysRequired").SetChecked(s.KeysRequired);
        FItems.Analyser->SetChecked(s.Analyser);
        FUserScale = s.Scale;
        CheckZoomItem();
        FOwner.SetEditorWantsKeys(s.KeysRequired);
    }
    // Other stored qualities are drawn with as they are; the menu keeps its check.
    switch (FFontQuality) {
        case kFontQualityLow:
            MenuItem("MILow").SetChecked(true);
            break;
        case kFontQualityMiddle:
            MenuItem("MIMiddle").SetChecked(true);
            break;
        case kFontQualityHigh:
            MenuItem("MIHigh").SetChecked(true);
            break;
        case kFontQualityClearType:
            MenuItem("MIClearType").SetChecked(true);
            break;
        default:
            break;
    }
}

void TFmOrvane::FormDestroy(TForm&) {
    FOwner.AnalyserTap().SetOpen(false);
    WriteSettings();
    for (TBandValue value : kBandValues)
        for (auto& knob : KnobsOf(value)) knob.reset();
}

void TFmOrvane::WriteSettings() {
    TOrvaneSettings s;
    s.FontQuality = FFontQuality;
    s.Magnitude = FItems.Magnitude->Checked();
    s.Shadow = FItems.Shadow->Checked();
    s.GuiStyle = FGuiStyle == TGuiStyle::Knobs ? 0 : 1;
    s.ColorScheme = Color();
    s.KeysRequired = Checked("MIKeysRequired");
    s.Analyser = FItems.Analyser->Checked();
    s.Scale = FUserScale;
    // A store that cannot be written keeps what it had; closing goes on.
    WriteOrvaneSettings(*FSettings, s);
}

// The window shows the back buffer (with the knobs over it): an exposure or
// a size change only has it copied again.
void TFmOrvane::FormPaint(TForm&) { InvalidateAll(); }
void TFmOrvane::FormResize(TForm&) { InvalidateAll(); }

// ---- Knobs and layout --------------------------------------------------------------------

void TFmOrvane::CreateKnobs() {
    for (TBandValue value : kBandValues)
        for (auto& knob : KnobsOf(value)) knob = std::make_unique<TMetalDial32>(this);
}

TMetalDial32* TFmOrvane::Knob(TBandValue value, int band) const { return KnobsOf(value)[BandIndex(band)].get(); }

void TFmOrvane::CalculateLayout() {
    FLayout = CalculateOrvaneLayout(FGuiStyle);
    for (int band = 0; band < kOrvaneBands; ++band) {
        const auto b = static_cast<std::size_t>(band);
        if (FGainDials[b]) ConfigureKnob(*FGainDials[b], TBandValue::Gain, band, FLayout.GainKnobs[b]);
        if (FFreqDials[b]) ConfigureKnob(*FFreqDials[b], TBandValue::Frequency, band, FLayout.FreqKnobs[b]);
        if (FBandwidthDials[b])
            ConfigureKnob(*FBandwidthDials[b], TBandValue::Bandwidth, band, FLayout.BandwidthKnobs[b]);
    }
}

void TFmOrvane::ConfigureKnob(TMetalDial32& knob, TBandValue value, int band, const TRect& bounds) {
    const TKnobRow& row = KnobRow(value);
    knob.SetTransparent(true);
    knob.Tag = band;
    knob.SetLockCursor(true);
    knob.OnMouseDown = FMethods.Bind<TControl::TMouseEvent>("DialMouseDown");
    knob.OnMouseUp = FMethods.Bind<TControl::TMouseEvent>(MouseUpHandler(value, band));
    // A position the module sets is no gesture: it writes nothing back.
    const std::int32_t index = DialParameterIndex(value, band);
    knob.OnChange = [this, index, change = FMethods.Bind<TControl::TNotifyEvent>(row.OnChange)](TControl& sender) {
        if (FModuleMovesKnob) return;
        if (OnKnobGesture) OnKnobGesture(sender);
        FKnobGestures.Changing(index, static_cast<TCustomDial32&>(sender).Gesture(), std::chrono::steady_clock::now());
        change(sender);
    };
    knob.OnDragEnd = [this, index](TControl&) { FKnobGestures.DragEnded(index); };
    if (row.SetRange) knob.SetRangeStyle(row.Range);
    knob.SetColorCircle(row.ColorCircle);
    knob.SetColorAuto(false);
    TShadow32& shadow = knob.Shadow();
    shadow.SetBlur(kKnobShadowBlur);
    shadow.SetVisible(true);
    shadow.SetOffsetX(0);
    shadow.SetOffsetY(0);
    shadow.SetTransparency(FGuiStyle == TGuiStyle::Knobs ? kKnobShadowKnobsStyle : kKnobShadowDisplayStyle);
    knob.SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    knob.Invalidate();
}

void TFmOrvane::ApplyDialLinks() {
    for (TBandValue value : kBandValues) {
        TLinks& links = LinksOf(value);
        TKnobs& knobs = KnobsOf(value);
        for (std::size_t b = 0; b < links.size(); ++b) {
            TMetalDial32* knob = knobs[b].get();
            if (!knob) continue;
            knob->SetEnabled(links[b].Enabled());
            const float position = links[b].Position();
            if (position == knob->Position()) continue;
            FModuleMovesKnob = true;
            knob->SetPosition(position);
            FModuleMovesKnob = false;
        }
    }
}

// ---- Scale [editor thread] -----------------------------------------------------------------

void TFmOrvane::CheckZoomItem() {
    for (const TZoomItem& zoom : kZoomItems) MenuItem(zoom.Item).SetChecked(zoom.Percent == FUserScale);
}

void TFmOrvane::HostScaleChanged(int) { UpdateScale(); }

int TFmOrvane::ResolveScale() const { return ResolveOrvaneScale(FUserScale, FOwner.HostContentScale(), FDesktopScale); }

void TFmOrvane::UpdateScale() {
    const int percent = ResolveScale();
    if (percent == ScalePercent()) return;
    HideValueEdit();
    SetScale({percent});
    RenderBackground(255);
    RedrawAll();
    // The window follows the form's size at its next frame; the host hears
    // of it from its own thread.
    if (Window()) FOwner.RequestEditorSize(ClientWidth(), ClientHeight());
}

// ---- Drawing [editor thread] ------------------------------------------------------------

void TFmOrvane::SyncAppearance() {
    FAppearance.FormColor = Color();
    FAppearance.FontQuality = FFontQuality;
    FAppearance.Shadow = FItems.Shadow->Checked();
    FAppearance.Magnitude = FItems.Magnitude->Checked();
    FAppearance.NoteDisplay = FItems.Note->Checked();
    FAppearance.Analyser = FItems.Analyser->Checked();
    FAppearance.GuiStyle = FGuiStyle;
    FAppearance.Scale = Scale();
}

void TFmOrvane::HandleMarks(std::uint64_t bits) {
    SyncAppearance();
    // Enabling first: it decides how the value texts are drawn.
    if (bits & kMarkDials) ApplyDialLinks();
    FPainter.Perform(TRedrawSet(static_cast<std::uint32_t>(bits & kRedrawBits)));
    TForm::HandleMarks(bits);
}

void TFmOrvane::RenderBackground(std::uint8_t alpha) {
    SyncAppearance();
    FPainter.RenderBackground(alpha);
}

void TFmOrvane::RedrawAll() {
    SyncAppearance();
    FPainter.RedrawAll();
}

void TFmOrvane::SetGuiStyle(TGuiStyle style) {
    FGuiStyle = style;
    CalculateLayout();
    RenderBackground(255);
    RedrawAll();
}

void TFmOrvane::SetColorScheme(std::int32_t colorWord) {
    SetColor(colorWord);
    RenderBackground(255);
    RedrawAll();
}

// ---- What the drawing reads -------------------------------------------------------------

std::string TFmOrvane::FilterTypeText(int band) { return FOwner.ValueText(TEqualiserModel::kParametersPerBand * band); }

float TFmOrvane::ParameterValue(int index) { return FOwner.ReadValue(index); }

bool TFmOrvane::ValueEnabled(TBandValue value, int band) {
    if (const TMetalDial32* knob = Knob(value, band)) return knob->Enabled();
    return LinksOf(value)[BandIndex(band)].Enabled();
}

int TFmOrvane::CurrentSnapshot() { return FOwner.CurrentSnapshot(); }
std::string TFmOrvane::CurrentProgramName() { return FOwner.ProgramName(); }
std::string TFmOrvane::EffectName() { return FOwner.PlugInName(); }
void TFmOrvane::BeginResponse() { FResponse = FOwner.ResponseSnapshot(); }
double TFmOrvane::TotalResponseDb(double frequencyHz) { return FResponse.TotalResponseDb(frequencyHz); }

}  // namespace tessel
