#include "dsp/OrvPeakFilter.h"

namespace tessel {

void TOrvPeakFilter::ComputeCoefficients() noexcept {
    const double a = GainFactor();
    const double alpha = Alpha();
    const double c = CosW0();
    const double t = a / (a + alpha);
    const double b1 = -2.0 * c * t;
    SetCoefficients({.b0 = (1.0 + alpha * a) * t,
                     .b1 = b1,
                     .b2 = (1.0 - alpha * a) * t,
                     .a1 = b1,
                     .a2 = (a - alpha) / (a + alpha)});
}

}  // namespace tessel
