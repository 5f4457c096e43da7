#include "gui/window/DesktopScale.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace tessel {
namespace {

// Settings outside these are taken for mistakes, not scales.
constexpr double kLowestDpi = 48.0, kHighestDpi = 960.0;
constexpr int kHighestGdkScale = 8;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

int PercentFromDpi(std::string_view value) {
    double dpi = 0.0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), dpi);
    if (error != std::errc() || end != value.data() + value.size() || !(dpi >= kLowestDpi && dpi <= kHighestDpi))
        return 0;
    return static_cast<int>(std::lround(dpi * 100.0 / kLayoutDpi));
}

}  // namespace

int DesktopScaleFrom(std::string_view resources, const char* gdkScale) {
    // The last Xft.dpi line wins, as the resource database takes it.
    int fromDpi = 0;
    while (!resources.empty()) {
        const std::size_t end = resources.find('\n');
        const std::string_view line = resources.substr(0, end);
        resources = end == std::string_view::npos ? std::string_view() : resources.substr(end + 1);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || Trim(line.substr(0, colon)) != "Xft.dpi") continue;
        if (const int percent = PercentFromDpi(Trim(line.substr(colon + 1)))) fromDpi = percent;
    }
    if (fromDpi) return fromDpi;
    if (!gdkScale) return 0;
    int factor = 0;
    const char* last = gdkScale + std::strlen(gdkScale);
    const auto [end, error] = std::from_chars(gdkScale, last, factor);
    if (error != std::errc() || end != last || factor < 1 || factor > kHighestGdkScale) return 0;
    return factor * 100;
}

}  // namespace tessel
