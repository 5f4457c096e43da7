#pragma once
// The built equaliser, loaded and started the way a DAW does, with helpers to
// set bands by natural value and to measure its gain with sine waves.

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "host/PluginInstance.h"

namespace tessel::test {

struct TBandSetting {
    int kind;  // 0..7
    double gainDb;
    double frequencyHz;
    double bandwidth;  // parameter value 0..1 (0.5 = one octave)
};

class TEqualiser {
public:
    explicit TEqualiser(float sampleRateHz = 44100.0f, int blockFrames = 512)
        : FPlugin(std::make_unique<host::TPluginInstance>(TESSEL_PLUGIN_PATH)),
          FSampleRate(sampleRateHz),
          FBlock(blockFrames) {
        FPlugin->SetSampleRate(sampleRateHz);
        FPlugin->SetBlockSize(blockFrames);
        FPlugin->Open();
        FPlugin->MainsChanged(true);
    }

    host::TPluginInstance& Plugin() { return *FPlugin; }

    // Natural values through effString2Parameter, as a host's text entry would.
    void Set(int index, double value) {
        char text[64];
        std::snprintf(text, sizeof text, "%.9g", value);
        FPlugin->String2Parameter(index, text);
    }
    void SetBand(int band, const TBandSetting& s) {
        Set(4 * band, s.kind);
        Set(4 * band + 1, s.gainDb);
        Set(4 * band + 2, s.frequencyHz);
        // Typed text for a bandwidth means octaves; the 0..1 value goes in as it is
        // (normalised and natural agree on this linear 0..1 parameter).
        FPlugin->SetParameter(4 * band + 3, static_cast<float>(s.bandwidth));
    }
    void BypassAll() {
        for (int band = 0; band < 7; ++band) Set(4 * band, 7);
    }

    // Runs a sine of amplitude 0.5 through both channels and returns the
    // steady-state gain of channel `channel` in dB. The measuring window is a
    // whole number of periods for 100, 1000 and 10000 Hz at 44.1 kHz.
    double GainDb(double frequencyHz, int channel = 0, bool wide = false) {
        constexpr int kSettle = 44100;
        constexpr int kWindow = 4410;
        const int total = kSettle + kWindow;
        std::vector<double> out = Run(Sine(frequencyHz, total), wide)[static_cast<std::size_t>(channel)];
        double i = 0.0, q = 0.0;
        const double w = 2.0 * M_PI * frequencyHz / FSampleRate;
        for (int n = kSettle; n < total; ++n) {
            i += out[static_cast<std::size_t>(n)] * std::sin(w * n);
            q += out[static_cast<std::size_t>(n)] * std::cos(w * n);
        }
        const double amplitude = 2.0 * std::hypot(i, q) / kWindow;
        return 20.0 * std::log10(amplitude / 0.5);
    }

    std::vector<double> Sine(double frequencyHz, int frames) const {
        std::vector<double> s(static_cast<std::size_t>(frames));
        for (int n = 0; n < frames; ++n)
            s[static_cast<std::size_t>(n)] = 0.5 * std::sin(2.0 * M_PI * frequencyHz * n / FSampleRate);
        return s;
    }

    // Feeds the same signal to both channels in host-sized blocks; returns both outputs.
    std::vector<std::vector<double>> Run(const std::vector<double>& signal, bool wide = false) {
        std::vector<std::vector<double>> out(2, std::vector<double>(signal.size()));
        for (std::size_t start = 0; start < signal.size(); start += static_cast<std::size_t>(FBlock)) {
            const auto frames = std::min(static_cast<std::size_t>(FBlock), signal.size() - start);
            if (wide) {
                host::TAudioBuffers<double> in(2, frames), o(2, frames);
                for (std::size_t c = 0; c < 2; ++c)
                    for (std::size_t n = 0; n < frames; ++n) in.Channel(c)[n] = signal[start + n];
                FPlugin->ProcessDoubleReplacing(in, o);
                for (std::size_t c = 0; c < 2; ++c)
                    for (std::size_t n = 0; n < frames; ++n) out[c][start + n] = o.Channel(c)[n];
            } else {
                host::TAudioBuffers<float> in(2, frames), o(2, frames);
                for (std::size_t c = 0; c < 2; ++c)
                    for (std::size_t n = 0; n < frames; ++n) in.Channel(c)[n] = static_cast<float>(signal[start + n]);
                FPlugin->ProcessReplacing(in, o);
                for (std::size_t c = 0; c < 2; ++c)
                    for (std::size_t n = 0; n < frames; ++n) out[c][start + n] = o.Channel(c)[n];
            }
        }
        return out;
    }

private:
    std::unique_ptr<host::TPluginInstance> FPlugin;
    double FSampleRate;  // Hz
    int FBlock;
};

}  // namespace tessel::test
