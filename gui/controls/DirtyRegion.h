#pragma once
// TDirtyRegion: the parts of a frame waiting to be recomposed or copied.
//
// A handful of rectangles: a knob and its value text stay two small copies
// instead of one that spans the space between them, but rectangles whose
// union wastes little are merged, and past kMaxRects everything collapses
// into the bounding box, so a burst of invalidations never costs more than
// a few copies per frame.

#include <span>
#include <vector>

#include "gui/surface/Geometry.h"

namespace tessel {

class TDirtyRegion {
public:
    static constexpr std::size_t kMaxRects = 8;

    // Adds a rectangle; empty ones are ignored.
    void Add(const TRect& r);
    void Add(const TDirtyRegion& other);
    void Clear() { FRects.clear(); }
    bool Empty() const { return FRects.empty(); }
    std::span<const TRect> Rects() const { return FRects; }
    TRect Bounds() const;
    // Keeps only what lies inside `limit`.
    void ClipTo(const TRect& limit);

private:
    std::vector<TRect> FRects;
};

// The smallest rectangle holding both (an empty one counts as nothing).
TRect UnionRect(const TRect& a, const TRect& b);

}  // namespace tessel
