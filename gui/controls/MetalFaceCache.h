#pragma once
// TMetalFaceCache: the rendered metal faces of the whole process, one per
// knob size, each shared by every metal knob of that size (the editor's 21
// knobs have one size per layout, so they share one face).
//
// The cache is keyed by pixel size and scale: a knob at 200 % has a face
// of twice the pixels, rendered at that size (ring spacing, line widths and
// shadow scaled with it), never a stretched copy of the 100 % face. A face is rendered from the colour and
// shadow settings of the knob that first draws it; later changes of those
// settings, or other knobs of the same size with other settings, do not
// re-render it — only a size with no face yet gets a new one. A face is
// freed when the last knob using it lets it go.
//
// Threads: several editors may be open at once, each drawing on its own
// thread, so the list is guarded by a mutex and a face is rendered exactly
// once (the first drawer renders, a concurrent one waits). A rendered face
// is never written again, so drawing from it needs no lock.

#include <memory>
#include <mutex>

#include "gui/surface/Bitmap32.h"
#include "gui/surface/PixelScale.h"
#include "gui/surface/Shadow32.h"

namespace tessel {

class TMetalFaceCache {
public:
    class TFace {
    public:
        TFace(int width, int height, TPixelScale scale) : FWidth(width), FHeight(height), FScale(scale) {}
        int Width() const { return FWidth; }
        int Height() const { return FHeight; }
        TPixelScale Scale() const { return FScale; }
        // The face, rendered from these settings if this is its first use.
        const TBitmap32& Rendered(TColor32 base, const TShadow32& shadow);
        // What Rendered returned, for a thread that has called it (empty
        // before the first render).
        const TBitmap32& Surface() const { return FSurface; }

    private:
        friend class TMetalFaceCache;
        const int FWidth;
        const int FHeight;
        const TPixelScale FScale;
        int FUsers = 0;  // knobs holding this face; guarded by the cache mutex
        std::once_flag FRenderOnce;
        TBitmap32 FSurface;
    };

    // The face for a knob whose buffer is width × height pixels at `scale`
    // and which holds `current` (or nothing): `current` itself when its size
    // and scale match, otherwise `current` is released and the face of that
    // size and scale is taken (created when there is none). Null for an
    // empty size.
    static std::shared_ptr<TFace> Attach(int width, int height, std::shared_ptr<TFace> current, TPixelScale scale = {});
    // Gives a knob's face back; the last user frees it. Resets `face`.
    static void Release(std::shared_ptr<TFace>& face);
    // Faces in the cache (distinct sizes in use).
    static int Count();
};

}  // namespace tessel
