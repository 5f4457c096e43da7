#pragma once
// Numbers as the host and the user read and type them.
//
// FormatGeneral writes the shortest of positional and exponent notation for a
// given number of significant digits (parameter displays use 4 digits and a
// 4-digit exponent: 12345 -> "1.235E0004", 0.00005 -> "5E-0005").
// FormatFixed rounds to a number of significant digits first, then writes
// exactly `digits` decimals (gain 4 digits, 2 decimals: -3.004 -> "-3.00";
// frequency 5 and 2: 440 -> "440.00"); a value with more whole digits than
// the precision falls back to exponent notation. Zero is never signed.
// ParseDecimal reads a plain decimal number: optional spaces around it, an
// optional sign, digits with the decimal separator, an optional exponent.
// Both take the separator explicitly or use TDecimalSeparator::Current().
//
// Threads: [any-thread], every function; not for the audio thread (they build strings).

#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// precision: significant digits (1..18); exponentDigits: minimum exponent width.
std::string FormatGeneral(double value, int precision, int exponentDigits, std::string_view separator);
std::string FormatGeneral(double value, int precision, int exponentDigits);

// precision: significant digits (1..18); digits: decimals (0..18).
std::string FormatFixed(double value, int precision, int digits, std::string_view separator);
std::string FormatFixed(double value, int precision, int digits);

// The number, or nothing when the text is anything but a plain decimal number
// or its value is out of the range of a double.
std::optional<double> ParseDecimal(std::string_view text, std::string_view separator);
std::optional<double> ParseDecimal(std::string_view text);

}  // namespace tessel
