#include "dsp/ShelfCoefficients.h"

#include <cmath>

namespace tessel {

TBiquadCoefficients ShelfCoefficients(TShelfSide side, double gainFactor, double alpha, double cosW0) noexcept {
    // Negating is exact: both shelves come out bit for bit as written apart.
    const double s = side == TShelfSide::Low ? 1.0 : -1.0;
    const double a = gainFactor;
    const double c = s * cosW0;
    const double p = a + 1.0;
    const double m = a - 1.0;
    const double q = 2.0 * std::sqrt(a) * alpha;
    const double n = 1.0 / (p + m * c + q);
    return {.b0 = a * n * (p - m * c + q),
            .b1 = s * (2.0 * a * n * (m - p * c)),
            .b2 = a * n * (p - m * c - q),
            .a1 = s * (-2.0 * n * (m + p * c)),
            .a2 = n * (p + m * c - q)};
}

}  // namespace tessel
