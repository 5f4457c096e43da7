// TForm: routing window input to the menu, the controls and the form's own
// handlers, and forwarded host keys.

#include <array>
#include <cstdlib>

#include "gui/controls/Form.h"

namespace tessel {
namespace {

// Characters a forwarded virtual key types; the others (arrows, function
// keys, ...) type nothing.
char32_t CharacterOfVirtualKey(int key) {
    switch (key) {
        case vkBack:
        case vkTab:
        case vkReturn:
        case vkEscape:
        case vkSpace:
            return static_cast<char32_t>(key);
        case vkMultiply:
            return U'*';
        case vkAdd:
            return U'+';
        case vkSubtract:
            return U'-';
        case vkDecimal:
            return U'.';
        case vkDivide:
            return U'/';
        case vkOemPlus:  // the host's '=' key
            return U'=';
        default:
            return key >= vkNumpad0 && key <= vkNumpad0 + 9 ? U'0' + static_cast<char32_t>(key - vkNumpad0) : 0;
    }
}

// The virtual key of a forwarded character (letters and digits are their
// own codes in upper case; US punctuation has its OEM codes).
int VirtualKeyOfCharacter(std::int32_t c) {
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') return c;
    static constexpr std::array<std::pair<char, int>, 11> kPunctuation = {{{';', vkOemSemicolon},
                                                                           {'=', vkOemPlus},
                                                                           {',', vkOemComma},
                                                                           {'-', vkOemMinus},
                                                                           {'.', vkOemPeriod},
                                                                           {'/', vkOemSlash},
                                                                           {'`', vkOemTilde},
                                                                           {'[', vkOemOpenBracket},
                                                                           {'\\', vkOemBackslash},
                                                                           {']', vkOemCloseBracket},
                                                                           {'\'', vkOemQuote}}};
    for (const auto& [character, key] : kPunctuation)
        if (c == character) return key;
    return 0;
}

}  // namespace

// ---- Mouse -----------------------------------------------------------------------------

void TForm::UpdateHover(int x, int y) {
    TControl* now = ControlAt(x, y);
    if (now == FHover) return;
    TControl* before = FHover;
    FHover = now;
    if (before) Guarded([&] { before->MouseLeave(); });
    if (now && FHover == now) Guarded([&] { now->MouseEnter(); });
}

bool TForm::IsDoubleClick(TMouseButton button, int x, int y) {
    const auto now = std::chrono::steady_clock::now();
    // A third quick press starts a new pair.
    const bool isDouble =
        !FLastPress.Double && button == FLastPress.Button && now - FLastPress.Time <= kDoubleClickTime &&
        std::abs(x - FLastPress.At.x) <= kDoubleClickSlop && std::abs(y - FLastPress.At.y) <= kDoubleClickSlop;
    FLastPress = {button, {x, y}, now, isDouble};
    return isDouble;
}

void TForm::WindowMouseDown(TMouseButton button, TShiftState shift, int px, int py) {
    const int x = FScale.Units(px), y = FScale.Units(py);
    FCursor = {x, y};
    shift.Double = IsDoubleClick(button, x, y);
    const unsigned bit = ButtonBit(button);
    if (FMenuView.IsOpen()) {
        FMenuButtons |= bit;
        ApplyMenuResult(FMenuView.MouseDown(px, py));
        return;
    }
    // The first button of a press picks the target; it keeps every mouse
    // event until the last button is released.
    if (FButtonsHeld == 0 && !FCapture) {
        UpdateHover(x, y);
        FCapture = FHover;
        FFormPressed = FCapture == nullptr;
    }
    FButtonsHeld |= bit;
    if (TControl* control = FCapture) {
        if (control->CanFocus() && control->Visible() && control->Enabled()) SetFocusedControl(control);
        if (FCapture == control)
            Guarded([&] { control->MouseDown(button, shift, x - control->Left(), y - control->Top()); });
    } else if (OnMouseDown) {
        Guarded([&] { OnMouseDown(*this, button, shift, x, y); });
    }
}

void TForm::WindowMouseUp(TMouseButton button, TShiftState shift, int px, int py) {
    const int x = FScale.Units(px), y = FScale.Units(py);
    FCursor = {x, y};
    const unsigned bit = ButtonBit(button);
    if (FMenuButtons & bit) {
        FMenuButtons &= ~bit;
        ApplyMenuResult(FMenuView.MouseUp(px, py));
        return;
    }
    if (FMenuView.IsOpen()) {
        ApplyMenuResult(FMenuView.MouseUp(px, py));
        return;
    }
    if (!(FButtonsHeld & bit)) return;  // its press went elsewhere
    FButtonsHeld &= ~bit;
    if (TControl* control = FCapture) {
        Guarded([&] { control->MouseUp(button, shift, x - control->Left(), y - control->Top()); });
        const bool click = button == TMouseButton::Left && FCapture == control && control->Enabled() &&
                           control->BoundsRect().Contains(x, y);
        if (click && control->OnClick) Guarded([&] { control->OnClick(*control); });
    } else if (FFormPressed) {
        if (OnMouseUp) Guarded([&] { OnMouseUp(*this, button, shift, x, y); });
        if (button == TMouseButton::Left && FFormPressed && OnClick) Guarded([&] { OnClick(*this); });
    }
    if (FButtonsHeld == 0) EndPress(x, y);
}

void TForm::EndPress(int x, int y) {
    FCapture = nullptr;
    FFormPressed = false;
    UpdateHover(x, y);
}

void TForm::WindowMouseMove(TShiftState shift, int px, int py) {
    const int x = FScale.Units(px), y = FScale.Units(py);
    FCursor = {x, y};
    if (FMenuView.IsOpen()) {
        ApplyMenuResult(FMenuView.MouseMove(px, py));
        return;
    }
    if (TControl* control = FCapture) {
        Guarded([&] { control->MouseMove(shift, x - control->Left(), y - control->Top()); });
        return;
    }
    if (!FFormPressed) UpdateHover(x, y);
    if (TControl* control = FFormPressed ? nullptr : FHover)
        Guarded([&] { control->MouseMove(shift, x - control->Left(), y - control->Top()); });
    else if (OnMouseMove)
        Guarded([&] { OnMouseMove(*this, shift, x, y); });
}

void TForm::WindowMouseWheel(int notches, TShiftState shift, int px, int py) {
    const int x = FScale.Units(px), y = FScale.Units(py);
    FCursor = {x, y};
    if (FMenuView.IsOpen()) return;
    TControl* control = FCapture ? FCapture : ControlAt(x, y);
    if (control) Guarded([&] { control->MouseWheel(notches, shift, x - control->Left(), y - control->Top()); });
}

void TForm::WindowMouseLeave() {
    // During a press the target keeps the pointer; the release settles it.
    if (FButtonsHeld != 0 || FCapture) return;
    if (TControl* before = FHover) {
        FHover = nullptr;
        Guarded([&] { before->MouseLeave(); });
    }
}

// ---- Keys --------------------------------------------------------------------------------

TControl* TForm::KeyTarget() const {
    return FFocused && FFocused->Visible() && FFocused->Enabled() ? FFocused : nullptr;
}

void TForm::DeliverKeyDown(int key, TShiftState shift) {
    FSwallowKeyPress = false;
    if (FMenuView.IsOpen()) {
        // Enter and Escape act on the menu; the character they type must
        // not reach whatever has the focus once the menu is gone.
        FSwallowKeyPress = key == vkReturn || key == vkEscape;
        ApplyMenuResult(FMenuView.KeyDown(key));
        return;
    }
    bool taken = false;
    if (TControl* control = KeyTarget()) Guarded([&] { taken = control->KeyDown(key, shift); });
    if (!taken && key != 0 && OnKeyDown) Guarded([&] { OnKeyDown(*this, key, shift); });
}

void TForm::DeliverKeyUp(int key, TShiftState shift) {
    if (FMenuView.IsOpen()) return;
    bool taken = false;
    if (TControl* control = KeyTarget()) Guarded([&] { taken = control->KeyUp(key, shift); });
    if (!taken && key != 0 && OnKeyUp) Guarded([&] { OnKeyUp(*this, key, shift); });
}

void TForm::DeliverKeyPress(char32_t character) {
    if (FSwallowKeyPress) {
        FSwallowKeyPress = false;
        return;
    }
    if (character == 0) return;
    if (FMenuView.IsOpen()) {
        ApplyMenuResult(FMenuView.KeyPress(character));
        return;
    }
    bool taken = false;
    if (TControl* control = KeyTarget()) Guarded([&] { taken = control->KeyPress(character); });
    if (!taken && character != 0 && OnKeyPress) Guarded([&] { OnKeyPress(*this, character); });
}

bool TForm::FirstOfTwins(TKeyPath path, TKeyStroke stroke, std::int32_t code) {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    return FKeyTwins.Admit(path, stroke, code, static_cast<std::uint64_t>(ms));
}

void TForm::WindowKeyDown(int key, TShiftState shift, char32_t character) {
    if (FirstOfTwins(TKeyPath::Window, TKeyStroke::Down, key)) DeliverKeyDown(key, shift);
    if (character != 0 && FirstOfTwins(TKeyPath::Window, TKeyStroke::Char, static_cast<std::int32_t>(character)))
        DeliverKeyPress(character);
}

void TForm::WindowKeyUp(int key, TShiftState shift) {
    if (FirstOfTwins(TKeyPath::Window, TKeyStroke::Up, key)) DeliverKeyUp(key, shift);
}

void TForm::HostKeyMessage(TKeyMessage message, std::int32_t keyCode, std::uint32_t keyFlags) {
    // With the extended flag the code is a virtual key; without it, it is
    // the typed character. Modifier keys the host forwards are remembered,
    // since the key messages themselves carry only Alt.
    const bool virtualKey = (keyFlags & kKeyFlagExtended) != 0;
    const bool down = message == TKeyMessage::KeyDown || message == TKeyMessage::SysKeyDown;
    const int key = virtualKey ? keyCode : VirtualKeyOfCharacter(keyCode);
    if (message != TKeyMessage::Char) {
        if (keyCode == vkShift) FHostShift = down;
        if (keyCode == vkControl) FHostCtrl = down;
    }
    TShiftState shift;
    shift.Shift = FHostShift;
    shift.Ctrl = FHostCtrl;
    shift.Alt = (keyFlags & kKeyFlagAltDown) != 0;
    switch (message) {
        case TKeyMessage::KeyDown:
        case TKeyMessage::SysKeyDown:
            if (FirstOfTwins(TKeyPath::HostForwarded, TKeyStroke::Down, key)) DeliverKeyDown(key, shift);
            break;
        case TKeyMessage::KeyUp:
        case TKeyMessage::SysKeyUp:
            if (FirstOfTwins(TKeyPath::HostForwarded, TKeyStroke::Up, key)) DeliverKeyUp(key, shift);
            break;
        case TKeyMessage::Char: {
            // Control characters other than the editing keys are dropped
            // (a shifted digit can arrive as one).
            const char32_t c = virtualKey ? CharacterOfVirtualKey(keyCode) : static_cast<char32_t>(keyCode);
            const bool editing = c == 8 || c == 9 || c == 13 || c == 27;
            const char32_t typed = keyCode > 0 && (c >= 32 || editing) ? c : 0;
            if (typed == 0 || FirstOfTwins(TKeyPath::HostForwarded, TKeyStroke::Char, static_cast<std::int32_t>(typed)))
                DeliverKeyPress(typed);
            break;
        }
    }
}

// ---- Window ---------------------------------------------------------------------------------

void TForm::WindowFocusChanged(bool /*focused*/) {
    // An open menu stays: on a click, window managers and hosts' toolkits
    // move the focus about (to the top level, back, to a frame) before the
    // press arrives, so a focus change says nothing about the user's intent.
    if (TControl* control = FFocused) control->Invalidate();
}

void TForm::WindowExposed(const TRect& r) {
    FExposed.Add(IntersectRect(r, ClientRect()));
    if (OnPaint) Guarded([&] { OnPaint(*this); });
}

}  // namespace tessel
