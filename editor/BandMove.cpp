#include "editor/BandMove.h"

namespace tessel {

namespace {
constexpr int kFieldsPerBand = 4;  // kind, gain, frequency, bandwidth
}

std::optional<int> BandMoveNeighbour(int band, TBandMoveDirection direction) {
    if (band < 0 || band >= kOrvaneBands) return std::nullopt;
    const int step = direction == TBandMoveDirection::Left ? -1 : 1;
    return (band + step + kOrvaneBands) % kOrvaneBands;
}

void MoveBand(int band, TBandMoveDirection direction, TParameterAccess& parameters) {
    const auto neighbour = BandMoveNeighbour(band, direction);
    if (!neighbour) return;
    for (int field = 0; field < kFieldsPerBand; ++field) {
        const int here = kFieldsPerBand * band + field;
        const int there = kFieldsPerBand * *neighbour + field;
        const float x = parameters.ReadParameter(here);
        const float y = parameters.ReadParameter(there);
        parameters.AutomateParameter(here, y);
        parameters.AutomateParameter(there, x);
    }
}

}  // namespace tessel
