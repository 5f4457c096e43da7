#pragma once
// TBitmap32: a 32-bit ARGB surface with the drawing operations the editor
// and the knob compose their images with — aliased and antialiased lines,
// antialiased polygon fills (plain or through a span filler), supersampled
// text, pixel transfers with alpha, stack blur, drop shadows and a noise
// texture — and the copy of a finished image to a window.
//
// Coordinates: whole pixels are ints; sub-pixel positions are 16.16 fixed
// point (Geometry.h). A deposit at an integer position lands on exactly one
// pixel (lines); polygon coverage treats pixel (x, y) as the unit square
// whose top-left corner is (x, y). Nothing outside the clip rectangle is
// ever written.
//
// The operations are implemented in Bitmap32*.cpp, one file per concern.

#include <cstdint>
#include <span>
#include <string_view>

#include "gui/surface/CustomBitmap32.h"
#include "gui/surface/Font32.h"
#include "gui/surface/FontEngine.h"
#include "gui/surface/PolygonRasterizer.h"
#include "gui/surface/RandomSource.h"
#include "gui/surface/WindowSink.h"

namespace tessel {

// Writes the pixels of one run of a polygon fill itself: `pixels` is the
// run's first pixel, at (x, y); `coverage` holds one value 0..255 per pixel
// (all 255 for amNone, where every covered pixel counts as full).
using TSpanFiller = void (*)(void* object, TColor32* pixels, int x, int y, int count, const std::uint8_t* coverage);

class TBitmap32 : public TCustomBitmap32 {
public:
    using TCustomBitmap32::TCustomBitmap32;

    // Adds the font settings to what TCustomBitmap32::Assign takes.
    void Assign(const TCustomBitmap32& source) override;

    // ---- Pen and raster position --------------------------------------
    TColor32 PenColor() const { return FPenColor; }
    void SetPenColor(TColor32 c) { FPenColor = c; }
    TPoint RasterPos() const { return FRaster; }
    TFixedPoint RasterPosF() const { return FRasterF; }

    void MoveTo(int x, int y);
    // One-pixel aliased line in the pen colour from the raster position to
    // (x, y), end pixel excluded, overwriting pixels; then moves there.
    void LineTo(int x, int y);
    // Positions are rounded to 16.16.
    void MoveToF(float x, float y);
    // LineSmooth in the pen colour from the raster position to (x, y),
    // without the last point, so a chain of LineToF inks each joint once.
    void LineToF(float x, float y);

    // ---- Antialiased lines --------------------------------------------
    // With L the length in pixels (+1 when drawLast), the colour is
    // deposited at floor(L) positions one pixel apart from `from`, then once
    // more, at the remaining fraction of the alpha, at floor(L) pixels along
    // or at the end point if that comes first. A deposit spreads over the
    // 2 × 2 pixels around it with bilinear weights (1/256-pixel positions),
    // combined by the surface's CombineMode. L < 1/256 draws nothing.
    void LineSmooth(TFixedPoint from, TFixedPoint to, TColor32 color, bool drawLast);
    // LineSmooth from each point to the next (and last to first when
    // closed). Joints are inked once; an open polyline draws its last point.
    void StrokePolyline(std::span<const TFixedPoint> points, TColor32 color, bool closed);
    // The same path `width` pixels wide, for drawing at screen densities
    // above 96 dpi: at width 1 or less exactly StrokePolyline; wider, one
    // antialiased fill (am8times) of the band around the path, mitred at
    // its corners, each pixel inked once. As the 1-pixel
    // line inks the pixel right of and below a point, the band is centred
    // width/2 right of and below the path: a line at y = 10 covers rows 10
    // and 11 at width 2, as row 10 at width 1.
    void StrokePolyline(std::span<const TFixedPoint> points, TColor32 color, bool closed, double width);

