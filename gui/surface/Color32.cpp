#include "gui/surface/Color32.h"

#include <algorithm>
#include <cmath>

#include "gui/surface/SystemColors.h"

namespace tessel {
namespace {

// One RGB channel (0..1) of an HSL colour, from the two HSL helper values
// and the channel's hue offset (fractions of a turn).
double HueToChannel(double p, double q, double hueTurns) {
    if (hueTurns < 0.0) hueTurns += 1.0;
    if (hueTurns > 1.0) hueTurns -= 1.0;
    if (hueTurns < 1.0 / 6.0) return p + (q - p) * 6.0 * hueTurns;
    if (hueTurns < 0.5) return q;
    if (hueTurns < 2.0 / 3.0) return p + (q - p) * (2.0 / 3.0 - hueTurns) * 6.0;
    return p;
}

std::uint8_t UnitToByte(double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); }

}  // namespace

TColor32 WithSaturation(TColor32 c, float s) {
    const double r = RedComponent(c) / 255.0;
    const double g = GreenComponent(c) / 255.0;
    const double b = BlueComponent(c) / 255.0;
    const double maxC = std::max({r, g, b});
    const double minC = std::min({r, g, b});
    if (maxC == minC) return c;  // grey: saturation stays 0, nothing changes

    const double delta = maxC - minC;
    double hueTurns;
    if (maxC == r)
        hueTurns = (g - b) / delta + (g < b ? 6.0 : 0.0);
    else if (maxC == g)
        hueTurns = (b - r) / delta + 2.0;
    else
        hueTurns = (r - g) / delta + 4.0;
    hueTurns /= 6.0;

    const double lightness = (maxC + minC) / 2.0;
    const double saturation = std::clamp(0.3 + 0.7 * static_cast<double>(s), 0.0, 1.0);
    const double q = lightness < 0.5 ? lightness * (1.0 + saturation) : lightness + saturation - lightness * saturation;
    const double p = 2.0 * lightness - q;
    return Color32(UnitToByte(HueToChannel(p, q, hueTurns + 1.0 / 3.0)), UnitToByte(HueToChannel(p, q, hueTurns)),
                   UnitToByte(HueToChannel(p, q, hueTurns - 1.0 / 3.0)), AlphaComponent(c));
}

TColor32 FromSystemColor(std::int32_t colorWord) {
    if (colorWord < 0) colorWord = SystemColorByIndex(static_cast<std::uint8_t>(colorWord & 0xFF));
    const auto w = static_cast<std::uint32_t>(colorWord);
    return Color32(static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8), static_cast<std::uint8_t>(w >> 16),
                   255);
}

std::int32_t ToSystemColor(TColor32 c) { return RedComponent(c) | (GreenComponent(c) << 8) | (BlueComponent(c) << 16); }

}  // namespace tessel
