// The form end to end in a headless window: mouse routing with capture and
// enter/leave, focus and keys (the window's and the host's), and the
// composed frame.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "gui/controls/EditorLoop.h"
#include "gui/controls/Form.h"
#include "gui/window/HeadlessWindow.h"
#include "tests/gui/FormTesting.h"

namespace tessel {
namespace {

using testing::TDragControl;
using testing::TProbeControl;
using Log = std::vector<std::string>;

constexpr TColor32 kBackground = 0xFF203040u;
constexpr TColor32 kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu, kGreen = 0xFF00C000u;

class TTestForm : public TForm {
public:
    TBitmap32& BackBuffer() { return FBackBuffer; }
};

class FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.SetClientSize(200, 120);
        form.BackBuffer().Clear(kBackground);
        form.OnMouseDown = [this](TForm&, TMouseButton button, TShiftState, int x, int y) {
            log.push_back("form down " + testing::ButtonName(button) + " " + std::to_string(x) + "," +
                          std::to_string(y));
        };
        form.OnMouseUp = [this](TForm&, TMouseButton, TShiftState, int, int) { log.push_back("form up"); };
        form.OnClick = [this](TForm&) { log.push_back("form click"); };
        form.OnKeyDown = [this](TForm&, int& key, TShiftState) { log.push_back("form key " + std::to_string(key)); };
        form.OnKeyPress = [this](TForm&, char32_t& c) { log.push_back("form char " + std::to_string(c)); };
        b.OnClick = [this](TControl& c) { log.push_back(static_cast<TProbeControl&>(c).Name + " click"); };
        loop.Open(42);
    }
    // One pass of the editor loop, a frame period after the last.
    void Step() {
        now += std::chrono::seconds(1);
        loop.Step(now);
    }
    void Move(int x, int y) { window.PostMouseMove({}, x, y); }
    void Press(int x, int y, TMouseButton button = TMouseButton::Left) {
        TShiftState s;
        s.Left = button == TMouseButton::Left;
        s.Right = button == TMouseButton::Right;
        window.PostMouseDown(button, s, x, y);
    }
    void Release(int x, int y, TMouseButton button = TMouseButton::Left) { window.PostMouseUp(button, {}, x, y); }
    Log Take() {
        Step();
        Log taken;
        taken.swap(log);
        return taken;
    }

    Log log;
    TTestForm form;
    THeadlessWindow window;
    TEditorLoop loop{form, window};
    TEditorLoop::TClock::time_point now = TEditorLoop::TClock::now();
    // b lies over part of a and is created later, so it is on top there.
    TProbeControl a{&form, log, "a", kRed, {10, 10, 60, 40}};
    TProbeControl b{&form, log, "b", kBlue, {40, 20, 100, 60}, /*focusable=*/true};
    TDragControl d{&form, log, "d", kGreen, {120, 10, 160, 110}};
};

TEST_F(FormTest, MouseGoesToTheCaptureHolderElseTheTopmostControlElseTheForm) {
    Move(20, 15);
    EXPECT_EQ(Take(), (Log{"a enter", "a move 10,5"}));
    Move(50, 30);  // over a and b: b is on top
    EXPECT_EQ(Take(), (Log{"a leave", "b enter", "b move 10,10"}));

    // A press gives b the implicit capture (motion and release follow it
    // over d and out of the window) and, as b takes the focus, the focus.
    Press(50, 30);
    Move(150, 100);
    window.PostMouseLeave();
    Move(250, -40);
    Release(250, -40);
    EXPECT_EQ(Take(),
              (Log{"b focus", "b down L 10,10", "b move 110,80", "b move 210,-60", "b up L 210,-60", "b leave"}));
    EXPECT_EQ(form.Capture(), nullptr);

    // A click is a press and release inside the control.
    Press(45, 25);
    Release(47, 27);
    EXPECT_EQ(Take(), (Log{"b enter", "b down L 5,5", "b up L 7,7", "b click"}));

    // The form's own handlers get what lies on no control, its drag included.
    Press(180, 5);
    Move(50, 30);
    Release(50, 30);
    EXPECT_EQ(Take(), (Log{"b leave", "form down L 180,5", "form up", "form click", "b enter"}));

    // A disabled control is passed over: the control below gets the press.
    b.SetEnabled(false);
    Press(50, 30, TMouseButton::Right);
    Release(50, 30, TMouseButton::Right);
    EXPECT_EQ(Take(), (Log{"b leave", "a enter", "a down R 40,20", "a up R 40,20"}));
    EXPECT_EQ(form.HoverControl(), &a);

    // A second quick press at the same place is a double click; a third
    // starts a new pair.
    for (int i = 0; i < 3; ++i) {
        Press(20, 15);
        Release(21, 15);
    }
    EXPECT_EQ(Take(), (Log{"a down L 10,5", "a up L 11,5", "a down L 10,5 double", "a up L 11,5", "a down L 10,5",
                           "a up L 11,5"}));
}

