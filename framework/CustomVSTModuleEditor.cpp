// Editor hosting: creating, embedding, sizing, idling and closing the editor
// window, and forwarding the host's keystrokes to it. [UI thread]

#include <array>
#include <cmath>

#include "framework/CustomVSTModule.h"
#include "framework/VSTBoundary.h"

namespace tessel {

namespace {

// Platform virtual-key codes for VST virtual keys 1..57 (index = VST key),
// the codes the editor's key handling and its X layer use for the same keys:
// page up and down are Prior and Next (not the arrows), the numeric pad's
// digits are its own keys (not the main row's), '=' is the US "=+" key.
constexpr std::array<std::int32_t, 58> kPlatformKeys = {
    0,                                                 // 0: none
    8,   9,   12,  13,  19,  27,  32,  34,  35,  36,   // back tab clear return pause escape space next end home
    37,  38,  39,  40,  33,  34,  41,  42,  13,  44,   // left up right down pageup pagedown select print enter snapshot
    45,  46,  47,                                      // insert delete help
    96,  97,  98,  99,  100, 101, 102, 103, 104, 105,  // numeric pad 0..9
    106, 107, 108, 109, 110, 111,                      // multiply add separator subtract decimal divide
    112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123,  // F1..F12
    144, 145, 16,  17,  18,  187};                               // numlock scroll shift control alt equals

constexpr std::uint8_t kModifierShift = kVstModifierShift;
constexpr std::uint8_t kModifierAlt = kVstModifierAlt;

std::uint8_t ModifierBits(float modifiers) {
    // The host sends the modifier bits as a float; anything not a number means none.
    if (!std::isfinite(modifiers)) return 0;
    return static_cast<std::uint8_t>(static_cast<std::int64_t>(std::nearbyint(std::fmod(modifiers, 65536.0f))));
}

}  // namespace

std::int32_t VirtualKeyToPlatformKey(const VstKeyCode& key) {
    if (key.character != 0) {
        // Hosts pass the character the keystroke typed, already shifted
        // ('_', '!', or '1' where the layout needs Shift for digits), except
        // that some pass letters in lower case whatever Shift says. Only
        // those can be shifted here; any other character is taken as sent,
        // since what Shift makes of it depends on a layout only the host knows.
        const bool lowerCaseLetter = key.character >= 'a' && key.character <= 'z';
        return (key.modifier & kModifierShift) && lowerCaseLetter ? key.character - 'a' + 'A' : key.character;
    }
    return key.virt < kPlatformKeys.size() ? kPlatformKeys[key.virt] : 0;
}

void TCustomVSTModule::BeforeDestruction() {
    TBasicVSTModule::BeforeDestruction();
    FEditorShare.Withdraw();
    FEditorForm.reset();
}

std::intptr_t TCustomVSTModule::HandleEditGetRect(std::int32_t, std::intptr_t, void* ptr, float) {
    if (void** slot = HostAddressSlot(ptr)) *slot = &FEditorRect;
    FEditorRect.top = 0;
    FEditorRect.left = 0;
    if (!FEditorForm) {
        // A host that sizes its window before opening the editor gets the size
        // the editor will have, when the module knows it.
        const auto [width, height] = EditorSizeBeforeOpen();
        if (width <= 0 || height <= 0) return 0;
        FEditorRect.bottom = static_cast<std::int16_t>(height);
        FEditorRect.right = static_cast<std::int16_t>(width);
        return 1;
    }
    FEditorRect.bottom = static_cast<std::int16_t>(FEditorForm->ClientHeight());
    FEditorRect.right = static_cast<std::int16_t>(FEditorForm->ClientWidth());
    return 1;
}

std::intptr_t TCustomVSTModule::HandleEditOpen(std::int32_t, std::intptr_t, void* ptr, float) {
    if (!Flags().Contains(TEffFlag::effFlagsHasEditor)) return 0;
    if (OnEditOpen) OnEditOpen(*this, FEditorForm, reinterpret_cast<std::uintptr_t>(ptr));
    FEditorShare.Publish(FEditorForm.get());
    if (!FEditorForm) return 0;
    try {
        FEditorForm->SetParentWindow(reinterpret_cast<std::uintptr_t>(ptr));
    } catch (const EEditorOpenFailed&) {
        // No window at all: the host hears so, and its next request tries
        // again from the start.
        FEditorShare.Withdraw();
        FEditorForm.reset();
        return 0;
    } catch (...) {
    }
    try {
        FEditorForm->Show();
        FEditorForm->RemoveBorder();
        FEditorForm->SetBounds(0, 0, FEditorForm->Width(), FEditorForm->Height());
        FEditorForm->Invalidate();
    } catch (...) {
        // A window that could not be embedded is still open; the host may retry.
    }
    return 1;
}

std::intptr_t TCustomVSTModule::HandleEditClose(std::int32_t, std::intptr_t, void*, float) {
    if (!Flags().Contains(TEffFlag::effFlagsHasEditor)) return 0;
    bool destroyForm = true;
    if (OnEditClose) OnEditClose(*this, destroyForm);
    if (destroyForm) {
        // Parameter handlers on other threads may be telling the editor
        // something right now: they finish before it goes away.
        FEditorShare.Withdraw();
        FEditorForm.reset();
    }
    return 0;
}

std::intptr_t TCustomVSTModule::HandleEditIdle(std::int32_t, std::intptr_t, void*, float) {
    if (Flags().Contains(TEffFlag::effFlagsHasEditor) && EditorNeedsUpdate() && FEditorForm) {
        if (OnEditIdle) OnEditIdle(*this);
        SetEditorNeedsUpdate(false);
    }
    return 0;
}

std::intptr_t TCustomVSTModule::HandleEditTop(std::int32_t, std::intptr_t, void*, float) {
    if (OnEditTop) OnEditTop(*this);
    return 0;
}

std::intptr_t TCustomVSTModule::HandleEditSleep(std::int32_t, std::intptr_t, void*, float) {
    if (OnEditSleep) OnEditSleep(*this);
    return 0;
}

std::intptr_t TCustomVSTModule::HandleEditKeyDown(std::int32_t index, std::intptr_t value, void*, float opt) {
    return ForwardKey(true, index, value, opt);
}

std::intptr_t TCustomVSTModule::HandleEditKeyUp(std::int32_t index, std::intptr_t value, void*, float opt) {
    return ForwardKey(false, index, value, opt);
}

std::intptr_t TCustomVSTModule::ForwardKey(bool down, std::int32_t character, std::intptr_t virtualKey,
                                           float modifiers) {
    if (!KeysRequired()) return -1;
    VstKeyCode key{};
    key.character = character;
    key.virt = static_cast<std::uint8_t>(virtualKey);
    key.modifier = ModifierBits(modifiers);
    if (!FEditorForm) return 0;
    try {
        const std::int32_t code = VirtualKeyToPlatformKey(key);
        // The flag tells the window a virtual-key code from a character: a
        // host that sends both a character and its virtual key gets the
        // character, which is no virtual key.
        const std::uint32_t plainFlag = key.character == 0 && key.virt != 0 ? kKeyFlagExtended : 0;
        if (key.modifier & kModifierAlt)
            FEditorForm->SendKeyMessage(down ? TKeyMessage::SysKeyDown : TKeyMessage::SysKeyUp, code, kKeyFlagAltDown);
        else
            FEditorForm->SendKeyMessage(down ? TKeyMessage::KeyDown : TKeyMessage::KeyUp, code, plainFlag);
        if (down) FEditorForm->SendKeyMessage(TKeyMessage::Char, code, plainFlag);
        if (auto& event = down ? OnEditorKeyDown : OnEditorKeyUp) event(*this, key);
        return OnCheckKey && OnCheckKey(*this, static_cast<char>(code)) ? 1 : -1;
    } catch (...) {
        return -1;
    }
}

}  // namespace tessel
