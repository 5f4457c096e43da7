// The flat one-line box: editing from keys, mouse and clipboard, the Enter
// report, the frame's colours and hot state, ParentColor, derived colours
// and the height taken from the font. Text is laid out by the box font
// engine (every character 5 pixels wide at 8 pt, line height 13), so
// positions are exact.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "gui/controls/FlatEdit.h"
#include "gui/surface/SystemColors.h"
#include "tests/gui/FakeControlHost.h"
#include "tests/gui/SurfaceTesting.h"

namespace tessel {
namespace {

using testing::TFakeControlHost;

constexpr int kAdvance = 5;     // pixels per character, box engine at 8 pt
constexpr int kTextOrigin = 4;  // three frame pixels and one of margin

class FlatEditTest : public ::testing::Test {
protected:
    void SetUp() override { SetFontEngine(std::make_shared<testing::TBoxFontEngine>()); }
    void TearDown() override { SetFontEngine(nullptr); }

    // Control-local x of the boundary before character i.
    static int At(int i) { return kTextOrigin + kAdvance * i; }

    static void Type(TFlatEdit& edit, std::u32string_view text) {
        for (char32_t c : text) edit.KeyPress(c);
    }
    static void Key(TFlatEdit& edit, int key, bool shift = false, bool ctrl = false) {
        TShiftState s;
        s.Shift = shift;
        s.Ctrl = ctrl;
        edit.KeyDown(key, s);
    }
    static void Press(TFlatEdit& edit, int x, bool shift = false, bool twice = false) {
        TShiftState s;
        s.Shift = shift;
        s.Double = twice;
        s.Left = true;
        edit.MouseDown(TMouseButton::Left, s, x, 9);
    }

