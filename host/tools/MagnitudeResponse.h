// Magnitude responses measured from impulse responses, by direct DFT at
// chosen frequencies (no FFT: the frequencies need not lie on bins).
#pragma once

#include <span>
#include <vector>

namespace tessel::host::tool {

constexpr double kMagnitudeFloorDb = -300.0;

// Level of the impulse response's spectrum at `hz` in dB (20·log10 |H|),
// at least kMagnitudeFloorDb; NaN when the response holds non-finite
// samples. `rateHz` is the response's sample rate.
double MagnitudeDb(std::span<const double> impulse, double hz, double rateHz);

// `count` frequencies from lowHz to highHz (both included), evenly spaced
// on a logarithmic scale; one frequency (lowHz) when count is 1.
std::vector<double> LogSpacedFrequencies(double lowHz, double highHz, size_t count);

// Share of the response's energy in its last eighth, for telling whether a
// response died away within the frames taken (0 for a zero response).
double TailEnergyShare(std::span<const double> impulse);

}  // namespace tessel::host::tool
