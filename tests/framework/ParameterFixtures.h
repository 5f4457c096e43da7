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

// Parameter indices of TParameterModule.
enum : int32_t { kType = 0, kGain = 1, kFrequency = 2, kVolume = 3, kParameterCount = 4 };

// Four parameters shaped like one equaliser band plus a volume, and
// (unless the description says otherwise) four programs "Init".
class TParameterModule : public TVSTModule {
public:
    std::string_view ClassName() const override { return "TParameterModule"; }
    using TCustomVSTModule::Effect;

    std::vector<std::string> log;  // "param <i>", "module <i>", ... in firing order
    std::vector<float> seen;       // the value each change handler received
    std::function<void(int32_t, float&)> onParameter;  // runs inside the description's handler
    std::function<void(int32_t, float&)> onModule;     // runs inside the module's handler
    bool editorExists = false;

    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0) {
        AEffect* effect = GetEffectRecord();
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    void HostSet(int32_t index, float normalised) {
        GetEffectRecord()->setParameter(GetEffectRecord(), index, normalised);
    }
    float HostGet(int32_t index) { return GetEffectRecord()->getParameter(GetEffectRecord(), index); }

protected:
    bool EditorExists() const override { return editorExists; }

    void PublishMethods(TMethodTable& m) override {
        m.Publish<TParameterChangeEvent>("ParameterChange", [this](TBasicVSTModule&, int32_t i, float& v) {
            Note("param", i, v);
            if (onParameter) onParameter(i, v);
        });
        m.Publish<TParameterChangeEvent>("ModuleParameterChange", [this](TBasicVSTModule&, int32_t i, float& v) {
            Note("module", i, v);
            if (onModule) onModule(i, v);
        });
        m.Publish<TCustomParameterDisplayEvent>("TypeDisplay", [this](TBasicVSTModule&, int32_t i, std::string& text) {
            if (ReadParameter(i) == 3.0f) text = "Peak";
        });
        m.Publish<TCustomParameterLabelEvent>("VolumeLabel", [](TBasicVSTModule&, int32_t, std::string& text) {
            text += " (master)";
        });
        m.Publish<TNotifyEvent>("BeforeProgramChange", [this](TBasicVSTModule&) { log.push_back("before"); });
        m.Publish<TNotifyEvent>("AfterProgramChange", [this](TBasicVSTModule&) { log.push_back("after"); });
    }

private:
    void Note(const char* who, int32_t index, float value) {
        log.push_back(std::string(who) + " " + std::to_string(index));
        seen.push_back(value);
    }
};

inline TStoredItem ParameterItem(std::vector<TStoredProperty> properties) { return TStoredItem{std::move(properties)}; }

inline std::vector<TStoredItem> ParameterItems() {
    using namespace stored;
    return {
        ParameterItem({Float("Max", 8.0), Text("DisplayName", "Filter 1 Type"), Ident("VSTModule", "Owner"),
                       Method("OnParameterChange", "ParameterChange"),
                       Method("OnCustomParameterDisplay", "TypeDisplay")}),
        ParameterItem({Float("Min", -15.0), Float("Max", 15.0), Text("DisplayName", "Filter 1 Gain"),
                       Text("Units", "dB"), Text("ShortLabel", "Gain1"), Method("OnParameterChange", "ParameterChange")}),
        ParameterItem({Float("Min", 20.0), Float("Max", 20000.0), Ident("Curve", "ctLogarithmic"),
                       Float("CurveFactor", 1000.0), Text("DisplayName", "Filter 1 Frequency"), Text("Units", "Hz"),
                       Text("ShortLabel", "Freq1"), Boolean("ReportVST2Properties", true), Float("StepFloat", 100.0),
                       Float("SmallStepFloat", 10.0), Float("LargeStepFloat", 500.0), Integer("MinInteger", 20),
                       Integer("MaxInteger", 20000), Integer("StepInteger", 100), Integer("LargeStepInteger", 500),
                       Set("Flags", {"kVstParameterUsesIntegerMinMax", "kVstParameterCanRamp"}), Integer("CC", 74),
                       Method("OnParameterChange", "ParameterChange")}),
        ParameterItem({Float("Min", -40.0), Float("Max", 6.0), Text("DisplayName", "Volume"), Text("Units", "dB"),
                       Boolean("CanBeAutomated", false), Method("OnCustomParameterLabel", "VolumeLabel")}),
    };
}

inline std::vector<TStoredItem> InitPrograms(int count) {
    return std::vector<TStoredItem>(static_cast<size_t>(count),
                                    TStoredItem{{stored::Text("DisplayName", "Init")}});
}

// The description's module-level part, in the order the equaliser stores it.
inline TStoredDescription ParameterDescription(std::string className, int programs) {
    using namespace stored;
    return {std::move(className),
            {Set("Flags", {"effFlagsHasEditor", "effFlagsCanReplacing"}), Integer("CurrentProgram", 0),
             Text("CurrentProgramName", "Init"), Text("UniqueID", "Tpar"), Collection("Programs", InitPrograms(programs)),
             Collection("ParameterProperties", ParameterItems()), Method("OnParameterChange", "ModuleParameterChange"),
             Method("OnBeforeProgramChange", "BeforeProgramChange"),
             Method("OnAfterProgramChange", "AfterProgramChange")}};
}

inline const bool kParameterModuleRegistered =
    TStoredDescriptions::Register(ParameterDescription("TParameterModule", 4));

// The same parameters without any program: values live in the module itself.
class TProgramlessModule : public TParameterModule {
public:
    std::string_view ClassName() const override { return "TProgramlessModule"; }
};
inline const bool kProgramlessModuleRegistered =
    TStoredDescriptions::Register(ParameterDescription("TProgramlessModule", 0));

// Fills a host buffer with a guard byte so that writes past `used` show.
struct TGuardedBuffer {
    static constexpr unsigned char kGuard = 0x5A;
    unsigned char bytes[128];
    TGuardedBuffer() { std::fill(std::begin(bytes), std::end(bytes), kGuard); }
    std::string Text() const {
        const auto* text = reinterpret_cast<const char*>(bytes);
        return std::string(text, ::strnlen(text, sizeof bytes));
    }
    // True when nothing was written from offset on.
    bool UntouchedFrom(size_t offset) const {
        for (size_t i = offset; i < sizeof bytes; ++i)
            if (bytes[i] != kGuard) return false;
        return true;
    }
};

}  // namespace tessel::test
