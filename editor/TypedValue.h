#pragma once
// Reading a number the user typed into the editor's value box.
//
// The box is opened with the value's own display text ("1.50 kHz",
// "-3.00 dB", "1.00 Oct"), and the user may type over it with or without a
// unit, so reading is forgiving: everything but signs, digits, the decimal
// separator and the multiplier letters is dropped, and one letter scales the
// number — k = 1000, K = 1024, M = 1 000 000, m = 0.001 — which makes the
// "k" of " kHz" read back as a multiplier. What is left must then be a plain
// decimal number; "1-2", "1kk", "+-" or "abc" (nothing left) are not.
//
// Threads: any but the audio thread (builds strings).

#include <string>
#include <string_view>

namespace tessel {

// The user's number conventions as typed values are read with them.
struct TNumberConventions {
    std::string DecimalSeparator = ".";
    std::string ThousandsSeparator;  // empty: none
    std::string Currency;            // empty: none
    // The current decimal separator (TDecimalSeparator), the locale's
    // thousands separator and currency symbol.
    static TNumberConventions Current();
};

enum class TTypedValueStatus {
    Number,      // Value holds the number, multiplier applied
    Empty,       // nothing but blanks was typed: leave everything as it is
    Unreadable,  // characters that do not form a number, or of which none is kept ("abc")
};

struct TTypedValue {
    TTypedValueStatus Status = TTypedValueStatus::Empty;
    float Value = 0.0f;  // in the unit of the value typed; ±infinity beyond the float range
};

// The text without leading and trailing blanks and control characters.
std::string TrimValueText(std::string_view text);

// Only "+", "-", digits, "k", "K", "M", "m" and the decimal separator, in order.
std::string FilterValueText(std::string_view text, const TNumberConventions& conventions);

// Reads an already trimmed text: filter, multiplier, separators, number.
TTypedValue ReadTypedValue(std::string_view trimmedText, const TNumberConventions& conventions);

}  // namespace tessel
