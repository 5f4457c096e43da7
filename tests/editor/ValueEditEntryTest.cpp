// Typed values in the editor's value box: what a confirmed text stores, and
// what it leaves alone.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "editor/OrvaneValueTexts.h"
#include "editor/ValueEditEntry.h"

namespace tessel {
namespace {

constexpr std::intptr_t Gain(int band) { return ValueEditTag(TBandValue::Gain, band); }
constexpr std::intptr_t Freq(int band) { return ValueEditTag(TBandValue::Frequency, band); }
constexpr std::intptr_t Bandwidth(int band) { return ValueEditTag(TBandValue::Bandwidth, band); }

// The bandwidth parameter for a number of octaves (held as a 32-bit float):
// the inverse of 2^(6.644·v − 3.322).
float BandwidthValue(float octaves) {
    return static_cast<float>((std::log2(static_cast<double>(octaves)) + 3.322) / 6.644);
}

const TNumberConventions kPoint{".", ",", "$"};
const TNumberConventions kComma{",", ".", "EUR"};

struct TTypedCase {
    const char* text;
    std::intptr_t tag;
    TValueEditOutcome outcome;
    std::int32_t index = 0;  // for Applied
    float value = 0.0f;
    const TNumberConventions* conventions = &kPoint;
};

class TypedValueTable : public ::testing::TestWithParam<TTypedCase> {};

TEST_P(TypedValueTable, StoresTheLimitedValueOrLeavesEverything) {
    const TTypedCase& c = GetParam();
    const TValueEditDecision d = EvaluateValueEdit(c.tag, c.text, *c.conventions);
    ASSERT_EQ(d.Outcome, c.outcome) << '"' << c.text << '"';
    if (c.outcome == TValueEditOutcome::Applied) {
        ASSERT_TRUE(d.Write.has_value());
        EXPECT_EQ(d.Write->Index, c.index);
        EXPECT_FLOAT_EQ(d.Write->Value, c.value) << '"' << c.text << '"';
        EXPECT_TRUE(d.HideBox());
    } else {
        EXPECT_FALSE(d.Write.has_value()) << '"' << c.text << '"';
        EXPECT_EQ(d.HideBox(), c.outcome == TValueEditOutcome::NoTarget);
    }
}

using O = TValueEditOutcome;
INSTANTIATE_TEST_SUITE_P(
    Texts, TypedValueTable,
    ::testing::Values(
        // Multipliers: k = 1000, K = 1024, M = 10^6, m = 0.001; limits per kind.
        TTypedCase{"2.5k", Freq(0), O::Applied, 2, 2500.0f}, TTypedCase{"1K", Freq(1), O::Applied, 6, 1024.0f},
        TTypedCase{"500m", Freq(2), O::Applied, 10, 20.0f}, TTypedCase{"30000", Freq(6), O::Applied, 26, 20000.0f},
        TTypedCase{"0.02M", Freq(3), O::Applied, 14, 20000.0f}, TTypedCase{"-20", Gain(0), O::Applied, 1, -15.0f},
        TTypedCase{"+7.5", Gain(6), O::Applied, 25, 7.5f},
        TTypedCase{"0.05", Bandwidth(0), O::Applied, 3, BandwidthValue(0.1f)},
        TTypedCase{"20", Bandwidth(4), O::Applied, 19, BandwidthValue(10.0f)},
        TTypedCase{"2", Bandwidth(1), O::Applied, 7, BandwidthValue(2.0f)},
        // The texts the box opens with read back as their own values.
        TTypedCase{"1.50 kHz", Freq(1), O::Applied, 6, 1500.0f},
        TTypedCase{"440.00 Hz", Freq(1), O::Applied, 6, 440.0f}, TTypedCase{"-3.00 dB", Gain(2), O::Applied, 9, -3.0f},
        TTypedCase{"1.00 Oct", Bandwidth(2), O::Applied, 11, 0.5f},
        // Blanks and control characters around the text; letters dropped.
        TTypedCase{" \t 1 kHz\r\n", Freq(0), O::Applied, 2, 1000.0f},
        TTypedCase{"abc 12 xyz", Gain(0), O::Applied, 1, 12.0f},
        // Nothing typed: the box stays, nothing changes.
        TTypedCase{"", Freq(0), O::Empty}, TTypedCase{"   ", Gain(0), O::Empty},
        // Not a number, or nothing of it kept: the box stays and shows the failure.
        TTypedCase{"Hz", Freq(0), O::Unreadable}, TTypedCase{"abc", Gain(0), O::Unreadable},
        TTypedCase{"1-2", Freq(0), O::Unreadable}, TTypedCase{"1kk", Freq(0), O::Unreadable},
        TTypedCase{"+-", Gain(0), O::Unreadable}, TTypedCase{"k", Freq(0), O::Unreadable},
        TTypedCase{"1.2.3", Gain(0), O::Unreadable},
        // A Tag that names no value hides the box and changes nothing.
        TTypedCase{"5", 5, O::NoTarget}, TTypedCase{"5", 17, O::NoTarget}, TTypedCase{"5", 40, O::NoTarget},
        // A comma locale: "." is dropped like a thousands separator.
        TTypedCase{"2,5k", Freq(0), O::Applied, 2, 2500.0f, &kComma},
        TTypedCase{"1.234,5 Hz", Freq(0), O::Applied, 2, 1234.5f, &kComma},
        TTypedCase{"2.5k", Freq(0), O::Applied, 2, 20000.0f, &kComma}));

// In the note display the box opens with the note's text; confirmed
// unchanged, only its digits and signs are read: A4 (440 Hz) becomes 40 Hz,
// a note with negative cents does not read at all, positive cents join the
// octave's digit.
TEST(ValueEditEntry, NoteTextsConfirmedUnchangedReadTheirDigits) {
    const std::string a4 = FrequencyToText(440.0, true);
    ASSERT_EQ(a4, "A4    0");
    const auto d = EvaluateValueEdit(Freq(0), a4, kPoint);
    ASSERT_EQ(d.Outcome, TValueEditOutcome::Applied);
    EXPECT_EQ(d.Write->Value, 40.0f);
    EXPECT_EQ(EvaluateValueEdit(Freq(0), FrequencyToText(1000.0, true), kPoint).Outcome,  // "B5  -21"
              TValueEditOutcome::Unreadable);
    const std::string c5 = FrequencyToText(520.0, true);  // 11 cents below C5
    ASSERT_EQ(c5, "C5   11");
    EXPECT_EQ(EvaluateValueEdit(Freq(0), c5, kPoint).Write->Value, 511.0f);
}

TEST(ValueEditEntry, TheBoxKeepsItsTrimmedText) {
    EXPECT_EQ(EvaluateValueEdit(Freq(0), "  1-2 \t", kPoint).TrimmedText, "1-2");
    EXPECT_EQ(EvaluateValueEdit(Freq(0), "\x01 2.5k\x7f", kPoint).TrimmedText, "2.5k\x7f");
    EXPECT_EQ(EvaluateValueEdit(Gain(0), "\n\n", kPoint).TrimmedText, "");
}

TEST(ValueEditEntry, NumbersBeyondTheFloatRangeAreLimitedNotUndefined) {
    const std::string huge = "9" + std::string(60, '0');
    const auto gain = EvaluateValueEdit(Gain(0), huge, kPoint);
    ASSERT_TRUE(gain.Write);
    EXPECT_EQ(gain.Write->Value, 15.0f);
    const auto bandwidth = EvaluateValueEdit(Bandwidth(0), "-" + huge, kPoint);
    ASSERT_TRUE(bandwidth.Write);
    EXPECT_FLOAT_EQ(bandwidth.Write->Value, BandwidthValue(0.1f));
}

TEST(ValueEditEntry, AMultiByteDecimalSeparatorIsKeptWhole) {
    const TNumberConventions arabic{"\xd9\xab", "", ""};  // U+066B ARABIC DECIMAL SEPARATOR
    const auto d = EvaluateValueEdit(Freq(0),
                                     "1\xd9\xab"
                                     "5k",
                                     arabic);
    ASSERT_TRUE(d.Write);
    EXPECT_FLOAT_EQ(d.Write->Value, 1500.0f);
}

}  // namespace
}  // namespace tessel
