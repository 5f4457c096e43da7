// Loading a plug-in the way every tessel-host subcommand starts one.
#pragma once

#include <memory>
#include <string>

#include "host/PluginInstance.h"
#include "host/ScriptedHost.h"

namespace tessel::host::tool {

struct TOpenOptions {
    double sampleRateHz = 44100.0;
    int32_t blockSizeFrames = 512;
    std::string productString;  // what the host calls itself; empty keeps the default
};

// Loads PATH, sends effOpen, the sample rate and the block size (the host
// answers the same values when asked). On failure prints the reason to
// stderr and returns null; the caller then exits with kExitLoadFailure.
std::unique_ptr<TPluginInstance> OpenPlugin(const std::string& path, const std::shared_ptr<TScriptedHost>& host,
                                            const TOpenOptions& options);

// What reports call the plug-in: its effect name, else its product
// string, else its file name.
std::string PluginTitle(TPluginInstance& plugin);

}  // namespace tessel::host::tool
