// Setting a parameter from a natural-value text for plug-ins that do not take
// text through effString2Parameter: searches the normalised range for the
// value the plug-in itself shows as that text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "host/PluginInstance.h"

namespace tessel::host::tool {

// A number ("6", "-3.5", "1.5k") is found by bisection over the shown
// numbers, which must rise or fall steadily across the range; the result is
// the middle of the span of values shown as the nearest text, so a display
// rounded to two decimals still lands on the number. Any other text ("Bell")
// is matched, ignoring case and surrounding blanks, against the texts shown
// across the range in steps of 1/1000. On success the parameter is left at
// the value found and that value is returned; otherwise it is put back.
std::optional<float> SetParameterByDisplay(TPluginInstance& plugin, int32_t index, const std::string& text);

// The number at the start of a display text: "  6.00" → 6, "1.5k" → 1500,
// "250 Hz" → 250; nothing for "-inf" or "Off".
std::optional<double> DisplayNumber(const std::string& display);

}  // namespace tessel::host::tool
