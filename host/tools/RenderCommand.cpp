// tessel-host render: plays a sound file through a plug-in into another file.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "host/tools/BlockRunner.h"
#include "host/tools/OpenPlugin.h"
#include "host/tools/PlayOptions.h"
#include "host/tools/ProgressBar.h"
#include "host/tools/SoundFile.h"
#include "host/tools/Subcommand.h"

namespace tessel::host::tool {
namespace {

constexpr double kProgressFromSeconds = 20.0;  // shorter files render too fast to need a bar
constexpr double kSilenceDb = -200.0;          // what an all-zero signal reports

struct TRenderOptions {
    std::string pluginPath;
    std::string inputPath;
    std::string outputPath;
    TPlayOptions play;
};

// Sum of squares and peak of the samples seen, for the closing report.
struct TLevel {
    double sumSquares = 0.0;
    double peak = 0.0;
    int64_t samples = 0;
    int64_t overFullScale = 0;  // samples beyond ±1

    template <typename TSample>
    void Add(TSample sample) {
        const double value = std::abs(static_cast<double>(sample));
        sumSquares += value * value;
        peak = std::max(peak, value);
        overFullScale += value > 1.0 ? 1 : 0;
        ++samples;
    }
    double RmsDb() const {
        return sumSquares > 0.0 ? 10.0 * std::log10(sumSquares / static_cast<double>(samples)) : kSilenceDb;
    }
    double PeakDb() const { return peak > 0.0 ? 20.0 * std::log10(peak) : kSilenceDb; }
};

constexpr const char* kRenderDetails =
    "IN may be any format libsndfile reads; OUT is written in IN's format and sample rate\n"
    "whatever its name, and the plug-in runs at that rate. OUT has as many frames as IN\n"
    "(the plug-in's latency is not compensated).\n"
    "\n"
    "Channels: mono IN is fed to both inputs of a stereo plug-in; a mono plug-in gets the\n"
    "average of stereo IN's two channels; channels beyond the second are left out (with a note).\n"
    "OUT gets the plug-in's outputs, at most two; inputs beyond two get silence.\n"
    "\n"
    "A progress bar shows on stderr for long files when stderr is a terminal.\n"
    "Exit status: 0 done, 1 usage error or unknown parameter, 2 the plug-in could not be\n"
    "loaded or cannot process, 3 IN could not be read or OUT written (OUT is then removed).\n";

TOptionTable<TRenderOptions> RenderOptionRows() {
    using T = TRenderOptions;
    return Join<T>({
        {Argument<T>("PLUGIN.so", "plug-in", &T::pluginPath), Argument<T>("IN", "input file", &T::inputPath),
         Argument<T>("OUT", "output file", &T::outputPath)},
        Within(&T::play, PlayOptionRows(false)),
    });
}

std::string CheckFiles(TRenderOptions& options) {
    std::error_code error;
    if (options.inputPath == options.outputPath ||
        std::filesystem::equivalent(options.inputPath, options.outputPath, error))
        return "OUT would overwrite IN";
    return "";
}

int RunRender(TRenderOptions& options);

const TCommand<TRenderOptions> kRender{
    "render",
    "play sound file IN through the plug-in into OUT (same format and sample rate as IN; as many "
    "channels as the plug-in has outputs, at most 2: a stereo plug-in writes stereo even from mono IN)",
    kRenderDetails,
    RenderOptionRows(),
    CheckFiles,
    RunRender};

int IoFailure(const std::string& text) {
    std::cerr << "tessel-host render: " << text << '\n';
    return kExitIoFailure;
}

// Feeds `frames` interleaved frames of `fileChannels` to the runner's inputs.
template <typename TSample>
void FeedInputs(const std::vector<TSample>& interleaved, int fileChannels, int32_t frames,
                TBlockRunner<TSample>& runner) {
    const int inputs = runner.UsedInputs();
    const auto at = [&](int32_t frame, int channel) {
        return interleaved[static_cast<size_t>(frame) * static_cast<size_t>(fileChannels) +
                           static_cast<size_t>(channel)];
    };
    for (int input = 0; input < inputs; ++input) {
        const std::span<TSample> samples = runner.Input(input);
        for (int32_t frame = 0; frame < frames; ++frame) {
            if (fileChannels == 1)
                samples[static_cast<size_t>(frame)] = at(frame, 0);
            else if (inputs == 1)
                samples[static_cast<size_t>(frame)] = (at(frame, 0) + at(frame, 1)) * TSample(0.5);
            else
                samples[static_cast<size_t>(frame)] = at(frame, input);
        }
    }
}

template <typename TSample>
int Render(TPluginInstance& plugin, TSoundFile& input, const TRenderOptions& options, bool& outputCreated) {
    TBlockRunner<TSample> runner(plugin, options.play.blockFrames);
    const SF_INFO& inputInfo = input.Info();
    SF_INFO outputInfo{};
    outputInfo.format = inputInfo.format;
    outputInfo.samplerate = inputInfo.samplerate;
    outputInfo.channels = runner.UsedOutputs();
    std::string error;
    std::unique_ptr<TSoundFile> output = TSoundFile::OpenForWriting(options.outputPath, outputInfo, error);
    if (!output) return IoFailure("cannot write " + options.outputPath + ": " + error);
    outputCreated = true;

    std::cout << "Rendering " << options.inputPath << " (" << TSoundFile::FormatName(inputInfo.format) << ", "
              << inputInfo.channels << " ch, " << inputInfo.samplerate << " Hz, " << inputInfo.frames
              << " frames)\n  through " << PluginTitle(plugin) << " (" << plugin.Record().numInputs << " in, "
              << plugin.Record().numOutputs << " out; " << runner.RoutineName() << ", blocks of "
              << options.play.blockFrames << ")\n  into " << options.outputPath << " (" << outputInfo.channels
              << " ch)\n";
    const int fileChannels = std::min(inputInfo.channels, TBlockRunner<TSample>::kMaxUsedChannels);
    if (inputInfo.channels > fileChannels)
        std::cout << "  note: only the first " << fileChannels << " of IN's " << inputInfo.channels
                  << " channels go through the plug-in\n";
    if (fileChannels == 1 && runner.UsedInputs() == 2) std::cout << "  mono IN feeds both plug-in inputs\n";
    if (fileChannels == 2 && runner.UsedInputs() == 1) std::cout << "  the plug-in gets the average of IN's channels\n";

    const auto block = static_cast<size_t>(options.play.blockFrames);
    std::vector<TSample> inputFrames(block * static_cast<size_t>(inputInfo.channels));
    std::vector<TSample> packed(block * static_cast<size_t>(fileChannels));
    std::vector<TSample> outputFrames(block * static_cast<size_t>(outputInfo.channels));
    TLevel inputLevel;
    TLevel outputLevel;
    TProgressBar progress(inputInfo.frames,
                          static_cast<int64_t>(kProgressFromSeconds * static_cast<double>(inputInfo.samplerate)));
    int64_t done = 0;
    runner.Start();
    for (;;) {
        const sf_count_t read = input.Read(inputFrames.data(), static_cast<sf_count_t>(block));
        if (read < 0) return IoFailure("cannot read " + options.inputPath + ": " + input.ErrorText());
        if (read == 0) break;
        const auto frames = static_cast<int32_t>(read);
        for (int32_t frame = 0; frame < frames; ++frame)
            for (int channel = 0; channel < fileChannels; ++channel) {
                const TSample sample = inputFrames[static_cast<size_t>(frame * inputInfo.channels + channel)];
                packed[static_cast<size_t>(frame * fileChannels + channel)] = sample;
                inputLevel.Add(sample);
            }
        FeedInputs(packed, fileChannels, frames, runner);
        runner.Run(frames);
        for (int channel = 0; channel < outputInfo.channels; ++channel) {
            const std::span<const TSample> samples = runner.Output(channel);
            for (int32_t frame = 0; frame < frames; ++frame) {
                const TSample sample = samples[static_cast<size_t>(frame)];
                outputFrames[static_cast<size_t>(frame * outputInfo.channels + channel)] = sample;
                outputLevel.Add(sample);
            }
        }
        if (!output->Write(outputFrames.data(), read))
            return IoFailure("cannot write " + options.outputPath + ": " + output->ErrorText());
        done += read;
        progress.Update(done);
    }
    runner.Stop();
    progress.Finish();
    if (!output->Close()) return IoFailure("cannot finish " + options.outputPath);

    char summary[256];
    std::snprintf(summary, sizeof summary,
                  "Rendered %lld frames (%.3f s): input RMS %.2f dBFS, output RMS %.2f dBFS (gain %+.2f dB), "
                  "output peak %.2f dBFS\n",
                  static_cast<long long>(done), static_cast<double>(done) / inputInfo.samplerate, inputLevel.RmsDb(),
                  outputLevel.RmsDb(), outputLevel.RmsDb() - inputLevel.RmsDb(), outputLevel.PeakDb());
    std::cout << summary;
    const bool storesFloats = (outputInfo.format & SF_FORMAT_SUBMASK) == SF_FORMAT_FLOAT ||
                              (outputInfo.format & SF_FORMAT_SUBMASK) == SF_FORMAT_DOUBLE;
    if (outputLevel.overFullScale > 0 && !storesFloats)
        std::cout << "  warning: " << outputLevel.overFullScale << " output samples were beyond full scale and "
                  << "have been clipped\n";
    return kExitOk;
}

int RunRender(TRenderOptions& options) {
    std::string error;
    std::unique_ptr<TSoundFile> input = TSoundFile::OpenForReading(options.inputPath, error);
    if (!input) return IoFailure("cannot read " + options.inputPath + ": " + error);

    int status = kExitOk;
    std::unique_ptr<TPluginInstance> plugin =
        OpenForPlaying(options.pluginPath, options.play, input->Info().samplerate, std::cout, status);
    if (!plugin) return status;

    bool outputCreated = false;
    try {
        status = options.play.doublePrecision ? Render<double>(*plugin, *input, options, outputCreated)
                                              : Render<float>(*plugin, *input, options, outputCreated);
    } catch (const TRunError& failure) {
        std::cerr << "tessel-host render: " << PluginTitle(*plugin) << ": " << failure.what() << '\n';
        status = kExitLoadFailure;
    }
    plugin->Close();
    if (status != kExitOk && outputCreated) {
        std::error_code ignored;
        std::filesystem::remove(options.outputPath, ignored);  // no half-written file that looks finished
    }
    return status;
}

const TSubcommandRegistration kRenderRegistration(kRender);

}  // namespace
}  // namespace tessel::host::tool
