// tessel-host tone: writes a test signal (sine, sweep or noise) to a sound file.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

#include "host/tools/NumberArgument.h"
#include "host/tools/SoundFile.h"
#include "host/tools/Subcommand.h"

namespace tessel::host::tool {
namespace {

constexpr double kFadeSeconds = 0.01;  // raised-cosine fade at both ends, against clicks
constexpr double kSweepStartHz = 20.0;
constexpr double kSweepEndHz = 20000.0;
constexpr double kSweepTopOfNyquist = 0.9;  // sweeps end below the Nyquist frequency
constexpr double kMaxSeconds = 3600.0;
constexpr int kMaxChannels = 8;
constexpr sf_count_t kChunkFrames = 4096;

enum class TKind { Sine, Sweep, Noise };

struct TToneOptions {
    std::string path;
    TKind kind = TKind::Sine;
    double frequencyHz = 1000.0;
    double seconds = 2.0;
    int rateHz = 48000;
    int channels = 2;
    double levelDbfs = -12.0;  // peak level
    int subtype = SF_FORMAT_PCM_24;
};

int RunTone(const std::vector<std::string>& arguments);

const TSubcommand kTone{
    "tone",
    "OUT [--kind sine|sweep|noise] [--freq HZ] [--seconds S] [--rate HZ] [--channels N] [--level DBFS] "
    "[--format pcm16|pcm24|float]",
    "write a test signal: a sine (default 1000 Hz), a logarithmic sweep 20 Hz - 20 kHz, or white noise",
    RunTone};

constexpr const char* kToneDetails =
    "The container follows OUT's extension (.wav, .flac, .aiff, .au; anything else is WAV).\n"
    "Defaults: 2 s, 48000 Hz, 2 channels, peak level -12 dBFS, 24-bit PCM. Every channel\n"
    "carries the same signal; sine and sweep fade in and out over 10 ms.\n";

int MajorFormat(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    if (extension == ".flac") return SF_FORMAT_FLAC;
    if (extension == ".aiff" || extension == ".aif") return SF_FORMAT_AIFF;
    if (extension == ".au") return SF_FORMAT_AU;
    return SF_FORMAT_WAV;
}

int TakeValue(const std::vector<std::string>& arguments, size_t& i, TToneOptions& options) {
    const std::string& option = arguments[i];
    if (i + 1 >= arguments.size()) return UsageError(kTone, option + " needs a value");
    const std::string& value = arguments[++i];
    const auto bad = [&](const std::string& expected) {
        return UsageError(kTone, option + " takes " + expected + ", not '" + value + "'");
    };
    if (option == "--kind") {
        if (value == "sine") options.kind = TKind::Sine;
        else if (value == "sweep") options.kind = TKind::Sweep;
        else if (value == "noise") options.kind = TKind::Noise;
        else return bad("sine, sweep or noise");
    } else if (option == "--format") {
        if (value == "pcm16") options.subtype = SF_FORMAT_PCM_16;
        else if (value == "pcm24") options.subtype = SF_FORMAT_PCM_24;
        else if (value == "float") options.subtype = SF_FORMAT_FLOAT;
        else return bad("pcm16, pcm24 or float");
    } else if (option == "--rate" || option == "--channels") {
        const auto number = ParseInteger(value);
        const bool rate = option == "--rate";
        if (!number || *number < (rate ? 8000 : 1) || *number > (rate ? 768000 : kMaxChannels))
            return bad(rate ? "a sample rate from 8000 to 768000 Hz" : "1 to 8 channels");
        (rate ? options.rateHz : options.channels) = static_cast<int>(*number);
    } else {
        const auto number = ParseReal(value);
        if (option == "--freq") {
            if (!number || *number <= 0.0) return bad("a frequency in Hz above 0");
            options.frequencyHz = *number;
        } else if (option == "--seconds") {
            if (!number || *number <= 0.0 || *number > kMaxSeconds) return bad("a duration from 0 to 3600 s");
            options.seconds = *number;
        } else if (option == "--level") {
            if (!number || *number > 0.0) return bad("a peak level in dBFS, at most 0");
            options.levelDbfs = *number;
        } else {
            return UsageError(kTone, "unknown option " + option);
        }
    }
    return kExitOk;
}

int ParseArguments(const std::vector<std::string>& arguments, TToneOptions& options) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.size() > 1 && argument[0] == '-') {
            if (const int status = TakeValue(arguments, i, options); status != kExitOk) return status;
        } else if (options.path.empty()) {
            options.path = argument;
        } else {
            return UsageError(kTone, "only one output file");
        }
    }
    if (options.path.empty()) return UsageError(kTone, "no output file given");
    if (options.kind == TKind::Sine && options.frequencyHz >= options.rateHz / 2.0)
        return UsageError(kTone, "--freq must lie below half the sample rate");
    return kExitOk;
}

