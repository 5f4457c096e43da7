#pragma once
// Scanline coverage of a polygon, measured by sub-sampling.
//
// Pixel (x, y) is the square [x, x+1) × [y, y+1). Each pixel is sampled on
// an N × N grid of points at ((i + ½)/N, (j + ½)/N) inside it, N set by the
// anti-aliasing mode; its coverage is the fraction of samples inside the
// polygon under the fill rule, scaled to 0..255 and rounded. Mode amNone
// samples the pixel centre only (coverage 0 or 255).
//
// Edges are evaluated in double precision from 16.16 input, so the result
// is exact for every representable vertex. Work per row is proportional to
// the edges crossing it plus the pixels touched, not the clip width.

#include <cstdint>
#include <span>
#include <vector>

#include "gui/surface/Geometry.h"

namespace tessel {

enum TPolyFillMode : std::uint8_t { pfAlternate = 0, pfWinding = 1 };  // even-odd, non-zero

// Samples per pixel along each axis: 32, 16, 8, 4, 2, or the centre only.
enum TAntialiasMode : std::uint8_t {
    am32times = 0,
    am16times = 1,
    am8times = 2,
    am4times = 3,
    am2times = 4,
    amNone = 5,
};

int SamplesPerAxis(TAntialiasMode mode);

class TPolygonRasterizer {
public:
    // Called once per run of consecutive pixels of row y with non-zero
    // coverage: pixels x .. x + count - 1, one coverage value each.
    using TRunProc = void (*)(void* context, int y, int x, int count, const std::uint8_t* coverage);

    // Closes the polygon implicitly; reports only pixels inside `clip`.
    // Fewer than three points cover nothing.
    void Rasterize(std::span<const TFixedPoint> points, TPolyFillMode rule, TAntialiasMode mode, const TRect& clip,
                   TRunProc proc, void* context);

private:
    struct TEdge {
        double YTop;  // pixels, the edge covers YTop <= y < YBottom
        double YBottom;
        double XAtTop;
        double DxDy;
        int Winding;  // +1 downwards, -1 upwards
    };
    struct TCrossing {
        double X;
        int Winding;
    };

    void BuildEdges(std::span<const TFixedPoint> points);
    void AccumulateSubRow(double ySample, TPolyFillMode rule);
    void AddSpan(double xFrom, double xTo);
    void EmitRow(int y, TRunProc proc, void* context);

    std::vector<TEdge> FEdges;  // sorted by YTop
    std::vector<std::size_t> FActive;
    std::vector<TCrossing> FCrossings;
    std::vector<std::int32_t> FCount;  // partial-pixel sample counts, index x - clip.Left
    std::vector<std::int32_t> FDelta;  // running-sum deltas for whole-pixel runs
    std::vector<std::uint8_t> FCoverage;
    int FSamples = 8;
    int FLeft = 0;  // clip columns [FLeft, FRight)
    int FRight = 0;
    int FTouchedMin = 0;  // pixel columns touched in the current row
    int FTouchedMax = -1;
};

}  // namespace tessel
