#include "gui/surface/ResponsePlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tessel {
namespace {

constexpr int kGap = 4;                           // pixels between labels and the grid
constexpr int kOuterMargin = 6;                   // pixels around everything
constexpr double kMultiples[] = {1.0, 2.0, 5.0};  // grid lines per decade

std::string FrequencyLabel(double hz) {
    char text[32];
    if (hz >= 1000.0)
        std::snprintf(text, sizeof text, "%gk", hz / 1000.0);
    else
        std::snprintf(text, sizeof text, "%g", hz);
    return text;
}

std::string LevelLabel(double db) {
    char text[32];
    std::snprintf(text, sizeof text, db > 0.0 ? "+%g" : "%g", db == 0.0 ? 0.0 : db);
    return text;
}

bool ValidAxes(const TResponsePlotOptions& o) {
    return o.MinHz > 0.0 && o.MaxHz > o.MinHz && o.MaxDb > o.MinDb && std::isfinite(o.MaxHz) &&
           std::isfinite(o.MinDb) && std::isfinite(o.MaxDb);
}

void DrawGrid(TBitmap32& s, const TResponsePlotLayout& l, const TResponsePlotOptions& o) {
    const TRect& p = l.Plot;
    s.FillRect(p.Left, p.Top, p.Right, p.Bottom, o.PlotBackground);
    const int textHeight = s.TextExtent("0").Height;
    int lastLabelRight = p.Left - 1000;

    for (double decade = std::pow(10.0, std::floor(std::log10(o.MinHz))); decade <= o.MaxHz; decade *= 10.0) {
        for (double m : kMultiples) {
            const double hz = decade * m;
            if (hz < o.MinHz * 0.999 || hz > o.MaxHz * 1.001) continue;
            const int x = static_cast<int>(std::lround(l.XFromHz(hz)));
            s.FillRect(x, p.Top, x + 1, p.Bottom, m == 1.0 ? o.MajorGrid : o.MinorGrid);
            const std::string label = FrequencyLabel(hz);
            const int w = s.TextWidth(label);
            const int left = x - w / 2;
            if (left <= lastLabelRight + kGap) continue;  // would collide with the previous label
            s.DrawText(left, p.Bottom + kGap, label, o.TextLevel, o.Text);
            lastLabelRight = left + w;
        }
    }

    if (o.DbStep > 0.0 && (o.MaxDb - o.MinDb) / o.DbStep < 200.0) {
        for (double db = std::ceil(o.MinDb / o.DbStep) * o.DbStep; db <= o.MaxDb + 1e-9; db += o.DbStep) {
            const int y = static_cast<int>(std::lround(l.YFromDb(db)));
            s.FillRect(p.Left, y, p.Right, y + 1, std::abs(db) < 1e-9 ? o.MajorGrid : o.MinorGrid);
            const std::string label = LevelLabel(std::abs(db) < 1e-9 ? 0.0 : db);
            s.DrawText(p.Left - kGap - s.TextWidth(label), y - textHeight / 2, label, o.TextLevel, o.Text);
        }
    }

    // Frame just outside the grid area.
    s.FillRect(p.Left - 1, p.Top - 1, p.Right + 1, p.Top, o.Frame);
    s.FillRect(p.Left - 1, p.Bottom, p.Right + 1, p.Bottom + 1, o.Frame);
    s.FillRect(p.Left - 1, p.Top, p.Left, p.Bottom, o.Frame);
    s.FillRect(p.Right, p.Top, p.Right + 1, p.Bottom, o.Frame);

    s.DrawText(p.Right - s.TextWidth("Hz"), p.Bottom + kGap + textHeight, "Hz", o.TextLevel, o.Text);
    s.DrawText(p.Left - kGap - s.TextWidth("dB"), p.Top - textHeight - 2, "dB", o.TextLevel, o.Text);
}

void DrawCurve(TBitmap32& s, const TResponsePlotLayout& l, const std::vector<std::pair<double, double>>& hzDb,
               TColor32 color) {
    std::vector<TFixedPoint> points;
    points.reserve(hzDb.size());
    for (const auto& [hz, db] : hzDb)
        if (hz > 0.0 && std::isfinite(hz) && std::isfinite(db))
            points.push_back(FixedPoint(l.XFromHz(hz), l.YFromDb(db)));
    s.SetClip(l.Plot);
    s.StrokePolyline(points, color, false);
    s.ResetClip();
}

}  // namespace

double TResponsePlotLayout::XFromHz(double hz) const {
    return Plot.Left + std::log(hz / MinHz) / std::log(MaxHz / MinHz) * (Plot.Width() - 1);
}

double TResponsePlotLayout::YFromDb(double db) const {
    return Plot.Top + (MaxDb - db) / (MaxDb - MinDb) * (Plot.Height() - 1);
}

TResponsePlotLayout ResponsePlotLayout(const TBitmap32& surface, const TResponsePlotOptions& options) {
    TBitmap32 probe;  // measures with the options' font without touching the caller's surface
    probe.Font().Name = options.FontName;
    probe.Font().Size = options.FontSizePt;
    const int textHeight = probe.TextExtent("0").Height;
    const int labelWidth = std::max({probe.TextWidth(LevelLabel(options.MaxDb)),
                                     probe.TextWidth(LevelLabel(options.MinDb)), probe.TextWidth("dB")});
    const int lastLabelHalf = probe.TextWidth(FrequencyLabel(options.MaxHz)) / 2;

    TResponsePlotLayout l;
    l.MinHz = options.MinHz;
    l.MaxHz = options.MaxHz;
    l.MinDb = options.MinDb;
    l.MaxDb = options.MaxDb;
    const int top = kOuterMargin + textHeight + kGap + (options.Title.empty() ? 0 : textHeight + kGap);
    l.Plot = {kOuterMargin + labelWidth + kGap, top, surface.Width() - kOuterMargin - std::max(lastLabelHalf, 1),
              surface.Height() - kOuterMargin - 2 * textHeight - kGap};
    return l;
}

void RenderResponsePlot(TBitmap32& surface, const std::vector<std::pair<double, double>>& hzDb,
                        const TResponsePlotOptions& options) {
    surface.ResetClip();
    surface.Clear(options.Background);
    if (!ValidAxes(options)) return;
    surface.Font().Name = options.FontName;
    surface.Font().Size = options.FontSizePt;
    const TResponsePlotLayout layout = ResponsePlotLayout(surface, options);
    if (layout.Plot.Width() < 2 || layout.Plot.Height() < 2) return;

    if (!options.Title.empty()) {
        const int x = (surface.Width() - surface.TextWidth(options.Title)) / 2;
        surface.DrawText(x, kOuterMargin, options.Title, options.TextLevel, options.Text);
    }
    DrawGrid(surface, layout, options);
    DrawCurve(surface, layout, hzDb, options.Curve);
}

}  // namespace tessel
