#pragma once
// Modules built from stored descriptions for the parameter, program and chunk
// tests, with handlers that record what they see.

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "framework/StoredDescription.h"
#include "framework/VSTModule.h"
#include "tests/framework/ModuleFixtures.h"

namespace tessel::test {

enum : int32_t { kType = 0, kGain = 1, kFrequency = 2, kVolume = 3 };

// One equaliser band (Type 0..8, Gain -15..15 dB, Frequency 20..20000 Hz
// logarithmic) plus a volume that cannot be automated; four programs "Init".
class TParameterModule : public TVSTModule {
public:
    std::string_view ClassName() const override { return "TParameterModule"; }
    using TCustomVSTModule::Effect;

    std::vector<std::string> log;  // "param <i>" / "module <i>" / "before" / "after", in firing order
    std::vector<float> seen;       // the value each change handler received
    std::function<void(int32_t, float&)> onParameter, onModule;  // run inside the two handlers
    bool editorExists = false;

    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr) {
        return GetEffectRecord()->dispatcher(GetEffectRecord(), opcode, index, value, ptr, 0.0f);
    }
    void HostSet(int32_t index, float n) { GetEffectRecord()->setParameter(GetEffectRecord(), index, n); }
    float HostGet(int32_t index) { return GetEffectRecord()->getParameter(GetEffectRecord(), index); }

protected:
    bool EditorExists() const override { return editorExists; }
    void PublishMethods(TMethodTable& m) override {
        m.Publish<TParameterChangeEvent>("ParameterChange", [this](TBasicVSTModule&, int32_t i, float& v) {
            Note("param ", i, v);
            if (onParameter) onParameter(i, v);
        });
        m.Publish<TParameterChangeEvent>("ModuleChange", [this](TBasicVSTModule&, int32_t i, float& v) {
            Note("module ", i, v);
            if (onModule) onModule(i, v);
        });
        m.Publish<TCustomParameterDisplayEvent>("TypeDisplay", [this](TBasicVSTModule&, int32_t i, std::string& t) {
            if (ReadParameter(i) == 3.0f) t = "Peak";
        });
        m.Publish<TCustomParameterLabelEvent>("VolumeLabel",
                                              [](TBasicVSTModule&, int32_t, std::string& t) { t += " (master)"; });
        m.Publish<TNotifyEvent>("Before", [this](TBasicVSTModule&) { log.push_back("before"); });
        m.Publish<TNotifyEvent>("After", [this](TBasicVSTModule&) { log.push_back("after"); });
    }

private:
    void Note(const char* who, int32_t index, float value) {
        log.push_back(who + std::to_string(index));
        seen.push_back(value);
    }
};

inline TStoredDescription ParameterDescription(std::string className, int programs) {
    using namespace stored;
    const TStoredItem type{{Float("Max", 8.0), Text("DisplayName", "Filter 1 Type"), Ident("VSTModule", "Owner"),
                            Method("OnParameterChange", "ParameterChange"),
                            Method("OnCustomParameterDisplay", "TypeDisplay")}};
    const TStoredItem gain{{Float("Min", -15.0), Float("Max", 15.0), Text("DisplayName", "Filter 1 Gain"),
                            Text("Units", "dB"), Method("OnParameterChange", "ParameterChange")}};
    const TStoredItem frequency{
        {Float("Min", 20.0), Float("Max", 20000.0), Ident("Curve", "ctLogarithmic"), Float("CurveFactor", 1000.0),
         Text("DisplayName", "Filter 1 Frequency"), Text("Units", "Hz"), Text("ShortLabel", "Freq1"),
         Boolean("ReportVST2Properties", true), Float("StepFloat", 100.0), Float("SmallStepFloat", 10.0),
         Float("LargeStepFloat", 500.0), Integer("MinInteger", 20), Integer("MaxInteger", 20000),
         Integer("StepInteger", 100), Integer("LargeStepInteger", 500), Integer("CC", 74),
         Set("Flags", {"kVstParameterUsesIntegerMinMax", "kVstParameterCanRamp"}),
         Method("OnParameterChange", "ParameterChange")}};
    const TStoredItem volume{{Float("Min", -40.0), Float("Max", 6.0), Text("DisplayName", "Volume"),
                              Text("Units", "dB"), Boolean("CanBeAutomated", false),
                              Method("OnCustomParameterLabel", "VolumeLabel")}};
    const std::vector<TStoredItem> init(static_cast<size_t>(programs), TStoredItem{{Text("DisplayName", "Init")}});
    return {std::move(className),
            {Set("Flags", {"effFlagsHasEditor"}), Integer("CurrentProgram", 0), Text("CurrentProgramName", "Init"),
             Text("UniqueID", "Tpar"), Collection("Programs", init),
             Collection("ParameterProperties", {type, gain, frequency, volume}),
             Method("OnParameterChange", "ModuleChange"), Method("OnBeforeProgramChange", "Before"),
             Method("OnAfterProgramChange", "After")}};
}
inline const bool kParameterModuleRegistered =
    TStoredDescriptions::Register(ParameterDescription("TParameterModule", 4));

// The same parameters without programs: values live in the module itself.
class TProgramlessModule : public TParameterModule {
public:
    std::string_view ClassName() const override { return "TProgramlessModule"; }
};
inline const bool kProgramlessModuleRegistered =
    TStoredDescriptions::Register(ParameterDescription("TProgramlessModule", 0));

// A host text buffer pre-filled with a guard byte, so that writes past the end show.
struct TGuardedBuffer {
    static constexpr unsigned char kGuard = 0x5A;
    unsigned char bytes[128];
    TGuardedBuffer() { std::fill(std::begin(bytes), std::end(bytes), kGuard); }
    std::string Text() const {
        const auto* text = reinterpret_cast<const char*>(bytes);
        return std::string(text, ::strnlen(text, sizeof bytes));
    }
    bool UntouchedFrom(size_t offset) const {
        return std::all_of(bytes + offset, std::end(bytes), [](unsigned char b) { return b == kGuard; });
    }
};

}  // namespace tessel::test
