#include "editor/OrvaneSettings.h"

namespace tessel {

TOrvaneSettings ReadOrvaneSettings(TSettingsStore& store) {
    TOrvaneSettings s;
    const auto values = store.ReadKey(kOrvaneSettingsKey);
    if (!values) return s;
    s.KeyFound = true;
    if (auto v = values->Find(kFontQualityValue)) s.FontQuality = static_cast<std::uint8_t>(*v & 0xFF);
    if (auto v = values->Find(kMagnitudeValue)) s.Magnitude = *v != 0;
    if (auto v = values->Find(kShadowValue)) s.Shadow = *v != 0;
    if (auto v = values->Find(kColorSchemeValue)) s.ColorScheme = *v;
    if (auto v = values->Find(kGuiStyleValue)) s.GuiStyle = *v == 0 ? 0 : 1;
    if (auto v = values->Find(kKeysRequiredValue)) s.KeysRequired = *v != 0;
    if (auto v = values->Find(kAnalyserValue)) s.Analyser = *v != 0;
    if (auto v = values->Find(kScaleValue)) s.Scale = *v > 0 ? *v : 0;
    return s;
}

bool WriteOrvaneSettings(TSettingsStore& store, const TOrvaneSettings& s) {
    TSettingsValues values;
    values.Set(kFontQualityValue, s.FontQuality);
    values.Set(kMagnitudeValue, s.Magnitude ? 1 : 0);
    values.Set(kShadowValue, s.Shadow ? 1 : 0);
    values.Set(kGuiStyleValue, s.GuiStyle);
    values.Set(kColorSchemeValue, s.ColorScheme);
    values.Set(kKeysRequiredValue, s.KeysRequired ? 1 : 0);
    values.Set(kAnalyserValue, s.Analyser ? 1 : 0);
    values.Set(kScaleValue, s.Scale);
    return store.WriteKey(kOrvaneSettingsKey, values);
}

}  // namespace tessel
