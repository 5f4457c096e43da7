#pragma once
// White noise in [-1, 1) for benchmark inputs: the same seed gives the same
// samples, so runs compare like with like.

#include <cstddef>
#include <random>
#include <vector>

namespace tessel::bench {

template <typename Sample>
std::vector<Sample> Noise(std::size_t count, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<Sample> samples(count);
    for (Sample& s : samples) s = static_cast<Sample>(uniform(generator));
    return samples;
}

}  // namespace tessel::bench
