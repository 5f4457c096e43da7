#include "gui/BackgroundImage.h"

#include <algorithm>

namespace tessel {

TBackgroundImage& TBackgroundImage::Shared() {
    static TBackgroundImage image;  // destroyed when the library unloads
    return image;
}

bool TBackgroundImage::Exists() const {
    std::lock_guard guard(FLock);
    return FExists;
}

void TBackgroundImage::Store(const TBitmap32& rendered) {
    std::lock_guard guard(FLock);
    FImage.Assign(rendered);
    FImage.ResetClip();
    FExists = true;
    ++FGeneration;
}

bool TBackgroundImage::CopyTo(TBitmap32& target) const {
    std::lock_guard guard(FLock);
    if (!FExists) return false;
    target.Assign(FImage);
    return true;
}

void TBackgroundImage::Restore(TCustomBitmap32& target, const TRect& r) const {
    std::lock_guard guard(FLock);
    const TRect area = IntersectRect(IntersectRect(r, FImage.BoundsRect()), target.BoundsRect());
    if (area.IsEmpty()) return;
    const auto count = static_cast<std::size_t>(area.Width());
    for (int y = area.Top; y < area.Bottom; ++y)
        std::copy_n(FImage.RowPixels(y) + area.Left, count, target.RowPixels(y) + area.Left);
}

TColor32 TBackgroundImage::Pixel(int x, int y) const {
    std::lock_guard guard(FLock);
    return FImage.Pixel(x, y);
}

std::uint64_t TBackgroundImage::Generation() const {
    std::lock_guard guard(FLock);
    return FGeneration;
}

void TBackgroundImage::Reset() {
    std::lock_guard guard(FLock);
    FImage.Resize(0, 0);
    FExists = false;
}

}  // namespace tessel
