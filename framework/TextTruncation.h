#pragma once
// Names are cut when they are assigned (parameter names to 30 characters,
// short labels to 7, program names to 50). Texts are UTF-8; a character is a
// code point, so a cut never splits one.

#include <cstddef>
#include <string>
#include <string_view>

namespace tessel {

// The first `characters` code points of text (all of it when shorter). [any-thread]
std::string TruncatedText(std::string_view text, std::size_t characters);

}  // namespace tessel
