#pragma once
// A magnitude-response chart: a log-frequency grid with labelled axes and an
// antialiased curve, drawn into a surface (e.g. for `tessel-host response`,
// which saves it with SavePng).

#include <string>
#include <utility>
#include <vector>

#include "gui/surface/Bitmap32.h"

namespace tessel {

struct TResponsePlotOptions {
    double MinHz = 20.0;  // x axis, logarithmic
    double MaxHz = 20000.0;
    double MinDb = -15.0;  // y axis, linear
    double MaxDb = 15.0;
    double DbStep = 5.0;  // dB between horizontal grid lines
    std::string Title;    // drawn above the grid when not empty
    TColor32 Background = 0xFFFFFFFF;
    TColor32 PlotBackground = 0xFFF7F7F7;
    TColor32 MajorGrid = 0xFFC8C8C8;  // decades and 0 dB
    TColor32 MinorGrid = 0xFFE4E4E4;  // 2 and 5 × decade, other dB steps
    TColor32 Frame = 0xFF606060;
    TColor32 Curve = 0xFF1F4FBF;
    TColor32 Text = 0xFF000000;
    std::string FontName = "Verdana";
    int FontSizePt = 8;
    int TextLevel = 2;  // DrawText level for labels
};

// Where the grid lies in a surface of a given size, and the mapping of
// frequency and level to pixel positions (integer positions are pixel
// centres of the antialiased curve).
struct TResponsePlotLayout {
    TRect Plot;
    double MinHz = 20.0, MaxHz = 20000.0, MinDb = -15.0, MaxDb = 15.0;

    double XFromHz(double hz) const;
    double YFromDb(double db) const;
};

TResponsePlotLayout ResponsePlotLayout(const TBitmap32& surface, const TResponsePlotOptions& options);

// Clears the surface to the background and draws grid, labels and the curve
// through the (Hz, dB) points in the given order. Points with a frequency
// <= 0 or a non-finite value are skipped; levels beyond the axis are clipped
// at the grid's edge. The surface's font is set to the options' font.
void RenderResponsePlot(TBitmap32& surface, const std::vector<std::pair<double, double>>& hzDb,
                        const TResponsePlotOptions& options = {});

}  // namespace tessel
