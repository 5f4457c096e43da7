#include "gui/controls/CustomEdit.h"

#include <cstdlib>

#include "gui/surface/FontEngine.h"
#include "gui/surface/SystemColors.h"

namespace tessel {
namespace {

constexpr int kTextMargin = 1;  // pixels between the text area's left edge and the text
constexpr TColor32 kErrorText = 0xFFD00000u;
constexpr char32_t kEnter = 13;
constexpr char32_t kBackspace = 8;
constexpr char32_t kDel = 127;

// A second press this soon and this close counts as a double click when
// the window layer does not say so itself.
constexpr auto kDoubleClickTime = std::chrono::milliseconds(500);
constexpr int kDoubleClickSlop = 4;  // pixels

std::string EncodeUtf8(std::u32string_view chars) {
    std::string out;
    out.reserve(chars.size());
    for (char32_t c : chars) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool IsTypeable(char32_t c) {
    return c >= 32 && c != kDel && !(c >= 0x80 && c < 0xA0) && !(c >= 0xD800 && c <= 0xDFFF) && c <= 0x10FFFF;
}

// What a text from outside (clipboard, SetText) may put into one line:
// line breaks and tabs become spaces, other control characters go.
std::u32string OneLine(std::string_view utf8) {
    std::u32string out;
    const std::u32string in = DecodeUtf8(utf8);
    for (std::size_t i = 0; i < in.size(); ++i) {
        const char32_t c = in[i];
        if (c == '\r' && i + 1 < in.size() && in[i + 1] == '\n') continue;  // CR LF is one break
        if (c == '\r' || c == '\n' || c == '\t')
            out += U' ';
        else if (IsTypeable(c))
            out += c;
    }
    return out;
}

// Character classes for word-wise moves and double clicks: blanks,
// punctuation, and word characters (letters, digits, '_', and anything
// beyond ASCII).
enum class TCharClass { Blank, Punctuation, Word };

TCharClass ClassOf(char32_t c) {
    if (c == ' ' || c == 0xA0 || c == 0x3000) return TCharClass::Blank;
    if (c >= 0x80 || c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
        return TCharClass::Word;
    return TCharClass::Punctuation;
}

bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }

// Keys whose character (KeyPress, which follows) the box types or erases:
// their key-down is the box's too, not the form's.
bool TypesCharacter(int key) {
    constexpr int kNumpadFirst = 96, kNumpadLast = 111;  // digits and operators
    constexpr int kOemFirst = 186, kOemLast = 192, kOemSecondFirst = 219, kOemSecondLast = 222;
    return key == vkBack || key == vkSpace || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') ||
           (key >= kNumpadFirst && key <= kNumpadLast) || (key >= kOemFirst && key <= kOemLast) ||
           (key >= kOemSecondFirst && key <= kOemSecondLast);
}

class TFontScope {
public:
    TFontScope(TBitmap32& s, const TFont32& font) : FSurface(s), FSaved(s.Font()) { s.Font() = font; }
    ~TFontScope() { FSurface.Font() = FSaved; }
    TFontScope(const TFontScope&) = delete;
    TFontScope& operator=(const TFontScope&) = delete;

private:
    TBitmap32& FSurface;
    TFont32 FSaved;
};

}  // namespace

TCustomEdit::TCustomEdit(TControlHost* host) : TControl(host) {
    SetColor(clWindow);
    TFont32 font = Font();
    font.Color = FromSystemColor(clWindowText);
    TControl::SetFont(font);
}

// ---- Text ----------------------------------------------------------------

void TCustomEdit::SetText(std::string_view utf8) {
    std::u32string chars = OneLine(utf8);
    const int limit = FMaxLength > 0 ? std::min(FMaxLength, kMaxTextLength) : kMaxTextLength;
    if (static_cast<int>(chars.size()) > limit) chars.resize(static_cast<std::size_t>(limit));
    FError = false;
    const bool changed = chars != FChars;
    FChars = std::move(chars);
    FCaret = FAnchor = Length();
    if (changed) TextChanged();
    ScrollToCaret();
    Invalidate();
}

void TCustomEdit::SetMaxLength(int characters) { FMaxLength = std::max(characters, 0); }

void TCustomEdit::SetReadOnly(bool value) {
    if (value == FReadOnly) return;
    FReadOnly = value;
    Invalidate();
}

std::string TCustomEdit::SelText() const {
    return EncodeUtf8(std::u32string_view(FChars).substr(static_cast<std::size_t>(SelStart()),
                                                         static_cast<std::size_t>(SelLength())));
}

void TCustomEdit::SetSelection(int anchor, int caret) {
    FAnchor = std::clamp(anchor, 0, Length());
    FCaret = std::clamp(caret, 0, Length());
    ScrollToCaret();
    Invalidate();
}

void TCustomEdit::ShowError() {
    FError = true;
    Invalidate();
}

void TCustomEdit::TextChanged() {
    FText = EncodeUtf8(FChars);
    FMeasured = false;
    if (OnChange) OnChange(*this);
}

// Every user edit goes through here: it ends the error look.
void TCustomEdit::Replace(int from, int to, std::u32string_view chars) {
    FChars.replace(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from), chars);
    FCaret = FAnchor = from + static_cast<int>(chars.size());
    FError = false;
    TextChanged();
    ScrollToCaret();
    Invalidate();
}

void TCustomEdit::InsertTyped(std::u32string_view chars) {
    if (FReadOnly) return;
    const int limit = FMaxLength > 0 ? std::min(FMaxLength, kMaxTextLength) : kMaxTextLength;
    const int room = std::max(0, limit - (Length() - SelLength()));
    if (static_cast<int>(chars.size()) > room) chars = chars.substr(0, static_cast<std::size_t>(room));
    if (chars.empty() && SelLength() == 0) return;
    Replace(SelStart(), SelStart() + SelLength(), chars);
}

void TCustomEdit::DeleteBackward(bool word) {
    if (FReadOnly) return;
    if (SelLength() > 0) return Replace(SelStart(), SelStart() + SelLength(), {});
    const int from = word ? WordLeft(FCaret) : FCaret - 1;
    if (from >= 0 && from < FCaret) Replace(from, FCaret, {});
}

void TCustomEdit::DeleteForward(bool word) {
    if (FReadOnly) return;
    if (SelLength() > 0) return Replace(SelStart(), SelStart() + SelLength(), {});
    const int to = word ? WordRight(FCaret) : FCaret + 1;
    if (to <= Length() && to > FCaret) Replace(FCaret, to, {});
}

// ---- Clipboard -------------------------------------------------------------

void TCustomEdit::CopyToClipboard() {
    if (SelLength() > 0 && Host()) Host()->SetClipboardText(SelText());
}

void TCustomEdit::CutToClipboard() {
    if (FReadOnly || SelLength() == 0) return;
    CopyToClipboard();
    Replace(SelStart(), SelStart() + SelLength(), {});
}

void TCustomEdit::PasteFromClipboard() {
    if (FReadOnly || !Host()) return;
    InsertTyped(OneLine(Host()->ClipboardText()));
}

// ---- Caret and words -------------------------------------------------------

void TCustomEdit::MoveCaret(int position, bool extend) {
    FCaret = std::clamp(position, 0, Length());
    if (!extend) FAnchor = FCaret;
    ScrollToCaret();
    Invalidate();
}

// Start of the word at or before the position, skipping blanks first.
int TCustomEdit::WordLeft(int position) const {
    int i = position;
    while (i > 0 && ClassOf(FChars[i - 1]) == TCharClass::Blank) --i;
    if (i == 0) return 0;
    const TCharClass c = ClassOf(FChars[i - 1]);
    while (i > 0 && ClassOf(FChars[i - 1]) == c) --i;
    return i;
}

// Start of the next word: the rest of this run, then the blanks after it.
int TCustomEdit::WordRight(int position) const {
    int i = position;
    const int n = Length();
    if (i < n) {
        const TCharClass c = ClassOf(FChars[i]);
        while (i < n && ClassOf(FChars[i]) == c && c != TCharClass::Blank) ++i;
    }
    while (i < n && ClassOf(FChars[i]) == TCharClass::Blank) ++i;
    return i;
}

// The run of one character class around the position; a decimal point or
// comma between digits belongs to the number ("12.5").
void TCustomEdit::SelectWordAt(int position) {
    const int n = Length();
    if (n == 0) return;
    const int at = std::clamp(position < n ? position : n - 1, 0, n - 1);
    const TCharClass c = ClassOf(FChars[at]);
    auto joins = [&](int i) {
        if (ClassOf(FChars[i]) == c) return true;
        const bool separator = FChars[i] == '.' || FChars[i] == ',';
        return c == TCharClass::Word && separator && i > 0 && i + 1 < n && IsDigit(FChars[i - 1]) &&
               IsDigit(FChars[i + 1]);
    };
    int from = at, to = at + 1;
    while (from > 0 && joins(from - 1)) --from;
    while (to < n && joins(to)) ++to;
    SetSelection(from, to);
}

// ---- Layout ----------------------------------------------------------------

void TCustomEdit::Measure() const {
    if (FMeasured) return;
    const std::shared_ptr<TFontEngine> engine = CurrentFontEngine();
    const TFont32 font = ScaledFont();
    FOffsets.assign(FChars.size() + 1, 0);
    // Each boundary is the measured width of the text before it: the same
    // rounding that places the glyphs when the text is drawn.
    std::string prefix;
    for (std::size_t i = 0; i < FChars.size(); ++i) {
        prefix += EncodeUtf8(std::u32string_view(&FChars[i], 1));
        FOffsets[i + 1] = engine->Measure(font, prefix, 1).Width;
    }
    FLineHeight = engine->Measure(font, "", 1).Height;
    FMeasured = true;
}

TFont32 TCustomEdit::ScaledFont() const {
    TFont32 font = Font();
    font.Percent = Scale().Percent;
    return font;
}

TRect TCustomEdit::PixelTextArea() const { return Scale().Rect(TextArea()); }

int TCustomEdit::TextOriginX() const { return PixelTextArea().Left + Scale().Length(kTextMargin) - FScroll; }

void TCustomEdit::ScrollToCaret() {
    Measure();
    const int room = std::max(1, PixelTextArea().Width() - 2 * Scale().Length(kTextMargin));
    const int caretX = FOffsets[static_cast<std::size_t>(FCaret)];
    const int textWidth = FOffsets.back();
    if (caretX - FScroll >= room) FScroll = caretX - room + 1;
    if (caretX < FScroll) FScroll = caretX;
    // Never leave empty room on the right while text is scrolled out.
    FScroll = std::clamp(FScroll, 0, std::max(0, textWidth - room + 1));
}

int TCustomEdit::PositionAt(int x) const {
    Measure();
    const int rel = Scale().Pixels(x) - TextOriginX();
    int best = 0;
    for (int i = 1; i <= Length(); ++i)
        if (std::abs(FOffsets[static_cast<std::size_t>(i)] - rel) <
            std::abs(FOffsets[static_cast<std::size_t>(best)] - rel))
            best = i;
    return best;
}

void TCustomEdit::SetFont(const TFont32& font) {
    TControl::SetFont(font);
    FMeasured = false;
    ScrollToCaret();
}

// Also called when the scale changes: the text is measured again.
void TCustomEdit::Resize() {
    FMeasured = false;
    ScrollToCaret();
}

// ---- Painting --------------------------------------------------------------

void TCustomEdit::PaintBackground(TBitmap32& target) {
    const TRect r = PixelBounds();
    target.FillRect(r.Left, r.Top, r.Right, r.Bottom, FromSystemColor(Color()));
}

void TCustomEdit::Paint(TBitmap32& target) {
    const TRect clip = target.ClipRect();
    PaintBackground(target);
    Measure();
    const TRect at = PixelBounds();
    TRect area = PixelTextArea();
    area = {area.Left + at.Left, area.Top + at.Top, area.Right + at.Left, area.Bottom + at.Top};
    const TRect textClip = IntersectRect(clip, area);
    if (textClip.IsEmpty()) return;
    target.SetClip(textClip);
    TFontScope font(target, ScaledFont());

    const int x0 = at.Left + TextOriginX();
    const int y0 = area.Top + (area.Height() - FLineHeight) / 2;
    const TColor32 ink = !Enabled() ? FromSystemColor(SystemColorWord(scGrayText))
                         : FError   ? kErrorText
                                    : WithAlpha(Font().Color, 255);
    target.DrawText(x0, y0, FText, -1, ink);

    const bool focused = Focused();
    if (focused && SelLength() > 0) {
        const int sx1 = x0 + FOffsets[static_cast<std::size_t>(SelStart())];
        const int sx2 = x0 + FOffsets[static_cast<std::size_t>(SelStart() + SelLength())];
        const TRect sel = IntersectRect(textClip, {sx1, y0, sx2, y0 + FLineHeight});
        if (!sel.IsEmpty()) {
            target.FillRect(sel.Left, sel.Top, sel.Right, sel.Bottom, FromSystemColor(clHighlight));
            target.SetClip(sel);
            target.DrawText(x0, y0, FText, -1, FromSystemColor(clHighlightText));
            target.SetClip(textClip);
        }
    }
    if (focused && !FReadOnly) {
        const int cx = x0 + FOffsets[static_cast<std::size_t>(FCaret)];
        target.FillRect(cx, y0, cx + Scale().Length(1), y0 + FLineHeight, ink);
    }
    target.SetClip(clip);
}

// ---- Mouse -----------------------------------------------------------------

bool TCustomEdit::IsDoubleClick(TShiftState shift, int x, int y) {
    const auto now = std::chrono::steady_clock::now();
    bool isDouble = shift.Double;
    if (!isDouble && !FLastPressDouble && now - FLastPress < kDoubleClickTime)
        isDouble = std::abs(x - FLastPressX) <= kDoubleClickSlop && std::abs(y - FLastPressY) <= kDoubleClickSlop;
    FLastPress = now;
    FLastPressX = x;
    FLastPressY = y;
    FLastPressDouble = isDouble;
    return isDouble;
}

void TCustomEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (!Enabled()) return;
    if (button == TMouseButton::Left) {
        SetFocus();
        if (Host()) Host()->SetCapture(this);
        if (IsDoubleClick(shift, x, y)) {
            SelectWordAt(PositionAt(x));
        } else {
            MoveCaret(PositionAt(x), shift.Shift);
            FMouseSelecting = true;
        }
    }
    TControl::MouseDown(button, shift, x, y);
}

