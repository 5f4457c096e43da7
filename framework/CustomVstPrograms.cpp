#include "framework/CustomVstPrograms.h"

#include "framework/VSTModuleWithPrograms.h"

namespace tessel {

TCustomVstProgram& TCustomVstPrograms::Add() {
    FItems.push_back(std::make_unique<TCustomVstProgram>(*this, Count()));
    auto& program = *FItems.back();
    FModule.ProgramAdded(program);
    return program;
}

void TCustomVstPrograms::Delete(std::int32_t index) {
    if (index < 0 || index >= Count()) return;
    FItems.erase(FItems.begin() + index);
    for (std::int32_t i = index; i < Count(); ++i) FItems[static_cast<std::size_t>(i)]->SetIndex(i);
    FModule.ProgramRemoved();
}

void TCustomVstPrograms::Clear() {
    while (Count() > 0) Delete(0);
}

void TCustomVstPrograms::Assign(const TCustomVstPrograms& source) {
    if (&source == this) return;
    Clear();
    for (std::int32_t i = 0; i < source.Count(); ++i) Add().Assign(source[i]);
}

}  // namespace tessel
