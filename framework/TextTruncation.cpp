#include "framework/TextTruncation.h"

namespace tessel {

namespace {
bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0u) == 0x80u; }
}  // namespace

std::string TruncatedText(std::string_view text, std::size_t characters) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsContinuationByte(text[i])) continue;
        if (seen == characters) return std::string(text.substr(0, i));
        ++seen;
    }
    return std::string(text);
}

}  // namespace tessel
