#pragma once

#include <memory>

#include "dsp/BandKind.h"
#include "dsp/OrvBiquadFilter.h"

namespace tessel {

// A new band filter of the given kind, with cleared states and zero
// coefficients until its setters run. Null for a value outside the
// enumeration. Allocates: control side only.
[[nodiscard]] std::unique_ptr<TOrvBiquadFilter> CreateBandFilter(TBandKind kind);

}  // namespace tessel
