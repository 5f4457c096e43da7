// Everything that touches FreeType or fontconfig lives in this file.

#include "gui/surface/FreeTypeFontEngine.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace tessel {
namespace {

// Faces stay open for the life of the process; a handful of names and
// styles is all an editor uses, so the table is small and never evicted
// below this bound.
constexpr std::size_t kMaxFaces = 64;
// Glyph images above this many bytes are dropped and rendered again.
constexpr std::size_t kMaxGlyphCacheBytes = 32u << 20;
// Slant of a synthesised italic: x += 0.2·y.
constexpr FT_Fixed kObliqueShear = 0x3333;

struct TFace {
    FT_Face Face = nullptr;
    bool SynthBold = false;
    bool SynthItalic = false;
    int CurrentPixels = 0;
};

struct TGlyphImage {
    int Left = 0;  // from the pen position to the image's first column
    int Top = 0;   // from the baseline up to the image's first row
    int Width = 0;
    int Rows = 0;
    std::vector<std::uint8_t> Coverage;
};

// Per face and size: ascent and descent in whole pixels, underline and
// strike-out geometry.
struct TLineMetrics {
    int Ascent = 0;
    int Descent = 0;
    int UnderlineOffset = 0;  // below the baseline, to the line's top
    int StrikeOffset = 0;     // above the baseline, to the line's top
    int LineThickness = 1;
};

std::uint64_t GlyphKey(std::size_t face, int pixels, bool mono, FT_UInt glyph) {
    return (static_cast<std::uint64_t>(face) << 56) | (static_cast<std::uint64_t>(pixels) << 40) |
           (static_cast<std::uint64_t>(mono) << 39) | glyph;
}

int PixelsFrom26Dot6(FT_Pos v) { return static_cast<int>((v + 32) >> 6); }
int RoundFixed(std::int64_t v) { return static_cast<int>((v + 0x8000) >> 16); }

class TFreeTypeFontEngine final : public TFontEngine {
public:
    TFreeTypeFontEngine() {
        if (FT_Init_FreeType(&FLibrary) != 0) FLibrary = nullptr;
        FConfig = FcInitLoadConfigAndFonts();
    }
    ~TFreeTypeFontEngine() override {
        for (TFace& f : FFaces)
            if (f.Face) FT_Done_Face(f.Face);
        if (FLibrary) FT_Done_FreeType(FLibrary);
        if (FConfig) FcConfigDestroy(FConfig);
    }
    TFreeTypeFontEngine(const TFreeTypeFontEngine&) = delete;
    TFreeTypeFontEngine& operator=(const TFreeTypeFontEngine&) = delete;

    TTextExtent Measure(const TFont32& font, std::string_view utf8, int magnification) override {
        std::lock_guard lock(FMutex);
        const int pixels = FontEmPixels(font, magnification);
        const std::size_t faceId = FaceFor(font);
        if (!Select(faceId, pixels)) return {};
        const TLineMetrics m = LineMetrics(faceId);
        std::int64_t pen = 0;  // 16.16 pixels
        for (char32_t cp : DecodeUtf8(utf8)) pen += Advance(faceId, pixels, GlyphIndex(faceId, cp));
        return {RoundFixed(pen), m.Ascent + m.Descent};
    }

    void Rasterize(const TFont32& font, std::string_view utf8, bool smooth, int magnification, TCoverageMask& mask,
                   int x, int y) override {
        std::lock_guard lock(FMutex);
        const int pixels = FontEmPixels(font, magnification);
        const std::size_t faceId = FaceFor(font);
        if (!Select(faceId, pixels)) return;
        const TLineMetrics m = LineMetrics(faceId);
        const int baseline = y + m.Ascent;
        std::int64_t pen = 0;  // 16.16 pixels from x; each glyph starts at the rounded pen
        for (char32_t cp : DecodeUtf8(utf8)) {
            const FT_UInt glyph = GlyphIndex(faceId, cp);
            if (const TGlyphImage* image = Image(faceId, pixels, glyph, !smooth))
                Paint(*image, x + RoundFixed(pen) + image->Left, baseline - image->Top, mask);
            pen += Advance(faceId, pixels, glyph);
        }
        const int end = x + RoundFixed(pen);
        if (font.Style.Underline) PaintBar(mask, x, end, baseline + m.UnderlineOffset, m.LineThickness);
        if (font.Style.StrikeOut) PaintBar(mask, x, end, baseline - m.StrikeOffset, m.LineThickness);
    }

private:
    static void Paint(const TGlyphImage& image, int left, int top, TCoverageMask& mask) {
        for (int row = 0; row < image.Rows; ++row) {
            const std::uint8_t* src = image.Coverage.data() + static_cast<std::size_t>(row) * image.Width;
            for (int col = 0; col < image.Width; ++col) mask.Paint(left + col, top + row, src[col]);
        }
    }

