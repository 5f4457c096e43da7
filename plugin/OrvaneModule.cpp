#include "plugin/OrvaneModule.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "dsp/BandFilterFactory.h"
#include "dsp/BandKind.h"
#include "editor/FileSettingsStore.h"
#include "editor/OrvaneScale.h"
#include "framework/DecimalSeparator.h"
#include "framework/NumberText.h"
#include "gui/window/DesktopScale.h"

namespace tessel {

namespace {

constexpr double kInverseGainRange = 0.03333333333333333;  // 1 / 30 dB, knob position per dB
constexpr double kInverseLog1000 = 0.144764826019;         // 1 / ln 1000: 20 Hz -> 0, 20 kHz -> 1

// Initial natural values, written in this order by the create handler: each
// band's Type first (which creates its filters), then gain, frequency and
// bandwidth; the volume; and finally bands 7 and 1 switched to Bypass.
struct TInitialValue {
    std::int32_t index;
    float value;
};
constexpr std::array<TInitialValue, 31> kInitialValues = {{
    {0, 0},  {1, 0},  {2, 20},     {3, 0.5f},  {4, 1},  {5, 0},  {6, 100},   {7, 0.5f},
    {8, 3},  {9, 0},  {10, 500},   {11, 0.5f}, {12, 3}, {13, 0}, {14, 1500}, {15, 0.5f},
    {16, 3}, {17, 0}, {18, 4000},  {19, 0.5f}, {20, 5}, {21, 0}, {22, 8000}, {23, 0.5f},
    {24, 6}, {25, 0}, {26, 16000}, {27, 0.5f}, {28, 0}, {24, 7}, {0, 7},
}};

int BandOf(std::int32_t index, int field) { return (index - field) / TOrvaneModule::kParametersPerBand; }
bool ValidBand(int band) { return band >= 0 && band < TOrvaneModule::kBandCount; }

// A band change that sets one value on both channels' filters (either may be missing).
auto OnBothChannels(void (TOrvBiquadFilter::*setter)(double) noexcept, double value) {
    return [setter, value](TOrvBiquadFilter* first, TOrvBiquadFilter* second) {
        for (TOrvBiquadFilter* filter : {first, second})
            if (filter) (filter->*setter)(value);
    };
}

// Type values round to the nearest kind, ties to even; anything that is not
// one of the eight kinds (8, negative, not a number) makes the band Bypass.
TBandKind KindFromTypeValue(double value) {
    if (!std::isfinite(value)) return TBandKind::Bypass;
    const double rounded = std::nearbyint(value);
    if (rounded < 0.0 || rounded > 7.0) return TBandKind::Bypass;
    return BandKindFromNumber(static_cast<int>(rounded)).value_or(TBandKind::Bypass);
}

// The bandwidth parameter v (0..1) spans 0.1 to 10 octaves, 0.5 being one octave.
double OctavesFromBandwidthValue(double v) {
    return static_cast<double>(std::exp2(6.644L * static_cast<long double>(v) - 3.322L));
}

// The inverse: the bandwidth parameter value of a width in octaves (> 0).
double BandwidthValueFromOctaves(double octaves) {
    return static_cast<double>((std::log2(static_cast<long double>(octaves)) + 3.322L) / 6.644L);
}

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The bandwidth's unit, which hosts show beside the display and users type along.
constexpr std::string_view kOctaveUnit = "Oct";

// Significant digits of a frequency's display: enough to write the top of
// the range, 20000 Hz, as a plain number (with the framework's four,
// anything from 10 kHz would read "1.6E0004"), and few enough that the text
// reads back as the value it shows.
constexpr int kFrequencyDisplayDigits = 5;
constexpr int kNoExponentDigits = 0;

// Two significant digits, written with exactly two decimals: 1.26 -> "1.30".
std::string FormatBandwidthOctaves(double octaves) {
    double rounded = 0.0;
    if (octaves != 0.0 && std::isfinite(octaves)) {
        const double scale = std::pow(10.0, 1.0 - std::floor(std::log10(std::fabs(octaves))));
        rounded = std::round(octaves * scale) / scale;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", rounded);
    std::string result(text);
    if (const auto dot = result.find('.'); dot != std::string::npos)
        result.replace(dot, 1, TDecimalSeparator::Current());
    return result;
}

}  // namespace

TOrvaneModule::TOrvaneModule() {
    for (auto& channel : FFilterPool)
        for (auto& kinds : channel)
            for (std::size_t k = 0; k < kinds.size(); ++k) kinds[k] = CreateBandFilter(kBandKinds[k].kind);
    // Benchmarks compare the kernels through the loaded plug-in.
    if (const char* kernel = std::getenv(kCascadeKernelVariable)) FEngine.SelectKernel(CascadeKernelNamed(kernel));
    FAnalyserTap.SetWidth(MonoSumWidthOf(FEngine.Kernel()));
    // Keys the host forwards while the value box is open are typing: the
    // host is told they were used, so it does not act on them as well.
    OnCheckKey = [this](TBasicVSTModule&, char) {
        const TOrvaneEditor* editor = EditorOf(EditorForm());
        return editor && editor->TakesKeys();
    };
}

// An editor closed while its thread was held up may still be using the
// module: it goes only once that thread has finished.
TOrvaneModule::~TOrvaneModule() { AwaitClosedEditorWindows(); }

void TOrvaneModule::PublishMethods(TMethodTable& m) {
    m.PublishMember<TNotifyEvent>("VSTModuleCreate", this, &TOrvaneModule::VSTModuleCreate);
    m.PublishMember<TNotifyEvent>("VSTModuleDestroy", this, &TOrvaneModule::VSTModuleDestroy);
    m.PublishMember<TNotifyEvent>("VSTModuleOpen", this, &TOrvaneModule::VSTModuleOpen);
    m.PublishMember<TNotifyEvent>("VSTModuleResume", this, &TOrvaneModule::VSTModuleResume);
    m.PublishMember<TGetEditorEvent>("VSTModuleEditOpen", this, &TOrvaneModule::VSTModuleEditOpen);
    m.PublishMember<TSampleRateChangeEvent>("VSTModuleSampleRateChange", this,
                                            &TOrvaneModule::VSTModuleSampleRateChange);
    m.PublishMember<TProcessAudioEvent>("VSTModuleProcess", this, &TOrvaneModule::VSTModuleProcess);
    m.PublishMember<TProcessDoubleReplacingEvent>("VSTModuleProcessDoubleReplacing", this,
                                                  &TOrvaneModule::VSTModuleProcessDoubleReplacing);
    m.PublishMember<TParameterChangeEvent>("OrvaneModuleTypeChange", this, &TOrvaneModule::OrvaneModuleTypeChange);
    m.PublishMember<TParameterChangeEvent>("OrvaneModuleGainChange", this, &TOrvaneModule::OrvaneModuleGainChange);
    m.PublishMember<TParameterChangeEvent>("OrvaneModuleFreqChange", this, &TOrvaneModule::OrvaneModuleFreqChange);
    m.PublishMember<TParameterChangeEvent>("OrvaneModuleBandwidthChange", this,
                                           &TOrvaneModule::OrvaneModuleBandwidthChange);
    m.PublishMember<TParameterChangeEvent>("OrvaneModuleVolumeChange", this, &TOrvaneModule::OrvaneModuleVolumeChange);
    m.PublishMember<TCustomParameterDisplayEvent>("OrvaneModuleTypeDisplay", this,
                                                  &TOrvaneModule::OrvaneModuleTypeDisplay);
    m.PublishMember<TCustomParameterDisplayEvent>("OrvaneModuleFreqDisplay", this,
                                                  &TOrvaneModule::OrvaneModuleFreqDisplay);
    m.PublishMember<TCustomParameterDisplayEvent>("OrvaneModuleBandwidthDisplay", this,
                                                  &TOrvaneModule::OrvaneModuleBandwidthDisplay);
    m.PublishMember<TCustomParameterParseEvent>("OrvaneModuleTypeParse", this, &TOrvaneModule::OrvaneModuleTypeParse);
    m.PublishMember<TCustomParameterParseEvent>("OrvaneModuleBandwidthParse", this,
                                                &TOrvaneModule::OrvaneModuleBandwidthParse);
}

// ---- Life cycle ----

void TOrvaneModule::VSTModuleCreate(TBasicVSTModule&) {
    for (const auto& initial : kInitialValues) AutomateParameter(initial.index, initial.value);
    // Every program starts from the start-up setting. Left at zeros, a program
    // would make seven Lowcut bands of 0.1 octave at 20 Hz: a resonance of
    // some +30 dB at the bottom of the range.
    const auto current = CurrentProgram();
    if (current < 0 || current >= Programs().Count()) return;
    const auto& startUp = Programs()[current].ParameterValues();
    for (std::int32_t i = 0; i < Programs().Count(); ++i)
        if (i != current) Programs()[i].ParameterValues().Assign(startUp);
}

void TOrvaneModule::VSTModuleDestroy(TBasicVSTModule&) {
    const TStoreHold hold(*this);
    for (auto& channel : FFilters) channel.fill(nullptr);
    for (auto& channel : FFilterPool)
        for (auto& kinds : channel)
            for (auto& filter : kinds) filter.reset();
}

void TOrvaneModule::VSTModuleOpen(TBasicVSTModule&) {
    FCurrentSnapshot = 0;
    for (auto& slot : FSnapshots) {
        slot.assign(static_cast<std::size_t>(std::max(0, numParams())), 0.0f);
        for (std::size_t j = 0; j < slot.size(); ++j) slot[j] = ReadParameter(static_cast<std::int32_t>(j));
    }
}

// Hosts suspend and resume around starts and seeks: what rang before must not
// ring into the new start. The engine clears its states at its next block.
void TOrvaneModule::VSTModuleResume(TBasicVSTModule&) { FEngine.ClearAllStates(); }

std::unique_ptr<TEditorWindow> TOrvaneModule::CreateEditorForm(std::uintptr_t) {
    return CreateOrvaneEditorWindow(*this);
}

std::pair<int, int> TOrvaneModule::EditorSizeBeforeOpen() const { return OrvaneEditorSize(EditorScaleBeforeOpen()); }

int TOrvaneModule::EditorScaleBeforeOpen() const {
    TFileSettingsStore settings;
    return OrvaneScaleBeforeOpen(settings, HostContentScale(), [this] {
        int percent = FDesktopPercent.load(std::memory_order_relaxed);
        if (percent < 0) {
            percent = DesktopScalePercent();
            FDesktopPercent.store(percent, std::memory_order_relaxed);
        }
        return percent;
    });
}

void TOrvaneModule::VSTModuleEditOpen(TBasicVSTModule&, std::unique_ptr<TEditorWindow>& gui,
                                      std::uintptr_t parentWindow) {
    if (!gui) gui = CreateEditorForm(parentWindow);
    TOrvaneEditor* editor = EditorOf(gui.get());
    if (!editor) return;
    for (int band = 0; band < kBandCount; ++band) {
        UpdateEditorType(band, editor);
        UpdateEditorGain(band, editor);
        UpdateEditorFrequency(band, editor);
        UpdateEditorBandwidth(band, editor);
    }
    editor->DrawSnapshotButtons();
}

void TOrvaneModule::VSTModuleSampleRateChange(TBasicVSTModule&, float sampleRate) {
    FAnalyserTap.SetSampleRate(sampleRate);
    const TStoreHold hold(*this);
    for (auto& channel : FFilters)
        for (auto& filter : channel)
            if (filter) filter->SetSampleRate(sampleRate);
    // Every band changes at once: one publication, so no block mixes old and new rates.
    std::array<TEngineBand, kBandCount> bands;
    for (int band = 0; band < kBandCount; ++band)
        if (const auto& filter = FFilters[0][static_cast<std::size_t>(band)])
            bands[static_cast<std::size_t>(band)] = {filter->Kind(), filter->Coefficients()};
    FEngine.PublishBands(bands);
    FEngine.SetSampleRate(sampleRate);
}

// ---- Parameter changes: the parameter store is held ----

void TOrvaneModule::OrvaneModuleTypeChange(TBasicVSTModule&, std::int32_t index, float& value) {
    const int band = BandOf(index, 0);
    if (!ValidBand(band)) return;
    const TBandKind kind = KindFromTypeValue(value);
    const auto b = static_cast<std::size_t>(band);
    if (FFilters[0][b] && FFilters[0][b]->Kind() == kind) return;  // same kind: states and editor untouched
    for (std::size_t ch = 0; ch < FFilters.size(); ++ch) {
        TOrvBiquadFilter* next = FFilterPool[ch][b][static_cast<std::size_t>(BandKindNumber(kind))].get();
        if (!next) continue;  // the module is being destroyed
        next->ResetStates();  // as a newly built filter would start
        if (const TOrvBiquadFilter* old = FFilters[ch][b]) {
            next->SetFrequency(old->Frequency());
            next->SetGain(old->Gain());
            next->SetBandwidth(old->Bandwidth());
            next->SetSampleRate(static_cast<double>(SampleRate()));
        }
        FFilters[ch][b] = next;
    }
    PublishBand(band);
    UpdateEditorType(band);
}

template <class TSet>
void TOrvaneModule::ChangeBand(std::int32_t index, int field, void (TOrvaneModule::*update)(int, TOrvaneEditor*),
                               TSet set) {
    const int band = BandOf(index, field);
    if (!ValidBand(band)) return;
    const auto b = static_cast<std::size_t>(band);
    set(FFilters[0][b], FFilters[1][b]);
    PublishBand(band);
    (this->*update)(band, nullptr);
}

void TOrvaneModule::OrvaneModuleGainChange(TBasicVSTModule&, std::int32_t index, float& value) {
    ChangeBand(index, 1, &TOrvaneModule::UpdateEditorGain, OnBothChannels(&TOrvBiquadFilter::SetGain, value));
}

void TOrvaneModule::OrvaneModuleFreqChange(TBasicVSTModule&, std::int32_t index, float& value) {
    ChangeBand(index, 2, &TOrvaneModule::UpdateEditorFrequency, OnBothChannels(&TOrvBiquadFilter::SetFrequency, value));
}

void TOrvaneModule::OrvaneModuleBandwidthChange(TBasicVSTModule&, std::int32_t index, float& value) {
    ChangeBand(index, 3, &TOrvaneModule::UpdateEditorBandwidth, [&](TOrvBiquadFilter* first, TOrvBiquadFilter* second) {
        if (first) first->SetBandwidth(OctavesFromBandwidthValue(value));
        // Channel 1 copies what channel 0 stored, so both stay identical.
        if (first && second) second->SetBandwidth(first->Bandwidth());
    });
}

void TOrvaneModule::OrvaneModuleVolumeChange(TBasicVSTModule&, std::int32_t, float& value) {
    // 0 dB is a factor of exactly 1: the engine then leaves the bands' output as it is.
    FEngine.SetOutputGain(std::pow(10.0, static_cast<double>(value) / 20.0));
}

void TOrvaneModule::OrvaneModuleTypeDisplay(TBasicVSTModule&, std::int32_t index, std::string& text) {
    const double value = ReadParameter(index);
    if (!std::isfinite(value)) return;
    const double rounded = std::nearbyint(value);
    if (rounded >= 0.0 && rounded <= 7.0) text = kBandKinds[static_cast<std::size_t>(rounded)].displayName;
}

void TOrvaneModule::OrvaneModuleFreqDisplay(TBasicVSTModule&, std::int32_t index, std::string& text) {
    const double value = ReadParameter(index);  // Hz
    if (std::isfinite(value)) text = FormatGeneral(value, kFrequencyDisplayDigits, kNoExponentDigits);
}

void TOrvaneModule::OrvaneModuleBandwidthDisplay(TBasicVSTModule&, std::int32_t index, std::string& text) {
    const int band = BandOf(index, 3);
    if (!ValidBand(band)) return;
    const TStoreHold hold(*this);
    if (const auto& filter = FFilters[0][static_cast<std::size_t>(band)])
        text = FormatBandwidthOctaves(filter->Bandwidth());
}

void TOrvaneModule::OrvaneModuleTypeParse(TBasicVSTModule&, std::int32_t, std::string_view text, float& value) {
    const auto name = Trimmed(text);
    for (std::size_t k = 0; k < kBandKinds.size(); ++k)
        if (SameLetters(name, kBandKinds[k].displayName)) value = static_cast<float>(k);
}

// The display shows octaves, so a number typed here is octaves too, never the
// 0..1 parameter value: "1.00" is one octave, as shown.
void TOrvaneModule::OrvaneModuleBandwidthParse(TBasicVSTModule&, std::int32_t, std::string_view text, float& value) {
    auto number = Trimmed(text);
    if (number.size() >= kOctaveUnit.size() &&
        SameLetters(number.substr(number.size() - kOctaveUnit.size()), kOctaveUnit))
        number.remove_suffix(kOctaveUnit.size());
    const auto octaves = ParseDecimal(number);
    if (!octaves || !(*octaves > 0.0) || !std::isfinite(*octaves)) {
        value = std::numeric_limits<float>::quiet_NaN();
        return;
    }
    value = static_cast<float>(BandwidthValueFromOctaves(*octaves));
}

int TOrvaneModule::FilterKind(int band) {
    if (!ValidBand(band)) return -1;
    const TStoreHold hold(*this);
    const auto& filter = FFilters[0][static_cast<std::size_t>(band)];
    return filter ? BandKindNumber(filter->Kind()) : -1;
}

TOrvaneModule::TBandSettings TOrvaneModule::BandSettings(int channel, int band) {
    const TStoreHold hold(*this);
    const auto& filter = FFilters.at(static_cast<std::size_t>(channel)).at(static_cast<std::size_t>(band));
    if (!filter) return {};
    return {BandKindNumber(filter->Kind()), filter->Frequency(), filter->Gain(), filter->Bandwidth(),
            filter->SampleRate()};
}

void TOrvaneModule::PublishBand(int band) {
    // The engine clears a band's states itself whenever its published kind changes.
    const auto& filter = FFilters[0][static_cast<std::size_t>(band)];
    if (filter) FEngine.PublishBand(band, {filter->Kind(), filter->Coefficients()});
}

// ---- Editor ----

TOrvaneModule::TResponseSnapshot TOrvaneModule::ResponseSnapshot() {
    TResponseSnapshot snapshot;
    const TStoreHold hold(*this);
    for (std::size_t b = 0; b < snapshot.bands.size(); ++b)
        if (const auto& filter = FFilters[0][b])
            snapshot.bands[b] = {filter->Coefficients(), filter->SampleRateReciprocal(), true};
    return snapshot;
}

std::string TOrvaneModule::ValueText(std::int32_t index) {
    std::string text;
    if (index < 0 || index >= ParameterProperties().Count()) return text;
    if (const auto& display = ParameterProperties()[index].OnCustomParameterDisplay) display(*this, index, text);
    return text;
}

double TOrvaneModule::TotalResponseDb(double frequencyHz) { return ResponseSnapshot().TotalResponseDb(frequencyHz); }

TOrvaneEditor* TOrvaneModule::EditorOf(TEditorWindow* window) {
    if (!window) return nullptr;
    if (auto* editor = dynamic_cast<TOrvaneEditor*>(window)) return editor;
    return dynamic_cast<TOrvaneEditor*>(window->Content());
}

template <class TTell>
void TOrvaneModule::TellEditor(int band, TOrvaneEditor* editor, TTell tell) {
    const TEditorLease lease = LeaseEditor();  // keeps the editor alive while it is told
    if (!editor) editor = EditorOf(lease.Window());
    if (editor && ValidBand(band)) tell(*editor);
}

void TOrvaneModule::UpdateEditorType(int band, TOrvaneEditor* editor) {
    TellEditor(band, editor, [&](TOrvaneEditor& e) {
        e.DrawFilterType(band);
        const double value = ReadParameter(kParametersPerBand * band);
        const double k = std::isfinite(value) ? std::nearbyint(value) : -1.0;
        e.GainDial(band).SetEnabled(KindUsesGain(k));
        e.FreqDial(band).SetEnabled(KindUsesFrequency(k));
        e.BandwidthDial(band).SetEnabled(KindUsesFrequency(k));
        e.DrawGain(band);
        e.DrawFrequency(band);
        e.DrawBandwidth(band);
        e.DrawResponse();
    });
}

void TOrvaneModule::UpdateEditorGain(int band, TOrvaneEditor* editor) {
    TellEditor(band, editor, [&](TOrvaneEditor& e) {
        e.DrawGain(band);
        e.DrawResponse();
        const double gainDb = BandSettings(0, band).gainDb;
        e.GainDial(band).SetPosition(static_cast<float>((gainDb + 15.0) * kInverseGainRange));
    });
}

void TOrvaneModule::UpdateEditorFrequency(int band, TOrvaneEditor* editor) {
    TellEditor(band, editor, [&](TOrvaneEditor& e) {
        e.DrawFrequency(band);
        e.DrawResponse();
        const double frequencyHz = ReadParameter(kParametersPerBand * band + 2);
        e.FreqDial(band).SetPosition(static_cast<float>(std::log(0.05 * frequencyHz) * kInverseLog1000));
    });
}

void TOrvaneModule::UpdateEditorBandwidth(int band, TOrvaneEditor* editor) {
    TellEditor(band, editor, [&](TOrvaneEditor& e) {
        e.DrawBandwidth(band);
        e.DrawResponse();
        e.BandwidthDial(band).SetPosition(ReadParameter(kParametersPerBand * band + 3));
    });
}

// ---- Snapshots ----

void TOrvaneModule::StoreSnapshot(int slot) {
    if (slot < 0 || slot >= kSnapshotCount) return;
    auto& values = FSnapshots[static_cast<std::size_t>(slot)];
    values.resize(static_cast<std::size_t>(std::max(0, numParams())));
    for (std::size_t j = 0; j < values.size(); ++j) values[j] = ReadParameter(static_cast<std::int32_t>(j));
}

void TOrvaneModule::SelectSnapshot(int slot) {
    if (slot < 0 || slot >= kSnapshotCount) return;
    if (FCurrentSnapshot >= kSnapshotCount) FCurrentSnapshot = kSnapshotCount - 1;
    if (slot == FCurrentSnapshot) return;
    StoreSnapshot(FCurrentSnapshot);
    FCurrentSnapshot = static_cast<std::uint8_t>(slot);
    const auto values = FSnapshots[static_cast<std::size_t>(slot)];  // handlers may store into slots
    for (std::size_t j = 0; j < values.size(); ++j) AutomateParameter(static_cast<std::int32_t>(j), values[j]);
    const TEditorLease lease = LeaseEditor();
    if (auto* editor = EditorOf(lease.Window())) editor->DrawSnapshotButtons();
}

// ---- Audio [audio-thread] ----

void TOrvaneModule::VSTModuleProcess(float* const* inputs, float* const* outputs, std::int32_t sampleFrames) noexcept {
    FEngine.Process(inputs, outputs, sampleFrames);
    FAnalyserTap.Push(outputs, sampleFrames);
}

void TOrvaneModule::VSTModuleProcessDoubleReplacing(double* const* inputs, double* const* outputs,
                                                    std::int32_t sampleFrames) noexcept {
    FEngine.Process(inputs, outputs, sampleFrames);
    FAnalyserTap.Push(outputs, sampleFrames);
}

}  // namespace tessel
