#pragma once
// Where everything of the equaliser's editor lies, in both GUI styles:
// "Knobs" (large knobs, a response strip at the top) and "Display" (a large
// response display, small knobs, snapshot buttons in a column). Rectangles
// are form client pixels, Right and Bottom outside.

#include <array>
#include <cstdint>

#include "gui/surface/Geometry.h"

namespace tessel {

enum class TGuiStyle : std::uint8_t { Knobs = 0, Display = 1 };

inline constexpr int kOrvaneBands = 7;
inline constexpr int kOrvaneSnapshots = 6;
inline constexpr int kOrvaneFormWidth = 718;  // pixels, fixed
inline constexpr int kOrvaneFormHeight = 381;
inline constexpr int kOrvaneKnobWidth = 81;

struct TOrvaneLayout {
    std::array<TRect, kOrvaneBands> TypeRects;  // band kind labels
    std::array<TRect, kOrvaneBands> GainRects;  // value texts
    std::array<TRect, kOrvaneBands> FreqRects;
    std::array<TRect, kOrvaneBands> BandwidthRects;
    std::array<TRect, kOrvaneSnapshots> SnapshotRects;  // "A".."F"
    TRect SnapshotArea;                                 // bounding box of the snapshot buttons
    TRect GraphRect;                                    // response display
    TRect TitleRect;                                    // title (Knobs) or the response display (Display)
    // Knobs sit between a band's texts: gain under the kind label, frequency
    // under the gain text, bandwidth under the frequency text.
    std::array<TRect, kOrvaneBands> GainKnobs;
    std::array<TRect, kOrvaneBands> FreqKnobs;
    std::array<TRect, kOrvaneBands> BandwidthKnobs;
};

TOrvaneLayout CalculateOrvaneLayout(TGuiStyle style);

}  // namespace tessel