    static void PaintBar(TCoverageMask& mask, int x1, int x2, int top, int thickness) {
        for (int row = top; row < top + thickness; ++row)
            for (int col = x1; col < x2; ++col) mask.Paint(col, row, 255);
    }

    // Index into FFaces of the face for the font's name and weight/slant,
    // opening it through fontconfig on first use. An index whose Face is
    // null stands for "no usable face" (nothing is measured or drawn).
    std::size_t FaceFor(const TFont32& font) {
        std::string key = font.Name;
        key += font.Style.Bold ? "|b" : "|r";
        key += font.Style.Italic ? "i" : "r";
        if (auto it = FFaceIds.find(key); it != FFaceIds.end()) return it->second;
        if (FFaces.size() >= kMaxFaces) return 0;  // table full: the first face stands in
        FFaces.push_back(OpenFace(font.Name, font.Style.Bold, font.Style.Italic));
        FFaceIds.emplace(key, FFaces.size() - 1);
        return FFaces.size() - 1;
    }

    TFace OpenFace(const std::string& name, bool bold, bool italic) {
        TFace result;
        if (!FLibrary || !FConfig) return result;
        FcPattern* pattern = FcPatternCreate();
        if (!pattern) return result;
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(FConfig, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult matchResult = FcResultNoMatch;
        FcPattern* match = FcFontMatch(FConfig, pattern, &matchResult);
        FcPatternDestroy(pattern);
        if (!match) return result;

        FcChar8* file = nullptr;
        int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
            FcPatternGetInteger(match, FC_SLANT, 0, &slant);
            if (FT_New_Face(FLibrary, reinterpret_cast<const char*>(file), index, &result.Face) != 0)
                result.Face = nullptr;
        }
        FcPatternDestroy(match);
        if (result.Face && !FT_IS_SCALABLE(result.Face)) {
            FT_Done_Face(result.Face);
            result.Face = nullptr;
        }
        result.SynthBold = bold && weight < FC_WEIGHT_DEMIBOLD;
        result.SynthItalic = italic && slant == FC_SLANT_ROMAN;
        return result;
    }

    bool Select(std::size_t faceId, int pixels) {
        TFace& f = FFaces[faceId];
        if (!f.Face) return false;
        if (f.CurrentPixels == pixels) return true;
        if (FT_Set_Pixel_Sizes(f.Face, 0, static_cast<FT_UInt>(pixels)) != 0) return false;
        f.CurrentPixels = pixels;
        return true;
    }

    FT_UInt GlyphIndex(std::size_t faceId, char32_t cp) {
        return FT_Get_Char_Index(FFaces[faceId].Face, static_cast<FT_ULong>(cp));
    }

