#include "editor/FormClickAction.h"

#include <array>
#include <optional>

namespace tessel {

namespace {

template <std::size_t N>
std::optional<int> Find(const std::array<TRect, N>& rects, int x, int y) {
    for (std::size_t i = 0; i < N; ++i)
        if (rects[i].Contains(x, y)) return static_cast<int>(i);
    return std::nullopt;
}

TFormClickAction Click(TFormClick kind, int index = 0) {
    TFormClickAction action;
    action.Kind = kind;
    action.Index = index;
    return action;
}

TFormClickAction ValueEdit(TBandValue field, int band, const TRect& area) {
    TFormClickAction action = Click(TFormClick::OpenValueEdit, band);
    action.Field = field;
    action.Area = area;
    return action;
}

}  // namespace

TFormClickAction ClassifyFormMouseDown(const TOrvaneLayout& areas, TMouseButton button, TShiftState shift, int x,
                                       int y) {
    const bool right = button == TMouseButton::Right;
    // A double-click types a value too: window managers take Alt-click
    // (openbox and xfwm4 move the window on Alt+drag).
    const bool typeLeft = button == TMouseButton::Left && (shift.Alt || shift.Double);
    if (const auto j = Find(areas.SnapshotRects, x, y))
        return Click(right ? TFormClick::StoreAndSelectSnapshot : TFormClick::SelectSnapshot, *j);
    if (const auto b = Find(areas.TypeRects, x, y))
        return Click(shift.Alt ? TFormClick::BypassToggle : TFormClick::KindMenu, *b);
    if (const auto b = Find(areas.GainRects, x, y))
        return typeLeft ? ValueEdit(TBandValue::Gain, *b, areas.GainRects[static_cast<std::size_t>(*b)])
                        : TFormClickAction{};
    if (const auto b = Find(areas.FreqRects, x, y)) {
        if (right) return Click(TFormClick::FrequencyDisplayMenu, *b);
        if (shift.Alt || typeLeft)
            return ValueEdit(TBandValue::Frequency, *b, areas.FreqRects[static_cast<std::size_t>(*b)]);
        return {};
    }
    if (const auto b = Find(areas.BandwidthRects, x, y))
        return typeLeft ? ValueEdit(TBandValue::Bandwidth, *b, areas.BandwidthRects[static_cast<std::size_t>(*b)])
                        : TFormClickAction{};
    if (areas.TitleRect.Contains(x, y) && right) return Click(TFormClick::GuiMenu);
    return {};
}

}  // namespace tessel
