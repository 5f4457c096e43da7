#pragma once
// The two rules that combine a foreground colour F onto a background B.
//
// Blend is the painter's "over" for an opaque-ish background:
//   Fa = 0 -> B, Fa = 255 -> F, otherwise every channel, alpha included,
//   becomes floor((256·B + 128 + (F - B)·Fa) / 256).
// Merge composites onto a background that may itself be transparent:
//   Fa = 255 -> F, Fa = 0 -> B, Ba = 0 -> F, Ba = 255 -> Blend(F, B),
//   otherwise Ra = Fa + Ba - Fa·Ba/255 and each colour channel is
//   B + (F - B)·Fa/Ra (both rounded to nearest).
//
// Inline because the rasterisers call them once per touched pixel.

#include <cstdint>

#include "gui/surface/Color32.h"

namespace tessel {

enum TCombineMode : std::uint8_t { cmBlend, cmMerge };

// round(x / 255) for 0 <= x <= 255·255, without a division.
constexpr std::uint32_t Div255(std::uint32_t x) { return (x + 128 + ((x + 128) >> 8)) >> 8; }

constexpr TColor32 Blend(TColor32 f, TColor32 b) {
    const std::uint32_t fa = f >> 24;
    if (fa == 0) return b;
    if (fa == 255) return f;
    // 256·B + (F - B)·Fa = F·Fa + B·(256 - Fa): two channels per 32-bit lane
    // pair, every term non-negative and each 16-bit lane below 65536.
    const std::uint32_t bw = 256 - fa;
    const std::uint32_t rb = (((f & 0x00FF00FFu) * fa + (b & 0x00FF00FFu) * bw + 0x00800080u) >> 8) & 0x00FF00FFu;
    const std::uint32_t ag =
        (((f >> 8) & 0x00FF00FFu) * fa + ((b >> 8) & 0x00FF00FFu) * bw + 0x00800080u) & 0xFF00FF00u;
    return rb | ag;
}

namespace detail {
// B + (F - B)·fa/ra rounded to nearest, for one 8-bit channel.
constexpr std::uint32_t MergeChannel(int f, int b, int fa, int ra) {
    const int num = (f - b) * fa;
    const int step = num >= 0 ? (num + ra / 2) / ra : -((-num + ra / 2) / ra);
    return static_cast<std::uint32_t>(b + step);
}
}  // namespace detail

constexpr TColor32 Merge(TColor32 f, TColor32 b) {
    const std::uint32_t fa = f >> 24;
    const std::uint32_t ba = b >> 24;
    if (fa == 255 || ba == 0) return f;
    if (fa == 0) return b;
    if (ba == 255) return Blend(f, b);
    const std::uint32_t ra = fa + ba - Div255(fa * ba);
    const int ifa = static_cast<int>(fa), ira = static_cast<int>(ra);
    return (ra << 24) | (detail::MergeChannel(RedComponent(f), RedComponent(b), ifa, ira) << 16) |
           (detail::MergeChannel(GreenComponent(f), GreenComponent(b), ifa, ira) << 8) |
           detail::MergeChannel(BlueComponent(f), BlueComponent(b), ifa, ira);
}

constexpr TColor32 Combine(TCombineMode mode, TColor32 f, TColor32 b) {
    return mode == cmMerge ? Merge(f, b) : Blend(f, b);
}

// The colour with its alpha multiplied by factor/255 (factor 0..255).
constexpr TColor32 ScaleAlpha(TColor32 c, std::uint32_t factor) {
    return (c & 0x00FFFFFFu) | (Div255((c >> 24) * factor) << 24);
}

}  // namespace tessel