TEST_F(FormTest, ADragKeepsItsMotionOutsideTheWindowAndDoesNotNeedTheWarp) {
    window.RefuseWarps = true;  // as under XWayland
    Press(140, 100);
    Move(140, 60);
    window.PostMouseLeave();  // leaving the window during the drag changes nothing
    Move(140, -50);
    Step();
    EXPECT_EQ(d.Travel, 150);
    EXPECT_TRUE(window.CursorHidden());
    Release(140, -50);
    Step();
    EXPECT_FALSE(window.CursorHidden());
    EXPECT_FALSE(window.LastWarp().has_value());
    EXPECT_EQ(form.Capture(), nullptr);
    EXPECT_EQ(form.HoverControl(), nullptr);  // the pointer ended outside

    window.RefuseWarps = false;
    Press(140, 100);
    Move(140, 90);
    Release(140, 90);
    Step();
    EXPECT_EQ(d.Travel, 160);
    EXPECT_EQ(window.LastWarp(), (TPoint{140, 60}));  // back at the centre
    // The composed frame reached the window: the travel bar is 80 pixels high.
    EXPECT_EQ(window.Screen().Pixel(121, 109), 0xFF00FF00u);
    EXPECT_EQ(window.Screen().Pixel(121, 30), 0xFF00FF00u);
    EXPECT_EQ(window.Screen().Pixel(121, 29), kGreen);
}

TEST_F(FormTest, KeysGoToTheFocusedControlAndWhatItLeavesToTheForm) {
    window.PostKeyDown(vkLeft, {}, 0);  // nothing focused yet
    EXPECT_EQ(Take(), (Log{"form key 37"}));

    Press(50, 30);
    Release(50, 30);
    Press(20, 15);  // a cannot take the focus: b keeps it
    Release(20, 15);
    Take();
    EXPECT_EQ(form.FocusedControl(), &b);

    window.PostKeyDown(vkLeft, {}, 0);
    window.PostKeyDown('X', {}, U'x');
    window.PostKeyUp('X', {});
    EXPECT_EQ(Take(), (Log{"b key 37", "form key 37", "b key 88", "form key 88", "b char 120"}));
    b.TakeKeys = true;
    window.PostKeyDown(vkLeft, {}, 0);
    EXPECT_EQ(Take(), (Log{"b key 37"}));

    // Host keys arrive as key messages: with the extended flag the code is a
    // virtual key (which types nothing unless it is an editing key),
    // without it the typed character. Forwarded Shift is remembered.
    form.HostKeyMessage(TKeyMessage::KeyDown, 'a', 0);
    form.HostKeyMessage(TKeyMessage::Char, 'a', 0);
    // (vkRight: a vkLeft this soon after the window's would be its twin.)
    form.HostKeyMessage(TKeyMessage::KeyDown, vkRight, kKeyFlagExtended);
    form.HostKeyMessage(TKeyMessage::Char, vkRight, kKeyFlagExtended);
    form.HostKeyMessage(TKeyMessage::KeyDown, vkReturn, kKeyFlagExtended);
    form.HostKeyMessage(TKeyMessage::Char, vkReturn, kKeyFlagExtended);
    for (const int key : {vkNumpad0 + 7, vkOemPlus}) {
        form.HostKeyMessage(TKeyMessage::KeyDown, key, kKeyFlagExtended);
        form.HostKeyMessage(TKeyMessage::Char, key, kKeyFlagExtended);
    }
    form.HostKeyMessage(TKeyMessage::KeyDown, vkShift, kKeyFlagExtended);
    form.HostKeyMessage(TKeyMessage::KeyDown, 'B', 0);
    form.HostKeyMessage(TKeyMessage::Char, 1, 0);  // a shifted digit the host sent as a control character
    EXPECT_EQ(Take(), (Log{"b key 65", "b char 97", "b key 39", "b key 13", "b char 13", "b key 103", "b char 55",
                           "b key 187", "b char 61", "b key 16 shift", "b key 66 shift"}));
    EXPECT_EQ(b.Text, U"xa\r7=");

    // A hidden focused control gets no keys; the form does.
    b.SetVisible(false);
    window.PostKeyDown('Q', {}, U'q');
    EXPECT_EQ(Take(), (Log{"form key 81", "form char 113"}));
    form.SetFocus();
    EXPECT_EQ(Take(), (Log{"b unfocus"}));
}

