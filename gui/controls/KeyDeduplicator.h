#pragma once
// One keystroke, one effect, whichever way it reached the editor.
//
// Hosts hand keys to a plug-in editor in different ways: through
// effEditKeyDown/Up (the framework forwards them as key messages), by
// letting the editor's window have the X focus (real X key events), or by
// sending X KeyPress events to the editor's window themselves. Some do both
// a forwarded and an X event for the same keystroke, so a digit typed into
// the value box could appear twice. A keystroke that arrives by the other
// path shortly after the same keystroke came by one is that keystroke's
// twin and is dropped; repeats by one path (the user typing "11") always
// pass. Real and sent X events count as one path: while the editor's window
// has the X focus the host never sees the key, so it cannot send it too.
//
// Threads: the editor thread (the one that applies keys). Times are
// milliseconds of a monotonic clock, stamped when each key arrived.

#include <array>
#include <cstddef>
#include <cstdint>

namespace tessel {

enum class TKeyPath : std::uint8_t { HostForwarded, Window };
enum class TKeyStroke : std::uint8_t { Down, Up, Char };

class TKeyDeduplicator {
public:
    // Two paths' copies of one keystroke arrive well within this.
    static constexpr std::uint64_t kTwinWindowMs = 150;

    // True when the key is to be applied; false for the twin of a key
    // admitted by another path within the window (each key has one twin).
    bool Admit(TKeyPath path, TKeyStroke stroke, std::int32_t code, std::uint64_t timeMs);

private:
    struct TEntry {
        TKeyPath Path = TKeyPath::HostForwarded;
        TKeyStroke Stroke = TKeyStroke::Down;
        std::int32_t Code = 0;
        std::uint64_t TimeMs = 0;
        bool Used = true;  // an empty slot, or a key whose twin has been seen
    };
    static constexpr std::size_t kRecent = 16;  // keys remembered
    std::array<TEntry, kRecent> FRecent{};
    std::size_t FNext = 0;
};

}  // namespace tessel
