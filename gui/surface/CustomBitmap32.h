#pragma once
// TCustomBitmap32: the pixel memory of a surface and the operations that
// need nothing but the pixels — size, direct row access, the clip rectangle,
// rectangle fills and the transfer settings.
//
// Pixels are TColor32, row after row from the top, each row left to right,
// with no padding between rows. Every write made through this class and
// TBitmap32 stays inside the clip rectangle, which always lies inside the
// surface; RowPixels hands out raw rows for callers that write themselves.
//
// Threads: a surface belongs to one thread at a time (the UI thread).

#include <cstdint>
#include <vector>

#include "gui/surface/Color32.h"
#include "gui/surface/Combine.h"
#include "gui/surface/Geometry.h"

namespace tessel {

// How a surface is transferred onto another (DrawOnto). dmCustom and
// dmTransparent exist for completeness; they transfer like dmOpaque.
enum TDrawMode : std::uint8_t { dmOpaque, dmBlend, dmCustom, dmTransparent };

class TCustomBitmap32 {
public:
    // Largest width or height; also the reach of 16.16 coordinates.
    static constexpr int kMaxSide = 32767;

    TCustomBitmap32() = default;
    TCustomBitmap32(int width, int height) { Resize(width, height); }
    TCustomBitmap32(const TCustomBitmap32&) = delete;
    TCustomBitmap32& operator=(const TCustomBitmap32&) = delete;
    virtual ~TCustomBitmap32() = default;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Empty() const { return FWidth == 0 || FHeight == 0; }
    TRect BoundsRect() const { return {0, 0, FWidth, FHeight}; }

    // Negative sizes count as 0. A different size replaces the pixel memory
    // with transparent black and resets the clip to the whole surface; the
    // same size keeps pixels and clip. Sides above kMaxSide throw
    // std::length_error and leave the surface unchanged.
    void Resize(int width, int height);

    // Size, pixels, DrawMode, CombineMode, MasterAlpha and OuterColor
    // (TBitmap32 adds its font). The clip follows Resize's rule.
    virtual void Assign(const TCustomBitmap32& source);

    // First pixel of row y, or nullptr when y is outside the surface.
    TColor32* RowPixels(int y);
    const TColor32* RowPixels(int y) const;
    TColor32* Bits() { return FPixels.data(); }
    const TColor32* Bits() const { return FPixels.data(); }

    // Pixel at (x, y); 0 outside the surface.
    TColor32 Pixel(int x, int y) const;
    // Writes one pixel (no blending) when (x, y) lies in the clip rectangle.
    void SetPixel(int x, int y, TColor32 c);
    // Every pixel of the surface, ignoring the clip rectangle.
    void Clear(TColor32 c = kTransparent32);

    const TRect& ClipRect() const { return FClip; }
    // The clip becomes the rectangle intersected with the surface.
    void SetClip(const TRect& r);
    void ResetClip() { FClip = BoundsRect(); }

    // Stores c (alpha included, no blending) in every pixel with
    // x1 <= x < x2 and y1 <= y < y2 inside the clip rectangle.
    void FillRect(int x1, int y1, int x2, int y2, TColor32 c);

    TDrawMode DrawMode() const { return FDrawMode; }
    void SetDrawMode(TDrawMode m) { FDrawMode = m; }
    TCombineMode CombineMode() const { return FCombineMode; }
    void SetCombineMode(TCombineMode m) { FCombineMode = m; }
    // Extra opacity 0..255 of dmBlend transfers.
    std::uint8_t MasterAlpha() const { return FMasterAlpha; }
    void SetMasterAlpha(std::uint8_t a) { FMasterAlpha = a; }
    TColor32 OuterColor() const { return FOuterColor; }
    void SetOuterColor(TColor32 c) { FOuterColor = c; }

private:
    int FWidth = 0;
    int FHeight = 0;
    std::vector<TColor32> FPixels;
    TRect FClip;
    TDrawMode FDrawMode = dmOpaque;
    TCombineMode FCombineMode = cmBlend;
    std::uint8_t FMasterAlpha = 255;
    TColor32 FOuterColor = 0;
};

}  // namespace tessel
