#pragma once
// The mean of a stereo block's two channels as float samples, with vectors
// as wide as the caller asks for: the analyser's copy of the output runs on
// the audio thread after every block, so its width is the engine's.

#include <cstddef>

namespace tessel {

// Sse2 is the x86-64 baseline; the caller picks a wider one only where the
// processor runs it.
enum class TMonoSumWidth { Sse2, Avx2, Avx512 };

// to[i] = (left[i] + right[i]) / 2 for i < frames; `to` may not overlap the
// inputs. [audio-thread] No allocation, no locks, no system calls.
void MonoSum(TMonoSumWidth width, const float* left, const float* right, std::size_t frames, float* to) noexcept;
void MonoSum(TMonoSumWidth width, const double* left, const double* right, std::size_t frames, float* to) noexcept;

}  // namespace tessel
