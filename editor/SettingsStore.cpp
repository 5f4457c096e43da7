#include "editor/SettingsStore.h"

#include <algorithm>

namespace tessel {

std::optional<std::int32_t> TSettingsValues::Find(std::string_view name) const {
    const auto it = std::find_if(FEntries.begin(), FEntries.end(), [&](const auto& e) { return e.first == name; });
    if (it == FEntries.end()) return std::nullopt;
    return it->second;
}

void TSettingsValues::Set(std::string_view name, std::int32_t value) {
    const auto it = std::find_if(FEntries.begin(), FEntries.end(), [&](const auto& e) { return e.first == name; });
    if (it != FEntries.end())
        it->second = value;
    else
        FEntries.emplace_back(std::string(name), value);
}

}  // namespace tessel
