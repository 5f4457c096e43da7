#include "gui/surface/RandomSource.h"

#include <chrono>

namespace tessel {
namespace {

// Spreads a seed over the state so that nearby seeds (clock ticks) give
// unrelated sequences; never yields the forbidden all-zero state.
std::uint64_t MixSeed(std::uint64_t seed) {
    std::uint64_t z = seed + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return z != 0 ? z : 0x2545F4914F6CDD1Dull;
}

}  // namespace

TXorShiftRandom::TXorShiftRandom()
    : TXorShiftRandom(
          static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count())) {}

TXorShiftRandom::TXorShiftRandom(std::uint64_t seed) : FState(MixSeed(seed)) {}

std::uint32_t TXorShiftRandom::Next32() {
    FState ^= FState >> 12;
    FState ^= FState << 25;
    FState ^= FState >> 27;
    return static_cast<std::uint32_t>((FState * 0x2545F4914F6CDD1Dull) >> 32);
}

int TXorShiftRandom::Random(int range) {
    if (range <= 0) return 0;
    const auto r = static_cast<std::uint32_t>(range);
    // Multiply-and-shift reduction, rejecting the few low products that
    // would make small results more likely than large ones.
    std::uint64_t m = static_cast<std::uint64_t>(Next32()) * r;
    auto low = static_cast<std::uint32_t>(m);
    if (low < r) {
        const std::uint32_t threshold = (0u - r) % r;
        while (low < threshold) {
            m = static_cast<std::uint64_t>(Next32()) * r;
            low = static_cast<std::uint32_t>(m);
        }
    }
    return static_cast<int>(m >> 32);
}

}  // namespace tessel
