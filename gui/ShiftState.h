#pragma once
// Modifier keys and mouse buttons held during an input event, as the
// controls and the editor's handlers see them. The window layer fills this
// from X's state mask; headless tests build it by hand.

namespace tessel {

enum class TMouseButton { Left, Right, Middle };

struct TShiftState {
    bool Shift = false;
    bool Alt = false;
    bool Ctrl = false;
    bool Left = false;    // mouse buttons held
    bool Right = false;
    bool Middle = false;
    // Set on the second press of a double click (the window layer decides
    // what counts as one).
    bool Double = false;
    friend constexpr bool operator==(const TShiftState&, const TShiftState&) = default;
};

// Platform virtual-key codes the controls react to (the codes forwarded
// host keys are translated into, and the X layer produces from keysyms).
inline constexpr int vkBack = 8;
inline constexpr int vkTab = 9;
inline constexpr int vkReturn = 13;
inline constexpr int vkShift = 16;
inline constexpr int vkControl = 17;
inline constexpr int vkMenu = 18;  // Alt
inline constexpr int vkEscape = 27;
inline constexpr int vkSpace = 32;
inline constexpr int vkPrior = 33;
inline constexpr int vkNext = 34;
inline constexpr int vkEnd = 35;
inline constexpr int vkHome = 36;
inline constexpr int vkLeft = 37;
inline constexpr int vkUp = 38;
inline constexpr int vkRight = 39;
inline constexpr int vkDown = 40;
inline constexpr int vkInsert = 45;
inline constexpr int vkDelete = 46;

}  // namespace tessel
