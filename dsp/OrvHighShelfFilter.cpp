#include "dsp/OrvHighShelfFilter.h"

#include "dsp/ShelfCoefficients.h"

namespace tessel {

void TOrvHighShelfFilter::ComputeCoefficients() noexcept {
    SetCoefficients(ShelfCoefficients(TShelfSide::High, GainFactor(), Alpha(), CosW0()));
}

}  // namespace tessel
