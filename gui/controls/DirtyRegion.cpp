#include "gui/controls/DirtyRegion.h"

#include <algorithm>
#include <cstdint>

namespace tessel {
namespace {

std::int64_t Area(const TRect& r) { return static_cast<std::int64_t>(r.Width()) * r.Height(); }

bool ContainsRect(const TRect& outer, const TRect& inner) {
    return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
           inner.Bottom <= outer.Bottom;
}

// Two rectangles are worth one copy when their union is at most a quarter
// larger than the pixels they cover (overlaps and neighbours merge, a
// knob and a text far apart do not).
bool WorthMerging(const TRect& a, const TRect& b) {
    const std::int64_t covered = Area(a) + Area(b) - Area(IntersectRect(a, b));
    return Area(UnionRect(a, b)) * 4 <= covered * 5;
}

}  // namespace

TRect UnionRect(const TRect& a, const TRect& b) {
    if (a.IsEmpty()) return b.IsEmpty() ? TRect{} : b;
    if (b.IsEmpty()) return a;
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

void TDirtyRegion::Add(const TRect& r) {
    if (r.IsEmpty()) return;
    // The new rectangle absorbs every one worth merging with it, growing as
    // it goes, until none is left to absorb.
    TRect merged = r;
    for (bool grew = true; grew;) {
        grew = false;
        for (auto it = FRects.begin(); it != FRects.end(); ++it) {
            if (ContainsRect(*it, merged)) return;  // everything absorbed lies inside it too
            if (ContainsRect(merged, *it) || WorthMerging(*it, merged)) {
                merged = UnionRect(merged, *it);
                FRects.erase(it);
                grew = true;
                break;
            }
        }
    }
    FRects.push_back(merged);
    if (FRects.size() > kMaxRects) FRects.assign(1, Bounds());
}

void TDirtyRegion::Add(const TDirtyRegion& other) {
    for (const TRect& r : other.FRects) Add(r);
}

TRect TDirtyRegion::Bounds() const {
    TRect all;
    for (const TRect& r : FRects) all = UnionRect(all, r);
    return all;
}

void TDirtyRegion::ClipTo(const TRect& limit) {
    for (TRect& r : FRects) r = IntersectRect(r, limit);
    std::erase_if(FRects, [](const TRect& r) { return r.IsEmpty(); });
}

}  // namespace tessel
