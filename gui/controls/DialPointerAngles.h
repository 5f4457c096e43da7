#pragma once
// TDialPointerAngles: where a knob's pointer sits over its travel. Start is
// the pointer's angle at the lowest position and Range the angle it turns
// through up to the highest, both in whole degrees clockwise from straight
// up. Resolution is kept and checked but steers neither drawing nor
// dragging.
//
// Setters reject out-of-range values with an EDialError carrying the
// message below and keep the old value.

#include <stdexcept>

#include "gui/controls/DialSettings.h"

namespace tessel {

class EDialError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TDialPointerAngles : public TDialSettings {
public:
    int Start() const { return FStart; }               // degrees, 0..359
    int Range() const { return FRange; }               // degrees, 1..360
    double Resolution() const { return FResolution; }  // 0..Range

    // "Start must be 0..359".
    void SetStart(int degrees);
    // "Range must be 1..360". A Resolution below the new range is raised
    // to it.
    void SetRange(int degrees);
    // "Resolution must be above 0 and less than " followed by Range + 1.
    void SetResolution(double resolution);

private:
    int FStart = 0;
    int FRange = 360;
    double FResolution = 0.0;
};

}  // namespace tessel
