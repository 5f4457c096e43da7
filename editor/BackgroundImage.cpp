#include "editor/BackgroundImage.h"

#include <algorithm>

namespace tessel {

void TBackgroundImage::Adopt(TBitmap32& rendered) {
    std::lock_guard guard(FLock);
    if (FExists) {
        rendered.Assign(FImage);
        return;
    }
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

TBackgroundImages& TBackgroundImages::Shared() {
    static TBackgroundImages images;  // destroyed when the library unloads
    return images;
}

std::shared_ptr<TBackgroundImage> TBackgroundImages::For(const TBackgroundLook& look) {
    std::lock_guard guard(FLock);
    for (const auto& [kept, image] : FImages)
        if (kept == look) return image;
    // Only this list holds an unused image, and only under the lock can
    // anyone take it: such an image is safe to drop.
    if (FImages.size() >= kKeptLooks)
        std::erase_if(FImages, [](const auto& entry) { return entry.second.use_count() == 1; });
    return FImages.emplace_back(look, std::make_shared<TBackgroundImage>()).second;
}

void TBackgroundImages::Reset() {
    std::lock_guard guard(FLock);
    FImages.clear();
}

}  // namespace tessel
