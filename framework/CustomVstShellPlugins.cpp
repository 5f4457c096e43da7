#include "framework/CustomVstShellPlugins.h"

#include "framework/CustomVstShellPlugin.h"
#include "framework/VSTError.h"

namespace tessel {

TCustomVstShellPlugins::TCustomVstShellPlugins(TCustomVSTModule& owner) : FOwner(&owner) {}
TCustomVstShellPlugins::~TCustomVstShellPlugins() = default;

TCustomVstShellPlugin& TCustomVstShellPlugins::Add() {
    FItems.push_back(std::make_unique<TCustomVstShellPlugin>(*FOwner));
    return *FItems.back();
}

void TCustomVstShellPlugins::Clear() { FItems.clear(); }

TCustomVstShellPlugin& TCustomVstShellPlugins::Items(std::int32_t index) const {
    if (index < 0 || index >= Count()) throw EVSTError("Index out of bounds");
    return *FItems[static_cast<std::size_t>(index)];
}

TCustomVstShellPlugin* TCustomVstShellPlugins::FindByUniqueID(std::int32_t id) const {
    for (const auto& item : FItems)
        if (item->UniqueIDValue() == id) return item.get();
    return nullptr;
}

void TCustomVstShellPlugins::Assign(const TCustomVstShellPlugins& source) {
    if (&source == this) return;
    Clear();
    for (const auto& item : source.FItems) Add().Assign(*item);
}

}  // namespace tessel