    TLineMetrics LineMetrics(std::size_t faceId) const {
        const FT_Face face = FFaces[faceId].Face;
        const FT_Size_Metrics& sm = face->size->metrics;
        TLineMetrics m;
        m.Ascent = static_cast<int>(sm.ascender >> 6);
        m.Descent = static_cast<int>(-(sm.descender >> 6));
        const FT_Pos thickness = FT_MulFix(face->underline_thickness, sm.y_scale);
        m.LineThickness = std::max(1, PixelsFrom26Dot6(thickness));
        const FT_Pos underline = FT_MulFix(face->underline_position, sm.y_scale);
        m.UnderlineOffset = std::max(1, PixelsFrom26Dot6(-underline) - m.LineThickness / 2);
        FT_Pos strike = sm.y_ppem * 64 / 4;  // a quarter em when the face has no OS/2 table
        if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)))
            strike = FT_MulFix(os2->yStrikeoutPosition, sm.y_scale);
        m.StrikeOffset = PixelsFrom26Dot6(strike) + m.LineThickness / 2;
        return m;
    }

    // Loads a glyph's outline with the given load flags, applying synthetic
    // bold/italic; returns the extra advance (26.6) that emboldening adds,
    // or -1 when the glyph cannot be loaded.
    FT_Pos LoadOutline(std::size_t faceId, FT_UInt glyph, FT_Int32 target) {
        const TFace& f = FFaces[faceId];
        if (FT_Load_Glyph(f.Face, glyph, target) != 0) return -1;
        FT_GlyphSlot slot = f.Face->glyph;
        if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return 0;
        FT_Pos extra = 0;
        if (f.SynthItalic) {
            FT_Matrix shear{0x10000, kObliqueShear, 0, 0x10000};
            FT_Outline_Transform(&slot->outline, &shear);
        }
        if (f.SynthBold) {
            extra = FT_MulFix(f.Face->units_per_EM, f.Face->size->metrics.y_scale) / 24;
            FT_Outline_Embolden(&slot->outline, extra);
        }
        return extra;
    }

    // Unhinted advance in 16.16 pixels (plus what emboldening adds): the
    // same for bilevel and smoothed rendering and exactly proportional to
    // the em, so text measures alike at every magnification.
    FT_Fixed Advance(std::size_t faceId, int pixels, FT_UInt glyph) {
        const std::uint64_t key = GlyphKey(faceId, pixels, false, glyph);
        if (auto it = FAdvances.find(key); it != FAdvances.end()) return it->second;
        const FT_Pos extra = LoadOutline(faceId, glyph, FT_LOAD_NO_HINTING);
        const FT_Fixed advance = extra < 0 ? 0 : FFaces[faceId].Face->glyph->linearHoriAdvance + extra * 1024;
        FAdvances.emplace(key, advance);
        return advance;
    }

    const TGlyphImage* Image(std::size_t faceId, int pixels, FT_UInt glyph, bool mono) {
        const std::uint64_t key = GlyphKey(faceId, pixels, mono, glyph);
        if (auto it = FImages.find(key); it != FImages.end()) return &it->second;
        if (FImageBytes > kMaxGlyphCacheBytes) {
            FImages.clear();
            FImageBytes = 0;
        }
        TGlyphImage image;
        if (LoadOutline(faceId, glyph, FT_LOAD_DEFAULT | (mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL)) >= 0) {
            FT_GlyphSlot slot = FFaces[faceId].Face->glyph;
            if (FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) == 0)
                image = CopyBitmap(slot);
        }
        FImageBytes += image.Coverage.size() + sizeof(TGlyphImage);
        return &FImages.emplace(key, std::move(image)).first->second;
    }

    static TGlyphImage CopyBitmap(FT_GlyphSlot slot) {
        const FT_Bitmap& bm = slot->bitmap;
        TGlyphImage image;
        image.Left = slot->bitmap_left;
        image.Top = slot->bitmap_top;
        image.Width = static_cast<int>(bm.width);
        image.Rows = static_cast<int>(bm.rows);
        image.Coverage.assign(static_cast<std::size_t>(image.Width) * image.Rows, 0);
        for (int row = 0; row < image.Rows; ++row) {
            const unsigned char* src = bm.buffer + static_cast<std::ptrdiff_t>(row) * bm.pitch;
            std::uint8_t* dst = image.Coverage.data() + static_cast<std::size_t>(row) * image.Width;
            for (int col = 0; col < image.Width; ++col) {
                if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                    dst[col] = (src[col >> 3] & (0x80 >> (col & 7))) ? 255 : 0;
                else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY)
                    dst[col] = static_cast<std::uint8_t>(
                        bm.num_grays == 256 ? src[col] : src[col] * 255 / std::max(1, bm.num_grays - 1));
            }
        }
        return image;
    }

    std::mutex FMutex;
    FT_Library FLibrary = nullptr;
    FcConfig* FConfig = nullptr;
    std::vector<TFace> FFaces;
    std::unordered_map<std::string, std::size_t> FFaceIds;
    std::unordered_map<std::uint64_t, FT_Fixed> FAdvances;
    std::unordered_map<std::uint64_t, TGlyphImage> FImages;
    std::size_t FImageBytes = 0;
};

}  // namespace

std::shared_ptr<TFontEngine> CreateFreeTypeFontEngine() { return std::make_shared<TFreeTypeFontEngine>(); }

}  // namespace tessel
