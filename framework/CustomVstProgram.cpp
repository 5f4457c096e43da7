#include "framework/CustomVstProgram.h"

#include "framework/CustomVstPrograms.h"
#include "framework/TextTruncation.h"
#include "framework/VSTModuleWithPrograms.h"

namespace tessel {

TCustomVstProgram::TCustomVstProgram(TCustomVstPrograms& collection, std::int32_t index)
    : FCollection(collection), FIndex(index) {}

TVSTModuleWithPrograms& TCustomVstProgram::VSTModule() const { return FCollection.VSTModule(); }

void TCustomVstProgram::SetDisplayName(std::string_view v) { FDisplayName.Set(TruncatedText(v, kDisplayNameLength)); }

void TCustomVstProgram::SetParameter(std::int32_t index, float value) {
    if (VSTModule().ChunkMode()) return;
    FParameterValues.Set(index, value);
}

void TCustomVstProgram::Assign(const TCustomVstProgram& source) {
    FParameterValues.Assign(source.FParameterValues);
    FDisplayName.Set(source.DisplayName());
}

void TCustomVstProgram::DefineProperties(TPropertyTable& t, const TMethodTable& m) {
    t.Define("DisplayName", [this](const TStoredValue& v) { SetDisplayName(StoredText(v)); });
    // The back reference is the owning module whatever the description names.
    t.Define("VSTModule", [](const TStoredValue& v) {
        if (v.kind != TStoredValue::TKind::Identifier) throw EVSTError("Invalid property value");
    });
    DefineEvent(t, "OnInitialize", OnInitialize, m);
    DefineEvent(t, "OnLoadChunk", OnLoadChunk, m);
    DefineEvent(t, "OnStoreChunk", OnStoreChunk, m);
}

}  // namespace tessel
