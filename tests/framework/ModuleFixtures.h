#pragma once
// Small modules and a connected scripted host for framework unit tests.

#include <cstdint>
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

// Calls the module's dispatcher as a host would.
inline std::intptr_t Dispatch(TBasicVSTModule& module, std::int32_t opcode, std::int32_t index = 0,
                              std::intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f) {
    AEffect* effect = module.GetEffectRecord();
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

// A module class with no stored description registered.
class TBareModule : public TVSTModule {
public:
    std::string_view ClassName() const override { return "TBareModule"; }
    using TCustomVSTModule::Effect;
};

}  // namespace tessel::test
