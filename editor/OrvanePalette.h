#pragma once
// The editor's colours and text settings: the four colour schemes (form
// colour words), the drawing colours derived from the form colour, the
// text sizes and the text anti-aliasing level for each font quality.

#include <array>
#include <cstdint>
#include <string_view>

#include "gui/surface/Color32.h"

namespace tessel {

struct TColorScheme {
    std::string_view Item;     // its menu item
    std::string_view Caption;  // "&" marks the accelerator
    std::int32_t ColorWord;    // red in the low byte
};

inline constexpr std::array<TColorScheme, 4> kColorSchemes = {{
    {"MIColorDefault", "&Default", 13489624},  // 216, 213, 205
    {"MIColorCopper", "&Copper", 12307159},    // 215, 202, 187
    {"MIColorDark", "D&ark", 5662832},         // 112, 104, 86
    {"MIColorOrange", "&Orange", 1540328},     // 232, 128, 23
}};

// The form colour as ARGB with the given alpha.
inline TColor32 FormColor(std::int32_t formColorWord, std::uint8_t alpha) {
    return WithAlpha(FromSystemColor(formColorWord), alpha);
}

// Kind label and value text panels of each band.
inline TColor32 BandPanelColor(std::int32_t form) { return Lighten(FormColor(form, 0x7F), 127); }
// Snapshot buttons, title and response panels, and the current snapshot's highlight.
inline TColor32 LightPanelColor(std::int32_t form) { return Lighten(FormColor(form, 0x2F), 127); }
inline TColor32 PanelOutlineColor(TColor32 panel) { return Lighten(panel, -128); }
inline TColor32 ResponseCurveColor(std::int32_t form) { return Lighten(FormColor(form, 0x7F), -64); }
// The spectrum behind the curve: the curve's hue, fainter, so the curve and texts stay in front.
inline TColor32 SpectrumFillColor(std::int32_t form) { return Lighten(FormColor(form, 0x50), -96); }
inline TColor32 SpectrumEdgeColor(std::int32_t form) { return Lighten(FormColor(form, 0x80), -96); }

inline constexpr TColor32 kEnabledTextColor = 0xFF000000;   // values, kind labels, title
inline constexpr TColor32 kDisabledTextColor = 0x4F7F7F7F;  // a value whose knob is disabled
inline constexpr TColor32 kCurrentSnapshotColor = 0xFF000000;
inline constexpr TColor32 kOtherSnapshotColor = 0x2F000000;
inline constexpr TColor32 kProgramNameColor = 0x7F000000;
inline constexpr TColor32 kHintColor = 0x10000000;

// Text sizes, points.
inline constexpr int kTitleTextSize = 20;  // also the program name and hints
inline constexpr int kSnapshotTextSize = 15;
inline constexpr int kBandTextSize = 8;
inline constexpr std::string_view kEditorFontFace = "Verdana";

// How a text is drawn: its soft shadow (alpha 0: none) and colour.
struct TTextStyle {
    std::uint8_t ShadowAlpha;
    int Blur;  // pixels
    TColor32 Color;
    int OffsetX, OffsetY;  // shadow displacement, pixels
};

inline constexpr TTextStyle kEnabledTextStyle{110, 4, kEnabledTextColor, 2, 2};
inline constexpr TTextStyle kDisabledValueStyle{20, 3, kDisabledTextColor, 1, 1};
inline constexpr TTextStyle kDisabledFrequencyStyle{20, 3, kDisabledTextColor, 0, 0};
inline constexpr TTextStyle kProgramNameStyle{110, 4, kProgramNameColor, 2, 2};
inline constexpr TTextStyle kHintStyle{70, 6, kHintColor, 0, 0};

// The title's own shadow, drawn whatever the Shadow setting.
inline constexpr std::uint8_t kTitleShadowAlpha = 120;
inline constexpr int kTitleShadowBlur = 4;
inline constexpr int kTitleShadowOffset = 2;
inline constexpr int kTitleTextLevel = 4;

// Text anti-aliasing level for a font quality: 0, 2 and 4 are the levels
// themselves, 255 (ClearType) is the font engine's own smoothing (-1); any
// other stored value is passed on as it is.
inline constexpr int TextLevelForFontQuality(std::uint8_t fontQuality) { return fontQuality == 255 ? -1 : fontQuality; }

}  // namespace tessel
