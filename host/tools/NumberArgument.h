// Strict reading of numbers given on tessel-host's command line: the whole
// argument must be the number, so "512x" or "" is refused rather than read as 512 or 0.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tessel::host::tool {

std::optional<int64_t> ParseInteger(const std::string& text);
// Finite values only ("nan" and "inf" are refused).
std::optional<double> ParseReal(const std::string& text);

// "NAME=VALUE" split at the first '='; nothing when there is no '=' or NAME is empty.
std::optional<std::pair<std::string, std::string>> SplitAssignment(const std::string& text);

}  // namespace tessel::host::tool
