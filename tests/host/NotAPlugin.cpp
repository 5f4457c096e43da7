// A library that is no plug-in itself but links one: dlsym on its handle
// finds the dependency's VSTPluginMain, which the loader must not take.
#include "framework/VSTAbi.h"

extern "C" AEffect* VSTPluginMain(audioMasterCallback host);

extern "C" __attribute__((visibility("default"))) void* NotAPluginUsesItsDependency() {
    return reinterpret_cast<void*>(&VSTPluginMain);
}
