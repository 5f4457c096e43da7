#pragma once
// The metal knob's face: a shaded disc with a dark rim, engraved rings and
// a cap shaded the other way, optionally over a soft drop shadow. It is
// the expensive part of a knob, so it is drawn once per knob size
// (MetalFaceCache.h) and composed into each knob's buffer.

#include <cstdint>

#include "gui/surface/Bitmap32.h"
#include "gui/surface/PixelScale.h"
#include "gui/surface/Shadow32.h"

namespace tessel {

// The span filler of the metal sheen: a conic shading around the centre of
// a width × height face, rising from -25 to +24 levels of `base` over the
// top third of the angle, falling over the middle third, rising again over
// the bottom third, mirrored left to right. direction -1 inverts it.
// Each pixel is blended onto the surface with the coverage as alpha.
struct TMetalShading {
    int Width = 0;
    int Height = 0;
    TColor32 Base = 0;
    int Direction = 1;

    // Brightness offset (levels) at pixel (x, y).
    int Shade(int x, int y) const;
    void operator()(TColor32* pixels, int x, int y, int count, const std::uint8_t* coverage) const;
};

// Renders the face onto `face`, which must be cleared to transparent:
// the disc of radius 0.35 · min(width, height) in `base` (opaque), its
// rings and cap, then the shadow when it is visible. The rings' spacing and
// the shadow's offset and blur are in units, drawn at `scale`.
void RenderMetalFace(TBitmap32& face, TColor32 base, const TShadow32& shadow, TPixelScale scale = {});

}  // namespace tessel
