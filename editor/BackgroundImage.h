#pragma once
// BackgroundImage: the rendered editor background (texture, panels,
// title). Every drawing operation restores its rectangle from it before
// drawing over it. Editors that look the same (colour scheme, GUI style,
// scale) share one image, from TBackgroundImages: the first renders it,
// later ones copy it, so their textures match. An editor that changes its
// look moves to the image of its new look and leaves the others' alone.
// Images are kept while the library is loaded, not only while an editor
// shows them, up to a few looks.
//
// Threads: each open editor draws on its own editor thread, so every access
// goes through one short lock. Never used by the audio thread.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "editor/OrvaneLayout.h"
#include "gui/surface/Bitmap32.h"

namespace tessel {

class TBackgroundImage {
public:
    // Takes a copy of the freshly rendered background (size, pixels, font),
    // unless another editor stored one first: then `rendered` becomes a
    // copy of that one instead.
    void Adopt(TBitmap32& rendered);
    // Gives the target the whole image; false when there is none yet.
    bool CopyTo(TBitmap32& target) const;
    // Copies the image's pixels of r (clipped to both surfaces) into the
    // target, replacing what is there.
    void Restore(TCustomBitmap32& target, const TRect& r) const;
    // The image's pixel at (x, y); 0 outside it or when there is none.
    TColor32 Pixel(int x, int y) const;
    // How many times it was stored.
    std::uint64_t Generation() const;
    // Forgets the image.
    void Reset();

private:
    mutable std::mutex FLock;
    TBitmap32 FImage;
    bool FExists = false;
    std::uint64_t FGeneration = 0;
};

// What a background's pixels depend on.
struct TBackgroundLook {
    std::int32_t ColorWord = 0;  // form colour, red in the low byte
    TGuiStyle Style = TGuiStyle::Knobs;
    int Scale = 100;  // screen pixels per 100 layout pixels (percent)
    friend bool operator==(const TBackgroundLook&, const TBackgroundLook&) = default;
};

class TBackgroundImages {
public:
    // The library's images.
    static TBackgroundImages& Shared();

    // The image of a look, made empty the first time the look is asked for.
    std::shared_ptr<TBackgroundImage> For(const TBackgroundLook& look);
    // Forgets every image, as an unload does; open editors keep theirs (tests).
    void Reset();

private:
    // Each image is about 1 MB at 100 % (718 x 381 pixels of 4 bytes), 4 MB
    // at 200 %; looks no editor shows are dropped once more than this many
    // are kept.
    static constexpr std::size_t kKeptLooks = 4;

    mutable std::mutex FLock;
    std::vector<std::pair<TBackgroundLook, std::shared_ptr<TBackgroundImage>>> FImages;
};

}  // namespace tessel
