#pragma once
// The Alt-click bypass toggle on a band's kind label. Bypassing keeps the
// band's kind k (0..6) in the Type value itself: the value becomes
// 6.9 − k/100 (6.84 … 6.9), which rounds to 7 and so is Bypass, and the next
// Alt-click reads k back from the remainder |100·v − 690|. A band set to
// Bypass outright (7, remainder 10) has no kind to restore and stays.

#include <optional>

namespace tessel {

// The Type value to store after an Alt-click on a band whose Type value is
// `typeValue`; nothing when the band is left as it is.
std::optional<float> BypassToggleValue(float typeValue);

}  // namespace tessel
