#include "host/tools/PlayOptions.h"

#include "host/tools/OpenPlugin.h"
#include "host/tools/Subcommand.h"

namespace tessel::host::tool {

TOptionTable<TPlayOptions> PlayOptionRows(bool withRate) {
    using T = TPlayOptions;
    TOptionTable<T> rows = Within(&T::settings, SettingOptionRows());
    rows.push_back(Integer<T>(
        "--block", "N", 1, T::kMaxBlockFrames, "a number of frames from 1 to " + std::to_string(T::kMaxBlockFrames),
        "frames per process call (default " + std::to_string(T::kDefaultBlockFrames) + ")", &T::blockFrames));
    if (withRate)
        rows.push_back(Real<T>(
            "--rate", "HZ", [](double hz) { return hz >= T::kMinRateHz && hz <= T::kMaxRateHz; },
            "a sample rate from 8000 to 768000 Hz", "sample rate in Hz (default 48000)", &T::rateHz));
    rows.push_back(Switch<T>("--double", "64-bit processing (processDoubleReplacing)", &T::doublePrecision));
    return rows;
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
