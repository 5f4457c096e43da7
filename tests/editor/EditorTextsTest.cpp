// The editor's value texts: gain, frequency (as Hz or as a note with its
// cents) and bandwidth, with the locale's decimal separator.

#include <gtest/gtest.h>

#include <cmath>

#include "editor/OrvaneValueTexts.h"
#include "framework/DecimalSeparator.h"

namespace tessel {
namespace {

TEST(EditorTexts, NotesNameTheNearestNoteAndTheCentsUpToIt) {
    EXPECT_EQ(FrequencyToText(20.0, true), "Eb0 -49");
    EXPECT_EQ(FrequencyToText(440.0, true), "A4    0");
    EXPECT_EQ(FrequencyToText(1000.0, true), "B5  -21");
    EXPECT_EQ(FrequencyToText(20000.0, true), "Eb10 -8");
    // 12 cents below C#3 (138.59 Hz): positive cents, padded to seven characters.
    EXPECT_EQ(FrequencyToText(138.591315 * std::exp2(-12.0 / 1200.0), true), "C#3  12");
    // Longer than six characters together: joined without a space.
    EXPECT_EQ(FrequencyToText(20000.0 * std::exp2(30.0 / 1200.0), true), "Eb10-38");
    // Nothing to name: no crash, no nonsense note.
    EXPECT_EQ(FrequencyToText(0.0, true), "-");
    EXPECT_EQ(FrequencyToText(std::nan(""), true), "-");
    EXPECT_EQ(FrequencyToText(HUGE_VAL, true), "-");
}

TEST(EditorTexts, FrequenciesInHertzAndKilohertzWithTheLocaleSeparator) {
    TDecimalSeparatorScope point(".");
    EXPECT_EQ(FrequencyToText(1000.0, false), "1.00 kHz");
    EXPECT_EQ(FrequencyToText(20.0, false), "20.00 Hz");
    EXPECT_EQ(FrequencyToText(440.0, false), "440.00 Hz");
    EXPECT_EQ(FrequencyToText(1500.0, false), "1.50 kHz");
    EXPECT_EQ(FrequencyToText(19999.99, false), "20.00 kHz");
    EXPECT_EQ(GainText(-3.0f), "-3.00 dB");
    EXPECT_EQ(BandwidthText(0.5), "1.00 Oct");
    EXPECT_EQ(BandwidthText(1.0), "10.00 Oct");
    EXPECT_EQ(BandwidthText(0.0), "0.10 Oct");
    TDecimalSeparatorScope comma(",");
    EXPECT_EQ(FrequencyToText(1500.0, false), "1,50 kHz");
    EXPECT_EQ(GainText(12.5f), "12,50 dB");
}

}  // namespace
}  // namespace tessel
