#include "dsp/OrvNotch.h"

namespace tessel {

void TOrvNotch::ComputeCoefficients() noexcept {
    const double alpha = Alpha();
    const double c = CosW0();
    const double n = 1.0 / (1.0 + alpha);
    const double b1 = -2.0 * c * n;
    SetCoefficients({.b0 = n, .b1 = b1, .b2 = n, .a1 = b1, .a2 = (1.0 - alpha) * n});
}

}  // namespace tessel
