// TBitmap32: settings copy and pixel transfers.

#include "gui/surface/Bitmap32.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tessel {
namespace {

// Source column (or row) for a target position under nearest-neighbour
// scaling: the source pixel whose span holds the target pixel's centre.
int NearestSource(int target, int dstStart, int dstSize, int srcStart, int srcSize) {
    const long long offset = 2LL * (static_cast<long long>(target) - dstStart) + 1;
    return static_cast<int>(srcStart + offset * srcSize / (2LL * dstSize));
}

int SaturatingAdd(int a, int b) {
    const long long s = static_cast<long long>(a) + b;
    return static_cast<int>(std::clamp<long long>(s, INT32_MIN, INT32_MAX));
}

}  // namespace

void TBitmap32::Assign(const TCustomBitmap32& source) {
    TCustomBitmap32::Assign(source);
    if (const auto* bitmap = dynamic_cast<const TBitmap32*>(&source)) FFont = bitmap->FFont;
}

void TBitmap32::DrawOnto(TCustomBitmap32& target, int x, int y) const {
    const TRect dst{x, y, SaturatingAdd(x, Width()), SaturatingAdd(y, Height())};
    // A saturated destination would rescale; keep 1:1 by trimming the source.
    const TRect src{0, 0, dst.Width(), dst.Height()};
    DrawOnto(target, dst, src);
}

void TBitmap32::DrawOnto(TCustomBitmap32& target, const TRect& dstRect, const TRect& srcRect) const {
    if (dstRect.IsEmpty() || srcRect.IsEmpty() || Empty()) return;
    const bool blend = DrawMode() == dmBlend;
    if (blend && MasterAlpha() == 0) return;
    if (&target == this) {  // the source must not change under the transfer
        TBitmap32 copy;
        copy.Assign(*this);
        copy.DrawOnto(target, dstRect, srcRect);
        return;
    }
    const TRect area = IntersectRect(dstRect, target.ClipRect());
    if (area.IsEmpty()) return;

    const int dstW = dstRect.Width(), dstH = dstRect.Height();
    const int srcW = srcRect.Width(), srcH = srcRect.Height();
    const bool unscaled = dstW == srcW && dstH == srcH;
    std::vector<int> columns(static_cast<std::size_t>(area.Width()));
    for (int tx = area.Left; tx < area.Right; ++tx)
        columns[tx - area.Left] =
            unscaled ? srcRect.Left + (tx - dstRect.Left) : NearestSource(tx, dstRect.Left, dstW, srcRect.Left, srcW);

    const std::uint32_t master = MasterAlpha();
    const TCombineMode combine = CombineMode();
    for (int ty = area.Top; ty < area.Bottom; ++ty) {
        const int sy =
            unscaled ? srcRect.Top + (ty - dstRect.Top) : NearestSource(ty, dstRect.Top, dstH, srcRect.Top, srcH);
        const TColor32* srcRow = RowPixels(sy);
        if (!srcRow) continue;
        TColor32* dstRow = target.RowPixels(ty);
        for (int tx = area.Left; tx < area.Right; ++tx) {
            const int sx = columns[tx - area.Left];
            if (sx < 0 || sx >= Width()) continue;
            TColor32 c = srcRow[sx];
            if (!blend) {
                dstRow[tx] = c;
                continue;
            }
            if (master != 255) c = ScaleAlpha(c, master);
            dstRow[tx] = Combine(combine, c, dstRow[tx]);
        }
    }
}

void TBitmap32::CopyToWindow(TWindowSink& sink, int x, int y) const {
    if (Empty()) return;
    sink.PutPixels(x, y, Width(), Height(), Bits(), Width());
}

}  // namespace tessel
