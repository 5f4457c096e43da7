#pragma once
// TCustomVstProgram: one program (preset) — a name and a set of parameter
// values, or, for modules that keep their state as opaque data (chunk mode),
// a block of chunk bytes the module's handlers fill and read.
//
// Values are read and written from any thread (relaxed atomics); the name
// may be renamed on one thread while hosts read it on others. The chunk data
// and the events belong to the UI thread.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "framework/MemoryStream.h"
#include "framework/ParameterValues.h"
#include "framework/PropertyTable.h"
#include "framework/SharedText.h"

namespace tessel {

class TCustomVstProgram;
class TCustomVstPrograms;
class TVSTModuleWithPrograms;

// Sender is the program.
using TProgramNotifyEvent = std::function<void(TCustomVstProgram& sender)>;
// index: the program's index; isPreset: true for a single-program chunk, false inside a bank.
using TChunkEvent = std::function<void(TCustomVstProgram& sender, std::int32_t index, bool isPreset)>;

class TCustomVstProgram {
public:
    static constexpr std::size_t kDisplayNameLength = 50;  // characters kept on assignment

    // Made by TCustomVstPrograms::Add only.
    TCustomVstProgram(TCustomVstPrograms& collection, std::int32_t index);  // [ui-thread]
    TCustomVstProgram(const TCustomVstProgram&) = delete;
    TCustomVstProgram& operator=(const TCustomVstProgram&) = delete;

    // ---- Place in the list [any-thread, lock-free] ----
    TCustomVstPrograms& Collection() const { return FCollection; }
    std::int32_t Index() const { return FIndex; }
    TVSTModuleWithPrograms& VSTModule() const;

    // ---- Name, values, chunk ----
    std::string DisplayName() const { return FDisplayName.Get(); }  // [any-thread]
    void SetDisplayName(std::string_view v);                        // keeps the first 50 characters [any-thread]

    // Natural value of parameter index; 0 outside the program's values. [any-thread, lock-free]
    float Parameter(std::int32_t index) const { return FParameterValues.Get(index); }
    // Ignored in chunk mode and outside the values. [any-thread, lock-free]
    void SetParameter(std::int32_t index, float value);
    // The values themselves: see TParameterValues for each function's thread.
    TParameterValues& ParameterValues() { return FParameterValues; }
    const TParameterValues& ParameterValues() const { return FParameterValues; }

    // Chunk mode: the bytes handed to and received from the host. [ui-thread]
    TMemoryStream& ChunkData() { return FChunkData; }

    TProgramNotifyEvent OnInitialize;
    TChunkEvent OnLoadChunk;
    TChunkEvent OnStoreChunk;

    // Copies the values (taking the source's length) and the name; not events
    // or chunk data. [ui-thread]
    void Assign(const TCustomVstProgram& source);

    // This item's published properties; handler names bind against methods. [ui-thread]
    void DefineProperties(TPropertyTable& table, const TMethodTable& methods);

private:
    friend class TCustomVstPrograms;
    void SetIndex(std::int32_t index) { FIndex = index; }

    TCustomVstPrograms& FCollection;
    std::int32_t FIndex;
    TSharedText FDisplayName{"Init"};
    TParameterValues FParameterValues;
    TMemoryStream FChunkData;
};

}  // namespace tessel
