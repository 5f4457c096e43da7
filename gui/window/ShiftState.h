#pragma once
// Modifier keys and mouse buttons held during an input event, as the
// controls and the editor's handlers see them. The window layer fills this
// from X's state mask; headless tests build it by hand.

namespace tessel {

enum class TMouseButton { Left, Right, Middle };
// One bit per button, for sets of buttons held.
inline unsigned ButtonBit(TMouseButton button) { return 1u << static_cast<unsigned>(button); }

struct TShiftState {
    bool Shift = false;
    bool Alt = false;
    bool Ctrl = false;
    bool Left = false;  // mouse buttons held
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
// Letters and digits are their upper-case ASCII codes ('A' = 65, '0' = 48).
inline constexpr int vkClear = 12;
inline constexpr int vkPause = 19;
inline constexpr int vkCapital = 20;   // Caps Lock
inline constexpr int vkSnapshot = 44;  // Print
inline constexpr int vkLWin = 91;
inline constexpr int vkRWin = 92;
inline constexpr int vkApps = 93;     // context-menu key
inline constexpr int vkNumpad0 = 96;  // .. vkNumpad0 + 9
inline constexpr int vkMultiply = 106;
inline constexpr int vkAdd = 107;
inline constexpr int vkSeparator = 108;
inline constexpr int vkSubtract = 109;
inline constexpr int vkDecimal = 110;
inline constexpr int vkDivide = 111;
inline constexpr int vkF1 = 112;  // .. vkF1 + 23 (F24)
inline constexpr int vkNumLock = 144;
inline constexpr int vkScroll = 145;
// Punctuation keys of a US layout: ; = , - . / ` [ \ ] '
inline constexpr int vkOemSemicolon = 186;
inline constexpr int vkOemPlus = 187;
inline constexpr int vkOemComma = 188;
inline constexpr int vkOemMinus = 189;
inline constexpr int vkOemPeriod = 190;
inline constexpr int vkOemSlash = 191;
inline constexpr int vkOemTilde = 192;
inline constexpr int vkOemOpenBracket = 219;
inline constexpr int vkOemBackslash = 220;
inline constexpr int vkOemCloseBracket = 221;
inline constexpr int vkOemQuote = 222;

}  // namespace tessel
