// Options shared by the subcommands that play audio through a plug-in
// (render, bench, response): its settings, block size, precision and rate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

// Takes a setting option (ParameterSettings.h), --block N, --double, or
// (when `withRate`) --rate HZ at arguments[i], advancing `i` past its value.
TOptionMatch TakePlayOption(const std::vector<std::string>& arguments, size_t& i, TPlayOptions& options,
                            bool withRate, std::string& problem);

}  // namespace tessel::host::tool
