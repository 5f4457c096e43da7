// tessel-host response: measures a plug-in's magnitude response from its
// impulse response, prints a short table and draws it into a PNG.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "gui/surface/Bitmap32.h"
#include "gui/surface/PngFile.h"
#include "gui/surface/ResponsePlot.h"
#include "host/tools/BlockRunner.h"
#include "host/tools/MagnitudeResponse.h"
#include "host/tools/NumberArgument.h"
#include "host/tools/OpenPlugin.h"
#include "host/tools/PlayOptions.h"
#include "host/tools/Subcommand.h"

namespace tessel::host::tool {
namespace {

constexpr int64_t kDefaultFrames = int64_t{1} << 16;
constexpr int64_t kMinFrames = 64;
constexpr int64_t kMaxFrames = int64_t{1} << 22;
constexpr double kLowHz = 20.0;
constexpr double kHighHz = 20000.0;
constexpr double kBelowNyquist = 0.999;  // the top frequency when the rate cannot reach 20 kHz
constexpr int kDefaultWidth = 900;       // pixels
constexpr int kDefaultHeight = 500;
constexpr int kMinSide = 120;
constexpr int kMaxSide = 8192;
constexpr double kTailWarningShare = 1.0e-6;  // energy share left at the end that may bend low frequencies
constexpr double kDefaultTableHz[] = {20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000};
// The plot's level axis: at least ±15 dB, grown in steps to hold the curve.
constexpr double kMinAxisDb = 15.0;
constexpr double kAxisLimitLowDb = -120.0;
constexpr double kAxisLimitHighDb = 60.0;

struct TResponseOptions {
    std::string pluginPath;
    std::string pngPath;
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    int64_t frames = kDefaultFrames;
    std::vector<double> tableHz;
    TPlayOptions play;
};

constexpr const char* kResponseDetails =
    "A unit impulse goes into every input (at most two); the first output's next --frames\n"
    "frames are the impulse response. Its magnitude is taken by direct DFT at the table's\n"
    "frequencies (--at; default 20 Hz to 20 kHz in 1-2-5 steps) and, for the chart, at\n"
    "log-spaced frequencies across 20 Hz - 20 kHz. A response still ringing at the end of\n"
    "the frames taken is reported; take more frames.\n";

bool TakeSize(TResponseOptions& options, const std::string& value) {
    const size_t cross = value.find('x');
    const auto width = cross == std::string::npos ? std::nullopt : ParseInteger(value.substr(0, cross));
    const auto height = cross == std::string::npos ? std::nullopt : ParseInteger(value.substr(cross + 1));
    if (!width || !height || *width < kMinSide || *height < kMinSide || *width > kMaxSide || *height > kMaxSide)
        return false;
    options.width = static_cast<int>(*width);
    options.height = static_cast<int>(*height);
    return true;
}

bool TakeTableFrequency(TResponseOptions& options, const std::string& value) {
    const auto hz = ParseReal(value);
    if (!hz || *hz <= 0.0) return false;
    options.tableHz.push_back(*hz);
    return true;
}

TOptionTable<TResponseOptions> ResponseOptionRows() {
    using T = TResponseOptions;
    return Join<T>({
        {Argument<T>("PLUGIN.so", "plug-in", &T::pluginPath),
         Text<T>("--png", "FILE", "draw the chart (antialiased curve over a log-frequency grid) into FILE",
                 &T::pngPath),
         Value<T>("--size", "WxH", "WIDTHxHEIGHT, each 120 to 8192 pixels", "chart size in pixels (default 900x500)",
                  TakeSize),
         Repeatable(
             Value<T>("--at", "HZ", "a frequency in Hz", "a frequency for the table (repeatable)", TakeTableFrequency)),
         Integer<T>("--frames", "N", kMinFrames, kMaxFrames, "64 to 4194304 frames",
                    "frames of impulse response taken (default 65536)", &T::frames)},
        Within(&T::play, PlayOptionRows(true)),
    });
}

std::string DefaultTable(TResponseOptions& options) {
    if (options.tableHz.empty()) options.tableHz.assign(std::begin(kDefaultTableHz), std::end(kDefaultTableHz));
    return "";
}

int RunResponse(TResponseOptions& options);

const TCommand<TResponseOptions> kResponse{
    "response",
    "measure the plug-in's magnitude response (impulse in, left output, DFT at 20 Hz - 20 kHz), print "
    "it at a few frequencies and draw it into a PNG",
    kResponseDetails,
    ResponseOptionRows(),
    DefaultTable,
    RunResponse};

// The first output's answer to a unit impulse on every input.
template <typename TSample>
std::vector<double> ImpulseResponse(TPluginInstance& plugin, const TPlayOptions& play, int64_t frames) {
    TBlockRunner<TSample> runner(plugin, play.blockFrames);
    std::vector<double> response;
    response.reserve(static_cast<size_t>(frames));
    runner.Start();
    for (int64_t start = 0; start < frames; start += play.blockFrames) {
        const auto count = static_cast<int32_t>(std::min<int64_t>(play.blockFrames, frames - start));
        for (int32_t input = 0; input < runner.UsedInputs(); ++input) {
            const std::span<TSample> samples = runner.Input(input);
            std::fill(samples.begin(), samples.end(), TSample(0));
            if (start == 0) samples[0] = TSample(1);
        }
        runner.Run(count);
        const std::span<const TSample> output = runner.Output(0);
        for (int32_t frame = 0; frame < count; ++frame)
            response.push_back(static_cast<double>(output[static_cast<size_t>(frame)]));
    }
    runner.Stop();
    return response;
}

void PrintTable(const std::vector<double>& response, const TResponseOptions& options) {
    std::cout << "Magnitude (left channel)\n      Hz        dB\n";
    for (const double hz : options.tableHz) {
        char line[64];
        if (hz >= options.play.rateHz / 2.0)
            std::snprintf(line, sizeof line, "%8g   (at or above half the sample rate)\n", hz);
        else
            std::snprintf(line, sizeof line, "%8g  %+8.2f\n", hz, MagnitudeDb(response, hz, options.play.rateHz));
        std::cout << line;
    }
}

// Grows the level axis from ±15 dB in whole grid steps until it holds the curve.
void FitLevelAxis(const std::vector<std::pair<double, double>>& curve, TResponsePlotOptions& plot) {
    double lowest = 0.0;
    double highest = 0.0;
    for (const auto& [hz, db] : curve)
        if (std::isfinite(db)) {
            lowest = std::min(lowest, db);
            highest = std::max(highest, db);
        }
    const double span = std::max(highest, kMinAxisDb) - std::min(lowest, -kMinAxisDb);
    plot.DbStep = span <= 40.0 ? 5.0 : span <= 100.0 ? 10.0 : 20.0;
    plot.MinDb = std::max(std::min(-kMinAxisDb, std::floor(lowest / plot.DbStep) * plot.DbStep), kAxisLimitLowDb);
    plot.MaxDb = std::min(std::max(kMinAxisDb, std::ceil(highest / plot.DbStep) * plot.DbStep), kAxisLimitHighDb);
}

bool DrawChart(const std::vector<double>& response, const TResponseOptions& options, const std::string& title) {
    const double topHz = std::min(kHighHz, kBelowNyquist * options.play.rateHz / 2.0);
    std::vector<std::pair<double, double>> curve;
    for (const double hz : LogSpacedFrequencies(kLowHz, topHz, static_cast<size_t>(options.width)))
        curve.emplace_back(hz, MagnitudeDb(response, hz, options.play.rateHz));
    TResponsePlotOptions plot;
    plot.MinHz = kLowHz;
    plot.MaxHz = kHighHz;
    plot.Title = title;
    plot.FontName = "DejaVu Sans";
    FitLevelAxis(curve, plot);
    TBitmap32 surface(options.width, options.height);
    RenderResponsePlot(surface, curve, plot);
    return SavePng(surface, options.pngPath);
}

int RunResponse(TResponseOptions& options) {
    int status = kExitOk;
    std::unique_ptr<TPluginInstance> plugin =
        OpenForPlaying(options.pluginPath, options.play, options.play.rateHz, std::cout, status);
    if (!plugin) return status;

    const std::string name = PluginTitle(*plugin);
    std::vector<double> response;
    try {
        response = options.play.doublePrecision ? ImpulseResponse<double>(*plugin, options.play, options.frames)
                                                : ImpulseResponse<float>(*plugin, options.play, options.frames);
    } catch (const TRunError& failure) {
        std::cerr << "tessel-host response: " << name << ": " << failure.what() << '\n';
        return kExitLoadFailure;
    }
    plugin->Close();

    std::cout << "Impulse response of " << name << ": " << options.frames << " frames at " << options.play.rateHz
              << " Hz\n";
    if (TailEnergyShare(response) > kTailWarningShare)
        std::cout << "  warning: the response has not died away within " << options.frames
                  << " frames; low-frequency levels may be off (take more with --frames)\n";
    PrintTable(response, options);
    if (options.pngPath.empty()) return kExitOk;

    char title[256];
    std::snprintf(title, sizeof title, "%s - magnitude response, left channel, %g Hz", name.c_str(),
                  options.play.rateHz);
    if (!DrawChart(response, options, title)) {
        std::cerr << "tessel-host response: cannot write " << options.pngPath << '\n';
        return kExitIoFailure;
    }
    std::cout << "Wrote " << options.pngPath << " (" << options.width << " x " << options.height << " pixels)\n";
    return kExitOk;
}

const TSubcommandRegistration kResponseRegistration(kResponse);

}  // namespace
}  // namespace tessel::host::tool
