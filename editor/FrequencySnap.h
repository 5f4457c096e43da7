#pragma once
// Snapping of a frequency knob's value, chosen in the frequency display
// menu: none, fine or coarse, on the grid of the display in use — 0.1 Hz or
// 1 Hz in the frequency display, a tenth of a semitone or a semitone
// (A4 = 440 Hz, equal temperament) in the note display. Rounding is to
// nearest, ties to even.
//
// The note grids do not end at the parameter's 20 Hz..20 kHz limits: the
// semitone nearest 20 Hz is Eb0 (19.45 Hz), the tenth-semitone nearest
// 20 kHz lies at 20.03 kHz. A snapped value never leaves the range; at the
// ends it takes the nearest grid point inside (E0, 20.60 Hz, and 19.91 kHz).

namespace tessel {

enum class TFrequencySnap { None, Fine, Coarse };

inline constexpr double kMinFrequencyHz = 20.0;
inline constexpr double kMaxFrequencyHz = 20000.0;

// The snapped frequency in Hz, as the 32-bit value the parameter stores.
// The input is a knob's frequency (20 Hz..20 kHz); None passes it through.
float SnapFrequency(double frequencyHz, TFrequencySnap snap, bool noteDisplay);

}  // namespace tessel
