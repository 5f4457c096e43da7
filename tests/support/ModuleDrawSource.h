#pragma once
// What the editor's painter shows of a module, read straight from it: its
// values, and each band's values enabled as the module enables its knobs.
// For tests and benchmarks that paint without a form.

#include <cmath>
#include <string>

#include "editor/OrvanePainter.h"
#include "framework/CustomVstParameterProperty.h"
#include "plugin/OrvaneModule.h"

namespace tessel::test {

class TModuleDrawSource final : public TOrvaneDrawSource {
public:
    explicit TModuleDrawSource(TOrvaneModule& m) : FModule(m) {}
    std::string FilterTypeText(int band) override {
        std::string text;
        const auto& description = FModule.ParameterProperties()[TypeIndex(band)];
        if (description.OnCustomParameterDisplay) description.OnCustomParameterDisplay(FModule, TypeIndex(band), text);
        return text;
    }
    float ParameterValue(int index) override { return FModule.ReadParameter(index); }
    bool ValueEnabled(TBandValue value, int band) override {
        const double kind = std::nearbyint(FModule.ReadParameter(TypeIndex(band)));
        return value == TBandValue::Gain ? TOrvaneModule::KindUsesGain(kind) : TOrvaneModule::KindUsesFrequency(kind);
    }
    int CurrentSnapshot() override { return FModule.CurrentSnapshot(); }
    std::string CurrentProgramName() override { return FModule.CurrentProgramName(); }
    std::string EffectName() override { return FModule.EffectName(); }
    double TotalResponseDb(double f) override { return FModule.TotalResponseDb(f); }

private:
    static int TypeIndex(int band) { return TOrvaneModule::kParametersPerBand * band; }
    TOrvaneModule& FModule;
};

}  // namespace tessel::test
