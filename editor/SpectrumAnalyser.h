#pragma once
// TSpectrumAnalyser: the level of the plug-in's output over the response
// display's columns, for the spectrum drawn behind the curve.
//
// Each analysis is a Hann-windowed FFT of the newest samples of the module's
// TAnalyserTap: 4096 points at 48 kHz, scaled with the rate to the nearest
// power of two, the windows spaced by half their length (50 % overlap).
// Levels are dBFS of a sine's amplitude, so a full-scale sine reads 0.
//
// Columns follow the response curve's logarithmic axis. Where a column is
// wider than an FFT bin it takes the loudest bin in its band; at the low
// end, where bins are wider than columns, the level is interpolated on a
// parabola (in dB) through the louder bin next to the column's frequency and
// its two neighbours, which puts a tone's peak at its own frequency rather
// than at the nearest bin.
//
// The display rises at once and falls at kFallDbPerSecond; no peak is held.
//
// Threads: [editor-thread] only; the tap is read lock-free.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "editor/AnalyserTap.h"

namespace tessel {

class TSpectrumAnalyser {
public:
    static constexpr double kFloorDb = -90.0;  // dBFS at the display's bottom edge
    static constexpr double kFallDbPerSecond = 20.0;
    static constexpr int kFramesPerSecond = 30;
    static constexpr int kReferenceSize = 4096;  // FFT points at kReferenceRateHz
    static constexpr double kReferenceRateHz = 48000.0;

    TSpectrumAnalyser();
    ~TSpectrumAnalyser();
    TSpectrumAnalyser(const TSpectrumAnalyser&) = delete;
    TSpectrumAnalyser& operator=(const TSpectrumAnalyser&) = delete;

    // Sizes the FFT for the rate (Hz) and maps `columns` display columns;
    // column c (0-based) lies at the response curve's point c + 1. Forgets
    // what was shown. Cheap when nothing changed.
    void Configure(double sampleRateHz, int columns);
    // Analyses the windows the tap completed since the last call and lets
    // the display fall for `elapsedSeconds`. True when the levels changed.
    // Hands the samples no later window needs back to the tap.
    bool Update(TAnalyserTap& tap, double elapsedSeconds);
    // Nothing shown; the next Update starts from the newest samples.
    void Reset();

    // dBFS per column; at or below kFloorDb means nothing.
    std::span<const float> Levels() const { return FLevels; }
    bool Visible() const { return FVisible; }
    int FftSize() const { return FSize; }

private:
    struct TColumnBins {
        int first = 0, last = 0;  // loudest bin of first..last, when first <= last
        double bin = 0.0;         // otherwise the fractional bin to interpolate at
    };
    struct TFft;

    bool AnalyseWindow(const TAnalyserTap& tap, std::uint64_t end);
    void FoldIntoFrame();
    double BinDb(int bin) const;

    std::unique_ptr<TFft> FFft;
    double FRateHz = 0.0;
    int FSize = 0;
    std::vector<float> FWindow, FSamples, FBinDb, FFrame, FLevels;
    std::vector<TColumnBins> FColumns;
    std::uint64_t FNextEnd = 0;  // tap sample at which the next window ends; 0: not started
    bool FVisible = false;
};

}  // namespace tessel
