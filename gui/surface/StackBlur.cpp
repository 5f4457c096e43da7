#include "gui/surface/StackBlur.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tessel {
namespace {

constexpr std::size_t kChannels = 4;  // bytes per pixel, blurred alike
// (r + 1)² must stay within the divider's exact range; beyond a radius of
// 255 pixels the result is a flat average anyway.
constexpr int kMaxRadius = 255;

// floor(s / d) as (s · m) >> 40 with m = ceil(2^40 / d). Exact for every
// sum the blur forms (s <= 255·d with d <= 2^16), since then
// s·(m·d - 2^40) < 255·d² <= 2^40.
class TDivider {
public:
    explicit TDivider(std::uint64_t d) : FMul(((std::uint64_t{1} << 40) + d - 1) / d) {}
    std::uint8_t operator()(std::uint32_t s) const { return static_cast<std::uint8_t>((s * FMul) >> 40); }

private:
    std::uint64_t FMul;
};

// Running state of the blur along one line, for `lanes` byte lanes side by
// side: Sum is the weighted window around position p, Incoming the plain
// sum of the r + 1 samples after p, Outgoing that of p and the r before it.
// Moving to p + 1: Sum += Incoming - Outgoing, then each plain sum trades
// one sample.
struct TLineState {
    std::vector<std::uint32_t> Sum, Incoming, Outgoing;

    void Reset(std::size_t lanes) {
        Sum.assign(lanes, 0);
        Incoming.assign(lanes, 0);
        Outgoing.assign(lanes, 0);
    }
};

int Clamp(int i, int n) { return std::clamp(i, 0, n - 1); }

// Blurs one line of n samples of `lanes` bytes each (the column pass: a
// sample is a whole row, so the per-lane loops run along memory). sample(i) returns the
// bytes of sample i (0 <= i < n); emit(i, bytes) stores the result at i.
template <class TSample, class TEmit>
void BlurLine(int n, std::size_t lanes, int radius, const TDivider& divide, TLineState& st, TSample sample,
              TEmit emit) {
    st.Reset(lanes);
    std::vector<std::uint8_t> out(lanes);
    for (int i = -radius; i <= radius; ++i) {
        const std::uint8_t* s = sample(Clamp(i, n));
        const auto w = static_cast<std::uint32_t>(radius + 1 - std::abs(i));
        for (std::size_t k = 0; k < lanes; ++k) st.Sum[k] += w * s[k];
        if (i <= 0)
            for (std::size_t k = 0; k < lanes; ++k) st.Outgoing[k] += s[k];
    }
    for (int i = 1; i <= radius + 1; ++i) {
        const std::uint8_t* s = sample(Clamp(i, n));
        for (std::size_t k = 0; k < lanes; ++k) st.Incoming[k] += s[k];
    }
    for (int p = 0; p < n; ++p) {
        for (std::size_t k = 0; k < lanes; ++k) out[k] = divide(st.Sum[k]);
        emit(p, out.data());
        if (p + 1 == n) break;
        const std::uint8_t* entering = sample(Clamp(p + radius + 2, n));
        const std::uint8_t* crossing = sample(Clamp(p + 1, n));
        const std::uint8_t* leaving = sample(Clamp(p - radius, n));
        for (std::size_t k = 0; k < lanes; ++k) {
            st.Sum[k] = st.Sum[k] + st.Incoming[k] - st.Outgoing[k];
            st.Incoming[k] = st.Incoming[k] + entering[k] - crossing[k];
            st.Outgoing[k] = st.Outgoing[k] + crossing[k] - leaving[k];
        }
    }
}

// The row pass: one pixel per sample, the running sums in locals so they
// stay in registers (the generic line routine keeps them in memory, which
// byte-pointer aliasing forces the compiler to reload on every step).
void BlurRow(const std::uint8_t* src, std::uint8_t* dst, int n, int radius, const TDivider& divide) {
    std::uint32_t sum[kChannels] = {}, incoming[kChannels] = {}, outgoing[kChannels] = {};
    for (int i = -radius; i <= radius; ++i) {
        const std::uint8_t* s = src + Clamp(i, n) * kChannels;
        const auto w = static_cast<std::uint32_t>(radius + 1 - std::abs(i));
        for (std::size_t k = 0; k < kChannels; ++k) {
            sum[k] += w * s[k];
            if (i <= 0) outgoing[k] += s[k];
        }
    }
    for (int i = 1; i <= radius + 1; ++i)
        for (std::size_t k = 0; k < kChannels; ++k) incoming[k] += src[Clamp(i, n) * kChannels + k];
    for (int p = 0; p < n; ++p) {
        for (std::size_t k = 0; k < kChannels; ++k) dst[p * kChannels + k] = divide(sum[k]);
        const std::uint8_t* entering = src + Clamp(p + radius + 2, n) * kChannels;
        const std::uint8_t* crossing = src + Clamp(p + 1, n) * kChannels;
        const std::uint8_t* leaving = src + Clamp(p - radius, n) * kChannels;
        for (std::size_t k = 0; k < kChannels; ++k) {
            sum[k] = sum[k] + incoming[k] - outgoing[k];
            incoming[k] = incoming[k] + entering[k] - crossing[k];
            outgoing[k] = outgoing[k] + crossing[k] - leaving[k];
        }
    }
}

}  // namespace

void StackBlurPixels(TColor32* pixels, int width, int height, int radius) {
    if (radius <= 0 || width <= 0 || height <= 0 || !pixels) return;
    radius = std::min(radius, kMaxRadius);
    const auto r1 = static_cast<std::uint64_t>(radius) + 1;
    const TDivider divide(r1 * r1);
    const auto w = static_cast<std::size_t>(width);
    const std::size_t rowBytes = w * kChannels;
    auto* bytes = reinterpret_cast<std::uint8_t*>(pixels);
    TLineState state;

    // Rows, each read from a copy of itself.
    std::vector<std::uint8_t> line(rowBytes);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bytes + static_cast<std::size_t>(y) * rowBytes;
        std::memcpy(line.data(), row, rowBytes);
        BlurRow(line.data(), row, width, radius, divide);
    }

    // Columns: all columns at once, one whole row per sample, so memory is
    // walked row by row; the samples come from a copy of the row-blurred image.
    const std::vector<std::uint8_t> source(bytes, bytes + rowBytes * static_cast<std::size_t>(height));
    BlurLine(
        height, rowBytes, radius, divide, state,
        [&](int i) { return source.data() + static_cast<std::size_t>(i) * rowBytes; },
        [&](int i, const std::uint8_t* v) {
            std::memcpy(bytes + static_cast<std::size_t>(i) * rowBytes, v, rowBytes);
        });
}

}  // namespace tessel
