// One plug-in shared library opened with the dynamic loader.
//
// The library stays mapped while any TPluginInstance made from it is alive:
// instances hold a shared_ptr to it, so the last one to go closes it, always
// after its own effClose.
#pragma once

#include <memory>
#include <string>

#include "framework/VSTAbi.h"

namespace tessel::host {

class TPluginLibrary {
public:
    // Opens the library (RTLD_NOW | RTLD_LOCAL) and finds its entry point,
    // VSTPluginMain first, then main. Throws TLoadError. [main-thread]
    static std::shared_ptr<TPluginLibrary> Open(const std::string& path);

    ~TPluginLibrary();
    TPluginLibrary(const TPluginLibrary&) = delete;
    TPluginLibrary& operator=(const TPluginLibrary&) = delete;

    const std::string& Path() const noexcept { return path_; }
    // "VSTPluginMain" or "main": the symbol the entry point was found under.
    const std::string& EntryName() const noexcept { return entryName_; }
    VstPluginMainProc EntryPoint() const noexcept { return entry_; }

    // Keeps the library mapped for the rest of the process: used when an
    // instance exists that cannot be closed (its record was unusable), since
    // unmapping its code under it could crash later.
    void Pin() noexcept { pinned_ = true; }
    bool IsPinned() const noexcept { return pinned_; }

private:
    TPluginLibrary(std::string path, void* handle, std::string entryName, VstPluginMainProc entry);

    std::string path_;
    void* handle_;
    std::string entryName_;
    VstPluginMainProc entry_;
    bool pinned_ = false;
};

}  // namespace tessel::host
