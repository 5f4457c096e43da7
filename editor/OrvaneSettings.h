#pragma once
// The editor's eight appearance settings as the settings store keeps them:
// key "Software\Dravik\TesselEQ", one 32-bit integer value each, booleans
// 0 or 1. Read when an editor opens, written when it closes.

#include <cstdint>
#include <string_view>

#include "editor/SettingsStore.h"

namespace tessel {

inline constexpr std::string_view kOrvaneSettingsKey = "Software\\Dravik\\TesselEQ";
inline constexpr std::string_view kFontQualityValue = "Font Quality";
inline constexpr std::string_view kMagnitudeValue = "Magnitude";
inline constexpr std::string_view kShadowValue = "Shadow";
inline constexpr std::string_view kColorSchemeValue = "Color Scheme";
inline constexpr std::string_view kGuiStyleValue = "GUI Style";
inline constexpr std::string_view kKeysRequiredValue = "KeysRequired";
inline constexpr std::string_view kAnalyserValue = "Analyser";
inline constexpr std::string_view kScaleValue = "Scale";

// Font qualities: 0 Low, 2 Middle, 4 High, 255 ClearType (other stored
// values are kept and drawn with as they are).
inline constexpr std::uint8_t kFontQualityLow = 0;
inline constexpr std::uint8_t kFontQualityMiddle = 2;
inline constexpr std::uint8_t kFontQualityHigh = 4;
inline constexpr std::uint8_t kFontQualityClearType = 255;

inline constexpr std::int32_t kDefaultFormColor = 13489624;  // the Default scheme, 0xCDD5D8

struct TOrvaneSettings {
    std::uint8_t FontQuality = kFontQualityMiddle;
    bool Magnitude = true;
    bool Shadow = true;
    std::int32_t ColorScheme = kDefaultFormColor;  // form colour word
    std::uint8_t GuiStyle = 0;                     // 0 Knobs, 1 Display
    bool KeysRequired = false;
    bool Analyser = false;  // the output's spectrum behind the response
    int Scale = 0;          // percent the user chose; 0: automatic (OrvaneScale.h)
    // Whether the store had the key at all: without it, the editor leaves
    // the module's own KeysRequired alone.
    bool KeyFound = false;
};

// Values that are missing keep the defaults above. "Font Quality" keeps its
// low byte; any non-zero "GUI Style" means Display; booleans are non-zero;
// a negative "Scale" is automatic.
TOrvaneSettings ReadOrvaneSettings(TSettingsStore& store);
// Writes all eight in the order Font Quality, Magnitude, Shadow, GUI Style,
// Color Scheme, KeysRequired, Analyser, Scale. False (and nothing lost) when the store refuses.
bool WriteOrvaneSettings(TSettingsStore& store, const TOrvaneSettings& settings);

}  // namespace tessel
