#pragma once
// The pseudo-random generator behind NoiseFill. Injectable so that tests
// (and anyone who wants a reproducible texture) can fix the sequence; the
// default generator is seeded from the clock.

#include <cstdint>

namespace tessel {

class TRandomSource {
public:
    virtual ~TRandomSource() = default;
    // A uniform integer 0 .. range - 1; 0 when range <= 0.
    virtual int Random(int range) = 0;
};

// xorshift64* with unbiased range reduction: fast enough to call once per
// pixel of a full editor background.
class TXorShiftRandom final : public TRandomSource {
public:
    TXorShiftRandom();  // seeded from the clock
    explicit TXorShiftRandom(std::uint64_t seed);
    int Random(int range) override;

private:
    std::uint32_t Next32();
    std::uint64_t FState;
};

}  // namespace tessel
