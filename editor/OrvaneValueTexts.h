#pragma once
// The value texts under the editor's knobs, also what the value box opens
// with: gain "-3.00 dB", frequency "440.00 Hz" / "1.50 kHz" or a note with
// its cents ("A4    0", "C#3 -12"), bandwidth "1.00 Oct". Numbers use the
// decimal separator of the user's locale (TDecimalSeparator).
//
// Threads: any but the audio thread (they build strings).

#include <string>

namespace tessel {

// Gain in dB, 4 significant digits and 2 decimals.
std::string GainText(double gainDb);

// Frequency display: 5 significant digits and 2 decimals, in Hz below
// 1000 Hz, else in kHz. Note display: the nearest equal-tempered note (A4 =
// 440 Hz) and the cents from f up to it, padded with spaces to 7 characters
// when the two parts together have at most 6. Not a positive finite
// frequency: the note display shows "-".
std::string FrequencyToText(double frequencyHz, bool noteDisplay);

// The bandwidth parameter v (0..1) as octaves, 2^(6.644·v − 3.322), 4
// significant digits and 2 decimals.
std::string BandwidthText(double value);
// The octaves of a bandwidth parameter value, in extended precision.
double OctavesFromBandwidth(double value);

}  // namespace tessel