TEST_F(FormTest, AKeyTheHostForwardsAndAlsoSendsToTheWindowActsOnce) {
    Press(50, 30);
    Release(50, 30);
    b.TakeKeys = true;
    Take();
    form.HostKeyMessage(TKeyMessage::KeyDown, '5', 0);
    form.HostKeyMessage(TKeyMessage::Char, '5', 0);
    window.PostKeyDown('5', {}, U'5');
    window.PostKeyUp('5', {});
    form.HostKeyMessage(TKeyMessage::KeyUp, '5', 0);
    // The user then types "55" in the window alone: both count.
    window.PostKeyDown('5', {}, U'5');
    window.PostKeyDown('5', {}, U'5');
    EXPECT_EQ(Take(), (Log{"b key 53", "b char 53", "b key 53", "b char 53", "b key 53", "b char 53"}));
    EXPECT_EQ(b.Text, U"555");
}

TEST_F(FormTest, TheFrameIsRecomposedOnlyWhereInvalidAndExposuresOnlyCopy) {
    Step();
    const TBitmap32& screen = window.Screen();
    EXPECT_EQ(screen.Pixel(5, 5), kBackground);
    EXPECT_EQ(screen.Pixel(20, 15), kRed);
    EXPECT_EQ(screen.Pixel(50, 30), kBlue);  // b over a
    EXPECT_EQ(screen.Pixel(150, 20), kGreen);
    const int presents = window.PresentCount();

    // Drawing without invalidating shows nothing; an invalid rectangle is
    // recomposed and copied alone.
    form.BackBuffer().Clear(0xFF111111u);
    a.Fill = kBlue;
    Step();
    EXPECT_EQ(window.PresentCount(), presents);
    form.InvalidateRect({0, 0, 15, 15});
    Step();
    EXPECT_EQ(window.LastPresented(), (std::vector<TRect>{{0, 0, 15, 15}}));
    EXPECT_EQ(screen.Pixel(2, 2), 0xFF111111u);
    EXPECT_EQ(screen.Pixel(12, 12), kBlue);
    EXPECT_EQ(screen.Pixel(20, 15), kRed);  // not invalidated: the old picture
    EXPECT_EQ(screen.Pixel(190, 100), kBackground);

    // An exposure copies the composed frame again without recomposing it.
    window.PostExpose({100, 60, 200, 120});
    Step();
    EXPECT_EQ(window.LastPresented(), (std::vector<TRect>{{100, 60, 200, 120}}));
    EXPECT_EQ(screen.Pixel(190, 100), kBackground);

    // Two invalid areas far apart stay two copies; neighbours merge.
    form.InvalidateRect({0, 0, 10, 10});
    form.InvalidateRect({190, 110, 200, 120});
    form.InvalidateRect({10, 0, 20, 10});
    Step();
    EXPECT_EQ(window.LastPresented(), (std::vector<TRect>{{190, 110, 200, 120}, {0, 0, 20, 10}}));

    // Marks from other threads come in through PostMarks.
    form.PostMarks(TForm::kMarkRepaint);
    Step();
    EXPECT_EQ(window.LastPresented(), (std::vector<TRect>{{0, 0, 200, 120}}));
    EXPECT_EQ(screen.Pixel(190, 100), 0xFF111111u);
    EXPECT_EQ(screen.Pixel(20, 15), kBlue);
    EXPECT_FALSE(form.FrameDue());
}

}  // namespace
}  // namespace tessel
