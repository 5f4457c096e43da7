#include "gui/controls/DialPointerAngles.h"

#include <cmath>
#include <string>

namespace tessel {

void TDialPointerAngles::SetStart(int degrees) {
    if (degrees < 0 || degrees > 359) throw EDialError("Start must be 0..359");
    FStart = degrees;
    Changed();
}

void TDialPointerAngles::SetRange(int degrees) {
    if (degrees < 1 || degrees > 360) throw EDialError("Range must be 1..360");
    FRange = degrees;
    if (FResolution < FRange) FResolution = FRange;
    Changed();
}

void TDialPointerAngles::SetResolution(double resolution) {
    // NaN fails both comparisons, so it is tested on its own.
    if (std::isnan(resolution) || resolution < 0.0 || resolution > FRange)
        throw EDialError("Resolution must be above 0 and less than " + std::to_string(FRange + 1));
    FResolution = resolution;
    Changed();
}

}  // namespace tessel
