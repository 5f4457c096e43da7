#include "gui/controls/KeyDeduplicator.h"

namespace tessel {

bool TKeyDeduplicator::Admit(TKeyPath path, TKeyStroke stroke, std::int32_t code, std::uint64_t timeMs) {
    // Oldest first, so that a twin pairs with the earliest unpaired original.
    for (std::size_t k = 0; k < kRecent; ++k) {
        TEntry& e = FRecent[(FNext + k) % kRecent];
        if (e.Used || e.Path == path || e.Stroke != stroke || e.Code != code) continue;
        const std::uint64_t age = timeMs >= e.TimeMs ? timeMs - e.TimeMs : e.TimeMs - timeMs;
        if (age > kTwinWindowMs) continue;
        e.Used = true;
        return false;
    }
    FRecent[FNext] = {path, stroke, code, timeMs, false};
    FNext = (FNext + 1) % kRecent;
    return true;
}

}  // namespace tessel
