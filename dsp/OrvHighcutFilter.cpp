#include "dsp/OrvHighcutFilter.h"

namespace tessel {

void TOrvHighcutFilter::ComputeCoefficients() noexcept {
    const double alpha = Alpha();
    const double c = CosW0();
    const double n = 1.0 / (1.0 + alpha);
    const double b0 = (1.0 - c) * 0.5 * n;
    SetCoefficients({.b0 = b0, .b1 = 2.0 * b0, .b2 = b0, .a1 = -2.0 * c * n, .a2 = (1.0 - alpha) * n});
}

}  // namespace tessel
