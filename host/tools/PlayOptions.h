// Options shared by the subcommands that play audio through a plug-in
// (render, bench, response): its settings, block size, precision and rate.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "host/PluginInstance.h"
#include "host/tools/OptionTable.h"
#include "host/tools/ParameterSettings.h"

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

// The rows of the setting options (ParameterSettings.h), --block, --double
// and (when `withRate`) --rate.
TOptionTable<TPlayOptions> PlayOptionRows(bool withRate);

// Opens a plug-in to play audio through: a host that keeps no record of the
// plug-in's calls (a long run would otherwise keep every one), the given rate
// and the options' block size, then the options' settings, reported on
// `report`. Null with `status` set (load failure or usage error) when that fails.
std::unique_ptr<TPluginInstance> OpenForPlaying(const std::string& path, const TPlayOptions& options,
                                                double sampleRateHz, std::ostream& report, int& status);

}  // namespace tessel::host::tool
