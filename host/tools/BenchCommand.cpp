// tessel-host bench: how long a plug-in takes per sample frame.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "host/tools/BlockRunner.h"
#include "host/tools/OpenPlugin.h"
#include "host/tools/PlayOptions.h"
#include "host/tools/Subcommand.h"

namespace tessel::host::tool {
namespace {

constexpr double kDefaultSeconds = 5.0;  // of audio per timed run
constexpr double kMaxSeconds = 3600.0;
constexpr int kDefaultRuns = 7;
constexpr int kMaxRuns = 1000;
constexpr double kWarmUpSeconds = 0.25;   // untimed, so caches and branch predictors settle
constexpr double kNoiseAmplitude = 0.25;  // -12 dBFS peak white noise: no denormals, no clipping
constexpr double kNanosecondsPerSecond = 1.0e9;

struct TBenchOptions {
    std::string pluginPath;
    double seconds = kDefaultSeconds;
    int runs = kDefaultRuns;
    bool terse = false;
    TPlayOptions play;
};

struct TBenchResult {
    double medianNs = 0.0;  // per frame, all of the plug-in's channels together
    double minNs = 0.0;
    double maxNs = 0.0;
    int64_t framesPerRun = 0;
    int32_t channels = 0;  // outputs processed (at most 2)
    const char* routine = "";
};

constexpr const char* kBenchDetails =
    "White noise at -12 dBFS goes into every input (at most two) in blocks of --block frames\n"
    "at --rate. After a short untimed warm-up, --runs timed runs each process --seconds of\n"
    "audio; the report gives the median time per frame and the realtime factor (audio time /\n"
    "processing time). A frame holds all of the plug-in's channels: for a stereo plug-in it is\n"
    "a stereo frame; a mono plug-in's figures are per instance (a stereo path needs two).\n";

TOptionTable<TBenchOptions> BenchOptionRows() {
    using T = TBenchOptions;
    return Join<T>({
        {Argument<T>("PLUGIN.so", "plug-in", &T::pluginPath),
         Real<T>(
             "--seconds", "S", [](double seconds) { return seconds > 0.0 && seconds <= kMaxSeconds; },
             "a duration from 0 to 3600 s", "seconds of audio per timed run (default 5)", &T::seconds),
         Integer<T>("--runs", "N", 1, kMaxRuns, "1 to 1000 runs", "timed runs (default 7)", &T::runs),
         Switch<T>("--terse", "print only: NS_PER_FRAME REALTIME_FACTOR CHANNELS", &T::terse)},
        Within(&T::play, PlayOptionRows(true)),
    });
}

int RunBench(TBenchOptions& options);

const TCommand<TBenchOptions> kBench{
    "bench",
    "time the plug-in's processing: nanoseconds per sample frame (median of timed runs) and the "
    "realtime factor",
    kBenchDetails,
    BenchOptionRows(),
    nullptr,
    RunBench};

template <typename TSample>
void FillWithNoise(TBlockRunner<TSample>& runner) {
    uint64_t state = 0x2545F4914F6CDD1Dull;
    for (int32_t input = 0; input < runner.UsedInputs(); ++input)
        for (TSample& sample : runner.Input(input)) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            const double uniform = static_cast<double>(state >> 11) / static_cast<double>(uint64_t{1} << 52) - 1.0;
            sample = static_cast<TSample>(kNoiseAmplitude * uniform);
        }
}

template <typename TSample>
TBenchResult Measure(TPluginInstance& plugin, const TBenchOptions& options) {
    TBlockRunner<TSample> runner(plugin, options.play.blockFrames);
    FillWithNoise(runner);
    const int32_t block = options.play.blockFrames;
    const auto blocksFor = [&](double seconds) {
        return std::max<int64_t>(1, static_cast<int64_t>(std::ceil(seconds * options.play.rateHz / block)));
    };
    const int64_t blocksPerRun = blocksFor(options.seconds);

    runner.Start();
    for (int64_t i = blocksFor(std::min(kWarmUpSeconds, options.seconds)); i > 0; --i) runner.Run(block);
    std::vector<double> nsPerFrame;
    for (int run = 0; run < options.runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        for (int64_t i = 0; i < blocksPerRun; ++i) runner.Run(block);
        const std::chrono::duration<double, std::nano> elapsed = std::chrono::steady_clock::now() - start;
        nsPerFrame.push_back(elapsed.count() / static_cast<double>(blocksPerRun * block));
    }
    runner.Stop();

    std::sort(nsPerFrame.begin(), nsPerFrame.end());
    const size_t middle = nsPerFrame.size() / 2;
    TBenchResult result;
    result.medianNs =
        nsPerFrame.size() % 2 == 1 ? nsPerFrame[middle] : 0.5 * (nsPerFrame[middle - 1] + nsPerFrame[middle]);
    result.minNs = nsPerFrame.front();
    result.maxNs = nsPerFrame.back();
    result.framesPerRun = blocksPerRun * block;
    result.channels = runner.UsedOutputs();
    result.routine = runner.RoutineName();
    return result;
}

void Report(TPluginInstance& plugin, const TBenchOptions& options, const TBenchResult& result) {
    const double realtime = kNanosecondsPerSecond / (result.medianNs * options.play.rateHz);
    char line[256];
    if (options.terse) {
        std::snprintf(line, sizeof line, "%.3f %.1f %d\n", result.medianNs, realtime, result.channels);
        std::cout << line;
        return;
    }
    std::cout << "Bench " << PluginTitle(plugin) << " (" << plugin.Record().numInputs << " in, "
              << plugin.Record().numOutputs << " out)\n";
    if (result.channels == 1)
        std::cout << "  mono plug-in: figures are per instance (one channel); a stereo path needs two\n";
    std::snprintf(line, sizeof line,
                  "  %g Hz, blocks of %d frames, %s (%s), %d runs of %lld frames (%.3g s of audio)\n",
                  options.play.rateHz, options.play.blockFrames, options.play.doublePrecision ? "64-bit" : "32-bit",
                  result.routine, options.runs, static_cast<long long>(result.framesPerRun),
                  static_cast<double>(result.framesPerRun) / options.play.rateHz);
    std::cout << line;
    std::snprintf(line, sizeof line, "  ns per %s frame  %.3f median (min %.3f, max %.3f)\n",
                  result.channels == 2 ? "stereo" : "mono", result.medianNs, result.minNs, result.maxNs);
    std::cout << line;
    std::snprintf(line, sizeof line, "  realtime factor  %.1f x\n", realtime);
    std::cout << line;
}

int RunBench(TBenchOptions& options) {
    std::ostream null(nullptr);
    std::ostream& report = options.terse ? null : std::cout;
    int status = kExitOk;
    std::unique_ptr<TPluginInstance> plugin =
        OpenForPlaying(options.pluginPath, options.play, options.play.rateHz, report, status);
    if (!plugin) return status;

    try {
        const TBenchResult result =
            options.play.doublePrecision ? Measure<double>(*plugin, options) : Measure<float>(*plugin, options);
        Report(*plugin, options, result);
    } catch (const TRunError& failure) {
        std::cerr << "tessel-host bench: " << PluginTitle(*plugin) << ": " << failure.what() << '\n';
        return kExitLoadFailure;
    }
    plugin->Close();
    return kExitOk;
}

const TSubcommandRegistration kBenchRegistration(kBench);

}  // namespace
}  // namespace tessel::host::tool
