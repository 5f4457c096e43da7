#pragma once
// Moving audio between the host's two channel arrays and the engine's
// interleaved double frames (left, right, left, right ...).
//
// Loading widens to double and adds the denormal guard, the 64-bit constant
// 1e-30, to every sample, so that decaying silence never reaches denormal
// numbers inside the filters. Storing rounds to the output's width with the
// processor's current rounding mode (round to nearest), as a plain
// conversion would.
//
// [audio thread] No allocation. `frames` is 16-byte aligned and holds 2 * count
// doubles; the channel arrays hold count samples each.

namespace tessel {

inline constexpr double kDenormalGuard = 1e-30;

void LoadStereoFrames(const float* left, const float* right, int count, double* frames) noexcept;
void LoadStereoFrames(const double* left, const double* right, int count, double* frames) noexcept;

void StoreStereoFrames(const double* frames, int count, float* left, float* right) noexcept;
void StoreStereoFrames(const double* frames, int count, double* left, double* right) noexcept;

}  // namespace tessel
