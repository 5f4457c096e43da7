// Cost of the equaliser's audio engine per stereo frame, with seven Peak
// bands active: every kernel, 32- and 64-bit samples, host blocks of 64 and
// 512 frames. "time/frame" is the time per stereo frame (two channels through
// seven bands). The naive baseline runs the same fourteen biquads with the
// scalar recursion, channel after channel, as a plain per-sample loop would.
#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "bench/BenchNoise.h"
#include "dsp/BandFilterFactory.h"
#include "plugin/OrvaneAudioEngine.h"

namespace tessel {
namespace {

using bench::Noise;

constexpr int kBands = TOrvaneAudioEngine::kBandCount;
constexpr double kSampleRateHz = 44100.0;
constexpr std::array<double, kBands> kFrequenciesHz{60.0, 150.0, 400.0, 1000.0, 2500.0, 6000.0, 12000.0};
constexpr std::array<double, kBands> kGainsDb{4.0, -3.0, 2.5, -6.0, 5.0, -2.0, 3.0};
constexpr double kBandwidthOctaves = 1.0;
constexpr double kVolumeFactor = 0.5;  // about -6 dB

std::array<TBiquadCoefficients, kBands> PeakCoefficients() {
    std::array<TBiquadCoefficients, kBands> result{};
    for (int b = 0; b < kBands; ++b) {
        const auto i = static_cast<std::size_t>(b);
        auto filter = CreateBandFilter(TBandKind::Peak);
        filter->SetFrequency(kFrequenciesHz[i]);
        filter->SetGain(kGainsDb[i]);
        filter->SetBandwidth(kBandwidthOctaves);
        filter->SetSampleRate(kSampleRateHz);
        result[i] = filter->Coefficients();
    }
    return result;
}

void SetPerFrameCounter(benchmark::State& state, std::int64_t frames) {
    state.counters["time/frame"] = benchmark::Counter(
        static_cast<double>(frames), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Arguments: block frames, kernel (0 SSE2, 1 AVX2+FMA, 2 AVX-512), volume
// (0: 0 dB, which skips the output gain; 1: -6 dB, applied after the bands).
template <class T>
void BM_Engine(benchmark::State& state) {
    const auto frames = static_cast<std::int32_t>(state.range(0));
    const auto kernel = static_cast<TCascadeKernel>(state.range(1));
    TOrvaneAudioEngine engine;
    if (!engine.SelectKernel(kernel)) {
        state.SkipWithError("kernel not supported on this processor");
        return;
    }
    std::array<TEngineBand, kBands> bands{};
    const auto coefficients = PeakCoefficients();
    for (std::size_t b = 0; b < bands.size(); ++b) bands[b] = {TBandKind::Peak, coefficients[b]};
    engine.PublishBands(bands);
    if (state.range(2) != 0) engine.SetOutputGain(kVolumeFactor);

    const auto frameCount = static_cast<std::size_t>(frames);
    const std::vector<T> left = Noise<T>(frameCount, 1);
    const std::vector<T> right = Noise<T>(frameCount, 2);
    std::vector<T> outLeft(frameCount);
    std::vector<T> outRight(frameCount);
    const std::array<const T*, 2> inputs{left.data(), right.data()};
    const std::array<T*, 2> outputs{outLeft.data(), outRight.data()};
    for (auto _ : state) {
        engine.Process(inputs.data(), outputs.data(), frames);
        benchmark::DoNotOptimize(outLeft.data());
        benchmark::DoNotOptimize(outRight.data());
        benchmark::ClobberMemory();
    }
    SetPerFrameCounter(state, frames);
}

void EngineArguments(benchmark::internal::Benchmark* b) {
    b->ArgNames({"block", "kernel", "volume"});
    for (const TCascadeKernel kernel : {TCascadeKernel::Sse2, TCascadeKernel::Avx2Fma, TCascadeKernel::Avx512}) {
        for (int block : {64, 512}) {
            for (int volume : {0, 1}) b->Args({block, static_cast<int>(kernel), volume});
        }
    }
}
BENCHMARK_TEMPLATE(BM_Engine, float)->Apply(EngineArguments);
BENCHMARK_TEMPLATE(BM_Engine, double)->Apply(EngineArguments);

// Fourteen scalar ProcessBiquad calls per frame: channel 0 through the seven
// bands sample by sample, then channel 1, 64-bit samples.
void BM_NaiveScalar(benchmark::State& state) {
    const auto frames = static_cast<std::size_t>(state.range(0));
    const auto coefficients = PeakCoefficients();
    std::array<std::array<TBiquadState, kBands>, 2> states{};
    const std::array<std::vector<double>, 2> inputs{Noise<double>(frames, 1), Noise<double>(frames, 2)};
    std::array<std::vector<double>, 2> outputs{std::vector<double>(frames), std::vector<double>(frames)};
    for (auto _ : state) {
        for (std::size_t ch = 0; ch < 2; ++ch) {
            for (std::size_t n = 0; n < frames; ++n) {
                double x = inputs[ch][n] + 1e-30;
                for (std::size_t b = 0; b < kBands; ++b) x = ProcessBiquad(coefficients[b], states[ch][b], x);
                outputs[ch][n] = x;
            }
        }
        benchmark::DoNotOptimize(outputs[0].data());
        benchmark::DoNotOptimize(outputs[1].data());
        benchmark::ClobberMemory();
    }
    SetPerFrameCounter(state, static_cast<std::int64_t>(frames));
}
BENCHMARK(BM_NaiveScalar)->ArgName("block")->Arg(64)->Arg(512);

}  // namespace
}  // namespace tessel