// The signal, one sample per frame, before level and fades.
class TSignal {
public:
    explicit TSignal(const TToneOptions& options) : options_(options) {
        const double endHz = std::min(kSweepEndHz, kSweepTopOfNyquist * options.rateHz / 2.0);
        sweepOctaveRate_ = std::log(endHz / kSweepStartHz) / options.seconds;
    }

    double At(int64_t frame) {
        const double t = static_cast<double>(frame) / options_.rateHz;
        switch (options_.kind) {
            case TKind::Sine: return std::sin(2.0 * std::numbers::pi * options_.frequencyHz * t);
            case TKind::Sweep:
                return std::sin(2.0 * std::numbers::pi * kSweepStartHz / sweepOctaveRate_ *
                                (std::exp(sweepOctaveRate_ * t) - 1.0));
            case TKind::Noise: break;
        }
        // xorshift64: uniform in -1..1, the same noise on every run.
        noise_ ^= noise_ << 13;
        noise_ ^= noise_ >> 7;
        noise_ ^= noise_ << 17;
        return static_cast<double>(noise_ >> 11) / static_cast<double>(uint64_t{1} << 52) - 1.0;
    }

private:
    const TToneOptions& options_;
    double sweepOctaveRate_ = 1.0;
    uint64_t noise_ = 0x9E3779B97F4A7C15ull;
};

double Fade(const TToneOptions& options, int64_t frame, int64_t frames) {
    if (options.kind == TKind::Noise) return 1.0;
    const double fadeFrames = kFadeSeconds * options.rateHz;
    const double fromEdge = static_cast<double>(std::min(frame, frames - 1 - frame));
    if (fromEdge >= fadeFrames) return 1.0;
    return 0.5 - 0.5 * std::cos(std::numbers::pi * fromEdge / fadeFrames);
}

int RunTone(const std::vector<std::string>& arguments) {
    if (std::find(arguments.begin(), arguments.end(), "--help") != arguments.end())
        return CommandHelp(kTone, kToneDetails);
    TToneOptions options;
    if (const int status = ParseArguments(arguments, options); status != kExitOk) return status;

    SF_INFO info{};
    info.samplerate = options.rateHz;
    info.channels = options.channels;
    info.format = MajorFormat(options.path) | options.subtype;
    std::string error;
    std::unique_ptr<TSoundFile> file = TSoundFile::OpenForWriting(options.path, info, error);
    if (!file) {
        std::cerr << "tessel-host tone: cannot write " << options.path << ": " << error << '\n';
        return kExitIoFailure;
    }
    const auto frames = static_cast<int64_t>(std::llround(options.seconds * options.rateHz));
    const double amplitude = std::pow(10.0, options.levelDbfs / 20.0);
    TSignal signal(options);
    std::vector<double> chunk(static_cast<size_t>(kChunkFrames * options.channels));
    for (int64_t start = 0; start < frames; start += kChunkFrames) {
        const int64_t count = std::min<int64_t>(kChunkFrames, frames - start);
        for (int64_t frame = 0; frame < count; ++frame) {
            const double sample = amplitude * Fade(options, start + frame, frames) * signal.At(start + frame);
            for (int channel = 0; channel < options.channels; ++channel)
                chunk[static_cast<size_t>(frame * options.channels + channel)] = sample;
        }
        if (!file->Write(chunk.data(), count)) {
            std::cerr << "tessel-host tone: cannot write " << options.path << ": " << file->ErrorText() << '\n';
            file.reset();
            std::filesystem::remove(options.path);
            return kExitIoFailure;
        }
    }
    if (!file->Close()) {
        std::cerr << "tessel-host tone: cannot finish " << options.path << '\n';
        return kExitIoFailure;
    }
    std::cout << "Wrote " << options.path << ": " << frames << " frames, " << options.channels << " ch, "
              << options.rateHz << " Hz, " << TSoundFile::FormatName(info.format) << '\n';
    return kExitOk;
}

const TSubcommandRegistration kRegistration(kTone);

}  // namespace
}  // namespace tessel::host::tool
