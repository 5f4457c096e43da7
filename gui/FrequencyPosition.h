#pragma once
// Where a frequency sits on the editor's logarithmic axis: position 0 is
// 20 Hz, 1 is 20 kHz (20 Hz · 1000^x). The frequency knobs and the response
// display share this mapping. Computed in extended precision; knob
// positions themselves are 32-bit floats.

#include <cmath>

namespace tessel {

inline constexpr long double kLn1000 = 6.907755279L;            // ln 1000
inline constexpr long double kInverseLn1000 = 0.144764826019L;  // 1 / ln 1000

// Hz for a position 0..1 (positions outside extrapolate).
inline double FrequencyFromPosition(double position) {
    return static_cast<double>(20.0L * std::exp(kLn1000 * static_cast<long double>(position)));
}

// Position for a frequency in Hz: 20 Hz -> 0, 20000 Hz -> 1.
inline double PositionFromFrequency(double frequencyHz) {
    return static_cast<double>(std::log(0.05L * static_cast<long double>(frequencyHz)) * kInverseLn1000);
}

}  // namespace tessel
