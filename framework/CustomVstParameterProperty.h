#pragma once
// TCustomVstParameterProperty: the description of one host-visible parameter.
//
// A description fixes the natural range (Min..Max, in the parameter's own
// units), the curve between the host's normalised 0..1 and that range, the
// texts the host shows, the steps and flags reported through
// effGetParameterProperties, and three per-parameter handlers. Its position
// in the module's ParameterProperties collection is the parameter's index.
//
// Descriptions are created and changed while the module loads its stored
// description, on the UI thread; afterwards only the smoothing state changes,
// on whatever thread the host sets the parameter from (relaxed atomics). The
// three texts hosts read (name, units, short label) are safe to read while
// another thread replaces them.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "framework/EnumSet.h"
#include "framework/PropertyTable.h"
#include "framework/SharedText.h"
#include "framework/VSTAbi.h"

namespace tessel {

class TBasicVSTModule;
class TCustomVstParameterProperties;
class TVSTModuleWithPrograms;

enum class TCurveType { ctLinear, ctLogarithmic, ctExponential, ctFrequencyScale };
extern const std::array<std::string_view, 4> kCurveTypeNames;

// Bit n = flag ordinal n, the same bits as the VST 2 parameter flags.
enum class TVstParameterPropertiesFlag {
    kVstParameterIsSwitch,
    kVstParameterUsesIntegerMinMax,
    kVstParameterUsesFloatStep,
    kVstParameterUsesIntStep,
    kVstParameterSupportsDisplayIndex,
    kVstParameterSupportsDisplayCategory,
    kVstParameterCanRamp
};
using TVstParameterPropertiesFlags = TEnumSet<TVstParameterPropertiesFlag>;
extern const std::array<std::string_view, 7> kParameterPropertiesFlagNames;

// value: natural units; the handler may change it (see StoreParameter).
using TParameterChangeEvent = std::function<void(TBasicVSTModule& sender, std::int32_t index, float& value)>;
// preDefined arrives holding the framework's text; what the handler leaves is shown.
using TCustomParameterLabelEvent =
    std::function<void(TBasicVSTModule& sender, std::int32_t index, std::string& preDefined)>;
using TCustomParameterDisplayEvent = TCustomParameterLabelEvent;
// Reads a text the host sends back (effString2Parameter): value arrives holding
// the plain natural number the text reads as, or NaN when it reads as none;
// what the handler leaves is stored, and a NaN refuses the text. Lets a
// parameter with its own display take that display back.
using TCustomParameterParseEvent =
    std::function<void(TBasicVSTModule& sender, std::int32_t index, std::string_view text, float& value)>;

class TCustomVstParameterProperty {
public:
    static constexpr std::size_t kDisplayNameLength = 30;  // characters kept on assignment
    static constexpr std::size_t kShortLabelLength = 7;

    // Made by TCustomVstParameterProperties::Add only. [ui-thread]
    TCustomVstParameterProperty(TCustomVstParameterProperties& collection, std::int32_t index);
    TCustomVstParameterProperty(const TCustomVstParameterProperty&) = delete;
    TCustomVstParameterProperty& operator=(const TCustomVstParameterProperty&) = delete;

    // ---- Place in the collection [any-thread, lock-free] ----
    TCustomVstParameterProperties& Collection() const { return FCollection; }
    std::int32_t Index() const { return FIndex; }
    TVSTModuleWithPrograms& VSTModule() const;

