#include "gui/surface/PolygonRasterizer.h"

#include <algorithm>
#include <cmath>

namespace tessel {

int SamplesPerAxis(TAntialiasMode mode) {
    static constexpr int kSamples[] = {32, 16, 8, 4, 2, 1};
    return kSamples[std::min<int>(mode, amNone)];
}

void TPolygonRasterizer::BuildEdges(std::span<const TFixedPoint> points) {
    FEdges.clear();
    const std::size_t n = points.size();
    for (std::size_t i = 0; i < n; ++i) {
        const TFixedPoint a = points[i];
        const TFixedPoint b = points[(i + 1) % n];
        if (a.y == b.y) continue;  // horizontal edges cross no sample row
        const bool down = b.y > a.y;
        const TFixedPoint top = down ? a : b;
        const TFixedPoint bottom = down ? b : a;
        TEdge e;
        e.YTop = FixedToFloat(top.y);
        e.YBottom = FixedToFloat(bottom.y);
        e.XAtTop = FixedToFloat(top.x);
        e.DxDy = FixedToFloat(bottom.x - top.x) / (e.YBottom - e.YTop);
        e.Winding = down ? 1 : -1;
        FEdges.push_back(e);
    }
    std::sort(FEdges.begin(), FEdges.end(), [](const TEdge& l, const TEdge& r) { return l.YTop < r.YTop; });
}

void TPolygonRasterizer::Rasterize(std::span<const TFixedPoint> points, TPolyFillMode rule, TAntialiasMode mode,
                                   const TRect& clip, TRunProc proc, void* context) {
    if (points.size() < 3 || clip.IsEmpty()) return;
    BuildEdges(points);
    if (FEdges.empty()) return;

    double yMin = FEdges.front().YTop, yMax = yMin;
    for (const TEdge& e : FEdges) yMax = std::max(yMax, e.YBottom);
    const int rowFirst = std::max(clip.Top, static_cast<int>(std::floor(yMin)));
    const int rowEnd = std::min(clip.Bottom, static_cast<int>(std::ceil(yMax)));

    FSamples = SamplesPerAxis(mode);
    FLeft = clip.Left;
    FRight = clip.Right;
    const auto columns = static_cast<std::size_t>(FRight - FLeft) + 1;
    FCount.assign(columns, 0);
    FDelta.assign(columns, 0);
    FCoverage.assign(columns, 0);
    FActive.clear();

    std::size_t nextEdge = 0;
    for (int y = rowFirst; y < rowEnd; ++y) {
        while (nextEdge < FEdges.size() && FEdges[nextEdge].YTop < y + 1.0) FActive.push_back(nextEdge++);
        std::erase_if(FActive, [&](std::size_t i) { return FEdges[i].YBottom <= y; });
        if (FActive.empty()) continue;

        FTouchedMin = FRight;
        FTouchedMax = FLeft - 1;
        for (int j = 0; j < FSamples; ++j) AccumulateSubRow(y + (j + 0.5) / FSamples, rule);
        if (FTouchedMax >= FTouchedMin) EmitRow(y, proc, context);
    }
}

void TPolygonRasterizer::AccumulateSubRow(double ySample, TPolyFillMode rule) {
    FCrossings.clear();
    for (std::size_t i : FActive) {
        const TEdge& e = FEdges[i];
        if (ySample < e.YTop || ySample >= e.YBottom) continue;
        FCrossings.push_back({e.XAtTop + (ySample - e.YTop) * e.DxDy, e.Winding});
    }
    std::sort(FCrossings.begin(), FCrossings.end(), [](const TCrossing& l, const TCrossing& r) { return l.X < r.X; });
    int winding = 0;
    for (std::size_t k = 0; k + 1 < FCrossings.size(); ++k) {
        winding += rule == pfAlternate ? 1 : FCrossings[k].Winding;
        const bool inside = rule == pfAlternate ? (winding & 1) != 0 : winding != 0;
        if (inside) AddSpan(FCrossings[k].X, FCrossings[k + 1].X);
    }
}

// Adds the samples with xFrom <= (s + ½)/N < xTo, s in sample units.
void TPolygonRasterizer::AddSpan(double xFrom, double xTo) {
    const int n = FSamples;
    const double lo = FLeft - 1.0, hi = FRight + 1.0;
    xFrom = std::clamp(xFrom, lo, hi);
    xTo = std::clamp(xTo, lo, hi);
    const long sFirst = std::max(static_cast<long>(std::ceil(xFrom * n - 0.5)), static_cast<long>(FLeft) * n);
    const long sEnd = std::min(static_cast<long>(std::ceil(xTo * n - 0.5)), static_cast<long>(FRight) * n);
    if (sEnd <= sFirst) return;

    const int pFirst = static_cast<int>(sFirst / n);  // non-negative: the clip lies inside the surface
    const int pLast = static_cast<int>(sEnd / n);     // pixel holding the end; may be FRight
    const int iFirst = pFirst - FLeft, iLast = pLast - FLeft;
    if (pFirst == pLast) {
        FCount[iFirst] += static_cast<std::int32_t>(sEnd - sFirst);
    } else {
        FCount[iFirst] += static_cast<std::int32_t>(static_cast<long>(pFirst + 1) * n - sFirst);
        FDelta[iFirst + 1] += n;
        FDelta[iLast] -= n;
        FCount[iLast] += static_cast<std::int32_t>(sEnd - static_cast<long>(pLast) * n);
    }
    FTouchedMin = std::min(FTouchedMin, pFirst);
    FTouchedMax = std::max(FTouchedMax, std::min(pLast, FRight - 1));
}

void TPolygonRasterizer::EmitRow(int y, TRunProc proc, void* context) {
    const int samples = FSamples * FSamples;
    const int iMin = FTouchedMin - FLeft, iMax = FTouchedMax - FLeft;
    std::int32_t running = 0;
    for (int i = iMin; i <= iMax; ++i) {
        running += FDelta[i];
        const int hits = FCount[i] + running;
        FCoverage[i] = static_cast<std::uint8_t>((hits * 255 + samples / 2) / samples);
    }
    // Clear what this row used, including the delta one past the last pixel.
    std::fill(FCount.begin() + iMin, FCount.begin() + iMax + 2, 0);
    std::fill(FDelta.begin() + iMin, FDelta.begin() + iMax + 2, 0);

    int i = iMin;
    while (i <= iMax) {
        if (FCoverage[i] == 0) {
            ++i;
            continue;
        }
        const int runStart = i;
        while (i <= iMax && FCoverage[i] != 0) ++i;
        proc(context, y, FLeft + runStart, i - runStart, FCoverage.data() + runStart);
    }
}

}  // namespace tessel
