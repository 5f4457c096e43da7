// TBitmap32: stack blur, drop shadow and noise texture.

#include <algorithm>
#include <cstring>

#include "gui/surface/Bitmap32.h"
#include "gui/surface/StackBlur.h"

namespace tessel {
namespace {

// Amounts beyond this make no visible difference (every pixel is pushed to
// black) and would overflow the running value's arithmetic.
constexpr int kMaxNoiseAmount = 65536;
// The running value h follows h <- (random·128 + h·896) / 1024: a one-pole
// smoother that keeps neighbouring pixels similar (soft horizontal streaks).
constexpr int kNoiseNew = 128;
constexpr int kNoiseKeep = 896;
constexpr int kNoiseScale = 1024;

TRandomSource& DefaultRandom() {
    thread_local TXorShiftRandom random;  // seeded from the clock per thread
    return random;
}

}  // namespace

void TBitmap32::StackBlur(int radius) { StackBlurPixels(Bits(), Width(), Height(), radius); }

void TBitmap32::ShadowMask(std::uint8_t opacity) {
    TColor32* p = Bits();
    const std::size_t count = static_cast<std::size_t>(Width()) * static_cast<std::size_t>(Height());
    for (std::size_t i = 0; i < count; ++i) p[i] = (opacity * (p[i] >> 24) / 255) << 24;
}

void TBitmap32::DropShadow(int offsetX, int offsetY, int radius, std::uint8_t transparency) {
    if (Empty()) return;
    TBitmap32 shadow(Width(), Height());
    shadow.SetDrawMode(dmBlend);
    DrawOnto(shadow, offsetX, offsetY);
    shadow.ShadowMask(transparency);
    shadow.StackBlur(radius);
    DrawOnto(shadow, 0, 0);
    const std::size_t count = static_cast<std::size_t>(Width()) * static_cast<std::size_t>(Height());
    std::memcpy(Bits(), shadow.Bits(), count * sizeof(TColor32));
}

void TBitmap32::NoiseFill(TColor32 color, int amount, bool twoPasses) {
    NoiseFill(color, amount, twoPasses, DefaultRandom());
}

void TBitmap32::NoiseFill(TColor32 color, int amount, bool twoPasses, TRandomSource& random) {
    amount = std::clamp(amount, 0, kMaxNoiseAmount);
    const int half = amount / 2;
    const TRect clip = ClipRect();
    for (int y = clip.Top; y < clip.Bottom; ++y) {
        TColor32* row = RowPixels(y);
        int h = -half;
        for (int x = clip.Left; x < clip.Right; ++x) {
            h = (random.Random(amount) * kNoiseNew + h * kNoiseKeep) / kNoiseScale;
            row[x] = Blend(Lighten(color, h - half), row[x]);
        }
        if (!twoPasses) continue;
        h = -half;
        for (int x = clip.Right - 1; x >= clip.Left; --x) {
            h = (random.Random(amount) * kNoiseNew + h * kNoiseKeep) / kNoiseScale;
            row[x] = Blend(Lighten(row[x], h - half), row[x]);
        }
    }
}

}  // namespace tessel
