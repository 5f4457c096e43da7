#pragma once
// TCustomVstParameterProperties: the module's ordered, owned collection of
// parameter descriptions; an item's position is its parameter index.
//
// Adding or removing a description updates the module's parameter count and
// resizes the stored values (see TVSTModuleWithPrograms). The collection
// changes only while the module loads and when it is torn down [ui-thread];
// reaching its items is [any-thread, lock-free] once loaded.

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/CustomVstParameterProperty.h"

namespace tessel {

class TVSTModuleWithPrograms;

class TCustomVstParameterProperties {
public:
    // ---- Building [ui-thread] ----
    explicit TCustomVstParameterProperties(TVSTModuleWithPrograms& module) : FModule(module) {}
    TCustomVstParameterProperties(const TCustomVstParameterProperties&) = delete;
    TCustomVstParameterProperties& operator=(const TCustomVstParameterProperties&) = delete;
    // Releases remaining items without telling the module (it is going away).
    ~TCustomVstParameterProperties() = default;

    // ---- Reading [any-thread, lock-free] ----
    TVSTModuleWithPrograms& VSTModule() const { return FModule; }
    std::int32_t Count() const { return static_cast<std::int32_t>(FItems.size()); }
    // index must be within 0..Count()-1.
    TCustomVstParameterProperty& operator[](std::int32_t index) const {
        return *FItems[static_cast<std::size_t>(index)];
    }

    // ---- Building and changing [ui-thread] ----
    // A new description at the end ("Parameter <count>").
    TCustomVstParameterProperty& Add();
    // Removes one description; an index outside the collection does nothing.
    void Delete(std::int32_t index);
    // Removes every description, the last first.
    void Clear();
    // Replaces the items with copies of the source's (names and units only, see Assign of an item).
    void Assign(const TCustomVstParameterProperties& source);

private:
    TVSTModuleWithPrograms& FModule;
    std::vector<std::unique_ptr<TCustomVstParameterProperty>> FItems;
};

}  // namespace tessel
