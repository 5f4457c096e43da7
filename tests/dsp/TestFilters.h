#pragma once

#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "dsp/BandFilterFactory.h"

namespace tessel::test {

// A biquad with whatever coefficients the test sets; counts recomputations.
class TFixedBiquad final : public TBiquadIIRFilter {
public:
    explicit TFixedBiquad(const TBiquadCoefficients& k = {}) : FFixed(k) { SetCoefficients(k); }
    int computeCount = 0;

protected:
    void ComputeCoefficients() noexcept override {
        ++computeCount;
        SetCoefficients(FFixed);
    }

private:
    TBiquadCoefficients FFixed;
};

inline std::unique_ptr<TOrvBiquadFilter> Band(TBandKind kind, double frequencyHz = 1000.0, double octaves = 1.0,
                                              double gainDb = 6.0) {
    auto filter = CreateBandFilter(kind);
    filter->SetFrequency(frequencyHz);
    filter->SetBandwidth(octaves);
    filter->SetGain(gainDb);
    return filter;
}

inline std::vector<double> Noise(std::size_t count, unsigned seed = 7) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<double> samples(count);
    for (double& s : samples) s = uniform(generator);
    return samples;
}

// |actual - printed| within half a unit of the printed value's last decimal
// (exact for integers), widened by 1e-12 relative for contracted arithmetic.
inline bool MatchesPrinted(double actual, std::string_view printed) {
    const double expected = std::strtod(std::string(printed).c_str(), nullptr);
    const auto dot = printed.find('.');
    const double halfUnit =
        dot == std::string_view::npos ? 0.0 : 0.5 * std::pow(10.0, -static_cast<double>(printed.size() - dot - 1));
    return std::fabs(actual - expected) <= halfUnit + 1e-12 * std::fabs(expected);
}

}  // namespace tessel::test
