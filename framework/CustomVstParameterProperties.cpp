#include "framework/CustomVstParameterProperties.h"

#include "framework/VSTModuleWithPrograms.h"

namespace tessel {

TCustomVstParameterProperty& TCustomVstParameterProperties::Add() {
    FItems.push_back(std::make_unique<TCustomVstParameterProperty>(*this, Count()));
    FModule.ParameterPropertyAdded();
    return *FItems.back();
}

void TCustomVstParameterProperties::Delete(std::int32_t index) {
    if (index < 0 || index >= Count()) return;
    // The module sees the count including the item being removed.
    FModule.ParameterPropertyRemoving(index);
    FItems.erase(FItems.begin() + index);
    for (std::int32_t i = index; i < Count(); ++i) FItems[static_cast<std::size_t>(i)]->SetIndex(i);
}

void TCustomVstParameterProperties::Clear() {
    while (Count() > 0) Delete(Count() - 1);
}

void TCustomVstParameterProperties::Assign(const TCustomVstParameterProperties& source) {
    if (&source == this) return;
    Clear();
    for (std::int32_t i = 0; i < source.Count(); ++i) Add().Assign(source[i]);
}

}  // namespace tessel
