// TBitmap32: antialiased polygon fills.

#include "gui/surface/Bitmap32.h"

namespace tessel {
namespace {

struct TColorFill {
    TBitmap32* Surface;
    TColor32 Color;
};

void BlendRun(void* context, int y, int x, int count, const std::uint8_t* coverage) {
    const auto& fill = *static_cast<TColorFill*>(context);
    TColor32* row = fill.Surface->RowPixels(y) + x;
    const std::uint32_t alpha = AlphaComponent(fill.Color);
    for (int i = 0; i < count; ++i) {
        const TColor32 c = WithAlpha(fill.Color, static_cast<std::uint8_t>(Div255(alpha * coverage[i])));
        row[i] = Blend(c, row[i]);
    }
}

struct TFillerCall {
    TBitmap32* Surface;
    TSpanFiller Filler;
    void* Object;
};

// With amNone the rasteriser reports 255 for every covered pixel, so the
// filler always gets a coverage array it can read.
void FillerRun(void* context, int y, int x, int count, const std::uint8_t* coverage) {
    const auto& call = *static_cast<TFillerCall*>(context);
    call.Filler(call.Object, call.Surface->RowPixels(y) + x, x, y, count, coverage);
}

}  // namespace

void TBitmap32::FillPolygon(std::span<const TFixedPoint> points, TColor32 color, TPolyFillMode rule,
                            TAntialiasMode mode) {
    if (AlphaComponent(color) == 0) return;
    TColorFill fill{this, color};
    TPolygonRasterizer rasterizer;
    rasterizer.Rasterize(points, rule, mode, ClipRect(), &BlendRun, &fill);
}

void TBitmap32::FillPolygonWith(std::span<const TFixedPoint> points, TSpanFiller filler, void* object,
                                TPolyFillMode rule, TAntialiasMode mode) {
    if (!filler) return;
    TFillerCall call{this, filler, object};
    TPolygonRasterizer rasterizer;
    rasterizer.Rasterize(points, rule, mode, ClipRect(), &FillerRun, &call);
}

}  // namespace tessel
