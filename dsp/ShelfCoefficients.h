#pragma once
// The coefficients of both shelves, which differ only in which side of the
// frequency they lift: the high shelf is the low shelf with cos(w0) negated,
// and b1 and a1 with it.

#include "dsp/BiquadCoefficients.h"

namespace tessel {

enum class TShelfSide { Low, High };

// gainFactor: 10^(dB/40); alpha and cosW0 of the band's frequency and width.
[[nodiscard]] TBiquadCoefficients ShelfCoefficients(TShelfSide side, double gainFactor, double alpha,
                                                    double cosW0) noexcept;

}  // namespace tessel
