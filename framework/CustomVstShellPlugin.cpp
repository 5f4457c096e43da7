#include "framework/CustomVstShellPlugin.h"

#include "framework/FourCC.h"
#include "framework/VSTError.h"

namespace tessel {

namespace {
constexpr std::size_t kUniqueIdLength = 4;  // characters
}  // namespace

void TCustomVstShellPlugin::SetDisplayName(const std::string& v) {
    FDisplayName.Set(v.substr(0, kMaxDisplayNameLength));
}

std::string TCustomVstShellPlugin::UniqueID() const { return UnpackFourCC(FUniqueID); }

void TCustomVstShellPlugin::SetUniqueID(const std::string& v) {
    // Padding a short text with zeros would invent an ID nobody asked for.
    if (v.size() < kUniqueIdLength) throw EVSTError("Invalid unique ID");
    FUniqueID = PackFourCC(v);
}

void TCustomVstShellPlugin::DefineProperties(TPropertyTable& t, const TMethodTable& m) {
    t.Define("DisplayName", [this](const TStoredValue& v) { SetDisplayName(StoredText(v)); });
    t.Define("numInputs", [this](const TStoredValue& v) { SetNumInputs(StoredInteger(v)); });
    t.Define("numOutputs", [this](const TStoredValue& v) { SetNumOutputs(StoredInteger(v)); });
    t.Define("numParams", [this](const TStoredValue& v) { SetNumParams(StoredInteger(v)); });
    t.Define("numPrograms", [this](const TStoredValue& v) { SetNumPrograms(StoredInteger(v)); });
    t.Define("PlugCategory", [this](const TStoredValue& v) {
        SetPlugCategory(StoredEnum<TVstPluginCategory>(v, kPluginCategoryNames));
    });
    t.Define("UniqueID", [this](const TStoredValue& v) { SetUniqueID(StoredText(v)); });
    DefineEvent(t, "OnInstanciate", OnInstanciate, m);
}

}  // namespace tessel
