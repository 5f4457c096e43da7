#pragma once
// TPopupMenu and TMenuItem: the menus the editor opens at the pointer. They
// are plain data — captions, tags, check states and click handlers; the
// form draws an open menu inside its own window and runs its keyboard and
// mouse handling (MenuView.h), because window managers do not keep
// override-redirect windows above the host's window.
//
// Captions: "&" marks the next character as the mnemonic (drawn
// underlined, typed to choose the item); "&&" is a literal ampersand; a
// caption of "-" makes a separator.
//
// Check states: a radio item that becomes checked unchecks every other
// radio item of the same parent with the same GroupIndex. An AutoCheck item
// checks itself when clicked: a plain item toggles, a radio item becomes
// the checked one of its group (clicking the checked one keeps it).
//
// Threads: [editor-thread], like everything the form owns.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

class TMenuItem {
public:
    using TClickEvent = std::function<void(TMenuItem& sender)>;

    explicit TMenuItem(std::string name = {}, std::string caption = {});
    TMenuItem(const TMenuItem&) = delete;
    TMenuItem& operator=(const TMenuItem&) = delete;
    ~TMenuItem();

    std::string Name;
    std::string Caption;
    std::intptr_t Tag = 0;
    bool Enabled = true;
    bool Visible = true;
    bool RadioItem = false;
    bool AutoCheck = false;
    std::uint8_t GroupIndex = 0;
    TClickEvent OnClick;

    bool Checked() const { return FChecked; }
    void SetChecked(bool checked);
    bool IsSeparator() const { return Caption == "-"; }
    // The caption as shown: single "&" removed, "&&" turned into "&".
    std::string DisplayCaption() const;
    // Byte offset of the mnemonic in DisplayCaption and its lower-case
    // code point; -1 / 0 when the caption has none.
    int MnemonicOffset() const;
    char32_t Mnemonic() const;
    // Whether a typed character chooses this item: its mnemonic in either case.
    bool HasMnemonic(char32_t typed) const;

    // What a click does: AutoCheck, then OnClick. Nothing when disabled.
    void Click();

    // ---- Submenu ---------------------------------------------------------
    TMenuItem* Parent() const { return FParent; }
    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem& Item(int index) const { return *FItems.at(static_cast<std::size_t>(index)); }
    bool HasSubmenu() const { return !FItems.empty(); }
    // Appends an item and returns it.
    TMenuItem& Add(std::unique_ptr<TMenuItem> item);
    TMenuItem& Add(std::string name, std::string caption);
    // This item or one below it with the name, or null.
    TMenuItem* Find(std::string_view name);

private:
    TMenuItem* FParent = nullptr;
    std::vector<std::unique_ptr<TMenuItem>> FItems;
    bool FChecked = false;
};

class TPopupMenu {
public:
    explicit TPopupMenu(std::string name = {});

    std::string Name;
    // Free for the owner (the editor keeps the band a menu was opened for).
    std::intptr_t Tag = 0;
    // Fired just before the menu opens.
    std::function<void(TPopupMenu& sender)> OnPopup;

    // The menu's items hang below this root item.
    TMenuItem& Items() { return FRoot; }
    const TMenuItem& Items() const { return FRoot; }
    TMenuItem* Find(std::string_view name) { return FRoot.Find(name); }

private:
    TMenuItem FRoot;
};

// ---- Menus from data tables ----------------------------------------------

enum TMenuItemFlag : std::uint8_t {
    mfRadio = 1,      // RadioItem
    mfAutoCheck = 2,  // checks itself when clicked
    mfChecked = 4,
    mfDisabled = 8,
    mfHidden = 16,
};

// One item of a stored menu. Parent names a menu or an item built by an
// earlier row (that item gets a submenu). A caption of "-" is a separator.
struct TMenuItemRow {
    std::string_view Name;
    std::string_view Caption;
    std::intptr_t Tag = 0;
    std::uint8_t Flags = 0;  // TMenuItemFlag bits
    std::uint8_t GroupIndex = 0;
    std::string_view Parent;
    std::string_view OnClick;  // handler name; empty for none
};

// Turns a handler name into the handler; an empty result means unknown.
using TMenuHandlerResolver = std::function<TMenuItem::TClickEvent(std::string_view name)>;

// Appends the rows' items, in table order, to the menus they name. Throws
// std::invalid_argument for a parent no menu or earlier row has and for a
// handler name the resolver does not know; the menus are then partly built.
void BuildMenus(std::span<TPopupMenu* const> menus, std::span<const TMenuItemRow> rows,
                const TMenuHandlerResolver& resolve);

}  // namespace tessel
