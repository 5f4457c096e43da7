#pragma once
// BackgroundImage: the rendered editor background (texture, panels,
// title), one per loaded library and shared by every open editor. The first
// editor renders it; later ones copy it; every drawing operation restores
// its rectangle from it before drawing over it. A colour or style change in
// one editor re-renders it, and the others then restore from the new image.
// It is freed when the library is unloaded, not when an editor closes.
//
// Threads: each open editor draws on its own editor thread, so every access
// goes through one short lock. Never used by the audio thread.

#include <cstdint>
#include <mutex>

#include "gui/Bitmap32.h"

namespace tessel {

class TBackgroundImage {
public:
    // The library's one image.
    static TBackgroundImage& Shared();

    bool Exists() const;
    // Takes a copy of the freshly rendered background (size, pixels, font).
    void Store(const TBitmap32& rendered);
    // Gives the target the whole image; false when there is none yet.
    bool CopyTo(TBitmap32& target) const;
    // Copies the image's pixels of r (clipped to both surfaces) into the
    // target, replacing what is there.
    void Restore(TCustomBitmap32& target, const TRect& r) const;
    // The image's pixel at (x, y); 0 outside it or when there is none.
    TColor32 Pixel(int x, int y) const;
    // How many times it was stored since the library was loaded.
    std::uint64_t Generation() const;
    // Forgets the image, as an unload does (tests).
    void Reset();

private:
    mutable std::mutex FLock;
    TBitmap32 FImage;
    bool FExists = false;
    std::uint64_t FGeneration = 0;
};

}  // namespace tessel
