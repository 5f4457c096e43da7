#include "gui/controls/PopupMenu.h"

#include <stdexcept>

#include "gui/surface/FontEngine.h"

namespace tessel {
namespace {

char32_t LowerCase(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c - U'A' + U'a';
    // Latin-1 capitals (except the multiplication sign) sit 32 below their small letters.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    return c;
}

std::size_t Utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

}  // namespace

TMenuItem::TMenuItem(std::string name, std::string caption) : Name(std::move(name)), Caption(std::move(caption)) {}

TMenuItem::~TMenuItem() = default;

void TMenuItem::SetChecked(bool checked) {
    if (checked == FChecked) return;
    FChecked = checked;
    if (!checked || !RadioItem || !FParent) return;
    for (const auto& sibling : FParent->FItems)
        if (sibling.get() != this && sibling->RadioItem && sibling->GroupIndex == GroupIndex) sibling->FChecked = false;
}

std::string TMenuItem::DisplayCaption() const {
    std::string shown;
    shown.reserve(Caption.size());
    for (std::size_t i = 0; i < Caption.size(); ++i) {
        if (Caption[i] == '&' && i + 1 < Caption.size()) ++i;  // "&x" shows x, "&&" shows &
        shown += Caption[i];
    }
    return shown;
}

int TMenuItem::MnemonicOffset() const {
    int shownBytes = 0;
    for (std::size_t i = 0; i < Caption.size(); ++i, ++shownBytes) {
        if (Caption[i] != '&' || i + 1 >= Caption.size()) continue;
        if (Caption[i + 1] != '&') return shownBytes;
        ++i;  // a literal ampersand
    }
    return -1;
}

char32_t TMenuItem::Mnemonic() const {
    const int offset = MnemonicOffset();
    if (offset < 0) return 0;
    const std::string shown = DisplayCaption();
    const auto at = static_cast<std::size_t>(offset);
    const std::u32string letter =
        DecodeUtf8(std::string_view(shown).substr(at, Utf8Length(static_cast<unsigned char>(shown[at]))));
    return letter.empty() ? 0 : LowerCase(letter.front());
}

bool TMenuItem::HasMnemonic(char32_t typed) const {
    const char32_t mnemonic = Mnemonic();
    return mnemonic != 0 && mnemonic == LowerCase(typed);
}

void TMenuItem::Click() {
    if (!Enabled) return;
    if (AutoCheck) SetChecked(RadioItem ? true : !FChecked);
    if (OnClick) OnClick(*this);
}

TMenuItem& TMenuItem::Add(std::unique_ptr<TMenuItem> item) {
    if (!item) throw std::invalid_argument("Menu item is null");
    item->FParent = this;
    FItems.push_back(std::move(item));
    TMenuItem& added = *FItems.back();
    // A checked radio item joining a group takes the check from the others.
    if (added.FChecked) {
        added.FChecked = false;
        added.SetChecked(true);
    }
    return added;
}

TMenuItem& TMenuItem::Add(std::string name, std::string caption) {
    return Add(std::make_unique<TMenuItem>(std::move(name), std::move(caption)));
}

TMenuItem* TMenuItem::Find(std::string_view name) {
    if (Name == name) return this;
    for (const auto& item : FItems)
        if (TMenuItem* found = item->Find(name)) return found;
    return nullptr;
}

TPopupMenu::TPopupMenu(std::string name) : Name(std::move(name)) {}

void BuildMenus(std::span<TPopupMenu* const> menus, std::span<const TMenuItemRow> rows,
                const TMenuHandlerResolver& resolve) {
    for (const TMenuItemRow& row : rows) {
        TMenuItem* parent = nullptr;
        for (TPopupMenu* menu : menus) {
            if (!menu) continue;
            if (menu->Name == row.Parent)
                parent = &menu->Items();
            else if (TMenuItem* item = menu->Find(row.Parent); item && !row.Parent.empty())
                parent = item;
            if (parent) break;
        }
        if (!parent) throw std::invalid_argument("Unknown menu parent \"" + std::string(row.Parent) + "\"");
        auto item = std::make_unique<TMenuItem>(std::string(row.Name), std::string(row.Caption));
        item->Tag = row.Tag;
        item->RadioItem = (row.Flags & mfRadio) != 0;
        item->AutoCheck = (row.Flags & mfAutoCheck) != 0;
        item->Enabled = (row.Flags & mfDisabled) == 0;
        item->Visible = (row.Flags & mfHidden) == 0;
        item->GroupIndex = row.GroupIndex;
        if (!row.OnClick.empty()) {
            item->OnClick = resolve ? resolve(row.OnClick) : nullptr;
            if (!item->OnClick)
                throw std::invalid_argument("Unknown menu handler \"" + std::string(row.OnClick) + "\"");
        }
        parent->Add(std::move(item)).SetChecked((row.Flags & mfChecked) != 0);
    }
}

}  // namespace tessel
