#include "gui/controls/MetalFaceCache.h"

#include <algorithm>
#include <vector>

#include "gui/controls/MetalFace.h"

namespace tessel {
namespace {

std::mutex& CacheMutex() {
    static std::mutex m;
    return m;
}

// Entries in order of creation; guarded by CacheMutex().
std::vector<std::shared_ptr<TMetalFaceCache::TFace>>& Entries() {
    static std::vector<std::shared_ptr<TMetalFaceCache::TFace>> entries;
    return entries;
}

}  // namespace

const TBitmap32& TMetalFaceCache::TFace::Rendered(TColor32 base, const TShadow32& shadow) {
    std::call_once(FRenderOnce, [&] {
        FSurface.Resize(FWidth, FHeight);
        RenderMetalFace(FSurface, base, shadow, FScale);
    });
    return FSurface;
}

std::shared_ptr<TMetalFaceCache::TFace> TMetalFaceCache::Attach(int width, int height, std::shared_ptr<TFace> current,
                                                                TPixelScale scale) {
    auto fits = [&](const TFace& face) {
        return face.Width() == width && face.Height() == height && face.Scale() == scale;
    };
    if (current && fits(*current)) return current;
    Release(current);
    if (width <= 0 || height <= 0) return nullptr;
    std::lock_guard lock(CacheMutex());
    auto& entries = Entries();
    auto it = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return fits(*e); });
    if (it == entries.end()) it = entries.insert(entries.end(), std::make_shared<TFace>(width, height, scale));
    ++(*it)->FUsers;
    return *it;
}

void TMetalFaceCache::Release(std::shared_ptr<TFace>& face) {
    if (!face) return;
    {
        std::lock_guard lock(CacheMutex());
        if (--face->FUsers == 0) {
            auto& entries = Entries();
            entries.erase(std::remove(entries.begin(), entries.end(), face), entries.end());
        }
    }
    face.reset();
}

int TMetalFaceCache::Count() {
    std::lock_guard lock(CacheMutex());
    return static_cast<int>(Entries().size());
}

}  // namespace tessel