    // ---- Polygons -----------------------------------------------------
    // Each covered pixel is blended with the colour whose alpha is
    // multiplied by the pixel's coverage (PolygonRasterizer.h).
    void FillPolygon(std::span<const TFixedPoint> points, TColor32 color, TPolyFillMode rule = pfAlternate,
                     TAntialiasMode mode = am8times);
    // Coverage as FillPolygon; every run of touched pixels in a row is
    // handed to the filler, which writes the pixels itself.
    void FillPolygonWith(std::span<const TFixedPoint> points, TSpanFiller filler, void* object,
                         TPolyFillMode rule = pfAlternate, TAntialiasMode mode = am8times);
    // The same with any callable filler(pixels, x, y, count, coverage).
    template <class F>
    void FillPolygonWith(std::span<const TFixedPoint> points, F& filler, TPolyFillMode rule = pfAlternate,
                         TAntialiasMode mode = am8times) {
        FillPolygonWith(
            points,
            [](void* o, TColor32* p, int x, int y, int n, const std::uint8_t* c) {
                (*static_cast<F*>(o))(p, x, y, n, c);
            },
            &filler, rule, mode);
    }

    // ---- Text ----------------------------------------------------------
    TFont32& Font() { return FFont; }
    const TFont32& Font() const { return FFont; }
    // Width in pixels of the text in the surface's font.
    int TextWidth(std::string_view text) const;
    TTextExtent TextExtent(std::string_view text) const;
    // Antialiased text with the top-left of its line cell at (x, y).
    // level (clamped to -1..4): -1 the font engine's own smoothing; 0 bilevel
    // glyphs, alpha from coverage; n > 0 rendered 2^n times larger and
    // box-averaged over 2^n × 2^n cells. The colour's alpha scales the
    // whole text (dmBlend transfer with that MasterAlpha).
    void DrawText(int x, int y, std::string_view text, int level, TColor32 color);

    // ---- Transfers -----------------------------------------------------
    // Transfers the whole surface onto target at (x, y) by DrawMode:
    // dmOpaque replaces target pixels; dmBlend scales each pixel's alpha by
    // MasterAlpha/255 and combines it by CombineMode. Only the target's clip
    // rectangle is written.
    void DrawOnto(TCustomBitmap32& target, int x, int y) const;
    // The same from srcRect of this surface to dstRect of the target; a size
    // difference is resolved by nearest-neighbour sampling. Source positions
    // outside this surface transfer nothing.
    void DrawOnto(TCustomBitmap32& target, const TRect& dstRect, const TRect& srcRect) const;
    // Copies the whole surface to the window at (x, y); alpha is ignored.
    void CopyToWindow(TWindowSink& sink, int x, int y) const;

    // ---- Effects -------------------------------------------------------
    // StackBlur, ShadowMask and DropShadow work on the whole surface, like
    // Assign: they reshape an image rather than draw into a region.
    //
    // Rows, then columns, each replaced by the triangle-weighted moving
    // average (weights r + 1 - |i|, divided by (r + 1)², truncated), edge
    // pixels repeated, all four channels. Nothing for radius <= 0; radii
    // above 255 act as 255.
    void StackBlur(int radius);
    // Every pixel becomes black with alpha floor(opacity · alpha / 255): the
    // silhouette that shadows are blurred from.
    void ShadowMask(std::uint8_t opacity);
    // Puts a blurred black copy of the surface's own shape, displaced by
    // the offset and of opacity transparency·alpha/255, under the surface:
    // the shape is drawn (by this surface's DrawMode) onto a cleared
    // surface at the offset, turned into its ShadowMask, blurred, and this
    // surface is drawn over it (again by its DrawMode).
    void DropShadow(int offsetX, int offsetY, int radius, std::uint8_t transparency);
    // Brushed texture in the clip rectangle: per row a smoothed random walk
    // darkens `color` by up to `amount` levels (darkest at the row start)
    // and blends it over the pixels; the second pass runs right to left
    // over the result. The default generator is seeded from the clock.
    void NoiseFill(TColor32 color, int amount, bool twoPasses);
    void NoiseFill(TColor32 color, int amount, bool twoPasses, TRandomSource& random);

private:
    void AliasedLine(int x0, int y0, int x1, int y1, TColor32 color);
    void Deposit(double x, double y, TColor32 color);

    TColor32 FPenColor = kWhite32;
    TPoint FRaster;
    TFixedPoint FRasterF;
    TFont32 FFont;
};

}  // namespace tessel
