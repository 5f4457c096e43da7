// The response chart: layout mapping and the curve where it belongs.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "gui/surface/PngFile.h"
#include "gui/surface/ResponsePlot.h"

namespace tessel {
namespace {

// A +6 dB bell at 1 kHz over a flat line, one point per 1/50 octave.
std::vector<std::pair<double, double>> BellCurve() {
    std::vector<std::pair<double, double>> points;
    for (double f = 20.0; f <= 20000.0 * 1.0001; f *= std::pow(2.0, 1.0 / 50.0))
        points.push_back({f, 6.0 * std::exp(-std::pow(std::log2(f / 1000.0), 2.0))});
    return points;
}

bool IsCurveColoured(TColor32 pixel, TColor32 background) {
    // The curve is blue; the plot background and grid are grey.
    return BlueComponent(pixel) > RedComponent(pixel) + 20 && pixel != background;
}

TEST(ResponsePlotTest, CurvePassesThroughTheExpectedPixels) {
    TBitmap32 s(640, 360);
    const TResponsePlotOptions options;
    RenderResponsePlot(s, BellCurve(), options);
    const TResponsePlotLayout layout = ResponsePlotLayout(s, options);
    ASSERT_GT(layout.Plot.Width(), 400);
    ASSERT_GT(layout.Plot.Height(), 200);

    for (const auto& [hz, db] : {std::pair{1000.0, 6.0}, std::pair{100.0, 0.0}, std::pair{10000.0, 0.0}}) {
        const int x = static_cast<int>(std::lround(layout.XFromHz(hz)));
        const int y = static_cast<int>(std::lround(layout.YFromDb(db)));
        bool found = false;
        for (int dy = -1; dy <= 1; ++dy) found |= IsCurveColoured(s.Pixel(x, y + dy), options.PlotBackground);
        EXPECT_TRUE(found) << hz << " Hz";
        // Well away from the curve vertically there is no curve ink.
        EXPECT_FALSE(IsCurveColoured(s.Pixel(x, y - 25), options.PlotBackground)) << hz << " Hz";
    }
    const std::string out = (std::filesystem::temp_directory_path() / "tessel_response_plot.png").string();
    EXPECT_TRUE(SavePng(s, out));
}

TEST(ResponsePlotTest, LabelsAndGridAreDrawnOutsideAndInsideThePlot) {
    TBitmap32 s(640, 360);
    const TResponsePlotOptions options;
    RenderResponsePlot(s, {}, options);
    const TResponsePlotLayout l = ResponsePlotLayout(s, options);
    // A decade grid line at 1 kHz.
    const int x1k = static_cast<int>(std::lround(l.XFromHz(1000.0)));
    EXPECT_EQ(s.Pixel(x1k, l.Plot.Top + 5), options.MajorGrid);
    // Some text ink below the plot (frequency labels) and left of it (levels).
    int below = 0, left = 0;
    for (int y = l.Plot.Bottom + 2; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) below += GreenComponent(s.Pixel(x, y)) < 128;
    for (int y = l.Plot.Top; y < l.Plot.Bottom; ++y)
        for (int x = 0; x < l.Plot.Left - 2; ++x) left += GreenComponent(s.Pixel(x, y)) < 128;
    EXPECT_GT(below, 50);
    EXPECT_GT(left, 20);
}

TEST(ResponsePlotTest, BadPointsAndAxesAreSkipped) {
    TBitmap32 s(300, 200);
    RenderResponsePlot(s, {{-5.0, 0.0}, {0.0, 3.0}, {100.0, NAN}, {1000.0, 1e12}, {2000.0, -1e12}, {INFINITY, 0.0}});
    TResponsePlotOptions bad;
    bad.MinHz = 0.0;
    RenderResponsePlot(s, {{100.0, 0.0}}, bad);  // unusable axis: background only
    EXPECT_EQ(s.Pixel(150, 100), bad.Background);
    TBitmap32 tiny(10, 10);
    RenderResponsePlot(tiny, {{100.0, 0.0}});
}

}  // namespace
}  // namespace tessel
