#include "editor/SpectrumAnalyser.h"

#include <kissfft/kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "editor/FrequencyPosition.h"

namespace tessel {
namespace {

constexpr int kSmallestSize = 1024;
// Up to a window stays held between updates; the audio that arrives until
// the next one must fit beside it: 3/4 of the ring, 0.25 s at 192 kHz.
constexpr int kLargestSize = static_cast<int>(TAnalyserTap::kCapacity / 4);
// A window below this amplitude is silence: no FFT (-100 dBFS, under the floor).
constexpr float kSilentAmplitude = 1e-5f;
constexpr float kNothingDb = -200.0f;
// At most this many windows per update; a longer backlog skips to the newest.
constexpr std::uint64_t kMostWindowsPerUpdate = 4;

int SizeForRate(double rateHz) {
    const double wanted = TSpectrumAnalyser::kReferenceSize * rateHz / TSpectrumAnalyser::kReferenceRateHz;
    const int size = 1 << static_cast<int>(std::lround(std::log2(std::max(wanted, 1.0))));
    return std::clamp(size, kSmallestSize, kLargestSize);
}

// The response curve's frequency at point h of n (Hz): 20 Hz at point 1.
double CurveFrequency(int h, int n) { return h <= 1 ? 20.0 : FrequencyFromPosition(static_cast<double>(h) / n); }

}  // namespace

struct TSpectrumAnalyser::TFft {
    explicit TFft(int size) : Config(kiss_fftr_alloc(size, 0, nullptr, nullptr)), Bins(size / 2 + 1) {
        if (!Config) throw std::bad_alloc();
    }
    ~TFft() { kiss_fftr_free(Config); }
    TFft(const TFft&) = delete;
    TFft& operator=(const TFft&) = delete;

    kiss_fftr_cfg Config;
    std::vector<kiss_fft_cpx> Bins;
};

TSpectrumAnalyser::TSpectrumAnalyser() = default;
TSpectrumAnalyser::~TSpectrumAnalyser() = default;

void TSpectrumAnalyser::Configure(double sampleRateHz, int columns) {
    if (!(sampleRateHz > 0.0) || columns < 1) columns = 0;
    if (sampleRateHz == FRateHz && static_cast<std::size_t>(columns) == FColumns.size() && FFft) return;
    FRateHz = sampleRateHz;
    FSize = SizeForRate(sampleRateHz > 0.0 ? sampleRateHz : kReferenceRateHz);
    FFft = std::make_unique<TFft>(FSize);
    FWindow.resize(static_cast<std::size_t>(FSize));
    for (int i = 0; i < FSize; ++i)
        FWindow[static_cast<std::size_t>(i)] =
            static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / FSize));
    FSamples.assign(static_cast<std::size_t>(FSize), 0.0f);
    FBinDb.assign(static_cast<std::size_t>(FSize / 2 + 1), kNothingDb);

    // Each column's band reaches halfway (geometrically) to its neighbours.
    const double binHz = sampleRateHz / FSize;
    const int lastBin = FSize / 2 - 1;  // Nyquist's bin is left out
    FColumns.assign(static_cast<std::size_t>(columns), {});
    for (int c = 0; c < columns; ++c) {
        const int h = c + 1;
        const double centre = CurveFrequency(h, columns);
        const double below = std::sqrt(centre * CurveFrequency(std::max(h - 1, 1), columns));
        const double above = std::sqrt(centre * CurveFrequency(h + 1, columns));
        TColumnBins& col = FColumns[static_cast<std::size_t>(c)];
        col.first = static_cast<int>(std::ceil(below / binHz));
        col.last = std::min(static_cast<int>(std::floor(above / binHz)), lastBin);
        col.bin = centre / binHz;
        if (col.first < 1 || col.last - col.first < 1) col.last = col.first - 1;  // interpolate
    }
    Reset();
}

void TSpectrumAnalyser::Reset() {
    FLevels.assign(FColumns.size(), static_cast<float>(kFloorDb));
    FFrame.assign(FColumns.size(), kNothingDb);
    FNextEnd = 0;
    FVisible = false;
}

