#pragma once
// Moving a band left or right in the band order (the knob menu): the band
// swaps all four values — kind first, then gain, frequency, bandwidth —
// with its neighbour; moving left from band 1 swaps with band 7 and right
// from band 7 with band 1. Each of the eight writes is a user change the
// host is told about.

#include <optional>

#include "editor/OrvaneLayout.h"
#include "editor/ParameterAccess.h"

namespace tessel {

enum class TBandMoveDirection { Left, Right };

// The band (0..6) that `band` swaps with; nothing for a band outside 0..6.
std::optional<int> BandMoveNeighbour(int band, TBandMoveDirection direction);

// Swaps the band's four parameters with its neighbour's; does nothing for a
// band outside 0..6.
void MoveBand(int band, TBandMoveDirection direction, TParameterAccess& parameters);

}  // namespace tessel
