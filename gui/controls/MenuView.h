#pragma once
// TMenuView: an open popup menu drawn inside the editor's own window — the
// top level and any open submenus — with its highlight, keyboard and mouse
// handling. The form owns one, paints it over everything else and hands it
// all input while it is open.
//
// Look: a classic desktop menu in the system colours (SystemColors.h): a
// raised 3-D frame, the highlight bar, check marks, radio bullets,
// underlined mnemonics and submenu arrows.
//
// Threads: [editor-thread].

#include <string_view>
#include <vector>

#include "gui/controls/PopupMenu.h"
#include "gui/surface/Bitmap32.h"
#include "gui/surface/Font32.h"
#include "gui/surface/Geometry.h"
#include "gui/surface/PixelScale.h"

namespace tessel {

class TMenuView {
public:
    // What an input event did to the menu.
    struct TResult {
        bool Consumed = false;
        bool Closed = false;          // the menu went away
        TMenuItem* Chosen = nullptr;  // click this item (the menu has closed)
        TRect Dirty;                  // repaint (client pixels), may be empty
    };

    // Opens `menu` with its top-left corner at (x, y), moved so that it fits
    // inside `area` (the client rectangle). The font gives the item text.
    // Everything here is in screen pixels; `scale` sizes the menu's
    // geometry and text, laid out in units.
    TRect Open(TPopupMenu& menu, int x, int y, const TRect& area, const TFont32& font, TPixelScale scale = {});
    // Closes every level; returns the area to repaint.
    TRect Close();
    bool IsOpen() const { return !FLevels.empty(); }
    TPopupMenu* Menu() const { return FMenu; }

    // Open levels, outermost first (tests and painting).
    int LevelCount() const { return static_cast<int>(FLevels.size()); }
    TRect LevelBounds(int level) const { return FLevels.at(static_cast<std::size_t>(level)).Bounds; }
    // Highlighted item of a level, or null.
    TMenuItem* Highlighted(int level) const;
    // Where an item of an open level is drawn (client pixels); empty when not shown.
    TRect ItemBounds(const TMenuItem& item) const;
    TRect Bounds() const;  // union of all levels

    TResult MouseDown(int x, int y);
    TResult MouseMove(int x, int y);
    TResult MouseUp(int x, int y);
    // Arrows, Enter, Escape; true when taken.
    TResult KeyDown(int key);
    // Mnemonic letters.
    TResult KeyPress(char32_t character);

    // Draws the levels that meet `clip` into target.
    void Paint(TBitmap32& target, const TRect& clip);

private:
    struct TRow {
        TMenuItem* Item;
        TRect Bounds;  // client pixels
    };
    struct TLevel {
        TMenuItem* Parent;
        TRect Bounds;
        std::vector<TRow> Rows;
        int Highlight = -1;  // row index
    };

    TLevel Layout(TMenuItem& parent, int x, int y) const;
    void OpenSubmenu(std::size_t level, int row, bool highlightFirst, TRect& dirty);
    void CloseFrom(std::size_t level, TRect& dirty);
    void SetHighlight(std::size_t level, int row, TRect& dirty);
    bool FindRow(int x, int y, std::size_t& level, int& row) const;
    TResult Activate(std::size_t level, int row);
    TResult Track(int x, int y);
    void PaintLevel(TBitmap32& target, const TLevel& level) const;
    void PaintRow(TBitmap32& target, const TRow& row, bool highlighted) const;

    TPopupMenu* FMenu = nullptr;
    std::vector<TLevel> FLevels;
    TRect FArea;
    TFont32 FFont;
    TPixelScale FScale;
    int FTextHeight = 13;
    TPoint FOpenedAt;
    bool FMoved = false;  // the pointer moved (or pressed) since the menu opened
    TBitmap32 FMeasure;   // carries the font for measuring
};

}  // namespace tessel
