#pragma once
// Draws the analyser's levels as a filled shape rising from the bottom of
// the response display, its top edge stroked a shade stronger. The level
// axis runs from TSpectrumAnalyser::kFloorDb at the bottom edge to 0 dBFS
// at the top edge; column c is at x = display.Left + 1 + c, as the
// response curve's points.
//
// Threads: [editor-thread].

#include <span>

#include "gui/surface/Bitmap32.h"
#include "gui/surface/Geometry.h"

namespace tessel {

// The edge is `edgeWidth` pixels wide (one unit at the editor's scale).
void DrawSpectrum(TBitmap32& target, const TRect& display, std::span<const float> levelsDb, TColor32 fill,
                  TColor32 edge, double edgeWidth = 1.0);

}  // namespace tessel
