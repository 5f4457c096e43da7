// Per-sample cost of the band filters: one biquad on its own, and seven
// kinds in series on a stereo block the way the equaliser runs them.
// "time/sample" is the time per channel sample (through all bands in the
// chain benchmarks); "time/band-sample" divides that by the band count.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <vector>

#include "bench/BenchNoise.h"
#include "dsp/BandFilterFactory.h"

namespace tessel {
namespace {

using bench::Noise;

constexpr std::size_t kFrames = 512;
constexpr std::size_t kChannels = 2;
constexpr std::size_t kBands = 7;
constexpr double kDenormalGuard = 1e-30;  // added to every input sample, as the equaliser does

struct TBandSetting {
    TBandKind kind;
    double frequencyHz;
    double octaves;
    double gainDb;
};
constexpr std::array<TBandSetting, kBands> kChain{{
    {TBandKind::Lowcut, 30.0, 1.0, 0.0},
    {TBandKind::Lowshelf, 100.0, 1.0, 3.0},
    {TBandKind::Bandpass, 500.0, 4.0, 0.0},
    {TBandKind::Peak, 1500.0, 1.0, -6.0},
    {TBandKind::Notch, 4000.0, 0.3, 0.0},
    {TBandKind::Highshelf, 8000.0, 1.0, 2.0},
    {TBandKind::Highcut, 16000.0, 1.0, 0.0},
}};

std::unique_ptr<TOrvBiquadFilter> MakeBand(const TBandSetting& setting) {
    auto filter = CreateBandFilter(setting.kind);
    filter->SetFrequency(setting.frequencyHz);
    filter->SetGain(setting.gainDb);
    filter->SetBandwidth(setting.octaves);
    filter->SetSampleRate(44100.0);
    return filter;
}

void SetPerSampleCounters(benchmark::State& state, std::size_t samplesPerIteration, std::size_t bands) {
    const auto kPerItem = benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert;
    state.counters["time/sample"] = benchmark::Counter(static_cast<double>(samplesPerIteration), kPerItem);
    state.counters["time/band-sample"] = benchmark::Counter(static_cast<double>(samplesPerIteration * bands), kPerItem);
}

// One Peak band through the virtual double entry, as a caller holding a
// TFilter would use it.
void BM_BiquadProcessSample(benchmark::State& state) {
    const auto band = MakeBand(kChain[3]);
    TFilter& filter = *band;
    const auto input = Noise<double>(kFrames, 1);
    std::vector<double> output(kFrames);
    for (auto _ : state) {
        for (std::size_t n = 0; n < kFrames; ++n) output[n] = filter.ProcessSample(input[n]);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    SetPerSampleCounters(state, kFrames, 1);
}
BENCHMARK(BM_BiquadProcessSample);

// The same band run from a copy of its coefficients with the inline
// recursion: what an engine of its own pays per sample.
void BM_BiquadCoefficientsInline(benchmark::State& state) {
    const TBiquadCoefficients k = MakeBand(kChain[3])->Coefficients();
    TBiquadState biquadState;
    const auto input = Noise<double>(kFrames, 1);
    std::vector<double> output(kFrames);
    for (auto _ : state) {
        for (std::size_t n = 0; n < kFrames; ++n) output[n] = ProcessBiquad(k, biquadState, input[n]);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    SetPerSampleCounters(state, kFrames, 1);
}
BENCHMARK(BM_BiquadCoefficientsInline);

// Seven band filters per channel, channel 0 then channel 1, each sample
// passed from band to band through the wide entry.
template <typename Sample>
void BM_SevenBandsStereo(benchmark::State& state) {
    std::array<std::array<std::unique_ptr<TOrvBiquadFilter>, kBands>, kChannels> filters;
    for (auto& channel : filters)
        for (std::size_t b = 0; b < kBands; ++b) channel[b] = MakeBand(kChain[b]);
    const std::array inputs{Noise<Sample>(kFrames, 1), Noise<Sample>(kFrames, 2)};
    std::array<std::vector<Sample>, kChannels> outputs{std::vector<Sample>(kFrames), std::vector<Sample>(kFrames)};
    for (auto _ : state) {
        for (std::size_t c = 0; c < kChannels; ++c) {
            for (std::size_t n = 0; n < kFrames; ++n) {
                TWideSample x = static_cast<TWideSample>(static_cast<double>(inputs[c][n]) + kDenormalGuard);
                for (const auto& band : filters[c]) x = band->ProcessSample(x);
                outputs[c][n] = static_cast<Sample>(x);
            }
        }
        benchmark::DoNotOptimize(outputs[0].data());
        benchmark::DoNotOptimize(outputs[1].data());
        benchmark::ClobberMemory();
    }
    SetPerSampleCounters(state, kChannels * kFrames, kBands);
}
BENCHMARK(BM_SevenBandsStereo<double>);
BENCHMARK(BM_SevenBandsStereo<float>);

// The same chain from coefficient snapshots with the inline recursion in
// double precision.
template <typename Sample>
void BM_SevenBandsStereoCoefficients(benchmark::State& state) {
    std::array<TBiquadCoefficients, kBands> coefficients;
    for (std::size_t b = 0; b < kBands; ++b) coefficients[b] = MakeBand(kChain[b])->Coefficients();
    std::array<std::array<TBiquadState, kBands>, kChannels> states{};
    const std::array inputs{Noise<Sample>(kFrames, 1), Noise<Sample>(kFrames, 2)};
    std::array<std::vector<Sample>, kChannels> outputs{std::vector<Sample>(kFrames), std::vector<Sample>(kFrames)};
    for (auto _ : state) {
        for (std::size_t c = 0; c < kChannels; ++c) {
            for (std::size_t n = 0; n < kFrames; ++n) {
                double x = static_cast<double>(inputs[c][n]) + kDenormalGuard;
                for (std::size_t b = 0; b < kBands; ++b) x = ProcessBiquad(coefficients[b], states[c][b], x);
                outputs[c][n] = static_cast<Sample>(x);
            }
        }
        benchmark::DoNotOptimize(outputs[0].data());
        benchmark::DoNotOptimize(outputs[1].data());
        benchmark::ClobberMemory();
    }
    SetPerSampleCounters(state, kChannels * kFrames, kBands);
}
BENCHMARK(BM_SevenBandsStereoCoefficients<double>);
BENCHMARK(BM_SevenBandsStereoCoefficients<float>);

}  // namespace
}  // namespace tessel
