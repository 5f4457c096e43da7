// The editor's mouse, knob and key rules, headless: bypass toggle, band
// moves, frequency snapping, knob defaults and menus, form clicks and keys
// arriving by two paths. (The wheel and the hints are proven with real X
// input in the plug-in's end-to-end test.)

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "editor/BandMove.h"
#include "editor/BypassToggle.h"
#include "editor/DialActions.h"
#include "editor/FormClickAction.h"
#include "editor/FrequencyPosition.h"
#include "editor/FrequencySnap.h"
#include "gui/controls/KeyDeduplicator.h"

namespace tessel {
namespace {

// A parameter store that records every automation in order.
class TRecordingParameters : public TParameterAccess {
public:
    std::map<std::int32_t, float> Values;
    std::vector<std::pair<std::int32_t, float>> Automated;
    float ReadParameter(std::int32_t index) override { return Values[index]; }
    void AutomateParameter(std::int32_t index, float value) override {
        Values[index] = value;
        Automated.emplace_back(index, value);
    }
};

TEST(BypassToggle, EveryKindSurvivesTheRoundTrip) {
    for (int kind = 0; kind <= 6; ++kind) {
        const auto bypassed = BypassToggleValue(static_cast<float>(kind));
        ASSERT_TRUE(bypassed);
        EXPECT_FLOAT_EQ(*bypassed, static_cast<float>(6.9 - kind * 0.01));
        EXPECT_EQ(std::nearbyint(*bypassed), 7.0f) << "kind " << kind << " must read as Bypass";
        const auto restored = BypassToggleValue(*bypassed);
        ASSERT_TRUE(restored);
        EXPECT_EQ(*restored, static_cast<float>(kind));
    }
    EXPECT_FLOAT_EQ(*BypassToggleValue(3.0f), 6.87f);  // Peak
    // Bypass chosen in the menu (7) and remainders of 7 or more stay.
    EXPECT_FALSE(BypassToggleValue(7.0f));
    EXPECT_FALSE(BypassToggleValue(7.4f));
    EXPECT_FALSE(BypassToggleValue(*BypassToggleValue(8.0f)));
    EXPECT_FALSE(BypassToggleValue(std::nanf("")));
}

TEST(BandMove, RightFromBandSevenSwapsAllFourFieldsWithBandOneKindFirst) {
    TRecordingParameters p;
    for (int i = 0; i < 29; ++i) p.Values[i] = 100.0f + static_cast<float>(i);
    MoveBand(6, TBandMoveDirection::Right, p);
    const std::vector<std::pair<std::int32_t, float>> expected = {{24, 100.0f}, {0, 124.0f}, {25, 101.0f}, {1, 125.0f},
                                                                  {26, 102.0f}, {2, 126.0f}, {27, 103.0f}, {3, 127.0f}};
    EXPECT_EQ(p.Automated, expected);
    for (int i = 4; i < 24; ++i) EXPECT_EQ(p.Values[i], 100.0f + static_cast<float>(i)) << "index " << i;
    EXPECT_EQ(p.Values[28], 128.0f);

    EXPECT_EQ(BandMoveNeighbour(0, TBandMoveDirection::Left), 6);
    EXPECT_EQ(BandMoveNeighbour(3, TBandMoveDirection::Left), 2);
    EXPECT_EQ(BandMoveNeighbour(3, TBandMoveDirection::Right), 4);
    p.Automated.clear();
    MoveBand(7, TBandMoveDirection::Left, p);
    MoveBand(-1, TBandMoveDirection::Right, p);
    EXPECT_TRUE(p.Automated.empty());
}

struct TSnapCase {
    double hz;
    TFrequencySnap snap;
    bool note;
    double expectedHz;
};

TEST(FrequencySnap, GridsOfBothDisplaysTiesToEvenAndTheRangeEnds) {
    using S = TFrequencySnap;
    const double dSharp6 = 440.0 * std::exp2((87.0 - 69.0) / 12.0);  // D#6, the semitone nearest 1234.567 Hz
    const TSnapCase cases[] = {
        {1234.567, S::None, false, 1234.567},
        {1234.567, S::None, true, 1234.567},
        {1234.567, S::Fine, false, 1234.6},
        {1234.567, S::Coarse, false, 1235.0},
        {1234.567, S::Coarse, true, dSharp6},
        {445.0, S::Fine, true, 440.0 * std::exp2(0.2 / 12.0)},
        {20.25, S::Fine, false, 20.2},
        {20.5, S::Coarse, false, 20.0},
        {21.5, S::Coarse, false, 22.0},
        // 20 Hz lies nearest Eb0 (19.45 Hz), below the range: the next semitone, E0.
        {20.0, S::Coarse, true, 440.0 * std::exp2((16.0 - 69.0) / 12.0)},
        {20000.0, S::Fine, true, 440.0 * std::exp2((135.0 - 69.0) / 12.0)},
        {20000.0, S::Coarse, false, 20000.0},
    };
    for (const auto& c : cases) {
        const float snapped = SnapFrequency(c.hz, c.snap, c.note);
        EXPECT_FLOAT_EQ(snapped, static_cast<float>(c.expectedHz)) << c.hz << " Hz, snap " << static_cast<int>(c.snap);
        EXPECT_GE(snapped, 20.0f);
        EXPECT_LE(snapped, 20000.0f);
    }
}

TEST(DialActions, ResetsGoToTheTabledDefaultsThenSnap) {
    EXPECT_EQ(DialDefaultPosition(TBandValue::Gain, 3), 0.5f);
    EXPECT_EQ(DialValueFromPosition(TBandValue::Gain, DialDefaultPosition(TBandValue::Gain, 3)), 0.0f);
    EXPECT_EQ(DialValueFromPosition(TBandValue::Bandwidth, DialDefaultPosition(TBandValue::Bandwidth, 0)), 0.5f);
    const double defaultsHz[] = {40, 100, 500, 1500, 4000, 8000, 16000};
    for (int band = 0; band < 7; ++band) {
        const float position = DialDefaultPosition(TBandValue::Frequency, band);
        EXPECT_NEAR(DialValueFromPosition(TBandValue::Frequency, position), defaultsHz[band], defaultsHz[band] * 1e-6);
    }
    // Band 1's 40 Hz, snapped to semitones in the note display: Eb1.
    const float band1 = DialDefaultPosition(TBandValue::Frequency, 0);
    EXPECT_FLOAT_EQ(DialValueFromPosition(TBandValue::Frequency, band1, TFrequencySnap::Coarse, true),
                    static_cast<float>(440.0 * std::exp2((27.0 - 69.0) / 12.0)));
    EXPECT_EQ(DialValueFromPosition(TBandValue::Frequency, band1, TFrequencySnap::Coarse, false), 40.0f);
    EXPECT_EQ(DialParameterIndex(TBandValue::Frequency, 6), 26);
}

TEST(DialActions, OnlyTheRightButtonAloneOpensTheMenuAndCtrlRightResets) {
    EXPECT_TRUE(OpensDialMenu({.Right = true}));
    EXPECT_FALSE(OpensDialMenu({.Shift = true, .Right = true}));
    EXPECT_FALSE(OpensDialMenu({.Ctrl = true, .Right = true}));
    EXPECT_FALSE(OpensDialMenu({.Alt = true, .Right = true}));
    EXPECT_FALSE(OpensDialMenu({.Left = true, .Right = true}));
    EXPECT_FALSE(OpensDialMenu({.Left = true}));
    EXPECT_TRUE(IsDialResetRelease(TMouseButton::Right, {.Ctrl = true}));
    EXPECT_FALSE(IsDialResetRelease(TMouseButton::Left, {.Ctrl = true}));
    EXPECT_FALSE(IsDialResetRelease(TMouseButton::Right, {}));
}

TEST(FormClickAction, EachAreaAnswersOnlyToItsButtonsAndModifiers) {
    const TOrvaneLayout a = CalculateOrvaneLayout(TGuiStyle::Knobs);
    using B = TMouseButton;
    using C = TFormClick;
    struct TRow {
        B button;
        TShiftState shift;
        int x, y;
        C kind;
        int index;
    };
    const TRow rows[] = {
        {B::Left, {}, 585, 20, C::SelectSnapshot, 2},
        {B::Right, {}, 585, 20, C::StoreAndSelectSnapshot, 2},
        {B::Right, {}, 130, 60, C::KindMenu, 1},
        {B::Middle, {.Alt = true}, 130, 60, C::BypassToggle, 1},
        {B::Left, {.Alt = true}, 330, 160, C::OpenValueEdit, 3},
        {B::Right, {.Alt = true}, 330, 160, C::None, 0},
        {B::Left, {}, 330, 160, C::None, 0},
        {B::Right, {.Alt = true}, 130, 260, C::FrequencyDisplayMenu, 1},
        {B::Middle, {.Alt = true}, 630, 260, C::OpenValueEdit, 6},
        {B::Left, {}, 630, 260, C::None, 0},
        {B::Left, {.Alt = true}, 30, 360, C::OpenValueEdit, 0},
        {B::Right, {}, 30, 20, C::GuiMenu, 0},
        {B::Left, {}, 30, 20, C::None, 0},
        {B::Right, {}, 10, 100, C::None, 0},
    };
    for (const auto& r : rows) {
        const TFormClickAction action = ClassifyFormMouseDown(a, r.button, r.shift, r.x, r.y);
        EXPECT_EQ(action.Kind, r.kind) << r.x << "," << r.y;
        if (r.kind != C::None && r.kind != C::GuiMenu) {
            EXPECT_EQ(action.Index, r.index) << r.x << "," << r.y;
        }
    }
    const auto box = ClassifyFormMouseDown(a, B::Left, {.Alt = true}, 630, 260);
    EXPECT_EQ(box.Field, TBandValue::Frequency);
    EXPECT_EQ(box.Area, a.FreqRects[6]);
}

TEST(KeyDeduplicator, AKeyByTwoPathsCountsOnceRepeatsByOnePathAlwaysCount) {
    using P = TKeyPath;
    using S = TKeyStroke;
    TKeyDeduplicator d;
    // The host forwards '1' and also sends it to the window: one '1'.
    EXPECT_TRUE(d.Admit(P::HostForwarded, S::Char, '1', 1000));
    EXPECT_FALSE(d.Admit(P::Window, S::Char, '1', 1003));
    // The user types "11" through one path.
    EXPECT_TRUE(d.Admit(P::Window, S::Char, '1', 1100));
    EXPECT_TRUE(d.Admit(P::Window, S::Char, '1', 1180));
    // Both copies of "22" by two paths, interleaved either way: two '2's.
    EXPECT_TRUE(d.Admit(P::HostForwarded, S::Char, '2', 2000));
    EXPECT_TRUE(d.Admit(P::HostForwarded, S::Char, '2', 2010));
    EXPECT_FALSE(d.Admit(P::Window, S::Char, '2', 2015));
    EXPECT_FALSE(d.Admit(P::Window, S::Char, '2', 2020));
    EXPECT_TRUE(d.Admit(P::Window, S::Char, '2', 2025));  // a third '2' has no twin left
    // Strokes differ: a key-down does not swallow the character.
    EXPECT_TRUE(d.Admit(P::HostForwarded, S::Down, 13, 3000));
    EXPECT_TRUE(d.Admit(P::Window, S::Char, 13, 3001));
    // Too late to be a twin.
    EXPECT_TRUE(d.Admit(P::HostForwarded, S::Char, '3', 4000));
    EXPECT_TRUE(d.Admit(P::Window, S::Char, '3', 4000 + TKeyDeduplicator::kTwinWindowMs + 1));
}

}  // namespace
}  // namespace tessel
