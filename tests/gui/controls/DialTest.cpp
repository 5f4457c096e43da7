// The metal knob: value rules, dragging, pointer-angle errors, the shared
// face cache, the range arc and the knob's look (golden images of the
// editor's two knob sizes, composed over a textured form).

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "gui/controls/MetalDial32.h"
#include "tests/gui/FakeControlHost.h"
#include "tests/gui/SurfaceTesting.h"

namespace tessel {
namespace {

using testing::TFakeControlHost;

constexpr int kKnobWidth = 81;
constexpr int kKnobsLayoutHeight = 83;    // large knobs
constexpr int kDisplayLayoutHeight = 52;  // small knobs under the large display

TShiftState Held(bool shift = false, bool ctrl = false) {
    TShiftState s;
    s.Shift = shift;
    s.Ctrl = ctrl;
    s.Left = true;
    return s;
}

// A vertical drag of `pixels` upwards (in 10-pixel moves, with some
// sideways wobble that must not count), released where it ended.
void DragUp(TMetalDial32& knob, int pixels, TShiftState shift) {
    int y = 60;
    knob.MouseDown(TMouseButton::Left, shift, 40, y);
    for (int moved = 0; moved < pixels; moved += 10) {
        y -= 10;
        knob.MouseMove(shift, 40 + (moved % 20 == 0 ? 7 : -5), y);
    }
    knob.MouseUp(TMouseButton::Left, shift, 40, y);
}

TEST(DialTest, PositionIsClampedAndEachChangeFiresOnce) {
    TMetalDial32 knob(nullptr);
    int changes = 0;
    knob.OnChange = [&](TControl&) { ++changes; };
    knob.SetPosition(1.5f);
    EXPECT_EQ(knob.Position(), 1.0f);
    EXPECT_EQ(changes, 1);
    knob.SetPosition(1.0f);
    knob.SetPosition(7.0f);
    knob.SetPosition(std::nanf(""));
    EXPECT_EQ(changes, 1);
    knob.SetPosition(-2.0f);
    EXPECT_EQ(knob.Position(), 0.0f);
    EXPECT_EQ(changes, 2);

    // Narrowing the range moves the position in without an event.
    knob.SetPosition(0.8f);
    knob.SetMax(0.5f);
    EXPECT_EQ(knob.Position(), 0.5f);
    EXPECT_EQ(changes, 3);
    EXPECT_THROW(knob.SetMin(0.9f), EDialError);
    EXPECT_EQ(knob.Min(), 0.0f);
    // While a stored description loads, bounds may pass each other.
    knob.BeginLoad();
    knob.SetMin(0.9f);
    knob.SetMax(2.0f);
    knob.SetPosition(1.2f);
    knob.EndLoad();
    EXPECT_EQ(knob.Position(), 1.2f);
    EXPECT_EQ(changes, 3);
}

TEST(DialTest, PointerAnglesRejectOutOfRangeValuesWithTheirTexts) {
    TMetalDial32 knob(nullptr);
    auto message = [](auto&& f) {
        try {
            f();
        } catch (const EDialError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { knob.PointerAngles().SetRange(400); }), "Range must be 1..360");
    EXPECT_EQ(knob.PointerAngles().Range(), 270);
    EXPECT_EQ(message([&] { knob.PointerAngles().SetRange(0); }), "Range must be 1..360");
    EXPECT_EQ(message([&] { knob.PointerAngles().SetStart(360); }), "Start must be 0..359");
    EXPECT_EQ(knob.PointerAngles().Start(), 225);
    EXPECT_EQ(message([&] { knob.PointerAngles().SetResolution(271.0); }),
              "Resolution must be above 0 and less than 271");
    EXPECT_EQ(message([&] { knob.SetRangeStyle(static_cast<TRangeStyle>(4)); }), "Unknown Range Style");
    EXPECT_EQ(knob.RangeStyle(), rsLeft);

    // Position 0 points down-left, 0.5 straight up, 1 down-right.
    constexpr float kDeg = std::numbers::pi_v<float> / 180.0f;
    EXPECT_NEAR(knob.PointerAngle(), 225.0f * kDeg, 1e-5f);
    knob.SetPosition(0.5f);
    EXPECT_NEAR(knob.PointerAngle(), 0.0f, 1e-5f);
    knob.SetPosition(1.0f);
    EXPECT_NEAR(knob.PointerAngle(), 135.0f * kDeg, 1e-5f);
    // A notification from the angles redraws the knob.
    knob.SetBounds(0, 0, kKnobWidth, kKnobsLayoutHeight);
    knob.DrawBuffer();
    knob.PointerAngles().SetStart(200);
    EXPECT_FALSE(knob.BufferValid());
}

TEST(DialTest, FiftyPixelsUpwardsAddAHalfAShiftTenthAndACtrlTenthOfThat) {
    struct {
        bool shift, ctrl;
        float expected;
    } cases[] = {{false, false, 0.5f}, {true, false, 0.05f}, {false, true, 0.05f}, {true, true, 0.005f}};
    for (const auto& c : cases) {
        TFakeControlHost host;
        TMetalDial32 knob(&host);
        knob.SetBounds(100, 200, kKnobWidth, kKnobsLayoutHeight);
        knob.SetPosition(0.2f);
        int changes = 0;
        knob.OnChange = [&](TControl&) { ++changes; };
        DragUp(knob, 50, Held(c.shift, c.ctrl));
        EXPECT_NEAR(knob.Position(), 0.2f + c.expected, 1e-5f) << c.shift << c.ctrl;
        EXPECT_EQ(changes, 5);
    }
}

TEST(DialTest, DragHidesThePointerCapturesAndWorksWithoutTheWarp) {
    TFakeControlHost host;
    TMetalDial32 knob(&host);
    knob.SetBounds(100, 200, kKnobWidth, kKnobsLayoutHeight);
    knob.SetLockCursor(true);
    int enters = 0, leaves = 0;
    knob.OnMouseEnter = [&](TControl&) { ++enters; };
    knob.OnMouseLeave = [&](TControl&) { ++leaves; };

    knob.MouseDown(TMouseButton::Left, Held(), 40, 40);
    EXPECT_EQ(host.Capture(), &knob);
    EXPECT_EQ(host.FocusedControl(), &knob);
    EXPECT_FALSE(host.CursorHidden);  // a click alone does not hide the pointer
    knob.MouseMove(Held(), 40, 10);
    EXPECT_TRUE(host.CursorHidden);
    // The pointer leaves the knob and the window mid-drag: no events, and
    // the drag goes on.
    knob.MouseLeave();
    knob.MouseMove(Held(), 300, -40);
    knob.MouseEnter();
    EXPECT_EQ(enters + leaves, 0);
    EXPECT_NEAR(knob.Position(), 0.8f, 1e-5f);
    knob.MouseUp(TMouseButton::Left, {}, 300, -40);
    EXPECT_EQ(host.Capture(), nullptr);
    EXPECT_FALSE(host.CursorHidden);
    ASSERT_EQ(host.Warps.size(), 1u);
    EXPECT_EQ(host.Warps[0], (TPoint{100 + 40, 200 + 41}));  // the knob's centre, form pixels

    // The host refused the warp: the pointer stayed where it was, and the
    // next drag steps from wherever it is pressed.
    knob.MouseDown(TMouseButton::Left, Held(), 300, -40);
    knob.MouseMove(Held(), 300, -30);
    EXPECT_NEAR(knob.Position(), 0.7f, 1e-5f);
    knob.MouseUp(TMouseButton::Left, {}, 300, -30);
    knob.MouseLeave();
    knob.MouseEnter();
    EXPECT_EQ(leaves, 1);
    EXPECT_EQ(enters, 1);

    // Moves without a press, and presses on a disabled knob, turn nothing.
    knob.MouseMove({}, 40, -500);
    knob.SetEnabled(false);
    DragUp(knob, 50, Held());
    EXPECT_NEAR(knob.Position(), 0.7f, 1e-5f);
    EXPECT_EQ(host.Capture(), nullptr);
}

TEST(DialTest, KnobsOfOneSizeShareOneFaceThatOutlivesEachOfThem) {
    ASSERT_EQ(TMetalFaceCache::Count(), 0);
    auto a = std::make_unique<TMetalDial32>(nullptr);
    TMetalDial32 b(nullptr), c(nullptr);
    a->SetColor(0x0000FF);  // colours differ: the face is keyed by size alone
    a->SetBounds(0, 0, kKnobWidth, kKnobsLayoutHeight);
    b.SetBounds(20, 30, kKnobWidth, kKnobsLayoutHeight);
    c.SetBounds(0, 0, kKnobWidth, kDisplayLayoutHeight);
    ASSERT_NE(a->Face(), nullptr);
    EXPECT_EQ(a->Face(), b.Face());
    EXPECT_NE(c.Face(), b.Face());
    EXPECT_EQ(TMetalFaceCache::Count(), 2);

    a->DrawBuffer();  // the first to draw renders the face, in its red
    b.DrawBuffer();
    const TColor32 capA = a->Buffer().Pixel(40, 52), capB = b.Buffer().Pixel(40, 52);
    EXPECT_EQ(capB, capA);
    EXPECT_GT(RedComponent(capB), 200);
    EXPECT_LT(GreenComponent(capB), 40);
    TBitmap32 before;
    before.Assign(b.Buffer());
    const auto* face = b.Face();
    a.reset();
    EXPECT_EQ(b.Face(), face);
    EXPECT_EQ(TMetalFaceCache::Count(), 2);
    b.SetPosition(0.5f);
    b.SetPosition(0.0f);
    b.DrawBuffer();
    EXPECT_EQ(testing::CountDifferent(b.Buffer(), b.Buffer().BoundsRect(), 0), kKnobWidth * kKnobsLayoutHeight);
    for (int y = 0; y < kKnobsLayoutHeight; ++y)
        for (int x = 0; x < kKnobWidth; ++x) ASSERT_EQ(b.Buffer().Pixel(x, y), before.Pixel(x, y)) << x << "," << y;

    // Resizing moves a knob to the face of its new size; the last user of
    // a face frees it.
    c.SetBounds(0, 0, kKnobWidth, kKnobsLayoutHeight);
    EXPECT_EQ(c.Face(), b.Face());
    EXPECT_EQ(TMetalFaceCache::Count(), 1);
}

// Angle (radians, screen) of a 16.16 point around a centre.
float AngleOf(TFixedPoint p, double cx, double cy) {
    return static_cast<float>(std::atan2(FixedToFloat(p.y) - cy, FixedToFloat(p.x) - cx));
}

TEST(DialTest, RangeArcPointCountsAndEndsForEachStyle) {
    TMetalDial32 knob(nullptr);
    knob.SetBounds(0, 0, kKnobWidth, kKnobsLayoutHeight);
    // R = 0.35 · 81; points per edge h = round(sweep / asin(1 / 1.2857 R)) + 1.
    struct {
        TRangeStyle style;
        std::size_t points[3];  // at positions 0, 0.5, 1
    } cases[] = {{rsLeft, {0, 56, 112}}, {rsCenter, {56, 0, 56}}, {rsPosition, {10, 10, 10}}, {rsNone, {0, 0, 0}}};
    for (const auto& c : cases) {
        knob.SetRangeStyle(c.style);
        for (int i = 0; i < 3; ++i) {
            knob.SetPosition(0.5f * static_cast<float>(i));
            EXPECT_EQ(knob.RangeArc().size(), c.points[i]) << int{c.style} << " at " << knob.Position();
        }
    }
    constexpr float kDeg = std::numbers::pi_v<float> / 180.0f;
    const double cx = 40.5, cy = 41.5;
    // rsLeft at 1: 270° clockwise from the lower left to the lower right;
    // the inner edge comes back to the start.
    knob.SetRangeStyle(rsLeft);
    knob.SetPosition(1.0f);
    auto arc = knob.RangeArc();
    EXPECT_NEAR(AngleOf(arc.front(), cx, cy), 135.0f * kDeg, 0.01f);
    EXPECT_NEAR(AngleOf(arc[arc.size() / 2 - 1], cx, cy), 45.0f * kDeg, 0.01f);
    EXPECT_NEAR(AngleOf(arc.back(), cx, cy), 135.0f * kDeg, 0.01f);
    EXPECT_NEAR(std::hypot(FixedToFloat(arc.front().x) - cx, FixedToFloat(arc.front().y) - cy), 1.2857 * 28.35, 0.01);
    EXPECT_NEAR(std::hypot(FixedToFloat(arc.back().x) - cx, FixedToFloat(arc.back().y) - cy), 1.1 * 28.35, 0.01);
    // rsCenter below 0.5 runs anticlockwise from the top.
    knob.SetRangeStyle(rsCenter);
    knob.SetPosition(0.25f);
    arc = knob.RangeArc();
    EXPECT_NEAR(AngleOf(arc.front(), cx, cy), -90.0f * kDeg, 0.01f);
    EXPECT_NEAR(AngleOf(arc[arc.size() / 2 - 1], cx, cy), -157.5f * kDeg, 0.01f);
    // rsPosition: 18° from 8.55° before the pointer's direction.
    knob.SetRangeStyle(rsPosition);
    knob.SetPosition(0.5f);
    arc = knob.RangeArc();
    EXPECT_NEAR(AngleOf(arc.front(), cx, cy), (-90.0f - 8.55f) * kDeg, 0.01f);
    EXPECT_NEAR(AngleOf(arc[arc.size() / 2 - 1], cx, cy), (-90.0f + 9.45f) * kDeg, 0.01f);
}

// A form background like the editor's: the colour scheme with its texture.
void PaintForm(TFakeControlHost& host, int width, int height) {
    host.FormImage.Resize(width, height);
    host.FormImage.Clear(FromSystemColor(host.Color));
    TXorShiftRandom random(7);
    host.FormImage.NoiseFill(FromSystemColor(host.Color), 48, true, random);
}

// The editor's knob settings for one layout.
void ConfigureAsInEditor(TMetalDial32& knob, TRangeStyle style, TColor32 circle, std::uint8_t shadowOpacity) {
    knob.SetTransparent(true);
    knob.SetLockCursor(true);
    knob.SetRangeStyle(style);
    knob.SetColorCircle(circle);
    knob.SetColorAuto(false);
    knob.Shadow().SetBlur(4);
    knob.Shadow().SetVisible(true);
    knob.Shadow().SetTransparency(shadowOpacity);
}

// A strip of four knobs as the editor shows them — gain (centre arc) at
// -7.5 dB, frequency (position arc) at 1 kHz, bandwidth (left arc) at
// 0.8, and a disabled gain knob — composed over the form into `frame`.
void PaintKnobStrip(TBitmap32& frame, int height, std::uint8_t shadowOpacity) {
    TFakeControlHost host;
    const int width = 4 * kKnobWidth;
    PaintForm(host, width, height);
    struct {
        TRangeStyle style;
        TColor32 circle;
        float position;
        bool enabled;
    } knobs[] = {{rsCenter, 0x7FFF0000u, 0.25f, true},
                 {rsPosition, 0x7F40DF00u, 0.5663f, true},
                 {rsLeft, 0x7F0020FFu, 0.8f, true},
                 {rsCenter, 0x7FFF0000u, 0.75f, false}};
    frame.Assign(host.FormImage);
    std::vector<std::unique_ptr<TMetalDial32>> dials;
    for (int i = 0; i < 4; ++i) {
        auto knob = std::make_unique<TMetalDial32>(&host);
        knob->SetBounds(i * kKnobWidth, 0, kKnobWidth, height);
        ConfigureAsInEditor(*knob, knobs[i].style, knobs[i].circle, shadowOpacity);
        knob->SetPosition(knobs[i].position);
        knob->SetEnabled(knobs[i].enabled);
        frame.SetClip(knob->BoundsRect());
        knob->Paint(frame);
        dials.push_back(std::move(knob));
    }
    frame.ResetClip();
}

TEST(DialTest, KnobsOfTheLargeLayoutMatchTheirGoldenImage) {
    TBitmap32 frame;
    PaintKnobStrip(frame, kKnobsLayoutHeight, 160);
    EXPECT_TRUE(testing::MatchesGolden(frame, "knobs_81x83", 2, 0.002));
}

TEST(DialTest, KnobsOfTheDisplayLayoutMatchTheirGoldenImage) {
    TBitmap32 frame;
    PaintKnobStrip(frame, kDisplayLayoutHeight, 110);
    EXPECT_TRUE(testing::MatchesGolden(frame, "knobs_81x52", 2, 0.002));
}

TEST(DialTest, DisabledKnobShowsItsFaceAtHalfOpacityWithoutArcOrPointer) {
    TFakeControlHost host;
    PaintForm(host, kKnobWidth, kKnobsLayoutHeight);
    TMetalDial32 enabled(&host), disabled(&host);
    for (TMetalDial32* k : {&enabled, &disabled}) {
        k->SetBounds(0, 0, kKnobWidth, kKnobsLayoutHeight);
        ConfigureAsInEditor(*k, rsLeft, 0x7F0020FFu, 160);
        k->SetPosition(0.8f);
        k->DrawBuffer();
    }
    disabled.SetEnabled(false);
    EXPECT_FALSE(disabled.BufferValid());
    disabled.DrawBuffer();
    // Every pixel is the form with the face blended at half its opacity:
    // no pointer, no arc.
    const TBitmap32& face = disabled.Face()->Surface();
    ASSERT_EQ(face.Width(), kKnobWidth);
    int faceCovered = 0, pointerRed = 0, arcBlue = 0;
    for (int y = 0; y < kKnobsLayoutHeight; ++y)
        for (int x = 0; x < kKnobWidth; ++x) {
            const TColor32 f = face.Pixel(x, y);
            ASSERT_EQ(disabled.Buffer().Pixel(x, y), Blend(ScaleAlpha(f, 127), host.FormImage.Pixel(x, y)))
                << x << "," << y;
            faceCovered += AlphaComponent(f) == 255;
            const TColor32 e = enabled.Buffer().Pixel(x, y);
            pointerRed += RedComponent(e) > GreenComponent(e) + 100;
            arcBlue += BlueComponent(e) > RedComponent(e) + 40;
        }
    EXPECT_GT(faceCovered, 1500);  // most of the disc (π · 28² pixels; rings are translucent)
    EXPECT_GT(pointerRed, 20);     // the enabled twin shows its pointer
    EXPECT_GT(arcBlue, 100);       // and its arc
}

}  // namespace
}  // namespace tessel
