#include "host/tools/Format.h"

#include <array>
#include <cstdio>

#include "framework/VSTAbi.h"

namespace tessel::host::tool {
namespace {

constexpr int kFlagBits = 32;

// Names of the effect-flag bits 0..12; later bits print as "bitN".
constexpr std::array<const char*, 13> kEffectFlagNames = {
    "HasEditor", "HasClip", "HasVu",         "CanMono",    "CanReplacing", "ProgramChunks",     "Unused1",
    "Unused2",   "IsSynth", "NoSoundInStop", "ExtIsAsync", "ExtHasBuffer", "CanDoubleReplacing"};

constexpr std::array<const char*, 3> kPinFlagNames = {"IsActive", "IsStereo", "UseSpeaker"};

// VST 2 plug-in category numbers 0..11.
constexpr std::array<const char*, 12> kCategoryNames = {"Unknown",     "Effect",         "Synth",  "Analysis",
                                                        "Mastering",   "Spacializer",    "RoomFx", "SurroundFx",
                                                        "Restoration", "OfflineProcess", "Shell",  "Generator"};

template <size_t N>
std::string BitNames(int32_t flags, const std::array<const char*, N>& names) {
    const auto bits = static_cast<uint32_t>(flags);
    std::string text;
    for (int bit = 0; bit < kFlagBits; ++bit) {
        if ((bits & (1u << bit)) == 0) continue;
        if (!text.empty()) text += " | ";
        text +=
            static_cast<size_t>(bit) < N ? std::string(names[static_cast<size_t>(bit)]) : "bit" + std::to_string(bit);
    }
    return text.empty() ? "none" : text;
}

std::string EscapedByte(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02X", byte);
    return text;
}

}  // namespace

std::string Hex32(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<uint32_t>(value));
    return text;
}

std::string FourCharText(int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    std::string text = "'";
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto byte = static_cast<unsigned char>((bits >> shift) & 0xFFu);
        text +=
            (byte >= 0x20 && byte < 0x7F && byte != '\'') ? std::string(1, static_cast<char>(byte)) : EscapedByte(byte);
    }
    return text + "'";
}

std::string QuotedText(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            quoted += EscapedByte(byte);
        } else {
            quoted += c;  // UTF-8 passes through
        }
    }
    return quoted + "\"";
}

std::string EffectFlagNames(int32_t flags) { return BitNames(flags, kEffectFlagNames); }

std::string PinFlagNames(int32_t flags) { return BitNames(flags, kPinFlagNames); }

std::string PlugCategoryName(intptr_t category) {
    if (category >= 0 && static_cast<size_t>(category) < kCategoryNames.size())
        return kCategoryNames[static_cast<size_t>(category)];
    return "category " + std::to_string(category);
}

std::string CanDoAnswerText(intptr_t answer) {
    switch (answer) {
        case 1:
            return "yes";
        case -1:
            return "no";
        case 0:
            return "don't know";
        default:
            return "answer " + std::to_string(answer);
    }
}

}  // namespace tessel::host::tool
