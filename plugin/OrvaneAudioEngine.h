#pragma once
// TOrvaneAudioEngine: the equaliser's audio path. Seven bands in series on
// exactly two channels; both channels of a band share its coefficients.
//
// The module's band filter objects stay the control side's truth; the engine
// never touches them. After every change the control side publishes the
// band's kind and current coefficients here; the audio thread picks up the
// newest published set at the start of its next process call and runs its
// own copies of the coefficients on its own states.
//
// Threads
// - PublishBand, PublishBands: one publishing thread at a time, which may be
//   the audio thread (a host automating from it): no lock, no wait, no
//   allocation. The module publishes only while it holds its parameter
//   store, which admits one thread at a time and never makes the audio
//   thread wait. The newest publication reaches the process calls through a
//   lock-free triple buffer (TripleBuffer.h).
// - ClearAllStates, SelectKernel, SetOutputGain, SetSampleRate: any thread,
//   one atomic operation each.
// - Process: one thread at a time; no allocation, no lock, no system call. It
//   may run concurrently with any of the calls above.
//
// Output gain. Both channels are multiplied by one factor after the seven
// bands. A change glides linearly from the factor in use to the new one over
// kGainGlideSeconds, so a jump makes no step in the output; outside a glide
// at a factor of exactly 1 nothing is multiplied, so the output is bit for
// bit that of the bands alone.
//
// States
// - A band whose published kind changes starts from cleared states (both
//   channels); publishing the kind it already has keeps them, whatever the
//   coefficients. The engine tracks the kinds itself, so a change is never
//   missed, even when several publications arrive between two process calls.
// - A Bypass band passes its input unchanged and its states are untouched.
// - A state that became infinite or NaN (after such input) is cleared at the
//   end of the process call, so the output recovers with the next call.
// - The engine never changes the processor's denormal modes: the 1e-30 added
//   to every input keeps decaying silence out of denormal numbers.
//
// Kernels (CascadeKernel.h): by default the fastest this processor runs well.
// The SSE2 kernel's results are bit-identical to the band filters' own
// ProcessSample; the wider ones use fused multiply-adds and differ from it in
// the last bits.

#include <array>
#include <atomic>
#include <cstdint>

#include "dsp/BandKind.h"
#include "dsp/BiquadCoefficients.h"
#include "plugin/BiquadCascade.h"
#include "plugin/CascadeKernel.h"
#include "plugin/StereoBlock.h"
#include "plugin/TripleBuffer.h"

namespace tessel {

// What the control side publishes for one band.
struct TEngineBand {
    TBandKind kind = TBandKind::Bypass;
    TBiquadCoefficients coefficients{.b0 = 1.0};  // channel 0's filter's; ignored for Bypass
};

class TOrvaneAudioEngine {
public:
    static constexpr int kBandCount = 7;
    static constexpr int kChannelCount = 2;

    // Every band Bypass with cleared states; the fastest kernel the processor
    // can run. [ui-thread]
    TOrvaneAudioEngine() noexcept;
    TOrvaneAudioEngine(const TOrvaneAudioEngine&) = delete;
    TOrvaneAudioEngine& operator=(const TOrvaneAudioEngine&) = delete;

    // Publishes one band (0..6). False, and nothing published, for a band
    // outside 0..6, a kind outside the eight, or a coefficient that is
    // infinite or NaN. [any-thread]
    bool PublishBand(int band, const TEngineBand& setting);
    // Publishes all seven bands as one change, so no process call sees some of
    // them new and some old. False, and nothing published, when any setting
    // is invalid as for PublishBand. [any-thread]
    bool PublishBands(const std::array<TEngineBand, kBandCount>& settings);
    // Clears every band's states at the start of the next process call (for
    // example when playback restarts). [any-thread, lock-free]
    void ClearAllStates() noexcept;

    // Output gain of both channels as a factor (0 dB: 1). False, and nothing
    // changed, for a factor that is negative, infinite or NaN. [any-thread, lock-free]
    bool SetOutputGain(double factor) noexcept;
    // Sample rate in Hz, which times the gain's glide. [any-thread, lock-free]
    void SetSampleRate(double sampleRateHz) noexcept;
    static constexpr double kGainGlideSeconds = 0.005;

    // Chooses the kernel for the following process calls. False, and nothing
    // changed, when this processor cannot run it. [any-thread, lock-free]
    bool SelectKernel(TCascadeKernel kernel) noexcept;
    // [any-thread]
    [[nodiscard]] TCascadeKernel Kernel() const noexcept { return FKernel.load(std::memory_order_relaxed); }

    // Applies the newest published bands and any request to clear, then
    // writes `frames` frames of channels 0 and 1 of `outputs` from those of
    // `inputs`. Inputs are only read; an output may be the same array as its
    // input. Nothing is written for frames <= 0 or when an array pointer is
    // null. [audio-thread]
    void Process(const float* const* inputs, float* const* outputs, std::int32_t frames) noexcept;
    void Process(const double* const* inputs, double* const* outputs, std::int32_t frames) noexcept;

private:
    struct TPublishedBand {
        TBiquadCoefficients coefficients{.b0 = 1.0};
        bool bypass = true;
        std::uint32_t clearCount = 0;  // cumulative requests to clear; only a change matters
    };
    using TSnapshot = std::array<TPublishedBand, kBandCount>;
    using TStereoStates = std::array<TBiquadState, kChannelCount>;

    // Publishing, one thread at a time.
    [[nodiscard]] static bool IsValid(const TEngineBand& setting) noexcept;
    void Store(int band, const TEngineBand& setting) noexcept;
    void PublishControl() noexcept;

    // Audio thread.
    void ApplyNewestSnapshot() noexcept;
    void ApplyClearRequests() noexcept;
    void StartGlideOnChange() noexcept;
    template <class T>
    void Glide(const TStereoBlock<T>& block) noexcept;
    template <class T>
    void ProcessBlock(const T* const* inputs, T* const* outputs, std::int32_t frames) noexcept;

    // Publishing.
    TSnapshot FControl;  // what was last published
    std::array<TBandKind, kBandCount> FControlKinds;

    TTripleBuffer<TSnapshot> FHandOff;
    std::atomic<TCascadeKernel> FKernel;
    std::atomic<std::uint32_t> FClearRequests{0};  // cumulative; only a change matters
    std::atomic<double> FGainTarget{1.0};
    std::atomic<double> FSampleRateHz{44100.0};

    // Audio thread.
    TBiquadCascade FCascade;
    std::array<int, TBiquadCascade::kMaxSlots> FSlotBand{};  // band number of each active slot
    std::array<TStereoStates, kBandCount> FBandStates{};     // states of bands without a slot
    std::array<std::uint32_t, kBandCount> FAppliedClears{};
    std::uint32_t FAppliedClearRequests = 0;
    double FGain = 1.0;             // factor on the last frame written
    double FGainGlideEnd = 1.0;     // factor the current glide ends at
    double FGainStep = 0.0;         // per frame
    std::int64_t FGlideFrames = 0;  // frames left in the current glide
};

}  // namespace tessel
