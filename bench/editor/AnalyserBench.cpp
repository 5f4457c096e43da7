// The spectrum analyser's two costs. Audio thread: the engine's process
// with the analyser's tap closed (one relaxed load) and open (the mono sum
// copied into the ring, which is freed as the editor would free it), seven
// Peak bands, blocks of 64 and 512 frames, each kernel; "time/frame" per
// stereo frame. Editor thread: one analyser frame at
// 48 kHz and 30 frames per second (1600 new samples), its FFT and levels,
// then the drawing of the spectrum over the Display style's response
// display; with noise, and with silence (no FFT, nothing drawn).
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "bench/BenchNoise.h"
#include "dsp/BandFilterFactory.h"
#include "editor/AnalyserTap.h"
#include "editor/SpectrumAnalyser.h"
#include "editor/SpectrumDrawing.h"
#include "gui/surface/Bitmap32.h"
#include "plugin/OrvaneAudioEngine.h"

namespace tessel {
namespace {

using bench::Noise;

constexpr double kRateHz = 48000.0;
constexpr int kFrameSamples = static_cast<int>(kRateHz) / TSpectrumAnalyser::kFramesPerSecond;
constexpr TRect kDisplay{26, 8, 691, 137};  // the Display style's response display, 665 × 129

TEngineBand Peak(double hz, double gainDb) {
    auto filter = CreateBandFilter(TBandKind::Peak);
    filter->SetFrequency(hz);
    filter->SetGain(gainDb);
    filter->SetBandwidth(1.0);  // octaves
    filter->SetSampleRate(kRateHz);
    return {TBandKind::Peak, filter->Coefficients()};
}

// Arguments: block frames, tap open (0, 1), kernel (0 SSE2, 1 AVX2+FMA,
// 2 AVX-512), which the tap's copy follows as the plug-in's does.
void BM_EngineWithTap(benchmark::State& state) {
    const auto frames = static_cast<std::int32_t>(state.range(0));
    TOrvaneAudioEngine engine;
    if (!engine.SelectKernel(static_cast<TCascadeKernel>(state.range(2)))) {
        state.SkipWithError("kernel not supported on this processor");
        return;
    }
    std::array<TEngineBand, TOrvaneAudioEngine::kBandCount> bands{};
    for (std::size_t b = 0; b < bands.size(); ++b) bands[b] = Peak(60.0 * std::pow(2.5, static_cast<double>(b)), 3.0);
    engine.PublishBands(bands);
    auto tap = std::make_unique<TAnalyserTap>();
    tap->SetOpen(state.range(1) != 0);
    tap->SetWidth(MonoSumWidthOf(engine.Kernel()));
    const auto n = static_cast<std::size_t>(frames);
    const std::vector<float> left = Noise<float>(n, 1), right = Noise<float>(n, 2);
    std::vector<float> outLeft(n), outRight(n);
    const std::array<const float*, 2> inputs{left.data(), right.data()};
    const std::array<float*, 2> outputs{outLeft.data(), outRight.data()};
    for (auto _ : state) {
        engine.Process(inputs.data(), outputs.data(), frames);
        tap->Push(outputs.data(), frames);
        benchmark::ClobberMemory();
        // The editor's part, about once per analyser frame at 48 kHz: what the
        // audio thread then copies is always room it has, not a full ring's drop.
        if (tap->Written() - tap->Released() >= static_cast<std::uint64_t>(kFrameSamples)) tap->Release(tap->Written());
    }
    state.counters["time/frame"] = benchmark::Counter(
        static_cast<double>(frames), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_EngineWithTap)->ArgNames({"block", "tap", "kernel"})->ArgsProduct({{64, 512}, {0, 1}, {0, 1, 2}});

// Argument: 1 noise, 0 silence.
void BM_AnalyserFrame(benchmark::State& state) {
    auto tap = std::make_unique<TAnalyserTap>();
    tap->SetOpen(true);
    const float level = state.range(0) != 0 ? 0.5f : 0.0f;
    std::vector<float> left = Noise<float>(kFrameSamples, 3), right = Noise<float>(kFrameSamples, 4);
    for (float& s : left) s *= level;
    for (float& s : right) s *= level;
    const std::array<const float*, 2> block{left.data(), right.data()};
    for (int i = 0; i < 4; ++i) tap->Push(block.data(), kFrameSamples);
    TSpectrumAnalyser analyser;
    analyser.Configure(kRateHz, kDisplay.Width() - 1);
    TBitmap32 target;
    target.Resize(718, 381);
    for (auto _ : state) {
        tap->Push(block.data(), kFrameSamples);  // what the audio thread added since the last frame
        if (analyser.Update(*tap, 1.0 / TSpectrumAnalyser::kFramesPerSecond) && analyser.Visible())
            DrawSpectrum(target, kDisplay, analyser.Levels(), 0x50404040, 0x80404040);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_AnalyserFrame)->ArgName("noise")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tessel
