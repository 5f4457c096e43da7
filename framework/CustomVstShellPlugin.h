#pragma once
// TCustomVstShellPlugin: one sub-plug-in of a shell module — the identity,
// counts and category the module takes on when the host loads this one.
//
// Items live in the module's ShellPlugins collection and keep a non-owning
// back reference to that module. [ui-thread], every function but the name,
// which hosts may read from any thread ([any-thread]).

#include <cstdint>
#include <functional>
#include <string>

#include "framework/CustomVSTModule.h"
#include "framework/PropertyTable.h"
#include "framework/SharedText.h"

namespace tessel {

// Fired when the host loads this sub-plug-in; uid is the four-character ID.
using TUIDInstantiateEvent = std::function<void(TBasicVSTModule& sender, const std::string& uid)>;

class TCustomVstShellPlugin {
public:
    // Names handed to the host are cut to this many characters when assigned.
    static constexpr std::size_t kMaxDisplayNameLength = 50;
    // A count of -1 (any negative count) keeps the module's own.
    static constexpr std::int32_t kKeepCount = -1;

    explicit TCustomVstShellPlugin(TCustomVSTModule& module) : FVSTModule(&module) {}

    std::string DisplayName() const { return FDisplayName.Get(); }
    void SetDisplayName(const std::string& v);
    std::int32_t numInputs() const { return FNumInputs; }
    void SetNumInputs(std::int32_t v) { FNumInputs = v; }
    std::int32_t numOutputs() const { return FNumOutputs; }
    void SetNumOutputs(std::int32_t v) { FNumOutputs = v; }
    std::int32_t numParams() const { return FNumParams; }
    void SetNumParams(std::int32_t v) { FNumParams = v; }
    std::int32_t numPrograms() const { return FNumPrograms; }
    void SetNumPrograms(std::int32_t v) { FNumPrograms = v; }
    TVstPluginCategory PlugCategory() const { return FPlugCategory; }
    void SetPlugCategory(TVstPluginCategory v) { FPlugCategory = v; }

    // Four characters, most significant byte first.
    std::string UniqueID() const;
    // Takes exactly the first four characters; a shorter text is refused
    // ("Invalid unique ID") and the ID stays as it was.
    void SetUniqueID(const std::string& v);
    std::int32_t UniqueIDValue() const { return FUniqueID; }

    TCustomVSTModule& VSTModule() const { return *FVSTModule; }

    TUIDInstantiateEvent OnInstanciate;

    // Copying one item onto another copies only the display name.
    void Assign(const TCustomVstShellPlugin& source) { FDisplayName.Set(source.DisplayName()); }

    // Published properties; events bind against the owning module's methods.
    void DefineProperties(TPropertyTable& table, const TMethodTable& methods);

private:
    TCustomVSTModule* FVSTModule;
    TSharedText FDisplayName{"Init"};
    std::int32_t FNumInputs = kKeepCount;
    std::int32_t FNumOutputs = kKeepCount;
    std::int32_t FNumParams = kKeepCount;
    std::int32_t FNumPrograms = kKeepCount;
    TVstPluginCategory FPlugCategory = TVstPluginCategory::vpcUnknown;
    std::int32_t FUniqueID = 0;
};

}  // namespace tessel
