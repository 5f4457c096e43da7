#include "dsp/OrvLowShelfFilter.h"

#include "dsp/ShelfCoefficients.h"

namespace tessel {

void TOrvLowShelfFilter::ComputeCoefficients() noexcept {
    SetCoefficients(ShelfCoefficients(TShelfSide::Low, GainFactor(), Alpha(), CosW0()));
}

}  // namespace tessel
