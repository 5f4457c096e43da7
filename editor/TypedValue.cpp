#include "editor/TypedValue.h"

#include <array>
#include <clocale>
#include <cmath>
#include <limits>

#include "framework/DecimalSeparator.h"
#include "framework/NumberText.h"

namespace tessel {

namespace {

struct TMultiplier {
    char letter;
    double factor;
};
// Tested in this order; the first letter present wins and only its first
// occurrence is taken out ("1kk" keeps a "k" and is not a number).
constexpr std::array<TMultiplier, 4> kMultipliers = {{
    {'k', 1000.0},
    {'K', 1024.0},
    {'M', 1000000.0},
    {'m', 0.001},
}};

bool IsKeptCharacter(char c) {
    if (c >= '0' && c <= '9') return true;
    switch (c) {
        case '+':
        case '-':
        case 'k':
        case 'K':
        case 'M':
        case 'm':
            return true;
        default:
            return false;
    }
}

void RemoveAll(std::string& text, std::string_view what) {
    if (what.empty()) return;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at)) text.erase(at, what.size());
}

// A double beyond the float range becomes ±infinity instead of an undefined conversion.
float ToFloat(double value) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (value > kMax) return std::numeric_limits<float>::infinity();
    if (value < -kMax) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

}  // namespace

TNumberConventions TNumberConventions::Current() {
    TNumberConventions result;
    result.DecimalSeparator = TDecimalSeparator::Current();
    if (const std::lconv* lc = std::localeconv()) {
        if (lc->thousands_sep) result.ThousandsSeparator = lc->thousands_sep;
        if (lc->currency_symbol) result.Currency = lc->currency_symbol;
    }
    return result;
}

std::string TrimValueText(std::string_view text) {
    // Blanks and control characters are the bytes up to and including space.
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t first = 0, last = text.size();
    while (first < last && blank(text[first])) ++first;
    while (last > first && blank(text[last - 1])) --last;
    return std::string(text.substr(first, last - first));
}

std::string FilterValueText(std::string_view text, const TNumberConventions& conventions) {
    const std::string_view separator = conventions.DecimalSeparator;
    std::string kept;
    for (std::size_t i = 0; i < text.size();) {
        // The separator may be more than one byte (UTF-8); it is kept whole.
        if (!separator.empty() && text.substr(i, separator.size()) == separator) {
            kept += separator;
            i += separator.size();
            continue;
        }
        if (IsKeptCharacter(text[i])) kept += text[i];
        ++i;
    }
    return kept;
}

TTypedValue ReadTypedValue(std::string_view trimmedText, const TNumberConventions& conventions) {
    std::string text = FilterValueText(trimmedText, conventions);
    // Characters of which nothing is left ("abc") are as much a failure as
    // ones that do not form a number; only a blank text is empty.
    if (text.empty()) return {trimmedText.empty() ? TTypedValueStatus::Empty : TTypedValueStatus::Unreadable, 0.0f};

    double factor = 1.0;
    for (const auto& m : kMultipliers) {
        if (const auto at = text.find(m.letter); at != std::string::npos) {
            factor = m.factor;
            text.erase(at, 1);
            break;
        }
    }
    RemoveAll(text, conventions.Currency);
    RemoveAll(text, " ");
    RemoveAll(text, conventions.ThousandsSeparator);

    const auto number = ParseDecimal(text, conventions.DecimalSeparator);
    if (!number) return {TTypedValueStatus::Unreadable, 0.0f};
    return {TTypedValueStatus::Number, ToFloat(*number * factor)};
}

}  // namespace tessel
