#pragma once
// The narrow interface between the pixel surface and a font rasteriser.
//
// The surface only needs two things from fonts: the extent of a line of
// text, and the text's coverage (0..255 per pixel) painted into an 8-bit
// mask. The FreeType/fontconfig engine (FreeTypeFontEngine.cpp) is the only
// code that touches those libraries; tests can install an engine of their
// own with SetFontEngine to check the text pipeline independent of fonts.
//
// Text is UTF-8; malformed bytes are shown as U+FFFD.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gui/surface/Font32.h"

namespace tessel {

struct TTextExtent {
    int Width = 0;   // sum of the glyphs' advances, rounded to whole pixels
    int Height = 0;  // ascent + descent of the face, whole pixels
    friend bool operator==(const TTextExtent&, const TTextExtent&) = default;
};

// An 8-bit coverage image, 0 = no ink, 255 = full ink.
class TCoverageMask {
public:
    TCoverageMask() = default;
    TCoverageMask(int width, int height);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    std::uint8_t* Row(int y) { return FData.data() + static_cast<std::size_t>(y) * FWidth; }
    const std::uint8_t* Row(int y) const { return FData.data() + static_cast<std::size_t>(y) * FWidth; }
    std::uint8_t At(int x, int y) const;
    // Paints white ink of the given coverage over the mask, as text is
    // painted over a black surface: v + (255 - v)·c/255. Ignored outside.
    void Paint(int x, int y, std::uint8_t coverage);

private:
    int FWidth = 0;
    int FHeight = 0;
    std::vector<std::uint8_t> FData;
};

// `magnification` multiplies the font's em in pixels (supersampled text
// renders the same font 2^n times larger). Layout is linear in it: glyph
// positions come from unhinted advances accumulated with sub-pixel
// precision, so a text measured at magnification m is m times as wide as at
// 1, up to rounding of the total — which keeps supersampled text as wide as
// its measured width.
class TFontEngine {
public:
    virtual ~TFontEngine() = default;
    // Extent of one line of text in the font (style included).
    virtual TTextExtent Measure(const TFont32& font, std::string_view utf8, int magnification) = 0;
    // Paints the text's coverage into mask with the top-left corner of its
    // line cell at (x, y); the baseline lies one ascent below y. smooth asks
    // for the engine's own anti-aliasing, otherwise glyphs are bilevel
    // (every pixel 0 or 255). Glyph positions do not depend on smooth.
    virtual void Rasterize(const TFont32& font, std::string_view utf8, bool smooth, int magnification,
                           TCoverageMask& mask, int x, int y) = 0;
};

// The em in whole pixels of a font at a magnification, within 1..kMaxFontPixels.
int FontEmPixels(const TFont32& font, int magnification);

// The engine the surfaces use: FreeType unless a test installed another.
std::shared_ptr<TFontEngine> CurrentFontEngine();
// Installs an engine; nullptr goes back to the FreeType engine.
void SetFontEngine(std::shared_ptr<TFontEngine> engine);

// Code points of a UTF-8 text.
std::u32string DecodeUtf8(std::string_view utf8);

}  // namespace tessel
