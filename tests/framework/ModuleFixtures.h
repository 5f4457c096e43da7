#pragma once
// Small modules and a connected scripted host for framework unit tests.

#include <memory>

#include "framework/VSTModule.h"
#include "host/ScriptedHost.h"

namespace tessel::test {

// Connects a module to a scripted host the way the entry point would.
inline void Connect(TBasicVSTModule& module, host::TScriptedHost& scripted) {
    scripted.Bind(*module.GetEffectRecord());
    host::TScriptedHost::TConstructionScope scope(scripted);
    module.ConnectHost(&host::TScriptedHost::Callback);
}

// A module class with no stored description registered.
class TBareModule : public TVSTModule {
public:
    std::string_view ClassName() const override { return "TBareModule"; }
    using TCustomVSTModule::Effect;
};

}  // namespace tessel::test
