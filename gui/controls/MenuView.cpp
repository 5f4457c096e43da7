#include "gui/controls/MenuView.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "gui/controls/DirtyRegion.h"
#include "gui/surface/SystemColors.h"
#include "gui/window/ShiftState.h"

namespace tessel {
namespace {

// Geometry of a classic menu, units (drawn at the form's scale; the 3-D
// frame's lines stay one screen pixel, as desktop menus draw them).
constexpr int kFrame = 3;         // raised frame (2) and padding (1)
constexpr int kCheckGutter = 22;  // check marks and bullets, left of the text
constexpr int kArrowGutter = 20;  // submenu arrows, right of the text
constexpr int kTextPadding = 8;   // after the text
constexpr int kMinWidth = 90;
constexpr int kItemExtra = 7;  // item height over the text height
constexpr int kSeparatorHeight = 9;
constexpr int kSubmenuOverlap = 3;  // a submenu covers this much of its parent

TColor32 System(TSystemColorIndex index) { return FromSystemColor(SystemColorWord(index)); }

bool Selectable(const TMenuItem& item) { return item.Visible && !item.IsSeparator(); }

TMenuView::TResult Taken() {
    TMenuView::TResult result;
    result.Consumed = true;
    return result;
}

TRect Offset(const TRect& r, int dx, int dy) { return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; }

void HorizontalLine(TBitmap32& target, int x1, int x2, int y, TColor32 c) { target.FillRect(x1, y, x2, y + 1, c); }
void VerticalLine(TBitmap32& target, int x, int y1, int y2, TColor32 c) { target.FillRect(x, y1, x + 1, y2, c); }

// A raised 3-D frame two pixels wide just inside r.
void RaisedFrame(TBitmap32& target, const TRect& r) {
    const TColor32 light = System(sc3DLight), dark = System(sc3DDkShadow);
    const TColor32 highlight = System(scBtnHighlight), shadow = System(scBtnShadow);
    HorizontalLine(target, r.Left, r.Right, r.Top, light);
    VerticalLine(target, r.Left, r.Top, r.Bottom, light);
    HorizontalLine(target, r.Left, r.Right, r.Bottom - 1, dark);
    VerticalLine(target, r.Right - 1, r.Top, r.Bottom, dark);
    HorizontalLine(target, r.Left + 1, r.Right - 1, r.Top + 1, highlight);
    VerticalLine(target, r.Left + 1, r.Top + 1, r.Bottom - 1, highlight);
    HorizontalLine(target, r.Left + 1, r.Right - 1, r.Bottom - 2, shadow);
    VerticalLine(target, r.Right - 2, r.Top + 1, r.Bottom - 1, shadow);
}

// Marks centred at (cx, cy), screen pixels, drawn k screen pixels per unit.
void CheckMark(TBitmap32& target, double cx, double cy, double k, TColor32 c) {
    const std::array<TFixedPoint, 6> tick = {
        FixedPoint(cx - 3.5 * k, cy - 0.5 * k), FixedPoint(cx - 1.5 * k, cy + 1.5 * k),
        FixedPoint(cx + 3.5 * k, cy - 4.5 * k), FixedPoint(cx + 3.5 * k, cy - 2.0 * k),
        FixedPoint(cx - 1.5 * k, cy + 4.0 * k), FixedPoint(cx - 3.5 * k, cy + 2.0 * k)};
    target.FillPolygon(tick, c);
}

void RadioBullet(TBitmap32& target, double cx, double cy, double k, TColor32 c) {
    constexpr int kPoints = 16;
    constexpr double kRadius = 3.2;
    std::array<TFixedPoint, kPoints> disc;
    for (int i = 0; i < kPoints; ++i) {
        const double angle = 2.0 * 3.14159265358979 * i / kPoints;
        disc[static_cast<std::size_t>(i)] =
            FixedPoint(cx + k * kRadius * std::cos(angle), cy + k * kRadius * std::sin(angle));
    }
    target.FillPolygon(disc, c);
}

void SubmenuArrow(TBitmap32& target, int left, double cy, double k, TColor32 c) {
    cy = k == 1.0 ? static_cast<int>(cy) : cy;  // 100 %: on the whole pixel, as always
    const std::array<TFixedPoint, 3> arrow = {FixedPoint(left, cy - 3.5 * k), FixedPoint(left + 4 * k, cy),
                                              FixedPoint(left, cy + 3.5 * k)};
    target.FillPolygon(arrow, c);
}

// Moves a level so that it lies inside the area (left and top edges win
// when it is larger than the area).
void FitInside(TRect& bounds, std::vector<TRect*> rows, const TRect& area) {
    int dx = 0, dy = 0;
    if (bounds.Right > area.Right) dx = area.Right - bounds.Right;
    if (bounds.Left + dx < area.Left) dx = area.Left - bounds.Left;
    if (bounds.Bottom > area.Bottom) dy = area.Bottom - bounds.Bottom;
    if (bounds.Top + dy < area.Top) dy = area.Top - bounds.Top;
    bounds = Offset(bounds, dx, dy);
    for (TRect* r : rows) *r = Offset(*r, dx, dy);
}

void MoveLevel(TRect& bounds, std::vector<TRect*> rows, int x, int y) {
    const int dx = x - bounds.Left, dy = y - bounds.Top;
    bounds = Offset(bounds, dx, dy);
    for (TRect* r : rows) *r = Offset(*r, dx, dy);
}

}  // namespace

// ---- Layout -------------------------------------------------------------------

TMenuView::TLevel TMenuView::Layout(TMenuItem& parent, int x, int y) const {
    TLevel level{&parent, {}, {}, -1};
    const int itemHeight = FTextHeight + FScale.Length(kItemExtra);
    int textWidth = 0;
    bool anySubmenu = false;
    for (int i = 0; i < parent.Count(); ++i) {
        TMenuItem& item = parent.Item(i);
        if (!item.Visible) continue;
        if (!item.IsSeparator()) textWidth = std::max(textWidth, FMeasure.TextWidth(item.DisplayCaption()));
        anySubmenu = anySubmenu || item.HasSubmenu();
    }
    const int width = std::max(FScale.Length(kMinWidth), 2 * FScale.Length(kFrame) + FScale.Length(kCheckGutter) +
                                                             textWidth + FScale.Length(kTextPadding) +
                                                             (anySubmenu ? FScale.Length(kArrowGutter) : 0));
    int top = y + FScale.Length(kFrame);
    for (int i = 0; i < parent.Count(); ++i) {
        TMenuItem& item = parent.Item(i);
        if (!item.Visible) continue;
        const int height = item.IsSeparator() ? FScale.Length(kSeparatorHeight) : itemHeight;
        level.Rows.push_back(
            {&item, {x + FScale.Length(kFrame), top, x + width - FScale.Length(kFrame), top + height}});
        top += height;
    }
    level.Bounds = {x, y, x + width, top + FScale.Length(kFrame)};
    return level;
}

TRect TMenuView::Open(TPopupMenu& menu, int x, int y, const TRect& area, const TFont32& font, TPixelScale scale) {
    TRect dirty = Close();
    FMenu = &menu;
    FArea = area;
    FScale = scale;
    FFont = font;
    FFont.Percent = scale.Percent;
    FFont.Color = FromSystemColor(SystemColorWord(scMenuText));
    FMeasure.Font() = FFont;
    FTextHeight = std::max(1, FMeasure.TextExtent("Ag").Height);
    FOpenedAt = {x, y};
    FMoved = false;
    if (menu.OnPopup) menu.OnPopup(menu);
    TLevel top = Layout(menu.Items(), x, y);
    std::vector<TRect*> rows;
    for (TRow& row : top.Rows) rows.push_back(&row.Bounds);
    FitInside(top.Bounds, rows, area);
    FLevels.push_back(std::move(top));
    return UnionRect(dirty, FLevels.back().Bounds);
}

TRect TMenuView::Close() {
    TRect dirty;
    CloseFrom(0, dirty);
    FMenu = nullptr;
    return dirty;
}

void TMenuView::OpenSubmenu(std::size_t level, int row, bool highlightFirst, TRect& dirty) {
    CloseFrom(level + 1, dirty);
    const TRect parentBounds = FLevels[level].Bounds;
    const TRect rowBounds = FLevels[level].Rows[static_cast<std::size_t>(row)].Bounds;
    TLevel sub = Layout(*FLevels[level].Rows[static_cast<std::size_t>(row)].Item, 0, 0);
    std::vector<TRect*> rows;
    for (TRow& r : sub.Rows) rows.push_back(&r.Bounds);
    // To the right of the parent, its first item level with the parent item;
    // to the left when there is no room on the right.
    int x = parentBounds.Right - FScale.Length(kSubmenuOverlap);
    if (x + sub.Bounds.Width() > FArea.Right)
        x = parentBounds.Left + FScale.Length(kSubmenuOverlap) - sub.Bounds.Width();
    MoveLevel(sub.Bounds, rows, x, rowBounds.Top - FScale.Length(kFrame));
    FitInside(sub.Bounds, rows, FArea);
    dirty = UnionRect(dirty, sub.Bounds);
    FLevels.push_back(std::move(sub));
    if (!highlightFirst) return;
    const TLevel& opened = FLevels.back();
    for (std::size_t i = 0; i < opened.Rows.size(); ++i)
        if (Selectable(*opened.Rows[i].Item)) return SetHighlight(FLevels.size() - 1, static_cast<int>(i), dirty);
}

void TMenuView::CloseFrom(std::size_t level, TRect& dirty) {
    while (FLevels.size() > level) {
        dirty = UnionRect(dirty, FLevels.back().Bounds);
        FLevels.pop_back();
    }
}

void TMenuView::SetHighlight(std::size_t level, int row, TRect& dirty) {
    TLevel& l = FLevels[level];
    if (l.Highlight == row) return;
    if (l.Highlight >= 0) dirty = UnionRect(dirty, l.Rows[static_cast<std::size_t>(l.Highlight)].Bounds);
    l.Highlight = row;
    if (row >= 0) dirty = UnionRect(dirty, l.Rows[static_cast<std::size_t>(row)].Bounds);
}

// ---- Queries ------------------------------------------------------------------

TMenuItem* TMenuView::Highlighted(int level) const {
    const TLevel& l = FLevels.at(static_cast<std::size_t>(level));
    return l.Highlight >= 0 ? l.Rows[static_cast<std::size_t>(l.Highlight)].Item : nullptr;
}

TRect TMenuView::ItemBounds(const TMenuItem& item) const {
    for (const TLevel& level : FLevels)
        for (const TRow& row : level.Rows)
            if (row.Item == &item) return row.Bounds;
    return {};
}

TRect TMenuView::Bounds() const {
    TRect all;
    for (const TLevel& level : FLevels) all = UnionRect(all, level.Bounds);
    return all;
}

bool TMenuView::FindRow(int x, int y, std::size_t& level, int& row) const {
    for (std::size_t i = FLevels.size(); i-- > 0;) {
        if (!FLevels[i].Bounds.Contains(x, y)) continue;
        level = i;
        row = -1;
        for (std::size_t r = 0; r < FLevels[i].Rows.size(); ++r)
            if (FLevels[i].Rows[r].Bounds.Contains(x, y) && Selectable(*FLevels[i].Rows[r].Item))
                row = static_cast<int>(r);
        return true;
    }
    return false;
}

// ---- Input --------------------------------------------------------------------

TMenuView::TResult TMenuView::Activate(std::size_t level, int row) {
    TResult result = Taken();
    TMenuItem& item = *FLevels[level].Rows[static_cast<std::size_t>(row)].Item;
    if (!item.Enabled || !Selectable(item)) return result;
    if (item.HasSubmenu()) {
        SetHighlight(level, row, result.Dirty);
        OpenSubmenu(level, row, true, result.Dirty);
        return result;
    }
    result.Dirty = Close();
    result.Closed = true;
    result.Chosen = &item;
    return result;
}

TMenuView::TResult TMenuView::Track(int x, int y) {
    TResult result = Taken();
    std::size_t level = 0;
    int row = -1;
    if (!FindRow(x, y, level, row)) {
        // Outside every level: the innermost level loses its highlight
        // unless it leads to an open submenu.
        const std::size_t last = FLevels.size() - 1;
        SetHighlight(last, -1, result.Dirty);
        return result;
    }
    const bool childOpen = FLevels.size() > level + 1 && row >= 0 &&
                           FLevels[level + 1].Parent == FLevels[level].Rows[static_cast<std::size_t>(row)].Item;
    if (!childOpen) CloseFrom(level + 1, result.Dirty);
    SetHighlight(level, row, result.Dirty);
    if (row < 0 || childOpen) return result;
    const TMenuItem& item = *FLevels[level].Rows[static_cast<std::size_t>(row)].Item;
    if (item.HasSubmenu() && item.Enabled) OpenSubmenu(level, row, false, result.Dirty);
    return result;
}

TMenuView::TResult TMenuView::MouseDown(int x, int y) {
    if (!IsOpen()) return {};
    FMoved = true;
    std::size_t level = 0;
    int row = -1;
    if (!FindRow(x, y, level, row)) {
        TResult result = Taken();
        result.Closed = true;
        result.Dirty = Close();
        return result;
    }
    return Track(x, y);
}

TMenuView::TResult TMenuView::MouseMove(int x, int y) {
    if (!IsOpen()) return {};
    if (x != FOpenedAt.x || y != FOpenedAt.y) FMoved = true;
    return Track(x, y);
}

TMenuView::TResult TMenuView::MouseUp(int x, int y) {
    if (!IsOpen()) return {};
    // The release of the click that opened the menu chooses nothing.
    if (!FMoved) return Taken();
    std::size_t level = 0;
    int row = -1;
    if (!FindRow(x, y, level, row) || row < 0) return Taken();
    if (FLevels[level].Rows[static_cast<std::size_t>(row)].Item->HasSubmenu()) return Taken();
    return Activate(level, row);
}

TMenuView::TResult TMenuView::KeyDown(int key) {
    if (!IsOpen()) return {};
    TResult result = Taken();
    const std::size_t last = FLevels.size() - 1;
    TLevel& level = FLevels[last];
    const int count = static_cast<int>(level.Rows.size());
    switch (key) {
        case vkUp:
        case vkDown: {
            const int step = key == vkDown ? 1 : -1;
            int row = level.Highlight;
            for (int tries = 0; tries < count; ++tries) {
                row = row < 0 ? (step > 0 ? 0 : count - 1) : (row + step + count) % count;
                if (Selectable(*level.Rows[static_cast<std::size_t>(row)].Item)) {
                    SetHighlight(last, row, result.Dirty);
                    break;
                }
            }
            return result;
        }
        case vkRight:
            if (level.Highlight < 0 && last > 0) return KeyDown(vkDown);  // a submenu opened by hovering
            if (level.Highlight >= 0) {
                const TMenuItem& item = *level.Rows[static_cast<std::size_t>(level.Highlight)].Item;
                if (item.HasSubmenu() && item.Enabled) OpenSubmenu(last, level.Highlight, true, result.Dirty);
            }
            return result;
        case vkLeft:
            if (last > 0) CloseFrom(last, result.Dirty);
            return result;
        case vkReturn:
            return level.Highlight >= 0 ? Activate(last, level.Highlight) : result;
        case vkEscape:
            if (last > 0) {
                CloseFrom(last, result.Dirty);
                return result;
            }
            result.Dirty = Close();
            result.Closed = true;
            return result;
        default:
            return result;  // an open menu takes every key
    }
}

TMenuView::TResult TMenuView::KeyPress(char32_t character) {
    if (!IsOpen()) return {};
    const std::size_t last = FLevels.size() - 1;
    const TLevel& level = FLevels[last];
    std::vector<int> matches;
    for (std::size_t i = 0; i < level.Rows.size(); ++i) {
        const TMenuItem& item = *level.Rows[i].Item;
        if (Selectable(item) && item.Enabled && item.HasMnemonic(character)) matches.push_back(static_cast<int>(i));
    }
    if (matches.empty()) return Taken();
    if (matches.size() == 1) return Activate(last, matches.front());
    // Several items share the letter: each press moves to the next of them.
    TResult result = Taken();
    auto next = std::upper_bound(matches.begin(), matches.end(), level.Highlight);
    SetHighlight(last, next == matches.end() ? matches.front() : *next, result.Dirty);
    return result;
}

// ---- Painting -----------------------------------------------------------------

void TMenuView::Paint(TBitmap32& target, const TRect& clip) {
    const TFont32 saved = target.Font();
    target.Font() = FFont;
    for (const TLevel& level : FLevels) {
        const TRect r = IntersectRect(level.Bounds, clip);
        if (r.IsEmpty()) continue;
        target.SetClip(r);
        PaintLevel(target, level);
    }
    target.Font() = saved;
}

void TMenuView::PaintLevel(TBitmap32& target, const TLevel& level) const {
    const TRect& b = level.Bounds;
    target.FillRect(b.Left, b.Top, b.Right, b.Bottom, System(scMenu));
    RaisedFrame(target, b);
    for (std::size_t i = 0; i < level.Rows.size(); ++i)
        PaintRow(target, level.Rows[i], level.Highlight == static_cast<int>(i));
}

void TMenuView::PaintRow(TBitmap32& target, const TRow& row, bool highlighted) const {
    const TMenuItem& item = *row.Item;
    const TRect& r = row.Bounds;
    if (item.IsSeparator()) {
        const int y = (r.Top + r.Bottom) / 2 - 1;
        HorizontalLine(target, r.Left + 1, r.Right - 1, y, System(scBtnShadow));
        HorizontalLine(target, r.Left + 1, r.Right - 1, y + 1, System(scBtnHighlight));
        return;
    }
    if (highlighted) target.FillRect(r.Left, r.Top, r.Right, r.Bottom, System(scHighlight));
    const TColor32 ink = !item.Enabled ? System(scGrayText)
                         : highlighted ? System(scHighlightText)
                                       : System(scMenuText);
    const double cy = (r.Top + r.Bottom) / 2.0;
    if (item.Checked()) {
        const double cx = r.Left + FScale.Length(kCheckGutter) / 2.0;
        if (item.RadioItem)
            RadioBullet(target, cx, cy, FScale.Factor(), ink);
        else
            CheckMark(target, cx, cy, FScale.Factor(), ink);
    }
    const std::string caption = item.DisplayCaption();
    const int textX = r.Left + FScale.Length(kCheckGutter);
    const int textY = r.Top + (r.Height() - FTextHeight) / 2;
    target.DrawText(textX, textY, caption, -1, ink);
    if (const int offset = item.MnemonicOffset(); offset >= 0) {
        const auto at = static_cast<std::size_t>(offset);
        const int x1 = textX + target.TextWidth(caption.substr(0, at));
        std::size_t length = 1;
        while (at + length < caption.size() && (static_cast<unsigned char>(caption[at + length]) & 0xC0) == 0x80)
            ++length;
        const int x2 = textX + target.TextWidth(caption.substr(0, at + length));
        const int baseline = textY + FTextHeight * 4 / 5;
        const int line = FScale.Length(1);
        target.FillRect(x1, baseline + line, std::max(x2, x1 + line), baseline + 2 * line, ink);
    }
    if (item.HasSubmenu())
        SubmenuArrow(target, r.Right - FScale.Length(kArrowGutter) / 2 - FScale.Length(2), cy, FScale.Factor(), ink);
}

}  // namespace tessel
