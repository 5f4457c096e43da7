#include "host/tools/NumberArgument.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace tessel::host::tool {

std::optional<int64_t> ParseInteger(const std::string& text) {
    if (text.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end != text.c_str() + text.size()) return std::nullopt;
    return static_cast<int64_t>(value);
}

std::optional<double> ParseReal(const std::string& text) {
    if (text.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<std::pair<std::string, std::string>> SplitAssignment(const std::string& text) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0) return std::nullopt;
    return std::make_pair(text.substr(0, equals), text.substr(equals + 1));
}

}  // namespace tessel::host::tool
