#pragma once
// TWindowSink: where CopyToWindow sends a finished surface. The window
// layer (X11 in the editor) implements it; tests and tools implement it to
// capture frames. Keeping the window system behind this one call lets every
// drawing path run headless.

#include "gui/surface/Color32.h"

namespace tessel {

class TWindowSink {
public:
    virtual ~TWindowSink() = default;
    // Copies width × height pixels to the window with their top-left corner
    // at window position (x, y). `rows` is the first pixel of the top row;
    // each next row starts strideInPixels further on. The alpha channel is
    // to be ignored. Called on the UI thread; the pixels are only valid
    // during the call.
    virtual void PutPixels(int x, int y, int width, int height, const TColor32* rows, int strideInPixels) = 0;
};

}  // namespace tessel
