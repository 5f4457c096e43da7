#include "host/tools/OpenPlugin.h"

#include <filesystem>
#include <iostream>

#include "host/LoadError.h"

namespace tessel::host::tool {

std::unique_ptr<TPluginInstance> OpenPlugin(const std::string& path, const std::shared_ptr<TScriptedHost>& host,
                                            const TOpenOptions& options) {
    host->SetSampleRate(options.sampleRateHz);
    host->SetBlockSize(options.blockSizeFrames);
    if (!options.productString.empty()) host->SetProductString(options.productString);
    try {
        auto instance = std::make_unique<TPluginInstance>(path, host);
        instance->Open();
        instance->SetSampleRate(static_cast<float>(options.sampleRateHz));
        instance->SetBlockSize(options.blockSizeFrames);
        return instance;
    } catch (const TLoadError& error) {
        std::cerr << "tessel-host: cannot load " << path << ": " << LoadFailureText(error.Failure()) << ": "
                  << error.what() << '\n';
    }
    return nullptr;
}

std::string PluginTitle(TPluginInstance& plugin) {
    if (std::string name = plugin.GetEffectName(); !name.empty()) return name;
    if (std::string product = plugin.GetProductString(); !product.empty()) return product;
    return std::filesystem::path(plugin.Library().Path()).filename().string();
}

}  // namespace tessel::host::tool
