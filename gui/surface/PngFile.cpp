#include "gui/surface/PngFile.h"

#include <png.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace tessel {

// TColor32 in memory on a little-endian machine is B, G, R, A: exactly
// libpng's BGRA format, so rows go to and from libpng without conversion.
static_assert(std::endian::native == std::endian::little);

bool SavePng(const TCustomBitmap32& surface, const std::string& path) {
    if (surface.Empty()) return false;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(surface.Width());
    image.height = static_cast<png_uint_32>(surface.Height());
    image.format = PNG_FORMAT_BGRA;
    const int ok = png_image_write_to_file(&image, path.c_str(), 0, surface.Bits(), 0, nullptr);
    png_image_free(&image);
    return ok != 0;
}

bool LoadPng(TCustomBitmap32& surface, const std::string& path) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    if (image.width == 0 || image.height == 0 || image.width > TCustomBitmap32::kMaxSide ||
        image.height > TCustomBitmap32::kMaxSide) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_BGRA;
    const int w = static_cast<int>(image.width), h = static_cast<int>(image.height);
    std::vector<TColor32> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    surface.Resize(w, h);
    std::copy(pixels.begin(), pixels.end(), surface.Bits());
    return true;
}

}  // namespace tessel
