// The library's only exports: VSTPluginMain and its historic alias main.

#include "framework/VSTBoundary.h"
#include "framework/VSTModule.h"
#include "plugin/OrvaneModule.h"

namespace {

tessel::TBasicVSTModule* MakeOrvaneModule() { return tessel::CreateModule<tessel::TOrvaneModule>().release(); }

}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback hostCallback) {
    return tessel::CreateEffect(hostCallback, &MakeOrvaneModule);
}

// Older hosts look for "main": the same routine under a second symbol name
// (an alias, so there is exactly one entry point).
extern "C" AEffect* VSTPluginMainAlias(audioMasterCallback hostCallback) __asm__("main")
    __attribute__((alias("VSTPluginMain"), visibility("default")));
