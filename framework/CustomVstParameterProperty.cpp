#include "framework/CustomVstParameterProperty.h"

#include <algorithm>
#include <cmath>

#include "framework/CustomVstParameterProperties.h"
#include "framework/TextTruncation.h"
#include "framework/VSTBoundary.h"

namespace tessel {

const std::array<std::string_view, 4> kCurveTypeNames = {"ctLinear", "ctLogarithmic", "ctExponential",
                                                         "ctFrequencyScale"};

const std::array<std::string_view, 7> kParameterPropertiesFlagNames = {
    "kVstParameterIsSwitch",    "kVstParameterUsesIntegerMinMax",    "kVstParameterUsesFloatStep",
    "kVstParameterUsesIntStep", "kVstParameterSupportsDisplayIndex", "kVstParameterSupportsDisplayCategory",
    "kVstParameterCanRamp"};

namespace {
// The flag byte reports bits 0..6; everything above is 0.
constexpr std::uint32_t kReportedFlagBits = 0x7Fu;

float Clamped01(float n) {
    if (!(n >= 0.0f)) return 0.0f;  // also NaN
    return n > 1.0f ? 1.0f : n;
}
}  // namespace

TCustomVstParameterProperty::TCustomVstParameterProperty(TCustomVstParameterProperties& collection, std::int32_t index)
    : FCollection(collection), FIndex(index), FDisplayName("Parameter " + std::to_string(index + 1)) {}

TVSTModuleWithPrograms& TCustomVstParameterProperty::VSTModule() const { return FCollection.VSTModule(); }

void TCustomVstParameterProperty::SetDisplayName(std::string_view v) {
    FDisplayName.Set(TruncatedText(v, kDisplayNameLength));
}

void TCustomVstParameterProperty::SetShortLabel(std::string_view v) {
    FShortLabel.Set(TruncatedText(v, kShortLabelLength));
}

void TCustomVstParameterProperty::Assign(const TCustomVstParameterProperty& source) {
    FDisplayName.Set(source.DisplayName());
    FUnits.Set(source.Units());
}

double TCustomVstParameterProperty::FrequencyScaleRatio() const {
    const double lo = FMin;
    const double hi = FMax;
    return lo != 0.0 ? hi / lo : hi;
}

// Rounding points are those the host-visible values depend on: the position t,
// the curve's result, and the final value, each as a 32-bit float.
float TCustomVstParameterProperty::ToNormalized(float natural) const {
    const double c = FCurveFactor;
    const double lo = FMin;
    const double hi = FMax;
    const auto t = static_cast<float>((static_cast<double>(natural) - lo) / (hi - lo));
    double n = static_cast<double>(t);
    switch (FCurve) {
        case TCurveType::ctLinear:
            break;
        case TCurveType::ctLogarithmic:
            n = std::log(1.0 + c * n) / std::log(1.0 + c);
            break;
        case TCurveType::ctExponential:
            n = (std::pow(1.0 + c, n) - 1.0) / c;
            break;
        case TCurveType::ctFrequencyScale: {
            const double r = FrequencyScaleRatio();
            n = std::log(1.0 + static_cast<double>(Clamped01(t)) * r) / std::log(r);
            break;
        }
    }
    return Clamped01(static_cast<float>(n));
}

float TCustomVstParameterProperty::FromNormalized(float normalized) const {
    const double c = FCurveFactor;
    const double n = normalized;
    double u = n;
    switch (FCurve) {
        case TCurveType::ctLinear:
            break;
        case TCurveType::ctLogarithmic:
            u = (std::pow(1.0 + c, n) - 1.0) / c;
            break;
        case TCurveType::ctExponential:
            u = std::log(1.0 + c * n) / std::log(1.0 + c);
            break;
        case TCurveType::ctFrequencyScale: {
            // The exact inverse of the forward curve, so host values round-trip.
            const double r = FrequencyScaleRatio();
            u = (std::pow(r, n) - 1.0) / r;
            break;
        }
    }
    const double lo = FMin;
    const double hi = FMax;
    const double uf = static_cast<float>(u);
    return static_cast<float>(lo + (hi - lo) * uf);
}

float TCustomVstParameterProperty::Limited(float natural) const {
    const float lo = std::min(FMin, FMax);
    const float hi = std::max(FMin, FMax);
    if (!(natural >= lo)) return lo;  // also NaN
    return natural > hi ? hi : natural;
}

float TCustomVstParameterProperty::Smooth(float natural) {
    if (!std::isfinite(natural)) return natural;  // one bad value must not poison the state for good
    // s + (x - s)*k written as s*(1-k) + x*k, so that k = 1 gives x exactly
    // whatever the previous state was.
    const double k = FSmoothingFactor;
    const double s1 = FSmoothState1.load(std::memory_order_relaxed);
    const auto next1 = static_cast<float>(s1 * (1.0 - k) + static_cast<double>(natural) * k);
    const double s2 = FSmoothState2.load(std::memory_order_relaxed);
    const auto next2 = static_cast<float>(s2 * (1.0 - k) + static_cast<double>(next1) * k);
    FSmoothState1.store(next1, std::memory_order_relaxed);
    FSmoothState2.store(next2, std::memory_order_relaxed);
    return next2;
}

void TCustomVstParameterProperty::WriteVST2Properties(VstParameterProperties& record) const {
    record.stepFloat = FStepFloat;
    record.smallStepFloat = FSmallStepFloat;
    record.largeStepFloat = FLargeStepFloat;
    CopyTextToHost(record.label, DisplayName(), sizeof record.label);
    record.flags = static_cast<std::int32_t>(FFlags.ToBits() & kReportedFlagBits);
    record.minInteger = FMinInteger;
    record.maxInteger = FMaxInteger;
    record.stepInteger = FStepInteger;
    record.largeStepInteger = FLargeStepInteger;
    CopyTextToHost(record.shortLabel, ShortLabel(), sizeof record.shortLabel);
    record.displayIndex = 0;
}

void TCustomVstParameterProperty::DefineProperties(TPropertyTable& t, const TMethodTable& m) {
    auto asFloat = [](const TStoredValue& v) { return static_cast<float>(StoredFloat(v)); };
    t.Define("Min", [this, asFloat](const TStoredValue& v) { SetMin(asFloat(v)); });
    t.Define("Max", [this, asFloat](const TStoredValue& v) { SetMax(asFloat(v)); });
    t.Define("CC", [this](const TStoredValue& v) { SetCC(StoredInteger(v)); });
    t.Define("Curve", [this](const TStoredValue& v) { SetCurve(StoredEnum<TCurveType>(v, kCurveTypeNames)); });
    t.Define("DisplayName", [this](const TStoredValue& v) { SetDisplayName(StoredText(v)); });
    t.Define("Units", [this](const TStoredValue& v) { SetUnits(StoredText(v)); });
    t.Define("CurveFactor", [this, asFloat](const TStoredValue& v) { SetCurveFactor(asFloat(v)); });
    t.Define("SmoothingFactor", [this, asFloat](const TStoredValue& v) { SetSmoothingFactor(asFloat(v)); });
    t.Define("CanBeAutomated", [this](const TStoredValue& v) { SetCanBeAutomated(StoredBoolean(v)); });
    t.Define("ReportVST2Properties", [this](const TStoredValue& v) { SetReportVST2Properties(StoredBoolean(v)); });
    t.Define("StepFloat", [this, asFloat](const TStoredValue& v) { SetStepFloat(asFloat(v)); });
    t.Define("SmallStepFloat", [this, asFloat](const TStoredValue& v) { SetSmallStepFloat(asFloat(v)); });
    t.Define("LargeStepFloat", [this, asFloat](const TStoredValue& v) { SetLargeStepFloat(asFloat(v)); });
    t.Define("Flags", [this](const TStoredValue& v) {
        SetFlags(StoredSet<TVstParameterPropertiesFlag>(v, kParameterPropertiesFlagNames));
    });
    t.Define("MinInteger", [this](const TStoredValue& v) { SetMinInteger(StoredInteger(v)); });
    t.Define("MaxInteger", [this](const TStoredValue& v) { SetMaxInteger(StoredInteger(v)); });
    t.Define("StepInteger", [this](const TStoredValue& v) { SetStepInteger(StoredInteger(v)); });
    t.Define("LargeStepInteger", [this](const TStoredValue& v) { SetLargeStepInteger(StoredInteger(v)); });
    t.Define("ShortLabel", [this](const TStoredValue& v) { SetShortLabel(StoredText(v)); });
    // The back reference is the owning module whatever the description names.
    t.Define("VSTModule", [](const TStoredValue& v) {
        if (v.kind != TStoredValue::TKind::Identifier) throw EVSTError("Invalid property value");
    });
    DefineEvent(t, "OnParameterChange", OnParameterChange, m);
    DefineEvent(t, "OnCustomParameterLabel", OnCustomParameterLabel, m);
    DefineEvent(t, "OnCustomParameterDisplay", OnCustomParameterDisplay, m);
    DefineEvent(t, "OnCustomParameterParse", OnCustomParameterParse, m);
}

}  // namespace tessel
