// Writing numbers for parameter displays and reading typed numbers, with the
// decimal separator the locale gives (fixed here to "." and ",").

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <limits>
#include <string>
#include <tuple>

#include "framework/DecimalSeparator.h"
#include "framework/NumberText.h"

namespace tessel {
namespace {

TEST(NumberText, GeneralFormatWithPointAndComma) {
    // Precision 4, exponent width 4: what effGetParamDisplay shows.
    const std::pair<double, std::string> cases[] =
        {
            {0.5, "0.5"},          {-7.25, "-7.25"},  {632.158, "632.2"},     {9999, "9999"},
            {12345, "1.235E0004"}, {20000, "2E0004"}, {0.0001, "0.0001"},     {0.00005, "5E-0005"},
            {0.1f, "0.1"},         {-0.0, "0"},       {1.5e-10, "1.5E-0010"}, {-0.00123456, "-0.001235"},
            {9999.5, "1E0004"},  // the rounding carries into a new digit
        };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(FormatGeneral(value, 4, 4, "."), text) << value;
        std::string comma = text;
        std::replace(comma.begin(), comma.end(), '.', ',');
        EXPECT_EQ(FormatGeneral(value, 4, 4, ","), comma) << value;
    }
    // Chunk-mode displays: 15 digits, unpadded exponent.
    EXPECT_EQ(FormatGeneral(0.1f, 15, 0, "."), "0.100000001490116");
    EXPECT_EQ(FormatGeneral(123456789012345678.0, 15, 0, "."), "1.23456789012346E17");
    EXPECT_EQ(FormatGeneral(-std::numeric_limits<double>::infinity(), 4, 4, "."), "-INF");
}

TEST(NumberText, FixedFormatRoundsToSignificantDigitsThenDecimals) {
    // (value, significant digits) -> two decimals, as the editor's value texts.
    const std::tuple<double, int, std::string> cases[] = {
        {-3.004, 4, "-3.00"},    {12.5, 4, "12.50"},    {0.35, 4, "0.35"},       {0.005, 4, "0.01"},
        {-0.001, 4, "0.00"},     {440.0, 5, "440.00"},  {999.996, 5, "1000.00"}, {123456.0, 5, "1.2346E5"},
        {19.99996, 5, "20.00"},  {12.3456, 4, "12.35"}, {0.099995, 2, "0.10"},   {1.26, 2, "1.30"},
        {10.000498, 4, "10.00"}, {0.0, 4, "0.00"},
    };
    for (const auto& [value, precision, text] : cases) EXPECT_EQ(FormatFixed(value, precision, 2, "."), text) << value;
    EXPECT_EQ(FormatFixed(-1.5, 4, 2, ","), "-1,50");
}

TEST(NumberText, ParsesPlainDecimalNumbersOnly) {
    const std::pair<const char*, double> good[] = {{"1000", 1000}, {"  -7.25 ", -7.25}, {"+3", 3}, {"1.5E3", 1500},
                                                   {"2e-2", 0.02}, {".5", 0.5},         {"5.", 5}};
    for (const auto& [text, value] : good) EXPECT_EQ(ParseDecimal(text, "."), value) << text;
    EXPECT_EQ(ParseDecimal("-1,5E2", ","), -150.0);
    for (const char* bad :
         {"", "   ", "1000 Hz", "1,000", "E5", "1e", ".", "--1", "1.2.3", "0x10", "nan", "1e400", "\t1"})
        EXPECT_FALSE(ParseDecimal(bad, ".")) << '"' << bad << '"';
    EXPECT_FALSE(ParseDecimal("1.5", ","));
}

TEST(NumberText, SeparatorComesFromLocaleUnlessFixed) {
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(TDecimalSeparator::Current(), ".");
    {
        TDecimalSeparatorScope comma(",");
        EXPECT_EQ(FormatGeneral(-7.25, 4, 4), "-7,25");
        EXPECT_EQ(ParseDecimal("0,25"), 0.25);
        EXPECT_FALSE(ParseDecimal("0.25"));
    }
    EXPECT_EQ(FormatGeneral(-7.25, 4, 4), "-7.25");
}

}  // namespace
}  // namespace tessel
