#pragma once
// The FreeType engine behind TFontEngine: faces are found by fontconfig from
// the face name ("Verdana" resolves to the closest installed face) and kept
// open, glyph images are cached per face, size and rendering mode. A face
// lacking a requested bold or italic is emboldened or slanted.
// Thread-safe: one engine serves every surface of the process.

#include <memory>

#include "gui/surface/FontEngine.h"

namespace tessel {

std::shared_ptr<TFontEngine> CreateFreeTypeFontEngine();

}  // namespace tessel
