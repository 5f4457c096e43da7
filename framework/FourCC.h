#pragma once
// Four-character constants: four 8-bit codes in one 32-bit word, the first
// character in the top byte ('Tssl' = 0x5473736C).

#include <cstdint>
#include <string>
#include <string_view>

namespace tessel {

// Packs the first four characters; missing characters count as 0. [any-thread, lock-free]
constexpr std::int32_t PackFourCC(std::string_view text) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const auto code = i < text.size() ? static_cast<std::uint8_t>(text[i]) : std::uint8_t{0};
        word = (word << 8) | code;
    }
    return static_cast<std::int32_t>(word);
}

// Always four characters, most significant byte first (zero bytes included). [any-thread]
inline std::string UnpackFourCC(std::int32_t value) {
    const auto word = static_cast<std::uint32_t>(value);
    std::string text(4, '\0');
    for (int i = 0; i < 4; ++i) text[static_cast<std::size_t>(i)] = static_cast<char>((word >> (24 - 8 * i)) & 0xFF);
    return text;
}

}  // namespace tessel
