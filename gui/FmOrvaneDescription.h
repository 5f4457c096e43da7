#pragma once
// The stored form description of the equaliser's editor, TFmOrvane: the
// form's properties, its published components in declared order, the four
// popup menus item by item and the in-place value box. The form applies it
// when it is built, as a sequence of assignments.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "framework/StoredDescription.h"

namespace tessel {

// Menu item flags.
enum TStoredMenuFlag : std::uint8_t {
    mfRadio = 1,       // one of a group: checking it unchecks the others
    mfAutoCheck = 2,   // checks itself when clicked
    mfChecked = 4,     // checked as stored
    mfSeparator = 8,   // a "-" line
    mfSubmenu = 16,    // opens the items of the next level that follow it
};

struct TStoredMenuItem {
    std::string_view Name;
    std::string_view Caption;  // "&" marks the accelerator
    std::int32_t Tag;
    std::uint8_t Flags;
    std::uint8_t GroupIndex;   // narrows the radio group among siblings
    std::string_view OnClick;  // empty: none
    int Level;                 // 0 top level; 1 inside the last submenu item above
};

struct TStoredMenu {
    std::string_view Name;
    std::span<const TStoredMenuItem> Items;
};

// PopupSimple (band kind), PUFreqDisplay, PUGUI (appearance), PUDial (band order).
std::span<const TStoredMenu> FmOrvaneMenus();
const TStoredMenu* FindFmOrvaneMenu(std::string_view name);

// The published components in declared order.
std::span<const std::string_view> FmOrvaneComponents();

// The form's own properties (size, colour, font, event handlers) and those
// of ValueEdit, in stored order.
const TStoredDescription& FmOrvaneDescription();
const std::vector<TStoredProperty>& ValueEditDescription();

}  // namespace tessel