    // ---- Published properties [ui-thread] ----
    // Set while loading; the getters are [any-thread, lock-free] afterwards.
    // DisplayName, Units and ShortLabel are [any-thread] both ways.
    float Min() const { return FMin; }  // natural value at normalised 0
    void SetMin(float v) { FMin = v; }
    float Max() const { return FMax; }  // natural value at normalised 1
    void SetMax(float v) { FMax = v; }
    std::int32_t CC() const { return FCC; }  // MIDI controller, -1 none; kept, not acted on
    void SetCC(std::int32_t v) { FCC = v; }
    TCurveType Curve() const { return FCurve; }
    void SetCurve(TCurveType v) { FCurve = v; }
    std::string DisplayName() const { return FDisplayName.Get(); }
    void SetDisplayName(std::string_view v);  // keeps the first 30 characters
    std::string Units() const { return FUnits.Get(); }
    void SetUnits(std::string_view v) { FUnits.Set(v); }
    float CurveFactor() const { return FCurveFactor; }  // shape of the log and exp curves
    void SetCurveFactor(float v) { FCurveFactor = v; }
    float SmoothingFactor() const { return FSmoothingFactor; }  // 1 = no smoothing
    void SetSmoothingFactor(float v) { FSmoothingFactor = v; }
    bool CanBeAutomated() const { return FCanBeAutomated; }
    void SetCanBeAutomated(bool v) { FCanBeAutomated = v; }
    bool ReportVST2Properties() const { return FReportVST2Properties; }
    void SetReportVST2Properties(bool v) { FReportVST2Properties = v; }
    float StepFloat() const { return FStepFloat; }
    void SetStepFloat(float v) { FStepFloat = v; }
    float SmallStepFloat() const { return FSmallStepFloat; }
    void SetSmallStepFloat(float v) { FSmallStepFloat = v; }
    float LargeStepFloat() const { return FLargeStepFloat; }
    void SetLargeStepFloat(float v) { FLargeStepFloat = v; }
    TVstParameterPropertiesFlags Flags() const { return FFlags; }
    void SetFlags(TVstParameterPropertiesFlags v) { FFlags = v; }
    std::int32_t MinInteger() const { return FMinInteger; }
    void SetMinInteger(std::int32_t v) { FMinInteger = v; }
    std::int32_t MaxInteger() const { return FMaxInteger; }
    void SetMaxInteger(std::int32_t v) { FMaxInteger = v; }
    std::int32_t StepInteger() const { return FStepInteger; }
    void SetStepInteger(std::int32_t v) { FStepInteger = v; }
    std::int32_t LargeStepInteger() const { return FLargeStepInteger; }
    void SetLargeStepInteger(std::int32_t v) { FLargeStepInteger = v; }
    std::string ShortLabel() const { return FShortLabel.Get(); }
    void SetShortLabel(std::string_view v);  // keeps the first 7 characters

    TParameterChangeEvent OnParameterChange;
    TCustomParameterLabelEvent OnCustomParameterLabel;
    TCustomParameterDisplayEvent OnCustomParameterDisplay;
    TCustomParameterParseEvent OnCustomParameterParse;

    // Copies DisplayName and Units only. [ui-thread]
    void Assign(const TCustomVstParameterProperty& source);

    // ---- Mapping [any-thread, lock-free] ----
    // Natural -> normalised, clamped to 0..1 (a NaN gives 0). [any-thread, lock-free]
    float ToNormalized(float natural) const;
    // Normalised -> natural through the inverse curve; no clamping, no smoothing. [any-thread, lock-free]
    float FromNormalized(float normalized) const;
    // The natural value limited to Min..Max, the form in which values are
    // stored; a NaN, which has no place in the range, becomes Min. [any-thread, lock-free]
    float Limited(float natural) const;
    // Advances the two-stage smoothing one step towards natural and returns
    // the second stage. A non-finite value passes through and leaves the
    // state alone. [any-thread, lock-free]
    float Smooth(float natural);
    float SmoothState1() const { return FSmoothState1.load(std::memory_order_relaxed); }
    float SmoothState2() const { return FSmoothState2.load(std::memory_order_relaxed); }

    // Writes the fields effGetParameterProperties reports; other bytes stay as
    // the host left them. [any-thread]
    void WriteVST2Properties(VstParameterProperties& record) const;

    // This item's published properties; handler names bind against methods. [ui-thread]
    void DefineProperties(TPropertyTable& table, const TMethodTable& methods);

private:
    friend class TCustomVstParameterProperties;
    void SetIndex(std::int32_t index) { FIndex = index; }
    // The ratio the frequency-scale curve works with (Max/Min, or Max when Min is 0).
    double FrequencyScaleRatio() const;

    TCustomVstParameterProperties& FCollection;
    std::int32_t FIndex;
    float FMin = 0.0f;
    float FMax = 1.0f;
    std::int32_t FCC = -1;
    TCurveType FCurve = TCurveType::ctLinear;
    TSharedText FDisplayName;
    TSharedText FUnits;
    float FCurveFactor = 1.0f;
    float FSmoothingFactor = 1.0f;
    bool FCanBeAutomated = true;
    bool FReportVST2Properties = false;
    float FStepFloat = 0.0f;
    float FSmallStepFloat = 0.0f;
    float FLargeStepFloat = 0.0f;
    TVstParameterPropertiesFlags FFlags;
    std::int32_t FMinInteger = 0;
    std::int32_t FMaxInteger = 100;
    std::int32_t FStepInteger = 1;
    std::int32_t FLargeStepInteger = 10;
    TSharedText FShortLabel;
    std::atomic<float> FSmoothState1{0.0f};
    std::atomic<float> FSmoothState2{0.0f};
};

}  // namespace tessel
