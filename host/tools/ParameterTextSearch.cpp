#include "host/tools/ParameterTextSearch.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace tessel::host::tool {
namespace {

constexpr int kBisectionSteps = 40;   // far below a 32-bit float's step at the end
constexpr int kScanSteps = 1000;      // normalised steps when matching texts
constexpr float kEndInset = 1.0e-6f;  // where to look when an end shows no number ("-inf")
constexpr double kKilo = 1000.0;

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::optional<double> ShownNumber(TPluginInstance& plugin, int32_t index, float normalised) {
    plugin.SetParameter(index, normalised);
    return DisplayNumber(plugin.GetParamDisplay(index));
}

// The normalised end value (near 0 or near 1) and the number it shows.
std::optional<std::pair<float, double>> NumericEnd(TPluginInstance& plugin, int32_t index, bool top) {
    for (const float inset : {0.0f, kEndInset}) {
        const float at = top ? 1.0f - inset : inset;
        if (const auto shown = ShownNumber(plugin, index, at)) return std::make_pair(at, *shown);
    }
    return std::nullopt;
}

// Smallest normalised value in [low, high] whose shown number is past
// `target` (>= when `inclusive`, > otherwise) in the rising direction.
float Boundary(TPluginInstance& plugin, int32_t index, float low, float high, bool rising, double target,
               bool inclusive) {
    const auto past = [&](double shown) {
        const double along = rising ? shown - target : target - shown;
        return inclusive ? along >= 0.0 : along > 0.0;
    };
    for (int step = 0; step < kBisectionSteps && high > low; ++step) {
        const float middle = low + (high - low) * 0.5f;
        if (middle <= low || middle >= high) break;
        const auto shown = ShownNumber(plugin, index, middle);
        if (!shown) break;
        (past(*shown) ? high : low) = middle;
    }
    return high;
}

std::optional<float> SearchNumber(TPluginInstance& plugin, int32_t index, double target) {
    const auto bottom = NumericEnd(plugin, index, false);
    const auto top = NumericEnd(plugin, index, true);
    if (!bottom || !top || bottom->second == top->second) return std::nullopt;
    const bool rising = top->second > bottom->second;
    const double lowest = std::min(bottom->second, top->second);
    const double highest = std::max(bottom->second, top->second);
    if (target < lowest || target > highest) return std::nullopt;

    // The span shown as the text nearest the target: [first >= target, first > target).
    const float first = Boundary(plugin, index, bottom->first, top->first, rising, target, true);
    const auto firstShown = ShownNumber(plugin, index, first);
    if (!firstShown) return std::nullopt;
    const float past = Boundary(plugin, index, bottom->first, top->first, rising, *firstShown, false);
    const float found = past > first ? first + (past - first) * 0.5f : first;
    plugin.SetParameter(index, found);
    return found;
}

std::optional<float> SearchText(TPluginInstance& plugin, int32_t index, const std::string& text) {
    const std::string wanted = Trimmed(text);
    int firstMatch = -1;
    int lastMatch = -1;
    for (int step = 0; step <= kScanSteps; ++step) {
        const float at = static_cast<float>(step) / kScanSteps;
        plugin.SetParameter(index, at);
        const bool match = SameText(Trimmed(plugin.GetParamDisplay(index)), wanted);
        if (match && firstMatch < 0) firstMatch = step;
        if (match) lastMatch = step;
        if (!match && firstMatch >= 0) break;  // the first run of matching values is enough
    }
    if (firstMatch < 0) return std::nullopt;
    const float found = static_cast<float>(firstMatch + lastMatch) * 0.5f / kScanSteps;
    plugin.SetParameter(index, found);
    return found;
}

}  // namespace

std::optional<double> DisplayNumber(const std::string& display) {
    const std::string text = Trimmed(display);
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(value)) return std::nullopt;
    if (*end == 'k' || *end == 'K') return value * kKilo;
    return value;
}

std::optional<float> SetParameterByDisplay(TPluginInstance& plugin, int32_t index, const std::string& text) {
    const float original = plugin.GetParameter(index);
    std::optional<float> found;
    if (const auto number = DisplayNumber(text)) found = SearchNumber(plugin, index, *number);
    if (!found) found = SearchText(plugin, index, text);
    if (!found) plugin.SetParameter(index, original);
    return found;
}

}  // namespace tessel::host::tool
