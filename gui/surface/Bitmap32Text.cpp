// TBitmap32: text measuring and supersampled text.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "gui/surface/Bitmap32.h"

namespace tessel {
namespace {

constexpr int kMinTextLevel = -1;  // the font engine's own smoothing
constexpr int kMaxTextLevel = 4;   // 16 × 16 supersampling

// Room for the temporary image: the measured size, but no more than can
// reach the target from the text's origin (a text that starts left of the
// target keeps the part that becomes visible).
int Reach(int measured, int targetSize, int origin) {
    const long long room = static_cast<long long>(targetSize) - origin;
    return static_cast<int>(std::clamp<long long>(room, 0, measured));
}

}  // namespace

int TBitmap32::TextWidth(std::string_view text) const { return TextExtent(text).Width; }

TTextExtent TBitmap32::TextExtent(std::string_view text) const { return CurrentFontEngine()->Measure(FFont, text, 1); }

void TBitmap32::DrawText(int x, int y, std::string_view text, int level, TColor32 color) {
    level = std::clamp(level, kMinTextLevel, kMaxTextLevel);
    const std::uint8_t opacity = AlphaComponent(color);
    if (opacity == 0 || Empty() || text.empty()) return;
    const std::shared_ptr<TFontEngine> engine = CurrentFontEngine();
    // The cell is measured with one space appended, leaving room for the
    // overhang of slanted or emboldened last glyphs.
    const std::string measured = std::string(text) + ' ';

    TBitmap32 glyphs;
    if (level <= 0) {
        const TTextExtent extent = engine->Measure(FFont, measured, 1);
        const int w = Reach(extent.Width, Width(), x), h = Reach(extent.Height, Height(), y);
        if (w == 0 || h == 0) return;
        TCoverageMask mask(w, h);
        engine->Rasterize(FFont, text, level < 0, 1, mask, 0, 0);
        glyphs.Resize(w, h);
        for (int row = 0; row < h; ++row) {
            const std::uint8_t* cov = mask.Row(row);
            TColor32* dst = glyphs.RowPixels(row);
            for (int col = 0; col < w; ++col)
                if (cov[col] != 0) dst[col] = WithAlpha(color, cov[col]);
        }
    } else {
        const int scale = 1 << level;
        const TTextExtent extent = engine->Measure(FFont, measured, scale);
        const int w = Reach((extent.Width + scale) / scale, Width(), x);
        const int h = Reach((extent.Height + scale) / scale, Height(), y);
        if (w == 0 || h == 0) return;
        TCoverageMask mask(w * scale, h * scale);
        engine->Rasterize(FFont, text, false, scale, mask, 0, 0);
        glyphs.Resize(w, h);
        const int cellArea = scale * scale;
        std::vector<int> sums(static_cast<std::size_t>(w));
        for (int row = 0; row < h; ++row) {
            std::fill(sums.begin(), sums.end(), 0);
            for (int sub = 0; sub < scale; ++sub) {
                const std::uint8_t* cov = mask.Row(row * scale + sub);
                for (int col = 0; col < w; ++col)
                    for (int k = 0; k < scale; ++k) sums[col] += cov[col * scale + k];
            }
            TColor32* dst = glyphs.RowPixels(row);
            for (int col = 0; col < w; ++col)
                dst[col] = WithAlpha(color, static_cast<std::uint8_t>((sums[col] + cellArea / 2) / cellArea));
        }
    }
    glyphs.SetDrawMode(dmBlend);
    glyphs.SetMasterAlpha(opacity);
    glyphs.DrawOnto(*this, x, y);
}

}  // namespace tessel
