#include "gui/surface/FontEngine.h"

#include <algorithm>
#include <mutex>

#include "gui/surface/FreeTypeFontEngine.h"

namespace tessel {
namespace {

std::mutex gEngineMutex;
std::shared_ptr<TFontEngine> gEngine;

constexpr char32_t kReplacementCharacter = 0xFFFD;

}  // namespace

TCoverageMask::TCoverageMask(int width, int height)
    : FWidth(std::max(width, 0)),
      FHeight(std::max(height, 0)),
      FData(static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(FHeight), 0) {}

std::uint8_t TCoverageMask::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return 0;
    return Row(y)[x];
}

void TCoverageMask::Paint(int x, int y, std::uint8_t coverage) {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight || coverage == 0) return;
    std::uint8_t& v = Row(y)[x];
    v = static_cast<std::uint8_t>(v + ((255 - v) * coverage + 127) / 255);
}

int FontEmPixels(const TFont32& font, int magnification) {
    const long long em =
        static_cast<long long>(FontPixelsFromPoints(font.Size, font.Percent)) * std::max(magnification, 1);
    return static_cast<int>(std::min<long long>(em, kMaxFontPixels));
}

std::shared_ptr<TFontEngine> CurrentFontEngine() {
    std::lock_guard lock(gEngineMutex);
    if (!gEngine) gEngine = CreateFreeTypeFontEngine();
    return gEngine;
}

void SetFontEngine(std::shared_ptr<TFontEngine> engine) {
    std::lock_guard lock(gEngineMutex);
    gEngine = std::move(engine);
}

std::u32string DecodeUtf8(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        int extra;
        char32_t cp;
        if (lead < 0x80) {
            extra = 0;
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            cp = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            cp = lead & 0x07;
        } else {
            out.push_back(kReplacementCharacter);
            ++i;
            continue;
        }
        bool ok = i + static_cast<std::size_t>(extra) < utf8.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const auto cont = static_cast<unsigned char>(utf8[i + k]);
            if ((cont & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (cont & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are malformed.
        static constexpr char32_t kMinForLength[] = {0, 0x80, 0x800, 0x10000};
        if (ok && (cp < kMinForLength[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
        if (!ok) {
            out.push_back(kReplacementCharacter);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

}  // namespace tessel
