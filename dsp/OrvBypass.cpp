#include "dsp/OrvBypass.h"

namespace tessel {

void TOrvBypass::ComputeCoefficients() noexcept {
    SetCoefficients({.b0 = 1.0, .b1 = 0.0, .b2 = 0.0, .a1 = 0.0, .a2 = 0.0});
}

}  // namespace tessel
