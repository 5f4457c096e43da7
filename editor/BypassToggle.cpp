#include "editor/BypassToggle.h"

#include <cmath>

namespace tessel {

namespace {
constexpr double kBypassKind = 7.0;
constexpr double kBypassBase = 6.9;  // Type value of a bypassed Lowcut
constexpr double kKindStep = 0.01;   // Type value per stored kind
constexpr double kHundredths = 100.0;
constexpr double kBypassBaseHundredths = 690.0;
constexpr double kRemainderLimit = 7.0;  // remainders 0..6 are kinds
}  // namespace

std::optional<float> BypassToggleValue(float typeValue) {
    const double v = typeValue;
    if (!std::isfinite(v)) return std::nullopt;
    if (std::nearbyint(v) == kBypassKind) {
        const double remainder = std::nearbyint(std::fabs(v * kHundredths - kBypassBaseHundredths));
        if (remainder < kRemainderLimit) return static_cast<float>(remainder);
        return std::nullopt;
    }
    return static_cast<float>(kBypassBase - v * kKindStep);
}

}  // namespace tessel