    TFakeControlHost host;
};

TEST_F(FlatEditTest, TypingKeysAndClipboardEditTheText) {
    TFlatEdit edit(&host);
    edit.SetBounds(10, 20, 200, 19);
    int changes = 0;
    edit.OnChange = [&](TControl&) { ++changes; };
    Type(edit, U"2.5 kHz");
    EXPECT_EQ(edit.Text(), "2.5 kHz");
    EXPECT_EQ(changes, 7);

    Key(edit, vkHome);
    for (int i = 0; i < 3; ++i) Key(edit, vkRight, true);
    EXPECT_EQ(edit.SelText(), "2.5");
    Type(edit, U"1");  // typing replaces the selection
    EXPECT_EQ(edit.Text(), "1 kHz");
    Key(edit, vkEnd, true);
    Key(edit, 'C', false, true);
    EXPECT_EQ(host.Clipboard, " kHz");
    char32_t backspace = 8;
    edit.KeyPress(backspace);
    EXPECT_EQ(edit.Text(), "1");
    Key(edit, 'V', false, true);
    Key(edit, 'V', false, true);
    EXPECT_EQ(edit.Text(), "1 kHz kHz");
    Key(edit, vkLeft, false, true);  // Ctrl+Left: to the start of the word
    EXPECT_EQ(edit.CaretPos(), 6);
    Key(edit, vkDelete, false, true);  // Ctrl+Delete: the word
    EXPECT_EQ(edit.Text(), "1 kHz ");
    Key(edit, vkLeft);
    Key(edit, vkLeft, true);
    Key(edit, vkLeft, true);
    Key(edit, 'X', false, true);
    EXPECT_EQ(edit.Text(), "1 k ");
    EXPECT_EQ(host.Clipboard, "Hz");
    Key(edit, vkHome);
    Key(edit, vkDelete);
    EXPECT_EQ(edit.Text(), " k ");

    // Pasted line breaks and tabs become spaces; other controls go.
    host.Clipboard = "a\r\nb\tc\x01";
    Key(edit, 'A', false, true);
    Key(edit, vkInsert, true);  // Shift+Insert pastes too
    EXPECT_EQ(edit.Text(), "a b c");
    // UTF-8 in and out; positions count characters.
    Type(edit, U"\u00e9\U0001F600");
    EXPECT_EQ(edit.Text(), "a b c\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(edit.Length(), 7);
    Key(edit, vkLeft, true);
    EXPECT_EQ(edit.SelText(), "\xF0\x9F\x98\x80");

    // MaxLength limits typing and pasting; ReadOnly keeps the text.
    edit.SetText("");
    edit.SetMaxLength(4);
    host.Clipboard = "123456";
    Key(edit, 'V', false, true);
    Type(edit, U"7");
    EXPECT_EQ(edit.Text(), "1234");
    edit.SetReadOnly(true);
    Key(edit, 'A', false, true);
    Type(edit, U"9");
    Key(edit, 'X', false, true);
    Key(edit, vkDelete);
    EXPECT_EQ(edit.Text(), "1234");
    Key(edit, 'C', false, true);
    EXPECT_EQ(host.Clipboard, "1234");
}

TEST_F(FlatEditTest, MouseSelectsByDragShiftClickAndDoubleClick) {
    TFlatEdit edit(&host);
    edit.SetBounds(10, 20, 200, 19);
    edit.SetText("-12.50 dB");
    int clicks = 0;
    edit.OnClick = [&](TControl&) { ++clicks; };
    Press(edit, At(1) + 2);  // nearer the boundary before '1' than after it
    EXPECT_EQ(host.FocusedControl(), &edit);
    EXPECT_EQ(host.Capture(), &edit);
    edit.MouseMove({}, At(6) - 1, 30);  // dragging below the box still selects
    edit.MouseUp(TMouseButton::Left, {}, At(6) - 1, 30);
    EXPECT_EQ(host.Capture(), nullptr);
    EXPECT_EQ(edit.SelText(), "12.50");
    EXPECT_EQ(clicks, 0);           // released outside the box
    Press(edit, At(9) + 40, true);  // Shift+click past the end extends
    edit.MouseUp(TMouseButton::Left, {}, At(9) + 40, 9);
    EXPECT_EQ(edit.SelText(), "12.50 dB");
    EXPECT_EQ(clicks, 1);
    // A double click selects the number the decimal point belongs to.
    Press(edit, At(4) + 1, false, true);
    edit.MouseUp(TMouseButton::Left, {}, At(4) + 1, 9);
    EXPECT_EQ(edit.SelText(), "12.50");
    Press(edit, At(8), false, true);
    EXPECT_EQ(edit.SelText(), "dB");
    // Losing the focus drops the selection.
    host.SetFocusedControl(nullptr);
    EXPECT_EQ(edit.SelLength(), 0);
}

TEST_F(FlatEditTest, EnterIsReportedAsCharacter13AndEditsNothing) {
    TFlatEdit edit(&host);
    edit.SetText("-3.00 dB");
    // Typing keys belong to the box; Enter, Escape and F1 go on to the form.
    constexpr int kPeriodKey = 190, kNumpad5 = 101, kF1 = 112;
    for (int key : {int{'Q'}, int{'7'}, vkSpace, vkBack, kPeriodKey, kNumpad5}) EXPECT_TRUE(edit.KeyDown(key, {}));
    for (int key : {vkReturn, vkEscape, kF1}) EXPECT_FALSE(edit.KeyDown(key, {})) << key;
    std::u32string seen;
    edit.OnKeyPress = [&](TControl&, char32_t& key) {
        seen += key;
        if (key == U'x') key = 0;  // a handler may swallow a key
    };
    char32_t keys[] = {13, U'x', 27};
    for (char32_t& k : keys) edit.KeyPress(k);
    EXPECT_EQ(seen, (std::u32string{13, U'x', 27}));
    EXPECT_EQ(edit.Text(), "-3.00 dB");
}

TEST_F(FlatEditTest, ErrorLookIsRedUntilTheNextEdit) {
    TFlatEdit edit(&host);
    edit.SetBounds(0, 0, 60, 19);
    edit.SetShowBorder(false);
    edit.SetText("1-2");
    edit.ShowError();
    TBitmap32 frame(60, 19);
    edit.Paint(frame);
    auto redInk = [&] {
        int n = 0;
        for (int y = 0; y < 19; ++y)
            for (int x = 0; x < 60; ++x) {
                const TColor32 c = frame.Pixel(x, y);
                n += RedComponent(c) > GreenComponent(c) + 100;
            }
        return n;
    };
    EXPECT_EQ(redInk(), 3 * 3 * 9);  // three characters, each a box of 3 × 9 pixels
    Type(edit, U"3");
    EXPECT_FALSE(edit.ErrorShown());
    edit.Paint(frame);
    EXPECT_EQ(redInk(), 0);
}

TEST_F(FlatEditTest, FrameFollowsFocusAndPointerAndShowBorderOffKeepsColorFlat) {
    TFlatEdit edit(&host), other(&host);
    edit.SetBounds(10, 20, 80, 19);
    const std::int32_t flat = edit.ColorFlat(), focused = edit.ColorFocused();
    TBitmap32 frame(100, 50);
    auto inner = [&] {
        edit.Paint(frame);
        return frame.Pixel(11, 21);
    };
    EXPECT_EQ(edit.Color(), flat);
    EXPECT_EQ(inner(), FromSystemColor(flat));
    EXPECT_EQ(frame.Pixel(10, 20), FromSystemColor(edit.ColorBorder()));
    edit.MouseEnter();
    EXPECT_EQ(edit.Color(), focused);
    EXPECT_EQ(inner(), FromSystemColor(focused));
    other.SetFocus();  // another flat box has the focus: the pointer alone is not enough
    edit.RedrawBorder();
    EXPECT_EQ(edit.Color(), flat);
    edit.MouseLeave();
    edit.SetFocus();
    EXPECT_TRUE(edit.Hot());
    EXPECT_EQ(edit.Color(), focused);

    edit.SetShowBorder(false);
    edit.MouseEnter();
    EXPECT_EQ(edit.Color(), flat);
    EXPECT_EQ(inner(), FromSystemColor(flat));
    EXPECT_EQ(frame.Pixel(10, 20), FromSystemColor(flat));
    EXPECT_EQ(frame.Pixel(89, 38), FromSystemColor(flat));
    EXPECT_EQ(frame.Pixel(9, 20), 0u);  // nothing outside the box
}

TEST_F(FlatEditTest, ColorFlatTurnsParentColorOffAndDerivedColorsStepLightness) {
    host.Color = 0x566870;  // the Dark colour scheme
    TFlatEdit edit(&host);
    EXPECT_TRUE(edit.ParentColor());
    EXPECT_EQ(edit.ColorFlat(), 0x566870);
    host.Color = 0x1780E8;
    edit.ParentColorChanged();
    EXPECT_EQ(edit.ColorFlat(), 0x1780E8);

    edit.SetColorFlat(13489624);
    EXPECT_FALSE(edit.ParentColor());
    host.Color = 0x566870;
    edit.ParentColorChanged();
    EXPECT_EQ(edit.ColorFlat(), 13489624);
    edit.SetParentColor(true);
    EXPECT_EQ(edit.ColorFlat(), 0x566870);

    // From the default flat colour (235, 234, 225), lightness 90 %: the
    // focus colour goes to 100 % (white), the border to 50 %.
    constexpr std::int32_t kFlat = 14805739;
    EXPECT_EQ(TCustomFlatEdit::CalcAdvancedColor(kFlat, 5, 10, false), 0xFFFFFF);
    EXPECT_EQ(TCustomFlatEdit::CalcAdvancedColor(kFlat, 5, 50, true), 153 | 148 << 8 | 103 << 16);
    EXPECT_EQ(TCustomFlatEdit::CalcAdvancedColor(kFlat, 5, 0, true), 5);
    edit.SetColorFlat(kFlat);
    host.Color = kFlat;
    edit.SetUseAdvColors(true);  // follows the form again, and derives
    EXPECT_TRUE(edit.ParentColor());
    EXPECT_EQ(edit.ColorFocused(), 0xFFFFFF);
    EXPECT_EQ(edit.ColorBorder(), 153 | 148 << 8 | 103 << 16);
}

TEST_F(FlatEditTest, HeightIsTheFontsLineHeightPlusSixAfterLoadingAndFontChanges) {
    TFlatEdit edit(&host);
    edit.BeginLoad();
    edit.SetBounds(64, 96, 81, 40);
    edit.EndLoad();
    EXPECT_EQ(edit.Height(), 13 + 6);  // 8 pt: an 11-pixel em, line 11 + 2
    TFont32 big = edit.Font();
    big.Size = 20;  // a 27-pixel em, line 27 + 6
    edit.SetFont(big);
    EXPECT_EQ(edit.Height(), 33 + 6);
    EXPECT_EQ(edit.Width(), 81);
}

}  // namespace
}  // namespace tessel
