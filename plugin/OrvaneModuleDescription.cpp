// The stored description of TOrvaneModule: identity, capabilities, the four
// programs, the 29 parameters and the handler bindings, applied in this order
// through the module's setters whenever an instance is built.

#include <array>
#include <string>

#include "framework/StoredDescription.h"

namespace tessel {
namespace {

using namespace stored;

constexpr int kBands = 7;
constexpr int kPrograms = 4;

// One band parameter's row; the band number goes into the name.
struct TBandField {
    const char* name;  // "Filter N <name>"
    double min, max;   // natural range
    const char* curve;
    double curveFactor;
    const char* units;
    double stepFloat, smallStepFloat, largeStepFloat;
    int minInteger, maxInteger, stepInteger, largeStepInteger;
    const char* onChange;
    const char* onDisplay;  // empty: none
    const char* onParse;    // reads the display back; empty: none
};

constexpr std::array<TBandField, 4> kBandFields = {{
    {"Type", 0.0, 8.0, "ctLinear", 1.0, "", 1.0, 1.0, 1.0, 0, 8, 1, 1, "OrvaneModuleTypeChange",
     "OrvaneModuleTypeDisplay", "OrvaneModuleTypeParse"},
    {"Gain", -15.0, 15.0, "ctLinear", 1.0, "dB", 0.5, 0.1, 1.0, -15, 15, 1, 2, "OrvaneModuleGainChange", "", ""},
    {"Frequency", 20.0, 20000.0, "ctLogarithmic", 1000.0, "Hz", 100.0, 10.0, 500.0, 20, 20000, 100, 500,
     "OrvaneModuleFreqChange", "OrvaneModuleFreqDisplay", ""},
    {"Bandwidth", 0.0, 1.0, "ctLinear", 1.0, "Oct", 0.1, 0.01, 0.2, 0, 1, 1, 1, "OrvaneModuleBandwidthChange",
     "OrvaneModuleBandwidthDisplay", "OrvaneModuleBandwidthParse"},
}};

// Short labels of the Gain, Frequency and Bandwidth rows, exactly as the
// plug-in has always stored them (bands 2 and 3 share "Freq2"); empty: none.
constexpr std::array<std::array<const char*, 3>, kBands> kShortLabels = {{
    {"Gain1", "Freq1", ""},
    {"Gain2", "Freq2", "BW"},
    {"Gain3", "Freq2", "BW"},
    {"Gain4", "Freq3", "BW"},
    {"Gain5", "Freq4", "BW"},
    {"Gain6", "Freq5", "BW"},
    {"Gain7", "Freq6", "BW"},
}};

TStoredItem BandParameter(int band, int field) {
    const TBandField& f = kBandFields[static_cast<std::size_t>(field)];
    TStoredItem item;
    auto& p = item.properties;
    if (f.min != 0.0) p.push_back(Float("Min", f.min));
    p.push_back(Float("Max", f.max));
    p.push_back(Ident("Curve", f.curve));
    p.push_back(Text("DisplayName", "Filter " + std::to_string(band + 1) + " " + f.name));
    if (*f.units) p.push_back(Text("Units", f.units));
    p.push_back(Float("CurveFactor", f.curveFactor));
    p.push_back(Float("SmoothingFactor", 1.0));
    p.push_back(Float("StepFloat", f.stepFloat));
    p.push_back(Float("SmallStepFloat", f.smallStepFloat));
    p.push_back(Float("LargeStepFloat", f.largeStepFloat));
    if (f.minInteger != 0) p.push_back(Integer("MinInteger", f.minInteger));
    p.push_back(Integer("MaxInteger", f.maxInteger));
    if (f.stepInteger != 1) p.push_back(Integer("StepInteger", f.stepInteger));
    p.push_back(Integer("LargeStepInteger", f.largeStepInteger));
    if (field > 0) {
        const char* shortLabel = kShortLabels[static_cast<std::size_t>(band)][static_cast<std::size_t>(field - 1)];
        if (*shortLabel) p.push_back(Text("ShortLabel", shortLabel));
    }
    p.push_back(Ident("VSTModule", "OrvaneModule"));
    p.push_back(Method("OnParameterChange", f.onChange));
    if (*f.onDisplay) p.push_back(Method("OnCustomParameterDisplay", f.onDisplay));
    if (*f.onParse) p.push_back(Method("OnCustomParameterParse", f.onParse));
    return item;
}

TStoredItem VolumeParameter() {
    return {{
        Float("Min", -40.0),
        Float("Max", 6.0),
        Ident("Curve", "ctLinear"),
        Text("DisplayName", "Volume"),
        Text("Units", "dB"),
        Float("CurveFactor", 1.0),
        Float("SmoothingFactor", 1.0),
        Float("StepFloat", 0.5),
        Float("SmallStepFloat", 0.1),
        Float("LargeStepFloat", 3.0),
        Integer("MinInteger", -40),
        Integer("MaxInteger", 6),
        Integer("LargeStepInteger", 3),
        Ident("VSTModule", "OrvaneModule"),
        Method("OnParameterChange", "OrvaneModuleVolumeChange"),
    }};
}

std::vector<TStoredItem> Parameters() {
    std::vector<TStoredItem> items;
    for (int band = 0; band < kBands; ++band)
        for (int field = 0; field < static_cast<int>(kBandFields.size()); ++field)
            items.push_back(BandParameter(band, field));
    items.push_back(VolumeParameter());
    return items;
}

std::vector<TStoredItem> Programs() {
    std::vector<TStoredItem> items;
    for (int i = 0; i < kPrograms; ++i)
        items.push_back({{Text("DisplayName", "Init"), Ident("VSTModule", "OrvaneModule")}});
    return items;
}

TStoredDescription OrvaneModuleDescription() {
    return {"TOrvaneModule",
            {
                Boolean("OldCreateOrder", false),
                Method("OnCreate", "VSTModuleCreate"),
                Method("OnDestroy", "VSTModuleDestroy"),
                Set("Flags",
                    {"effFlagsHasEditor", "effFlagsCanMono", "effFlagsCanReplacing", "effFlagsCanDoubleReplacing"}),
                Text("Version", "1.0"),
                Text("EffectName", "Tessel EQ"),
                Text("ProductName", "Tessel EQ"),
                Text("VendorName", "Dravik"),
                Ident("PlugCategory", "vpcEffect"),
                Set("CanDos", {"vcdPlugAsChannelInsert", "vcdPlugAsSend", "vcd2in2out"}),
                Float("SampleRate", 44100.0),
                Integer("CurrentProgram", 0),
                Text("CurrentProgramName", "Init"),
                Text("UniqueID", "Tssl"),
                Collection("ShellPlugins", {}),
                Collection("Programs", Programs()),
                Collection("ParameterProperties", Parameters()),
                Ident("ProcessPrecisition", "pp64"),
                Method("OnOpen", "VSTModuleOpen"),
                Method("OnResume", "VSTModuleResume"),
                Method("OnEditOpen", "VSTModuleEditOpen"),
                Method("OnSampleRateChange", "VSTModuleSampleRateChange"),
                // No OnProcess: the handler replaces its outputs, so the
                // accumulating call runs it on scratch outputs and adds them.
                Method("OnProcessReplacing", "VSTModuleProcess"),
                Method("OnProcessDoubleReplacing", "VSTModuleProcessDoubleReplacing"),
                // Design-time placement, kept with the description.
                Integer("Left", 300),
                Integer("Top", 221),
                Integer("Height", 150),
                Integer("Width", 215),
            }};
}

const bool kRegistered = TStoredDescriptions::Register(OrvaneModuleDescription());

}  // namespace
}  // namespace tessel
