// Options shared by the subcommands that play audio through a plug-in
// (render, bench, response): its settings, block size, precision and rate.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "host/PluginInstance.h"
#include "host/tools/ParameterSettings.h"
#include "host/tools/Subcommand.h"

namespace tessel::host::tool {

struct TPlayOptions {
    static constexpr int32_t kDefaultBlockFrames = 512;
    static constexpr int32_t kMaxBlockFrames = 1 << 16;
    static constexpr double kDefaultRateHz = 48000.0;
    static constexpr double kMinRateHz = 8000.0;
    static constexpr double kMaxRateHz = 768000.0;

    TParameterSettings settings;
    int32_t blockFrames = kDefaultBlockFrames;
    bool doublePrecision = false;  // processDoubleReplacing instead of processReplacing
    double rateHz = kDefaultRateHz;
};

// Takes a setting option (ParameterSettings.h), --block N, --double, or
// (when `withRate`) --rate HZ at arguments[i], advancing `i` past its value.
TOptionMatch TakePlayOption(const std::vector<std::string>& arguments, size_t& i, TPlayOptions& options,
                            bool withRate, std::string& problem);

// Opens a plug-in to play audio through: a host that keeps no record of the
// plug-in's calls (a long run would otherwise keep every one), the given rate
// and the options' block size, then the options' settings, reported on
// `report`. Null with `status` set (load failure or usage error) when that fails.
std::unique_ptr<TPluginInstance> OpenForPlaying(const std::string& path, const TPlayOptions& options,
                                                double sampleRateHz, std::ostream& report, int& status);

// Reads the command line of a subcommand that plays one plug-in with --rate:
// play options, the subcommand's own options (takeOwn(arguments, i) answers
// an exit status, advancing i past a value) and exactly one plug-in path.
template <class TOptions, class TTakeOwn>
int ParsePluginCommandLine(const TSubcommand& command, const std::vector<std::string>& arguments, TOptions& options,
                           TTakeOwn takeOwn) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string problem;
        const TOptionMatch match = TakePlayOption(arguments, i, options.play, true, problem);
        if (match == TOptionMatch::Invalid) return UsageError(command, problem);
        if (match == TOptionMatch::Taken) continue;
        const std::string& argument = arguments[i];
        if (argument.size() > 1 && argument[0] == '-') {
            if (const int status = takeOwn(arguments, i); status != kExitOk) return status;
        } else if (options.pluginPath.empty()) {
            options.pluginPath = argument;
        } else {
            return UsageError(command, "only one plug-in at a time");
        }
    }
    return options.pluginPath.empty() ? UsageError(command, "no plug-in given") : kExitOk;
}

}  // namespace tessel::host::tool