void TCustomEdit::MouseMove(TShiftState shift, int x, int y) {
    if (FMouseSelecting) MoveCaret(PositionAt(x), true);
    TControl::MouseMove(shift, x, y);
}

// The box lets go of the capture itself and reports a click released over
// it, so the click is reported once whatever the form does with captures.
void TCustomEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    const bool click =
        button == TMouseButton::Left && FMouseSelecting && Enabled() && x >= 0 && y >= 0 && x < Width() && y < Height();
    if (button == TMouseButton::Left) {
        FMouseSelecting = false;
        if (Host() && Host()->Capture() == this) Host()->ReleaseCapture(this);
    }
    TControl::MouseUp(button, shift, x, y);
    if (click && OnClick) OnClick(*this);
}

// ---- Keyboard --------------------------------------------------------------

bool TCustomEdit::KeyDown(int& key, TShiftState shift) {
    TControl::KeyDown(key, shift);
    if (key == 0) return true;  // the handler took it
    const bool extend = shift.Shift;
    switch (key) {
        case vkLeft:
            if (!extend && !shift.Ctrl && SelLength() > 0)
                MoveCaret(SelStart(), false);
            else
                MoveCaret(shift.Ctrl ? WordLeft(FCaret) : FCaret - 1, extend);
            return true;
        case vkRight:
            if (!extend && !shift.Ctrl && SelLength() > 0)
                MoveCaret(SelStart() + SelLength(), false);
            else
                MoveCaret(shift.Ctrl ? WordRight(FCaret) : FCaret + 1, extend);
            return true;
        case vkHome:
            MoveCaret(0, extend);
            return true;
        case vkEnd:
            MoveCaret(Length(), extend);
            return true;
        case vkDelete:
            if (shift.Shift)
                CutToClipboard();
            else
                DeleteForward(shift.Ctrl);
            return true;
        case vkInsert:
            if (shift.Ctrl) CopyToClipboard();
            if (shift.Shift) PasteFromClipboard();
            return shift.Ctrl || shift.Shift;
        default:
            break;
    }
    if (!shift.Ctrl || shift.Alt) return !FReadOnly && TypesCharacter(key);
    switch (key) {
        case 'A':
            SelectAll();
            return true;
        case 'C':
            CopyToClipboard();
            return true;
        case 'X':
            CutToClipboard();
            return true;
        case 'V':
            PasteFromClipboard();
            return true;
        default:
            return false;
    }
}

bool TCustomEdit::KeyPress(char32_t& key) {
    TControl::KeyPress(key);
    if (key == 0) return true;       // the handler took it
    if (key == kEnter) return true;  // reported above; one line has no break
    if (key == kBackspace) {
        DeleteBackward(false);
        return true;
    }
    if (!IsTypeable(key)) return false;  // Escape, Tab, Ctrl+letter characters
    InsertTyped(std::u32string_view(&key, 1));
    return true;
}

void TCustomEdit::FocusChanged(bool focused) {
    TControl::FocusChanged(focused);
    if (!focused) {
        FAnchor = FCaret;
        FMouseSelecting = false;
    }
    Invalidate();
}

}  // namespace tessel
