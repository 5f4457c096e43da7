#pragma once
// TColor32: the pixel surface's 32-bit colour word and its conversions.
//
// Layout: alpha in bits 24-31 (0 transparent, 255 opaque), red 16-23,
// green 8-15, blue 0-7. Colours are straight (not premultiplied) alpha.
// In memory on x86-64 a pixel reads B, G, R, A.
//
// The window system's colour word is the other convention: 24-bit, red in
// the low byte, blue in the high byte; negative words name system colours
// (see SystemColors.h).

#include <cstdint>

namespace tessel {

using TColor32 = std::uint32_t;

constexpr std::uint8_t AlphaComponent(TColor32 c) { return static_cast<std::uint8_t>(c >> 24); }
constexpr std::uint8_t RedComponent(TColor32 c) { return static_cast<std::uint8_t>(c >> 16); }
constexpr std::uint8_t GreenComponent(TColor32 c) { return static_cast<std::uint8_t>(c >> 8); }
constexpr std::uint8_t BlueComponent(TColor32 c) { return static_cast<std::uint8_t>(c); }

constexpr TColor32 Color32(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha = 255) {
    return (TColor32{alpha} << 24) | (TColor32{red} << 16) | (TColor32{green} << 8) | blue;
}

constexpr TColor32 WithAlpha(TColor32 c, std::uint8_t alpha) { return (c & 0x00FFFFFFu) | (TColor32{alpha} << 24); }

inline constexpr TColor32 kTransparent32 = 0x00000000u;
inline constexpr TColor32 kBlack32 = 0xFF000000u;
inline constexpr TColor32 kWhite32 = 0xFFFFFFFFu;

// Adds `amount` (signed) to red, green and blue, each clamped to 0..255;
// alpha is kept. Inline: the noise texture calls it twice per pixel.
constexpr TColor32 Lighten(TColor32 c, int amount) {
    auto channel = [amount](int v) {
        const int r = v + amount;
        return static_cast<std::uint8_t>(r < 0 ? 0 : (r > 255 ? 255 : r));
    };
    return Color32(channel(RedComponent(c)), channel(GreenComponent(c)), channel(BlueComponent(c)), AlphaComponent(c));
}

// Replaces the colour's HSL saturation by 0.3 + 0.7·s (clamped to 0..1);
// hue, lightness and alpha are kept. Grey stays grey.
TColor32 WithSaturation(TColor32 c, float s);

// Window-system colour word -> opaque TColor32. A negative word names a
// system colour by its low byte (SystemColors.h).
TColor32 FromSystemColor(std::int32_t colorWord);

// TColor32 -> window-system colour word (red in the low byte); alpha dropped.
std::int32_t ToSystemColor(TColor32 c);

}  // namespace tessel
