#pragma once
// Shared by the audio engine's tests: random band settings, a reference
// equaliser that runs the dsp band filters sample by sample (channel 0, then
// channel 1, each sample through bands 0..6 on the wide entry, 1e-30 added
// first), and publishing its bands to an engine.

#include <array>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "dsp/BandFilterFactory.h"
#include "plugin/CascadeKernel.h"
#include "plugin/OrvaneAudioEngine.h"

namespace tessel::test {

inline constexpr int kBands = TOrvaneAudioEngine::kBandCount;

struct TBandSetting {
    TBandKind kind = TBandKind::Bypass;
    double frequencyHz = 1000.0;
    double gainDb = 0.0;
    double octaves = 1.0;
};
using TBandSettings = std::array<TBandSetting, kBands>;

// Anywhere in the equaliser's ranges: 20 Hz .. 20 kHz on a log scale, -15 ..
// +15 dB, the bandwidth parameter 0..1 mapped to 0.1 .. 10 octaves.
inline TBandSetting RandomSetting(std::mt19937& random, bool allowBypass = true) {
    std::uniform_int_distribution<int> kind(0, allowBypass ? 7 : 6);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    return {.kind = static_cast<TBandKind>(kind(random)),
            .frequencyHz = 20.0 * std::pow(1000.0, unit(random)),
            .gainDb = -15.0 + 30.0 * unit(random),
            .octaves = std::exp2(6.644 * unit(random) - 3.322)};
}

inline TBandSettings RandomSettings(std::mt19937& random, bool allowBypass = true) {
    TBandSettings settings;
    for (TBandSetting& s : settings) s = RandomSetting(random, allowBypass);
    return settings;
}

// The equaliser as the band filters define it, two channels of seven bands.
// A band whose kind changes gets new filters (cleared states) that take over
// frequency, gain and bandwidth; otherwise the setters run on the existing
// filters, which keep their states.
class TReferenceEqualiser {
public:
    explicit TReferenceEqualiser(double sampleRateHz) : FSampleRateHz(sampleRateHz) {}

    void Set(int band, const TBandSetting& s) {
        for (auto& channel : FFilters) {
            auto& filter = channel[static_cast<std::size_t>(band)];
            if (!filter || filter->Kind() != s.kind) filter = CreateBandFilter(s.kind);
            filter->SetFrequency(s.frequencyHz);
            filter->SetGain(s.gainDb);
            filter->SetBandwidth(s.octaves);
            filter->SetSampleRate(FSampleRateHz);
        }
    }

    void SetAll(const TBandSettings& settings) {
        for (int band = 0; band < kBands; ++band) Set(band, settings[static_cast<std::size_t>(band)]);
    }

    [[nodiscard]] TEngineBand EngineBand(int band) const {
        const auto& filter = FFilters[0][static_cast<std::size_t>(band)];
        return {filter->Kind(), filter->Coefficients()};
    }

    template <class T>
    void Process(const T* const* inputs, T* const* outputs, int frames) {
        for (std::size_t ch = 0; ch < 2; ++ch) {
            for (int n = 0; n < frames; ++n) {
                TWideSample x = static_cast<double>(inputs[ch][n]) + 1e-30;
                for (auto& filter : FFilters[ch]) x = filter->ProcessSample(x);
                outputs[ch][n] = static_cast<T>(static_cast<double>(x));
            }
        }
    }

private:
    double FSampleRateHz;
    std::array<std::array<std::unique_ptr<TOrvBiquadFilter>, kBands>, 2> FFilters;
};

// The same cascade in extended precision (x87 long double, 64-bit
// mantissa): a stand-in for exact arithmetic when judging how far a double
// evaluation is off. Follows the reference's kinds and coefficients.
class TExtendedCascade {
public:
    // Call after every change of the reference; a new kind clears the band.
    void Follow(const TReferenceEqualiser& reference) {
        for (int band = 0; band < kBands; ++band) {
            const TEngineBand b = reference.EngineBand(band);
            const auto i = static_cast<std::size_t>(band);
            if (b.kind != FBands[i].kind) FStates[0][i] = FStates[1][i] = {};
            FBands[i] = b;
        }
    }

    // Output of one channel's sample.
    long double Process(std::size_t channel, double input) {
        long double x = static_cast<long double>(input) + 1e-30L;
        for (std::size_t b = 0; b < kBands; ++b) {
            if (FBands[b].kind == TBandKind::Bypass) continue;
            const TBiquadCoefficients& k = FBands[b].coefficients;
            auto& [s0, s1] = FStates[channel][b];
            const long double y = k.b0 * x + s0;
            s0 = k.b1 * x - k.a1 * y + s1;
            s1 = k.b2 * x - k.a2 * y;
            x = y;
        }
        return x;
    }

private:
    struct TState {
        long double s0 = 0.0L;
        long double s1 = 0.0L;
    };
    std::array<TEngineBand, kBands> FBands{};
    std::array<std::array<TState, kBands>, 2> FStates{};
};

inline void PublishAll(TOrvaneAudioEngine& engine, const TReferenceEqualiser& reference) {
    for (int band = 0; band < kBands; ++band) engine.PublishBand(band, reference.EngineBand(band));
}

// Two channels of samples with the pointer arrays a host passes.
template <class T>
struct TStereo {
    std::array<std::vector<T>, 2> channel;
    std::array<T*, 2> pointers{};

    explicit TStereo(int frames, T fill = T(0)) {
        for (auto& c : channel) c.assign(static_cast<std::size_t>(frames), fill);
        pointers = {channel[0].data(), channel[1].data()};
    }
    [[nodiscard]] const T* const* In() const { return pointers.data(); }
    [[nodiscard]] T* const* Out() { return pointers.data(); }
    [[nodiscard]] int Frames() const { return static_cast<int>(channel[0].size()); }
};

template <class T>
TStereo<T> Noise(int frames, std::mt19937& random, double amplitude = 1.0) {
    std::uniform_real_distribution<double> uniform(-amplitude, amplitude);
    TStereo<T> s(frames);
    for (auto& c : s.channel) {
        for (T& v : c) v = static_cast<T>(uniform(random));
    }
    return s;
}

// One block through an engine or the reference; returns the output.
template <class T, class TProcessor>
TStereo<T> Through(TProcessor& processor, const TStereo<T>& input) {
    TStereo<T> output(input.Frames());
    processor.Process(input.In(), output.Out(), input.Frames());
    return output;
}

inline std::vector<TCascadeKernel> SupportedKernels() {
    std::vector<TCascadeKernel> kernels;
    for (const TCascadeKernel k : {TCascadeKernel::Sse2, TCascadeKernel::Avx2Fma, TCascadeKernel::Avx512}) {
        if (CascadeKernelSupported(k)) kernels.push_back(k);
    }
    return kernels;
}

inline const char* KernelName(TCascadeKernel kernel) {
    switch (kernel) {
        case TCascadeKernel::Sse2:
            return "Sse2";
        case TCascadeKernel::Avx2Fma:
            return "Avx2Fma";
        case TCascadeKernel::Avx512:
            return "Avx512";
    }
    return "Unknown";
}

}  // namespace tessel::test
