#pragma once
// The stored form description of the equaliser's editor, TFmOrvane: the
// form's properties, its published components in declared order, the four
// popup menus item by item and the in-place value box. The form applies it
// when it is built, as a sequence of assignments.

#include <span>
#include <string_view>
#include <vector>

#include "framework/StoredDescription.h"
#include "gui/controls/PopupMenu.h"

namespace tessel {

// The four popup menus' items in stored order — PopupSimple (band kind),
// PUFreqDisplay (frequency display and snapping), PUGUI (appearance) and
// PUDial (band order) — for BuildMenus.
std::span<const TMenuItemRow> FmOrvaneMenuRows();

// The published components in declared order.
std::span<const std::string_view> FmOrvaneComponents();

// The form's own properties (size, colour, font, event handlers) and those
// of ValueEdit, in stored order.
const TStoredDescription& FmOrvaneDescription();
const std::vector<TStoredProperty>& ValueEditDescription();

}  // namespace tessel
