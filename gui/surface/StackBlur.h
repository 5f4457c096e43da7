#pragma once
// Stack blur on raw 32-bit pixels: every row, then every column, replaced by
// its moving average with triangular weights r + 1 - |i| (i = -r .. r)
// divided by (r + 1)² and truncated, per byte channel, edge pixels
// repeated. Exact integer arithmetic; cost per pixel independent of r.
// Radii above 255 pixels are treated as 255.

#include "gui/surface/Color32.h"

namespace tessel {

void StackBlurPixels(TColor32* pixels, int width, int height, int radius);

}  // namespace tessel
