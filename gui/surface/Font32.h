#pragma once
// TFont32: the text settings a surface carries — face name, size in points,
// colour and style. Copying one font onto another (plain assignment) is the
// "take another surface's font settings" operation.
//
// Sizes are points at 96 pixels per inch, the resolution the editor was laid
// out for: 8 pt is an 11-pixel em, 20 pt a 27-pixel em.

#include <algorithm>
#include <cmath>
#include <string>

#include "gui/surface/Color32.h"

namespace tessel {

struct TFontStyles {
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    friend bool operator==(const TFontStyles&, const TFontStyles&) = default;
};

inline constexpr int kScreenPixelsPerInch = 96;
inline constexpr int kPointsPerInch = 72;

struct TFont32 {
    std::string Name = "Sans";  // resolved to the closest installed face
    int Size = 8;               // points
    int Percent = 100;          // screen pixels per 100 layout pixels (PixelScale.h)
    TColor32 Color = kBlack32;
    TFontStyles Style;

    friend bool operator==(const TFont32&, const TFont32&) = default;
};

// Em size in whole pixels for a size in points at a scale in percent (at
// least 1 pixel, at most kMaxFontPixels, which keeps glyph images of absurd
// sizes out of memory). The em is rounded once, after scaling: 8 pt at
// 150 % is a 16-pixel em, not 1.5 × 11.
inline constexpr int kMaxFontPixels = 4096;
inline int FontPixelsFromPoints(int points, int percent = 100) {
    const double px =
        std::round(std::abs(static_cast<double>(points)) * kScreenPixelsPerInch * percent / (kPointsPerInch * 100.0));
    return static_cast<int>(std::clamp(px, 1.0, static_cast<double>(kMaxFontPixels)));
}

}  // namespace tessel
