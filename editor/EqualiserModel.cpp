#include "editor/EqualiserModel.h"

#include <cmath>

#include "dsp/BiquadIIRFilter.h"

namespace tessel {

double TEqualiserResponse::TotalResponseDb(double frequencyHz) const noexcept {
    double product = 1.0;
    for (const auto& band : bands)
        if (band.present) product *= BiquadMagnitude(band.coefficients, frequencyHz, band.sampleRateReciprocal);
    return 10.0 * std::log10(product);
}

}  // namespace tessel
