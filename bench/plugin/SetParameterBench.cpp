// How long the host's setParameter takes on the audio thread while another
// thread stores parameters without pause, as a UI thread does when the user
// drags a knob or a host replays automation from its own thread.
//
// Every call is timed on its own; the counters are the median and the
// 99.99th percentile of those times in nanoseconds (with the 99.9th and the
// longest beside them). The tail is what matters
// to an audio thread: a call that waits behind the other thread's store can
// make the block late. "idle" runs the same calls with nobody else storing;
// "edits" has the other thread type frequencies (one store each), "programs"
// has it switch programs (29 stores each).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "plugin/OrvaneModule.h"

namespace tessel {
namespace {

using TClock = std::chrono::steady_clock;
constexpr std::size_t kMaxSamples = std::size_t{1} << 22;
constexpr std::int32_t kGainIndex = 1;       // band 1 gain: the audio thread's automation
constexpr std::int32_t kFrequencyIndex = 6;  // band 2 frequency: the other thread's edits

double Percentile(std::vector<double>& sorted, double fraction) {
    if (sorted.empty()) return 0.0;
    const auto rank = static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(rank, sorted.size() - 1)];
}

enum TOther { kIdle, kEdits, kPrograms };

// Argument: what the other thread does (TOther).
void BM_SetParameterWhileStoring(benchmark::State& state) {
    const auto what = static_cast<TOther>(state.range(0));
    auto module = CreateModule<TOrvaneModule>();
    AEffect* effect = module->GetEffectRecord();
    std::atomic<bool> stop{false};
    std::thread other;
    if (what != kIdle) {
        other = std::thread([&] {
            char text[32];
            for (unsigned k = 0; !stop.load(std::memory_order_relaxed); ++k) {
                if (what == kPrograms) {
                    effect->dispatcher(effect, effSetProgram, 0, k % 2, nullptr, 0.0f);
                    continue;
                }
                std::snprintf(text, sizeof text, "%u", 200 + k % 4000);  // Hz: new coefficients every time
                effect->dispatcher(effect, effString2Parameter, kFrequencyIndex, 0, text, 0.0f);
            }
        });
    }

    std::vector<double> samples;
    samples.reserve(kMaxSamples);
    unsigned k = 0;
    for (auto _ : state) {
        const float value = static_cast<float>(k++ % 1000) / 1000.0f;
        const auto start = TClock::now();
        effect->setParameter(effect, kGainIndex, value);
        const auto end = TClock::now();
        if (samples.size() < kMaxSamples)
            samples.push_back(std::chrono::duration<double, std::nano>(end - start).count());
    }
    stop.store(true);
    if (other.joinable()) other.join();

    std::sort(samples.begin(), samples.end());
    state.counters["median_ns"] = Percentile(samples, 0.5);
    state.counters["p99.9_ns"] = Percentile(samples, 0.999);
    state.counters["p99.99_ns"] = Percentile(samples, 0.9999);
    state.counters["max_ns"] = samples.empty() ? 0.0 : samples.back();
    state.SetLabel(what == kIdle ? "idle" : what == kEdits ? "edits" : "programs");
}

BENCHMARK(BM_SetParameterWhileStoring)->Arg(kIdle)->Arg(kEdits)->Arg(kPrograms)->Iterations(1'000'000)->UseRealTime();

}  // namespace
}  // namespace tessel
