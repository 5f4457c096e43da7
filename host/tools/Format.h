// Text forms of VST 2 values for tessel-host's reports.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessel::host::tool {

std::string Hex32(int32_t value);                 // "0x56737450"
std::string FourCharText(int32_t value);          // "'VstP'"; unprintable bytes as \xNN
std::string QuotedText(std::string_view text);    // "\"text\"" with control bytes escaped
std::string EffectFlagNames(int32_t flags);       // "HasEditor | CanReplacing", "none"
std::string PinFlagNames(int32_t flags);          // "IsActive | IsStereo", "none"
std::string PlugCategoryName(intptr_t category);  // "Effect", "category 42"
std::string CanDoAnswerText(intptr_t answer);     // "yes", "no", "don't know", "answer 7"

}  // namespace tessel::host::tool