bool TSpectrumAnalyser::Update(TAnalyserTap& tap, double elapsedSeconds) {
    if (!FFft || FColumns.empty()) return false;
    const std::uint64_t written = tap.Written();
    const auto size = static_cast<std::uint64_t>(FSize), hop = size / 2;
    if (FNextEnd == 0 || written > FNextEnd + kMostWindowsPerUpdate * hop) FNextEnd = written;
    // No window reaches back over a break: before it is an older playback, or a gap.
    FNextEnd = std::max(FNextEnd, tap.FreshFrom() + size);
    bool analysed = false;
    std::fill(FFrame.begin(), FFrame.end(), kNothingDb);
    for (; FNextEnd <= written; FNextEnd += hop)
        if (AnalyseWindow(tap, FNextEnd)) {
            FoldIntoFrame();
            analysed = true;
        }
    tap.Release(FNextEnd - size);  // all but what the next window needs
    if (!analysed && !FVisible) return false;

    const auto fall = static_cast<float>(kFallDbPerSecond * std::max(elapsedSeconds, 0.0));
    const auto floor = static_cast<float>(kFloorDb);
    bool visible = false;
    for (std::size_t c = 0; c < FLevels.size(); ++c) {
        const float level = std::max(FFrame[c], FLevels[c] - fall);
        FLevels[c] = std::max(level, floor);
        visible = visible || level > floor;
    }
    const bool changed = visible || FVisible;
    FVisible = visible;
    return changed;
}

bool TSpectrumAnalyser::AnalyseWindow(const TAnalyserTap& tap, std::uint64_t end) {
    if (!tap.ReadEnding(end, FSamples)) return false;
    float peak = 0.0f;
    for (float s : FSamples) peak = std::max(peak, std::abs(s));
    if (!(peak >= kSilentAmplitude)) return false;  // silence, or NaN: nothing to show
    for (std::size_t i = 0; i < FSamples.size(); ++i) FSamples[i] *= FWindow[i];
    kiss_fftr(FFft->Config, FSamples.data(), FFft->Bins.data());
    // A sine of amplitude A gives |X| = A · N/2 · 0.5 at its bin (the Hann
    // window's coherent gain is 0.5): dBFS = 20·log10(4·|X| / N).
    const double scale = 16.0 / (static_cast<double>(FSize) * FSize);
    for (std::size_t k = 0; k < FBinDb.size(); ++k) {
        const kiss_fft_cpx& x = FFft->Bins[k];
        const auto re = static_cast<double>(x.r), im = static_cast<double>(x.i);
        const double power = (re * re + im * im) * scale;
        FBinDb[k] = power > 0.0 ? static_cast<float>(10.0 * std::log10(power)) : kNothingDb;
    }
    return true;
}

double TSpectrumAnalyser::BinDb(int bin) const {
    return FBinDb[static_cast<std::size_t>(std::clamp(bin, 0, static_cast<int>(FBinDb.size()) - 1))];
}

void TSpectrumAnalyser::FoldIntoFrame() {
    for (std::size_t c = 0; c < FColumns.size(); ++c) {
        const TColumnBins& col = FColumns[c];
        double level;
        if (col.first <= col.last) {
            level = *std::max_element(FBinDb.begin() + col.first, FBinDb.begin() + col.last + 1);
        } else {
            // Parabola through the louder of the two bins around the column's
            // bin and its neighbours: it passes through every bin, so the
            // curve is continuous, and a tone's peak is the vertex of one.
            const int below = std::max(static_cast<int>(std::floor(col.bin)), 1);
            const int k = BinDb(below + 1) > BinDb(below) ? below + 1 : below;
            const double d = col.bin - k;
            const double a = BinDb(k - 1), b = BinDb(k), e = BinDb(k + 1);
            level = b + 0.5 * d * (e - a) + 0.5 * d * d * (e - 2.0 * b + a);
        }
        FFrame[c] = std::max(FFrame[c], static_cast<float>(level));
    }
}

}  // namespace tessel
