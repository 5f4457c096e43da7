// Writing numbers for parameter displays and reading typed numbers, with the
// decimal separator the user's locale gives (fixed here to "." and ",").

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "framework/DecimalSeparator.h"
#include "framework/NumberText.h"

namespace tessel {
namespace {

struct TFormatCase {
    double value;
    const char* text;  // with "." as the separator
};

// Precision 4, exponent width 4: what effGetParamDisplay shows.
constexpr TFormatCase kDisplayCases[] = {
    {0.5, "0.5"},       {-7.25, "-7.25"},      {632.158, "632.2"},    {9999, "9999"},
    {12345, "1.235E0004"}, {20000, "2E0004"},  {0.0001, "0.0001"},    {0.00005, "5E-0005"},
    {0.1f, "0.1"},      {0.0, "0"},            {-0.0, "0"},           {1000, "1000"},
    {9999.5, "1E0004"},  // rounding carries into a new digit
    {-0.00123456, "-0.001235"}, {112.40387f, "112.4"}, {1.5e-10, "1.5E-0010"},
};

std::string WithComma(std::string text) {
    for (auto& c : text)
        if (c == '.') c = ',';
    return text;
}

TEST(NumberText, GeneralFormatWithPointAndComma) {
    for (const auto& c : kDisplayCases) {
        EXPECT_EQ(FormatGeneral(c.value, 4, 4, "."), c.text) << c.value;
        EXPECT_EQ(FormatGeneral(c.value, 4, 4, ","), WithComma(c.text)) << c.value;
    }
}

TEST(NumberText, ChunkPrecisionAndUnpaddedExponent) {
    EXPECT_EQ(FormatGeneral(0.1f, 15, 0, "."), "0.100000001490116");  // the float's own digits
    EXPECT_EQ(FormatGeneral(1e20, 15, 0, "."), "1E20");
    EXPECT_EQ(FormatGeneral(123456789012345678.0, 15, 0, "."), "1.23456789012346E17");
    EXPECT_EQ(FormatGeneral(-2.5e-7, 15, 0, "."), "-2.5E-7");
    EXPECT_EQ(FormatGeneral(440, 15, 0, ","), "440");
}

TEST(NumberText, NonFiniteValuesHaveTexts) {
    EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::quiet_NaN(), 4, 4, "."), "NAN");
    EXPECT_EQ(FormatGeneral(-std::numeric_limits<double>::infinity(), 4, 4, "."), "-INF");
}

TEST(NumberText, ParsesPlainDecimalNumbers) {
    struct TCase {
        const char* text;
        double value;
    };
    const TCase point[] = {{"1000", 1000},     {"  -7.25 ", -7.25}, {"+3", 3},    {"1.5E3", 1500},
                           {"2e-2", 0.02},     {".5", 0.5},         {"5.", 5},    {"-1.25e+1", -12.5},
                           {"0000.0001", 1e-4}};
    for (const auto& c : point) {
        const auto parsed = ParseDecimal(c.text, ".");
        ASSERT_TRUE(parsed) << c.text;
        EXPECT_DOUBLE_EQ(*parsed, c.value) << c.text;
    }
    EXPECT_DOUBLE_EQ(*ParseDecimal(" 0,5", ","), 0.5);
    EXPECT_DOUBLE_EQ(*ParseDecimal("-1,5E2", ","), -150);
}

TEST(NumberText, RejectsAnythingElse) {
    const char* point[] = {"",     "   ",   "1000 Hz", "1,000", "E5",   "1e",  ".",  "--1",
                           "+-1",  "1e+",   "1.2.3",   "0x10",  "nan",  "inf", "1 000", "1e400"};
    for (const char* text : point) EXPECT_FALSE(ParseDecimal(text, ".")) << '"' << text << '"';
    EXPECT_FALSE(ParseDecimal("1.5", ","));  // the other separator
    EXPECT_FALSE(ParseDecimal("\t1", "."));  // only spaces are trimmed
}

TEST(NumberText, SeparatorComesFromLocaleUnlessFixed) {
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(TDecimalSeparator::Current(), ".");
    {
        TDecimalSeparatorScope comma(",");
        EXPECT_EQ(TDecimalSeparator::Current(), ",");
        EXPECT_EQ(FormatGeneral(-7.25, 4, 4), "-7,25");
        EXPECT_DOUBLE_EQ(*ParseDecimal("0,25"), 0.25);
        EXPECT_FALSE(ParseDecimal("0.25"));
    }
    EXPECT_EQ(TDecimalSeparator::Current(), ".");
    EXPECT_EQ(FormatGeneral(-7.25, 4, 4), "-7.25");
}

}  // namespace
}  // namespace tessel
