#include "framework/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

#include "framework/DecimalSeparator.h"

namespace tessel {

namespace {

// Rounding starts from the decimal expansion to this many significant digits.
constexpr int kExpansionDigits = 18;
// Positional notation is used down to 0.000d (decimal exponent -3).
constexpr int kLowestPositionalExponent = -3;

// Significant digits of a positive finite number and its decimal exponent e:
// the number is 0.d1d2d3... x 10^e (1234 has e = 4, 0.05 has e = -1).
struct TDecimalDigits {
    std::string digits;
    int e = 0;
};

TDecimalDigits Expand(double magnitude) {
    char text[64];
    // Scientific form "d.ddddde+XX" with kExpansionDigits digits in all; locale-free.
    const auto result =
        std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, kExpansionDigits - 1);
    const std::string_view written(text, static_cast<std::size_t>(result.ptr - text));
    const auto ePos = written.find('e');
    TDecimalDigits d;
    for (char c : written.substr(0, ePos))
        if (c >= '0' && c <= '9') d.digits += c;
    int exponent = 0;
    const auto exponentText = written.substr(ePos + 1);
    const char* first = exponentText.data() + (exponentText.front() == '+' ? 1 : 0);
    std::from_chars(first, exponentText.data() + exponentText.size(), exponent);
    d.e = exponent + 1;
    return d;
}

// Keeps `precision` digits, a first dropped digit of 5 or more rounding away
// from zero, and drops trailing zeros.
void RoundTo(TDecimalDigits& d, int precision) {
    if (static_cast<int>(d.digits.size()) > precision) {
        const bool up = d.digits[static_cast<std::size_t>(precision)] >= '5';
        d.digits.resize(static_cast<std::size_t>(precision));
        if (up) {
            int i = precision - 1;
            while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9')
                d.digits[static_cast<std::size_t>(i--)] = '0';
            if (i >= 0) {
                ++d.digits[static_cast<std::size_t>(i)];
            } else {
                d.digits.insert(d.digits.begin(), '1');  // 9999.5 -> 10000
                d.digits.pop_back();
                ++d.e;
            }
        }
    }
    while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
}

std::string Positional(const TDecimalDigits& d, std::string_view separator) {
    std::string out;
    if (d.e <= 0) {
        out = "0";
        out += separator;
        out.append(static_cast<std::size_t>(-d.e), '0');
        out += d.digits;
        return out;
    }
    const auto whole = static_cast<std::size_t>(d.e);
    if (d.digits.size() <= whole) {
        out = d.digits;
        out.append(whole - d.digits.size(), '0');
        return out;
    }
    out = d.digits.substr(0, whole);
    out += separator;
    out += d.digits.substr(whole);
    return out;
}

std::string Exponential(const TDecimalDigits& d, int exponentDigits, std::string_view separator) {
    std::string out(1, d.digits.front());
    if (d.digits.size() > 1) {
        out += separator;
        out += d.digits.substr(1);
    }
    out += 'E';
    const int exponent = d.e - 1;
    if (exponent < 0) out += '-';
    std::string magnitude = std::to_string(std::abs(exponent));
    if (static_cast<int>(magnitude.size()) < exponentDigits)
        magnitude.insert(0, static_cast<std::size_t>(exponentDigits) - magnitude.size(), '0');
    return out + magnitude;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Appends a run of digits starting at pos; returns how many.
std::size_t TakeDigits(std::string_view text, std::size_t& pos, std::string& out) {
    const std::size_t start = pos;
    while (pos < text.size() && IsDigit(text[pos])) out += text[pos++];
    return pos - start;
}

}  // namespace

std::string FormatGeneral(double value, int precision, int exponentDigits, std::string_view separator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0.0) return "0";
    precision = std::clamp(precision, 1, kExpansionDigits);
    auto d = Expand(std::fabs(value));
    RoundTo(d, precision);
    const std::string sign = value < 0 ? "-" : "";
    if (d.e >= kLowestPositionalExponent && d.e <= precision) return sign + Positional(d, separator);
    return sign + Exponential(d, exponentDigits, separator);
}

std::string FormatGeneral(double value, int precision, int exponentDigits) {
    return FormatGeneral(value, precision, exponentDigits, TDecimalSeparator::Current());
}

std::string FormatFixed(double value, int precision, int digits, std::string_view separator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    precision = std::clamp(precision, 1, kExpansionDigits);
    digits = std::clamp(digits, 0, kExpansionDigits);
    TDecimalDigits d{"0", 1};
    if (value != 0.0) {
        d = Expand(std::fabs(value));
        RoundTo(d, precision);
        if (d.e > precision) {
            // Not `"-" + text`: GCC 12 at -O2 wrongly warns of overlapping copies there.
            std::string text = Exponential(d, 0, separator);
            if (value < 0) text.insert(text.begin(), '-');
            return text;
        }
        const int kept = d.e + digits;  // digits left once the decimals are cut
        if (kept < 0 || (kept == 0 && d.digits.front() < '5'))
            d = {"0", 1};
        else if (kept == 0)
            d = {"1", 1 - digits};  // 0.005 -> 0.01
        else
            RoundTo(d, kept);
    }
    const bool zero = d.digits == "0";
    std::string out = (value < 0 && !zero) ? "-" : "";
    // Whole part, then exactly `digits` decimals.
    const auto& ds = d.digits;
    auto digitAt = [&](int position) {  // position 0 is the first digit after "0."
        return position >= 0 && position < static_cast<int>(ds.size()) && !zero ? ds[static_cast<std::size_t>(position)]
                                                                                : '0';
    };
    if (zero || d.e <= 0)
        out += '0';
    else
        for (int i = 0; i < d.e; ++i) out += digitAt(i);
    if (digits > 0) {
        out += separator;
        const int start = zero ? 0 : d.e;
        for (int i = 0; i < digits; ++i) out += digitAt(start + i);
    }
    return out;
}

std::string FormatFixed(double value, int precision, int digits) {
    return FormatFixed(value, precision, digits, TDecimalSeparator::Current());
}

std::optional<double> ParseDecimal(std::string_view text, std::string_view separator) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);

    // Rebuilt in the one form from_chars reads whatever the user's separator.
    std::string plain;
    std::size_t pos = 0;
    if (text[pos] == '+' || text[pos] == '-') {
        if (text[pos] == '-') plain += '-';
        ++pos;
    }
    std::size_t mantissaDigits = TakeDigits(text, pos, plain);
    if (!separator.empty() && text.substr(pos, separator.size()) == separator) {
        pos += separator.size();
        plain += '.';
        mantissaDigits += TakeDigits(text, pos, plain);
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
        ++pos;
        plain += 'e';
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            if (text[pos] == '-') plain += '-';
            ++pos;
        }
        if (TakeDigits(text, pos, plain) == 0) return std::nullopt;
    }
    if (pos != text.size()) return std::nullopt;

    double value = 0.0;
    const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (result.ec != std::errc() || result.ptr != plain.data() + plain.size()) return std::nullopt;
    return value;
}

std::optional<double> ParseDecimal(std::string_view text) { return ParseDecimal(text, TDecimalSeparator::Current()); }

}  // namespace tessel
