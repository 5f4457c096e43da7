#pragma once
// What the editor does with its knobs: which parameter each turns and how a
// knob position (0..1) becomes a natural value, the knobs' tabled defaults
// (Ctrl + right-button release) and which clicks open the knob menu.

#include <cstdint>

#include "editor/FrequencySnap.h"
#include "editor/OrvanePainter.h"
#include "gui/window/ShiftState.h"

namespace tessel {

// The parameter index a band's knob writes: 4·band + 1, + 2 or + 3.
std::int32_t DialParameterIndex(TBandValue kind, int band);

// Natural value for a knob position: dB = (2·p − 1)·15; Hz = 20·1000^p then
// snapped; the bandwidth parameter is the position itself.
float DialValueFromPosition(TBandValue kind, float position, TFrequencySnap snap = TFrequencySnap::None,
                            bool noteDisplay = false);

// A knob's default position: 0 dB, one octave, and per band 40, 100, 500,
// 1500, 4000, 8000 and 16000 Hz (bands outside 0..6 count as the nearest band).
float DialDefaultPosition(TBandValue kind, int band);

// Releasing the right button with Ctrl held resets a knob to its default.
constexpr bool IsDialResetRelease(TMouseButton button, TShiftState shift) {
    return button == TMouseButton::Right && shift.Ctrl;
}

// The knob menu opens for the right button alone: no other button, no modifier.
constexpr bool OpensDialMenu(TShiftState shift) { return shift == TShiftState{.Right = true}; }

}  // namespace tessel
