#pragma once
// The polygons a knob is drawn from, in 16.16 fixed point: circles for the
// disc, rings and cap, the range arc, and the pointer. Angles are radians
// in screen coordinates (y grows downwards, so angles turn clockwise);
// lengths are pixels. Points advance by repeated rotation in 32-bit floats,
// as the knob's look was tuned with.

#include <cstdint>
#include <vector>

#include "gui/surface/Geometry.h"

namespace tessel {

// Knob geometry is worked out in float pixels.
inline TFixedPoint DialPoint(float xPixels, float yPixels) {
    return FixedPoint(static_cast<double>(xPixels), static_cast<double>(yPixels));
}

// Shape of the coloured arc that shows a knob's position.
enum TRangeStyle : std::uint8_t {
    rsNone,      // no arc
    rsLeft,      // from the lowest position to the pointer
    rsCenter,    // from straight up to the pointer
    rsPosition,  // a short arc around the pointer
};

// Vertices of the polygon standing in for a circle of radius r: about one
// per two pixels of circumference, at least 3.
int CircleVertexCount(float radius);
// That polygon, centred at (cx, cy), its first vertex straight down.
std::vector<TFixedPoint> CirclePolygon(float cx, float cy, float radius);

// The band between radii inner and outer that the range arc fills, for a
// position 0..1 (clamped) on a knob turning 270° from the lower left: the outer edge
// forward, then the inner edge back. Empty when the style shows no arc
// there (rsNone, rsLeft at 0, rsCenter at 0.5). Unknown styles throw
// EDialError("Unknown Range Style").
std::vector<TFixedPoint> RangeArcPolygon(TRangeStyle style, float position, float cx, float cy, float inner,
                                         float outer);

// The pointer at angle theta (radians, screen) on a face of radius r: the
// body from 0.39 r to 0.85 r and the tip from 0.85 r to r, each 0.08 r wide.
std::vector<TFixedPoint> PointerBodyPolygon(float cx, float cy, float radius, float theta);
std::vector<TFixedPoint> PointerTipPolygon(float cx, float cy, float radius, float theta);

}  // namespace tessel
