#include "gui/surface/CustomBitmap32.h"

#include <algorithm>
#include <stdexcept>

namespace tessel {

void TCustomBitmap32::Resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width > kMaxSide || height > kMaxSide) throw std::length_error("Surface too large");
    if (width == FWidth && height == FHeight) return;
    std::vector<TColor32> fresh(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kTransparent32);
    FPixels.swap(fresh);
    FWidth = width;
    FHeight = height;
    ResetClip();
}

void TCustomBitmap32::Assign(const TCustomBitmap32& source) {
    if (&source == this) return;
    Resize(source.FWidth, source.FHeight);
    FPixels = source.FPixels;
    FDrawMode = source.FDrawMode;
    FCombineMode = source.FCombineMode;
    FMasterAlpha = source.FMasterAlpha;
    FOuterColor = source.FOuterColor;
}

TColor32* TCustomBitmap32::RowPixels(int y) {
    if (y < 0 || y >= FHeight) return nullptr;
    return FPixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(FWidth);
}

const TColor32* TCustomBitmap32::RowPixels(int y) const { return const_cast<TCustomBitmap32*>(this)->RowPixels(y); }

TColor32 TCustomBitmap32::Pixel(int x, int y) const {
    if (x < 0 || x >= FWidth || y < 0 || y >= FHeight) return 0;
    return RowPixels(y)[x];
}

void TCustomBitmap32::SetPixel(int x, int y, TColor32 c) {
    if (FClip.Contains(x, y)) RowPixels(y)[x] = c;
}

void TCustomBitmap32::Clear(TColor32 c) { std::fill(FPixels.begin(), FPixels.end(), c); }

void TCustomBitmap32::SetClip(const TRect& r) { FClip = IntersectRect(r, BoundsRect()); }

void TCustomBitmap32::FillRect(int x1, int y1, int x2, int y2, TColor32 c) {
    const TRect r = IntersectRect({x1, y1, x2, y2}, FClip);
    for (int y = r.Top; y < r.Bottom; ++y) {
        TColor32* row = RowPixels(y);
        std::fill(row + r.Left, row + r.Right, c);
    }
}

}  // namespace tessel
