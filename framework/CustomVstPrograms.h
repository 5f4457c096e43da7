#pragma once
// TCustomVstPrograms: the module's ordered, owned list of programs.
//
// Creating a program sizes its values to the parameter count, recounts the
// module's numPrograms and selects program 0 when none is current (see
// TVSTModuleWithPrograms). The list changes only while the module loads and
// at teardown; reaching its programs is safe from any thread.

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/CustomVstProgram.h"

namespace tessel {

class TVSTModuleWithPrograms;

class TCustomVstPrograms {
public:
    // ---- Building [ui-thread] ----
    explicit TCustomVstPrograms(TVSTModuleWithPrograms& module) : FModule(module) {}
    TCustomVstPrograms(const TCustomVstPrograms&) = delete;
    TCustomVstPrograms& operator=(const TCustomVstPrograms&) = delete;
    ~TCustomVstPrograms() = default;

    // ---- Reading [any-thread, lock-free] ----
    TVSTModuleWithPrograms& VSTModule() const { return FModule; }
    std::int32_t Count() const { return static_cast<std::int32_t>(FItems.size()); }
    // index must be within 0..Count()-1.
    TCustomVstProgram& operator[](std::int32_t index) const { return *FItems[static_cast<std::size_t>(index)]; }

    // ---- Building and changing [ui-thread] ----
    // A new program "Init" at the end.
    TCustomVstProgram& Add();
    // Removes one program; an index outside the list does nothing.
    void Delete(std::int32_t index);
    // Removes every program, the first first.
    void Clear();
    // Replaces the programs with copies of the source's (values and names).
    void Assign(const TCustomVstPrograms& source);

private:
    TVSTModuleWithPrograms& FModule;
    std::vector<std::unique_ptr<TCustomVstProgram>> FItems;
};

}  // namespace tessel
