#include "dsp/OrvLowShelfFilter.h"

#include <cmath>

namespace tessel {

void TOrvLowShelfFilter::ComputeCoefficients() noexcept {
    const double a = GainFactor();
    const double alpha = Alpha();
    const double c = CosW0();
    const double p = a + 1.0;
    const double m = a - 1.0;
    const double q = 2.0 * std::sqrt(a) * alpha;
    const double n = 1.0 / (p + m * c + q);
    SetCoefficients({.b0 = a * n * (p - m * c + q),
                     .b1 = 2.0 * a * n * (m - p * c),
                     .b2 = a * n * (p - m * c - q),
                     .a1 = -2.0 * n * (m + p * c),
                     .a2 = n * (p + m * c - q)});
}

}  // namespace tessel
