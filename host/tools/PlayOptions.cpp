#include "host/tools/PlayOptions.h"

#include "host/tools/NumberArgument.h"
#include "host/tools/OpenPlugin.h"

namespace tessel::host::tool {

TOptionMatch TakePlayOption(const std::vector<std::string>& arguments, size_t& i, TPlayOptions& options,
                            bool withRate, std::string& problem) {
    if (const TOptionMatch match = TakeSettingOption(arguments, i, options.settings, problem);
        match != TOptionMatch::NotMine)
        return match;
    const std::string& option = arguments[i];
    if (option == "--double") {
        options.doublePrecision = true;
        return TOptionMatch::Taken;
    }
    if (option != "--block" && !(withRate && option == "--rate")) return TOptionMatch::NotMine;
    if (i + 1 >= arguments.size()) {
        problem = option + " needs a value";
        return TOptionMatch::Invalid;
    }
    const std::string& value = arguments[++i];
    if (option == "--block") {
        const auto frames = ParseInteger(value);
        if (!frames || *frames < 1 || *frames > TPlayOptions::kMaxBlockFrames) {
            problem = "--block takes a number of frames from 1 to " + std::to_string(TPlayOptions::kMaxBlockFrames) +
                      ", not '" + value + "'";
            return TOptionMatch::Invalid;
        }
        options.blockFrames = static_cast<int32_t>(*frames);
        return TOptionMatch::Taken;
    }
    const auto hz = ParseReal(value);
    if (!hz || *hz < TPlayOptions::kMinRateHz || *hz > TPlayOptions::kMaxRateHz) {
        problem = "--rate takes a sample rate from 8000 to 768000 Hz, not '" + value + "'";
        return TOptionMatch::Invalid;
    }
    options.rateHz = *hz;
    return TOptionMatch::Taken;
}

std::unique_ptr<TPluginInstance> OpenForPlaying(const std::string& path, const TPlayOptions& options,
                                                double sampleRateHz, std::ostream& report, int& status) {
    auto host = std::make_shared<TScriptedHost>();
    host->SetRecordLimit(0);
    TOpenOptions open;
    open.sampleRateHz = sampleRateHz;
    open.blockSizeFrames = options.blockFrames;
    std::unique_ptr<TPluginInstance> plugin = OpenPlugin(path, host, open);
    if (!plugin) {
        status = kExitLoadFailure;
        return nullptr;
    }
    if (!options.settings.parameters.empty() || options.settings.program) report << "Settings\n";
    status = ApplySettings(*plugin, options.settings, report);
    if (status != kExitOk) return nullptr;
    return plugin;
}

}  // namespace tessel::host::tool
