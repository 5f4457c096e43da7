#pragma once
// TCustomEdit: a single-line text box drawn into the form's frame — the
// text with its caret and selection, editing from the keyboard and the
// mouse, and the desktop clipboard. Keys and mouse behave as users know
// them from Qt's QLineEdit:
//
//   typing replaces the selection; Backspace and Delete remove the
//   selection or one character (Ctrl: one word); Left/Right move by a
//   character (Ctrl: by a word), Home/End to the ends, all extending the
//   selection with Shift; Ctrl+A selects all; Ctrl+C/X/V and Ctrl+Insert,
//   Shift+Delete, Shift+Insert copy, cut and paste; a press places the
//   caret (Shift+press extends), dragging selects, a double click selects
//   a word. Enter is reported through OnKeyPress as character 13 and
//   changes nothing. Focus loss clears the selection.
//
// The box holds the mouse capture from a left press to its release and
// then fires OnClick itself when the release is over it. Key-downs of
// typing keys (letters, digits, space, punctuation, Backspace) are taken,
// so the form sees only keys the box has no use for.
//
// Text is UTF-8; positions (caret, selection, MaxLength) count characters
// (code points). Ctrl+letter shortcuts arrive through KeyDown as the
// letter's upper-case code ('A'..'Z'); the control characters some
// keyboards also produce for them reach KeyPress and are ignored.
//
// Threads: editor thread only, like every control.

#include <algorithm>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "gui/controls/Control.h"
#include "gui/surface/Bitmap32.h"

namespace tessel {

class TCustomEdit : public TControl {
public:
    // Longest text the box holds, in characters, whatever MaxLength says:
    // a one-line box is for short texts, and caret positions are measured
    // per character.
    static constexpr int kMaxTextLength = 1024;

    explicit TCustomEdit(TControlHost* host);

    // ---- Text -----------------------------------------------------------
    const std::string& Text() const { return FText; }
    // Puts the caret at the end with nothing selected, clears the error
    // look; cut to MaxLength. OnChange fires when the text differs.
    void SetText(std::string_view utf8);
    int MaxLength() const { return FMaxLength; }  // characters, 0 for no limit
    void SetMaxLength(int characters);
    bool ReadOnly() const { return FReadOnly; }  // selection and copying still work
    void SetReadOnly(bool value);

    // ---- Caret and selection (characters from the start) ----------------
    int CaretPos() const { return FCaret; }
    int SelStart() const { return std::min(FAnchor, FCaret); }
    int SelLength() const { return FCaret > FAnchor ? FCaret - FAnchor : FAnchor - FCaret; }
    std::string SelText() const;
    // Selects from anchor to caret; the caret end is the one that moves.
    void SetSelection(int anchor, int caret);
    void SelectAll() { SetSelection(0, Length()); }
    int Length() const { return static_cast<int>(FChars.size()); }

    // ---- Clipboard --------------------------------------------------------
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();

    // ---- Error look -----------------------------------------------------
    // Draws the text in red until the next edit, for a value that could
    // not be read.
    void ShowError();
    bool ErrorShown() const { return FError; }

    TNotifyEvent OnChange;  // the text changed

    // ---- TControl -------------------------------------------------------
    bool CanFocus() const override { return Enabled() && Visible(); }
    void SetFont(const TFont32& font) override;
    void Paint(TBitmap32& target) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    bool KeyDown(int& key, TShiftState shift) override;
    bool KeyPress(char32_t& key) override;
    void FocusChanged(bool focused) override;

    // Character position nearest to control-local x, as a click places it.
    int PositionAt(int x) const;

protected:
    // Where the text goes, control-local; frames lie outside it.
    virtual TRect TextArea() const { return {0, 0, Width(), Height()}; }
    // Everything under the text; by default the control filled with Color.
    virtual void PaintBackground(TBitmap32& target);
    void Resize() override;

private:
    void Replace(int from, int to, std::u32string_view chars);  // the one edit primitive
    void InsertTyped(std::u32string_view chars);
    void DeleteBackward(bool word);
    void DeleteForward(bool word);
    void MoveCaret(int position, bool extend);
    int WordLeft(int position) const;
    int WordRight(int position) const;
    void SelectWordAt(int position);
    bool IsDoubleClick(TShiftState shift, int x, int y);
    void TextChanged();

    // Layout, in screen pixels at the host's scale: x of every character
    // boundary (from the text's start) and the line height, measured on
    // demand with the font at that scale, so the caret sits where the
    // glyphs are drawn.
    void Measure() const;
    TFont32 ScaledFont() const;
    TRect PixelTextArea() const;  // control-local screen pixels
    int TextOriginX() const;      // control-local screen x of character 0
    void ScrollToCaret();

    std::u32string FChars;
    std::string FText;  // FChars in UTF-8
    int FCaret = 0;
    int FAnchor = 0;
    int FMaxLength = 0;
    bool FReadOnly = false;
    bool FError = false;
    int FScroll = 0;  // screen pixels of text scrolled out on the left

    bool FMouseSelecting = false;
    std::chrono::steady_clock::time_point FLastPress{};
    int FLastPressX = 0;
    int FLastPressY = 0;
    bool FLastPressDouble = false;

    mutable std::vector<int> FOffsets;
    mutable int FLineHeight = 0;
    mutable bool FMeasured = false;
};

}  // namespace tessel
