#pragma once
// PNG export and import of surfaces (libpng), for tests, golden images and
// tools. Pixels are stored as 8-bit RGBA with straight alpha; loading
// converts any PNG colour type to that.

#include <string>

#include "gui/surface/CustomBitmap32.h"

namespace tessel {

// False when the surface is empty or the file cannot be written.
bool SavePng(const TCustomBitmap32& surface, const std::string& path);
// Resizes the surface to the image and fills it; false (surface unchanged)
// when the file is missing, malformed or larger than a surface may be.
bool LoadPng(TCustomBitmap32& surface, const std::string& path);

}  // namespace tessel
