// tessel-host tone: writes a test signal (sine, sweep or noise) to a sound file.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

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
constexpr int kMinRateHz = 8000;
constexpr int kMaxRateHz = 768000;
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

constexpr const char* kToneDetails =
    "The container follows OUT's extension (.wav, .flac, .aiff, .au; anything else is WAV).\n"
    "Every channel carries the same signal; sine and sweep fade in and out over 10 ms.\n";

TOptionTable<TToneOptions> ToneOptionRows() {
    using T = TToneOptions;
    return {
        Argument<T>("OUT", "output file", &T::path),
        Choice<T, TKind>("--kind", {{"sine", TKind::Sine}, {"sweep", TKind::Sweep}, {"noise", TKind::Noise}},
                         "the signal (default sine)", &T::kind),
        Real<T>(
            "--freq", "HZ", [](double hz) { return hz > 0.0; }, "a frequency in Hz above 0",
            "the sine's frequency (default 1000 Hz)", &T::frequencyHz),
        Real<T>(
            "--seconds", "S", [](double seconds) { return seconds > 0.0 && seconds <= kMaxSeconds; },
            "a duration from 0 to 3600 s", "length (default 2 s)", &T::seconds),
        Integer<T>("--rate", "HZ", kMinRateHz, kMaxRateHz, "a sample rate from 8000 to 768000 Hz",
                   "sample rate (default 48000 Hz)", &T::rateHz),
        Integer<T>("--channels", "N", 1, kMaxChannels, "1 to 8 channels", "channels (default 2)", &T::channels),
        Real<T>(
            "--level", "DBFS", [](double dbfs) { return dbfs <= 0.0; }, "a peak level in dBFS, at most 0",
            "peak level (default -12 dBFS)", &T::levelDbfs),
        Choice<T, int>("--format",
                       {{"pcm16", SF_FORMAT_PCM_16}, {"pcm24", SF_FORMAT_PCM_24}, {"float", SF_FORMAT_FLOAT}},
                       "sample format (default pcm24)", &T::subtype),
    };
}

std::string CheckFrequency(TToneOptions& options) {
    if (options.kind == TKind::Sine && options.frequencyHz >= options.rateHz / 2.0)
        return "--freq must lie below half the sample rate";
    return "";
}

int RunTone(TToneOptions& options);

const TCommand<TToneOptions> kTone{
    "tone",         "write a test signal: a sine (default 1000 Hz), a logarithmic sweep 20 Hz - 20 kHz, or white noise",
    kToneDetails,   ToneOptionRows(),
    CheckFrequency, RunTone};

int MajorFormat(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    if (extension == ".flac") return SF_FORMAT_FLAC;
    if (extension == ".aiff" || extension == ".aif") return SF_FORMAT_AIFF;
    if (extension == ".au") return SF_FORMAT_AU;
    return SF_FORMAT_WAV;
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
            case TKind::Sine:
                return std::sin(2.0 * std::numbers::pi * options_.frequencyHz * t);
            case TKind::Sweep:
                return std::sin(2.0 * std::numbers::pi * kSweepStartHz / sweepOctaveRate_ *
                                (std::exp(sweepOctaveRate_ * t) - 1.0));
            case TKind::Noise:
                break;
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

int RunTone(TToneOptions& options) {
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

const TSubcommandRegistration kToneRegistration(kTone);

}  // namespace
}  // namespace tessel::host::tool
