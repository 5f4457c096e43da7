#include "host/tools/WindowCapture.h"

#include <X11/Xutil.h>

#include <bit>
#include <cstdint>

namespace tessel::host::tool {
namespace {

// One 8-bit channel out of a pixel value by its mask (any visual layout),
// rounded to nearest: a channel widened from 8 bits comes back unchanged.
std::uint8_t Channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const unsigned long max = mask >> shift;
    return static_cast<std::uint8_t>((((pixel & mask) >> shift) * 255 + max / 2) / max);
}

}  // namespace

bool CaptureWindow(Display* display, Window window, TBitmap32& surface) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) return false;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    surface.Resize(image->width, image->height);
    for (int y = 0; y < image->height; ++y) {
        TColor32* row = surface.RowPixels(y);
        for (int x = 0; x < image->width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            row[x] = Color32(Channel(p, image->red_mask), Channel(p, image->green_mask), Channel(p, image->blue_mask));
        }
    }
    XDestroyImage(image);
    return true;
}

}  // namespace tessel::host::tool
