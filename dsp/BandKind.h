#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace tessel {

// The equaliser's band filter kinds. The number is the band's Type parameter.
enum class TBandKind : int {
    Lowcut = 0,
    Lowshelf = 1,
    Bandpass = 2,
    Peak = 3,
    Notch = 4,
    Highshelf = 5,
    Highcut = 6,
    Bypass = 7,
};

struct TBandKindInfo {
    TBandKind kind;
    std::string_view displayName;  // what the Type parameter shows
    bool usesGain;                 // the coefficients depend on the gain
    bool usesBandwidth;            // the coefficients depend on the bandwidth
};

// Indexed by kind number.
inline constexpr std::array<TBandKindInfo, 8> kBandKinds{{
    {TBandKind::Lowcut, "Lowcut", false, true},
    {TBandKind::Lowshelf, "Lowshelf", true, true},
    {TBandKind::Bandpass, "Bandpass", false, true},
    {TBandKind::Peak, "Peak", true, true},
    {TBandKind::Notch, "Notch", false, true},
    {TBandKind::Highshelf, "Highshelf", true, true},
    {TBandKind::Highcut, "Highcut", false, true},
    {TBandKind::Bypass, "Bypass", false, false},
}};

[[nodiscard]] constexpr int BandKindNumber(TBandKind kind) noexcept { return static_cast<int>(kind); }

// The kind with this number, or nothing outside 0..7.
[[nodiscard]] constexpr std::optional<TBandKind> BandKindFromNumber(int number) noexcept {
    if (number < 0 || number >= static_cast<int>(kBandKinds.size())) return std::nullopt;
    return kBandKinds[static_cast<std::size_t>(number)].kind;
}

// The table row of a kind; a value outside the enumeration gets Bypass's row.
[[nodiscard]] constexpr const TBandKindInfo& BandKindInfo(TBandKind kind) noexcept {
    const auto number = BandKindFromNumber(BandKindNumber(kind)).value_or(TBandKind::Bypass);
    return kBandKinds[static_cast<std::size_t>(number)];
}

}  // namespace tessel
