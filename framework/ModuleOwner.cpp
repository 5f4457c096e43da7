#include "framework/ModuleOwner.h"

#include <cstdio>
#include <vector>

#include "framework/BasicVSTModule.h"

namespace tessel {

TModuleOwner& TModuleOwner::Instance() {
    // Destroyed when the library is unloaded, after every instance the host forgot.
    static TModuleOwner owner;
    return owner;
}

void TModuleOwner::Adopt(TBasicVSTModule* module) {
    std::lock_guard guard(FLock);
    FModules.insert(module);
}

void TModuleOwner::Destroy(TBasicVSTModule* module) {
    if (!module) return;
    {
        std::lock_guard guard(FLock);
        FModules.erase(module);
    }
    module->BeforeDestruction();
    delete module;
}

std::size_t TModuleOwner::Count() {
    std::lock_guard guard(FLock);
    return FModules.size();
}

void TModuleOwner::ReportError(const std::exception& failure) noexcept {
    std::fprintf(stderr, "Tessel EQ: %s\n", failure.what());
}

TModuleOwner::~TModuleOwner() {
    std::vector<TBasicVSTModule*> survivors(FModules.begin(), FModules.end());
    FModules.clear();
    for (auto* module : survivors) {
        try {
            module->BeforeDestruction();
            delete module;
        } catch (const std::exception& failure) {
            ReportError(failure);
        } catch (...) {
        }
    }
}

}  // namespace tessel
