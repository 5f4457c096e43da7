#include "editor/OrvaneLayout.h"

namespace tessel {
namespace {

// One style's rectangles as numbers: band i's texts start at
// BandLeft + BandPitch·i and are TextWidth × TextHeight; snapshot j starts
// at SnapshotOrigin + j·SnapshotStep.
struct TStyleTable {
    int BandLeft, BandPitch;
    int TypeTop, GainTop, FreqTop, BandwidthTop;
    TPoint SnapshotOrigin, SnapshotStep;
    int SnapshotWidth, SnapshotHeight;
    bool TitleBesideGraph;  // Knobs: a title panel left of a graph over bands 3..5
};

constexpr int kTextWidth = 81;
constexpr int kTextHeight = 17;
constexpr int kTopMargin = 8;  // graph and title top
constexpr TRect kKnobsTitle{20, 8, 201, 44};
constexpr int kKnobsGraphBottom = 44;
constexpr int kGraphGapAboveLabels = 8;  // Display: graph ends 8 pixels above the kind labels

constexpr TStyleTable kKnobsStyle{20, 100, 52, 152, 252, 352, {520, 8}, {30, 0}, 28, 26, true};
constexpr TStyleTable kDisplayStyle{27, 90, 145, 214, 283, 352, {657, 145}, {0, 38}, 35, 34, false};

TRect TextRect(const TStyleTable& t, int band, int top) {
    const int left = t.BandLeft + t.BandPitch * band;
    return {left, top, left + kTextWidth, top + kTextHeight};
}

// The knob between a text above (its Bottom) and the text below (its Top).
TRect KnobBetween(const TRect& above, const TRect& below) {
    return {below.Left, above.Bottom, below.Left + kOrvaneKnobWidth, below.Top};
}

}  // namespace

TOrvaneLayout CalculateOrvaneLayout(TGuiStyle style) {
    const TStyleTable& t = style == TGuiStyle::Knobs ? kKnobsStyle : kDisplayStyle;
    TOrvaneLayout l;
    for (int i = 0; i < kOrvaneBands; ++i) {
        const auto b = static_cast<std::size_t>(i);
        l.TypeRects[b] = TextRect(t, i, t.TypeTop);
        l.GainRects[b] = TextRect(t, i, t.GainTop);
        l.FreqRects[b] = TextRect(t, i, t.FreqTop);
        l.BandwidthRects[b] = TextRect(t, i, t.BandwidthTop);
        l.GainKnobs[b] = KnobBetween(l.TypeRects[b], l.GainRects[b]);
        l.FreqKnobs[b] = KnobBetween(l.GainRects[b], l.FreqRects[b]);
        l.BandwidthKnobs[b] = KnobBetween(l.FreqRects[b], l.BandwidthRects[b]);
    }
    for (int j = 0; j < kOrvaneSnapshots; ++j) {
        const int left = t.SnapshotOrigin.x + t.SnapshotStep.x * j;
        const int top = t.SnapshotOrigin.y + t.SnapshotStep.y * j;
        l.SnapshotRects[static_cast<std::size_t>(j)] = {left, top, left + t.SnapshotWidth, top + t.SnapshotHeight};
    }
    const TRect& first = l.SnapshotRects.front();
    const TRect& last = l.SnapshotRects.back();
    l.SnapshotArea = {first.Left, first.Top, last.Right, last.Bottom};
    if (t.TitleBesideGraph) {
        l.GraphRect = {l.TypeRects[2].Left, kTopMargin, l.TypeRects[4].Right, kKnobsGraphBottom};
        l.TitleRect = kKnobsTitle;
    } else {
        l.GraphRect = {l.TypeRects[0].Left, kTopMargin, first.Right, l.TypeRects[0].Top - kGraphGapAboveLabels};
        l.TitleRect = l.GraphRect;
    }
    return l;
}

}  // namespace tessel
