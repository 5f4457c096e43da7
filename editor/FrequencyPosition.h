#pragma once
// The logarithmic frequency scale of the frequency knobs and the response
// display: position 0 is 20 Hz, 1 is 20 kHz (20 Hz · 1000^x). Computed in
// extended precision; callers narrow as they need.

#include <cmath>

namespace tessel {

inline constexpr long double kLowestFrequencyHz = 20.0L;
inline constexpr long double kLn1000 = 6.907755279L;            // ln 1000
inline constexpr long double kInverseLn1000 = 0.144764826019L;  // 1 / ln 1000

inline double FrequencyFromPosition(double position) {
    return static_cast<double>(kLowestFrequencyHz * std::exp(kLn1000 * static_cast<long double>(position)));
}

inline double PositionFromFrequency(double frequencyHz) {
    return static_cast<double>(std::log(0.05L * static_cast<long double>(frequencyHz)) * kInverseLn1000);
}

}  // namespace tessel
