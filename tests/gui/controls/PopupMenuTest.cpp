// Popup menus built from a table and driven through a headless form: radio
// groups, checks-itself items, submenus, mnemonics, placement, keyboard,
// a click outside, and how the open menu looks in the frame.

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "gui/controls/EditorLoop.h"
#include "gui/controls/Form.h"
#include "gui/surface/SystemColors.h"
#include "gui/window/HeadlessWindow.h"
#include "tests/gui/FormTesting.h"

namespace tessel {
namespace {

using Log = std::vector<std::string>;

// A display menu like the editor's, plus a submenu whose radio items form
// two groups (the group index narrows the parent's radio group).
constexpr TMenuItemRow kRows[] = {
    {"MIFrequency", "&Frequency", 0, mfRadio | mfAutoCheck | mfChecked, 0, "PUDisplay", "DisplayClick"},
    {"MINote", "&Note", 0, mfRadio | mfAutoCheck, 0, "PUDisplay", "DisplayClick"},
    {"N1", "-", 0, 0, 0, "PUDisplay", ""},
    {"MISnap", "Snap", 0, 0, 0, "PUDisplay", ""},
    {"MISnapNone", "none", 0, mfRadio | mfAutoCheck | mfChecked, 0, "MISnap", ""},
    {"MISnapFine", "fine", 0, mfRadio | mfAutoCheck, 0, "MISnap", ""},
    {"MISnapCoarse", "&coarse", 0, mfRadio | mfAutoCheck, 0, "MISnap", ""},
    {"MIShadow", "S&hadow", 0, mfAutoCheck | mfChecked, 0, "PUDisplay", "ShadowClick"},
    {"MIQuality", "&Quality", 0, 0, 0, "PUDisplay", ""},
    {"MILow", "&Low", 0, mfRadio, 1, "MIQuality", "DisplayClick"},
    {"MIHigh", "&High", 4, mfRadio | mfChecked, 1, "MIQuality", "DisplayClick"},
    {"MIKnobs", "&Knobs", 0, mfRadio | mfChecked, 0, "MIQuality", ""},
    {"MIDisplay", "&Display", 0, mfRadio, 0, "MIQuality", ""},
    {"MIGone", "&Gone", 0, mfDisabled, 0, "PUDisplay", "DisplayClick"},
};

class PopupMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        TPopupMenu* menus[] = {&menu};
        BuildMenus(menus, kRows, [this](std::string_view name) -> TMenuItem::TClickEvent {
            if (name != "DisplayClick" && name != "ShadowClick") return nullptr;
            return
                [this, handler = std::string(name)](TMenuItem& sender) { log.push_back(handler + " " + sender.Name); };
        });
        form.SetClientSize(240, 200);
        form.OnMouseDown = [this](TForm& f, TMouseButton button, TShiftState, int, int) {
            log.push_back("form down");
            if (button == TMouseButton::Right) f.Popup(menu);
        };
        form.OnMouseUp = [this](TForm&, TMouseButton, TShiftState, int, int) { log.push_back("form up"); };
        loop.Open(1);
    }
    void Step() {
        now += std::chrono::seconds(1);
        loop.Step(now);
    }
    TMenuItem& Item(std::string_view name) { return *menu.Find(name); }
    TPoint Centre(std::string_view name) {
        const TRect r = form.MenuView().ItemBounds(Item(name));
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    void Open(int x = 20, int y = 20) {
        form.Popup(menu, x, y);
        Step();
    }
    // Moves to an item and clicks it.
    void Click(std::string_view name) {
        const TPoint p = Centre(name);
        window.PostMouseMove({}, p.x, p.y);
        window.PostMouseDown(TMouseButton::Left, {}, p.x, p.y);
        window.PostMouseUp(TMouseButton::Left, {}, p.x, p.y);
        Step();
    }
    void Key(int key, char32_t character = 0) {
        window.PostKeyDown(key, {}, character);
        Step();
    }
    bool Checked(std::string_view name) { return Item(name).Checked(); }
    Log Take() {
        Log taken;
        taken.swap(log);
        return taken;
    }

    Log log;
    TPopupMenu menu{"PUDisplay"};
    TForm form;
    THeadlessWindow window;
    TEditorLoop loop{form, window};
    TEditorLoop::TClock::time_point now = TEditorLoop::TClock::now();
    testing::TProbeControl box{&form, log, "box", 0xFF808000u, {150, 150, 230, 190}, /*focusable=*/true};
};

TEST_F(PopupMenuTest, TablesBuildMenusAndRadioGroupsFollowTheGroupIndex) {
    ASSERT_EQ(menu.Items().Count(), 7);
    EXPECT_EQ(Item("MISnap").Count(), 3);
    EXPECT_TRUE(Item("N1").IsSeparator());
    EXPECT_EQ(Item("MIHigh").Tag, 4);
    EXPECT_FALSE(Item("MIGone").Enabled);
    EXPECT_EQ(Item("MIShadow").DisplayCaption(), "Shadow");
    EXPECT_EQ(Item("MIShadow").Mnemonic(), U'h');
    EXPECT_TRUE(Checked("MIFrequency") && Checked("MISnapNone") && Checked("MIHigh") && Checked("MIKnobs"));

    Item("MILow").SetChecked(true);
    EXPECT_FALSE(Checked("MIHigh"));
    EXPECT_TRUE(Checked("MIKnobs"));  // another group of the same parent
    Item("MIDisplay").SetChecked(true);
    EXPECT_FALSE(Checked("MIKnobs"));
    EXPECT_TRUE(Checked("MILow"));

    TPopupMenu other("PUOther");
    TPopupMenu* menus[] = {&other};
    const TMenuItemRow orphan[] = {{"MIX", "x", 0, 0, 0, "MINowhere", ""}};
    EXPECT_THROW(BuildMenus(menus, orphan, nullptr), std::invalid_argument);
    const TMenuItemRow unknownHandler[] = {{"MIY", "y", 0, 0, 0, "PUOther", "NoSuchClick"}};
    EXPECT_THROW(BuildMenus(menus, unknownHandler, [](std::string_view) { return nullptr; }), std::invalid_argument);
}

TEST_F(PopupMenuTest, MouseChoosesItemsOpensSubmenusAndAClickOutsideDoesNothing) {
    // A right press on the form opens the menu at the pointer; its release
    // chooses nothing and reaches no one.
    window.PostMouseDown(TMouseButton::Right, {}, 30, 40);
    window.PostMouseUp(TMouseButton::Right, {}, 30, 40);
    Step();
    ASSERT_TRUE(form.MenuOpen());
    EXPECT_EQ(form.MenuView().LevelBounds(0).Left, 30);
    EXPECT_EQ(form.MenuView().LevelBounds(0).Top, 40);
    EXPECT_EQ(Take(), (Log{"form down"}));

    // Radio items that check themselves: the clicked one becomes the
    // checked one of its group, and stays checked when clicked again.
    Click("MINote");
    EXPECT_FALSE(form.MenuOpen());
    EXPECT_TRUE(Checked("MINote"));
    EXPECT_FALSE(Checked("MIFrequency"));
    Open();
    Click("MINote");
    EXPECT_TRUE(Checked("MINote"));
    // A plain item that checks itself toggles.
    Open();
    Click("MIShadow");
    EXPECT_FALSE(Checked("MIShadow"));
    EXPECT_EQ(Take(), (Log{"DisplayClick MINote", "DisplayClick MINote", "ShadowClick MIShadow"}));

    // Hovering a submenu item opens its submenu; hovering another item of
    // the parent closes it again.
    Open();
    const TPoint snap = Centre("MISnap");
    window.PostMouseMove({}, snap.x, snap.y);
    Step();
    ASSERT_EQ(form.MenuView().LevelCount(), 2);
    EXPECT_GE(form.MenuView().LevelBounds(1).Left, form.MenuView().LevelBounds(0).Right - 3);
    const TPoint frequency = Centre("MIFrequency");
    window.PostMouseMove({}, frequency.x, frequency.y);
    Step();
    EXPECT_EQ(form.MenuView().LevelCount(), 1);
    window.PostMouseMove({}, snap.x, snap.y);
    Step();
    Click("MISnapFine");
    EXPECT_TRUE(Checked("MISnapFine"));
    EXPECT_FALSE(Checked("MISnapNone"));
    EXPECT_FALSE(form.MenuOpen());

    // A disabled item and a separator choose nothing; a press outside the
    // menu closes it, and neither it nor its release reaches the control
    // or the form beneath.
    Open();
    Click("MIGone");
    EXPECT_TRUE(form.MenuOpen());
    window.PostMouseDown(TMouseButton::Left, {}, 200, 170);
    window.PostMouseUp(TMouseButton::Left, {}, 200, 170);
    Step();
    EXPECT_FALSE(form.MenuOpen());
    EXPECT_EQ(Take(), Log{});
}

TEST_F(PopupMenuTest, KeyboardMovesOpensChoosesByMnemonicAndEscapes) {
    box.SetFocus();
    Open();
    Key(vkDown);
    EXPECT_EQ(form.MenuView().Highlighted(0), &Item("MIFrequency"));
    Key(vkDown);
    Key(vkDown);  // over the separator
    EXPECT_EQ(form.MenuView().Highlighted(0), &Item("MISnap"));
    Key(vkUp);
    EXPECT_EQ(form.MenuView().Highlighted(0), &Item("MINote"));
    Key(vkUp);
    Key(vkUp);  // wraps to the last item
    EXPECT_EQ(form.MenuView().Highlighted(0), &Item("MIGone"));

    // Into a submenu and back; Escape closes the innermost level first.
    form.CloseMenu();
    Open();
    Key('Q', U'q');  // a submenu's mnemonic opens it with its first item lit
    ASSERT_EQ(form.MenuView().LevelCount(), 2);
    EXPECT_EQ(form.MenuView().Highlighted(1), &Item("MILow"));
    Key(vkLeft);
    EXPECT_EQ(form.MenuView().LevelCount(), 1);
    Key(vkRight);
    EXPECT_EQ(form.MenuView().LevelCount(), 2);
    Key(vkEscape, 27);
    EXPECT_EQ(form.MenuView().LevelCount(), 1);
    Key(vkEscape, 27);
    EXPECT_FALSE(form.MenuOpen());

    // Mnemonics choose; a disabled item's does not.
    Open();
    Key('G', U'g');
    EXPECT_TRUE(form.MenuOpen());
    Key('S', U's');  // "Snap" has no mnemonic: nothing
    EXPECT_EQ(form.MenuView().LevelCount(), 1);
    Key(vkDown);
    Key(vkDown);
    Key(vkDown);
    Key(vkRight);  // Snap
    Key('C', U'C');
    EXPECT_TRUE(Checked("MISnapCoarse"));
    EXPECT_FALSE(form.MenuOpen());
    Open();
    Key('N', U'n');
    EXPECT_TRUE(Checked("MINote"));

    // Enter chooses the lit item; its character does not reach the
    // focused control once the menu is gone, but the next key does.
    Open();
    Key(vkDown);
    Key(vkReturn, 13);
    EXPECT_TRUE(Checked("MIFrequency"));
    Key('A', U'a');
    EXPECT_EQ(Take(),
              (Log{"box focus", "DisplayClick MINote", "DisplayClick MIFrequency", "box key 65", "box char 97"}));
}

TEST_F(PopupMenuTest, TheMenuFitsInsideTheEditorAndIsDrawnOverTheFrame) {
    Open(235, 195);
    const TRect top = form.MenuView().LevelBounds(0);
    EXPECT_EQ(top.Right, 240);
    EXPECT_EQ(top.Bottom, 200);
    const TPoint quality = Centre("MIQuality");
    window.PostMouseMove({}, quality.x, quality.y);
    Step();
    ASSERT_EQ(form.MenuView().LevelCount(), 2);
    const TRect sub = form.MenuView().LevelBounds(1);
    EXPECT_LE(sub.Right, top.Left + 3);  // no room on the right: opened to the left
    EXPECT_GE(sub.Left, 0);
    EXPECT_LE(sub.Bottom, 200);

    const TBitmap32& screen = window.Screen();
    const TRect lit = form.MenuView().ItemBounds(Item("MIQuality"));
    EXPECT_EQ(screen.Pixel(lit.Left + 2, lit.Top + 1), FromSystemColor(clHighlight));
    EXPECT_EQ(screen.Pixel(top.Left + 1, top.Top + 1), FromSystemColor(SystemColorWord(scBtnHighlight)));
    EXPECT_EQ(screen.Pixel(top.Right - 1, top.Bottom - 1), FromSystemColor(SystemColorWord(sc3DDkShadow)));
    // The checked radio item shows a bullet in its gutter, the unchecked none.
    const TRect high = form.MenuView().ItemBounds(Item("MIHigh"));
    const TRect low = form.MenuView().ItemBounds(Item("MILow"));
    const TColor32 menuColor = FromSystemColor(SystemColorWord(scMenu));
    EXPECT_NE(screen.Pixel(high.Left + 11, (high.Top + high.Bottom) / 2), menuColor);
    EXPECT_EQ(screen.Pixel(low.Left + 11, (low.Top + low.Bottom) / 2), menuColor);

    // Closing gives the frame back what lies beneath.
    Key(vkEscape, 27);
    Key(vkEscape, 27);
    const TBitmap32& frame = form.Frame();
    EXPECT_EQ(screen.Pixel(top.Left + 1, top.Top + 1), frame.Pixel(top.Left + 1, top.Top + 1));
    EXPECT_EQ(screen.Pixel(sub.Left + 5, sub.Top + 5), frame.Pixel(sub.Left + 5, sub.Top + 5));
    EXPECT_EQ(screen.Pixel(200, 160), 0xFF808000u);
}

}  // namespace
}  // namespace tessel
