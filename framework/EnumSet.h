#pragma once
// A set of enumeration members held in one word, member n being bit n —
// the shape the VST 2 record gives its flag fields and can-do masks.
//
// A value type: every function is [any-thread, lock-free] on its own copy.

#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace tessel {

template <class E>
class TEnumSet {
    static_assert(std::is_enum_v<E>);

public:
    using Bits = std::uint32_t;

    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> members) {
        for (E m : members) Include(m);
    }
    static constexpr TEnumSet FromBits(Bits bits) {
        TEnumSet s;
        s.FBits = bits;
        return s;
    }

    constexpr bool Contains(E m) const { return (FBits & Bit(m)) != 0; }
    constexpr void Include(E m) { FBits |= Bit(m); }
    constexpr void Exclude(E m) { FBits &= ~Bit(m); }
    constexpr Bits ToBits() const { return FBits; }
    constexpr bool Empty() const { return FBits == 0; }
    friend constexpr bool operator==(TEnumSet, TEnumSet) = default;

private:
    static constexpr Bits Bit(E m) { return Bits{1} << static_cast<unsigned>(m); }
    Bits FBits = 0;
};

}  // namespace tessel
