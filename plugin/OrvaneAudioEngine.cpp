#include "plugin/OrvaneAudioEngine.h"

#include <algorithm>
#include <cmath>

#include "plugin/StereoBlock.h"

namespace tessel {

TOrvaneAudioEngine::TOrvaneAudioEngine() noexcept : FKernel(FastestCascadeKernel()) {
    FControlKinds.fill(TBandKind::Bypass);
}

// ---- Control side -----------------------------------------------------------

bool TOrvaneAudioEngine::IsValid(const TEngineBand& setting) noexcept {
    const TBiquadCoefficients& k = setting.coefficients;
    return BandKindFromNumber(BandKindNumber(setting.kind)).has_value() && std::isfinite(k.b0) && std::isfinite(k.b1) &&
           std::isfinite(k.b2) && std::isfinite(k.a1) && std::isfinite(k.a2);
}

void TOrvaneAudioEngine::Store(int band, const TEngineBand& setting) noexcept {
    const auto index = static_cast<std::size_t>(band);
    TPublishedBand& published = FControl[index];
    if (setting.kind != FControlKinds[index]) {
        FControlKinds[index] = setting.kind;
        ++published.clearCount;  // a new kind starts from cleared states
    }
    published.bypass = setting.kind == TBandKind::Bypass;
    published.coefficients = setting.coefficients;
}

void TOrvaneAudioEngine::PublishControl() noexcept {
    FHandOff.Back() = FControl;
    FHandOff.Publish();
}

bool TOrvaneAudioEngine::PublishBand(int band, const TEngineBand& setting) {
    if (band < 0 || band >= kBandCount || !IsValid(setting)) return false;
    Store(band, setting);
    PublishControl();
    return true;
}

bool TOrvaneAudioEngine::PublishBands(const std::array<TEngineBand, kBandCount>& settings) {
    if (!std::all_of(settings.begin(), settings.end(), IsValid)) return false;
    for (int band = 0; band < kBandCount; ++band) Store(band, settings[static_cast<std::size_t>(band)]);
    PublishControl();
    return true;
}

void TOrvaneAudioEngine::ClearAllStates() noexcept { FClearRequests.fetch_add(1, std::memory_order_release); }

bool TOrvaneAudioEngine::SetOutputGain(double factor) noexcept {
    if (!std::isfinite(factor) || factor < 0.0) return false;
    FGainTarget.store(factor, std::memory_order_relaxed);
    return true;
}

void TOrvaneAudioEngine::SetSampleRate(double sampleRateHz) noexcept {
    if (std::isfinite(sampleRateHz) && sampleRateHz > 0.0) FSampleRateHz.store(sampleRateHz, std::memory_order_relaxed);
}

bool TOrvaneAudioEngine::SelectKernel(TCascadeKernel kernel) noexcept {
    if (!CascadeKernelSupported(kernel)) return false;
    FKernel.store(kernel, std::memory_order_relaxed);
    return true;
}

// ---- Audio thread -------------------------------------------------------------

void TOrvaneAudioEngine::ApplyNewestSnapshot() noexcept {
    const TSnapshot* snapshot = FHandOff.TakeNewest();
    if (snapshot == nullptr) return;

    // Bring the running states home to their bands before slots are reassigned.
    FCascade.ArrangeStates(1);
    for (int slot = 0; slot < FCascade.activeSlots; ++slot) {
        TStereoStates& states = FBandStates[static_cast<std::size_t>(FSlotBand[static_cast<std::size_t>(slot)])];
        for (int ch = 0; ch < kChannelCount; ++ch) states[static_cast<std::size_t>(ch)] = FCascade.State(slot, ch);
    }

    int slot = 0;
    for (std::size_t band = 0; band < kBandCount; ++band) {
        const TPublishedBand& published = (*snapshot)[band];
        if (published.clearCount != FAppliedClears[band]) {
            FAppliedClears[band] = published.clearCount;
            FBandStates[band] = {};
        }
        if (published.bypass) continue;
        FCascade.SetCoefficients(slot, published.coefficients);
        for (int ch = 0; ch < kChannelCount; ++ch)
            FCascade.SetState(slot, ch, FBandStates[band][static_cast<std::size_t>(ch)]);
        FSlotBand[static_cast<std::size_t>(slot)] = static_cast<int>(band);
        ++slot;
    }
    FCascade.activeSlots = slot;
    for (; slot < TBiquadCascade::kMaxSlots; ++slot) FCascade.SetIdentity(slot);
    FCascade.PrepareLayouts();
}

void TOrvaneAudioEngine::ApplyClearRequests() noexcept {
    const std::uint32_t requests = FClearRequests.load(std::memory_order_acquire);
    if (requests == FAppliedClearRequests) return;
    FAppliedClearRequests = requests;
    // Zero is zero in every layout, so the states need no arranging.
    FBandStates = {};
    std::fill(std::begin(FCascade.s0), std::end(FCascade.s0), 0.0);
    std::fill(std::begin(FCascade.s1), std::end(FCascade.s1), 0.0);
}

void TOrvaneAudioEngine::StartGlideOnChange() noexcept {
    const double target = FGainTarget.load(std::memory_order_relaxed);
    if (target == FGainGlideEnd) return;
    constexpr double kMaxGlideFrames = 65536.0;  // bounds the glide whatever the rate claims to be
    const double frames =
        std::clamp(std::round(kGainGlideSeconds * FSampleRateHz.load(std::memory_order_relaxed)), 1.0, kMaxGlideFrames);
    FGainGlideEnd = target;
    FGlideFrames = static_cast<std::int64_t>(frames);
    FGainStep = (target - FGain) / frames;
}

// The block came from the kernel at a factor of 1; each frame gets the factor
// of its place in the glide, and the glide's end factor once it is over.
template <class T>
void TOrvaneAudioEngine::Glide(const TStereoBlock<T>& block) noexcept {
    for (int n = 0; n < block.frames; ++n) {
        if (FGlideFrames > 0) {
            FGain = --FGlideFrames == 0 ? FGainGlideEnd : FGain + FGainStep;
        }
        block.outLeft[n] = static_cast<T>(static_cast<double>(block.outLeft[n]) * FGain);
        block.outRight[n] = static_cast<T>(static_cast<double>(block.outRight[n]) * FGain);
    }
}

template <class T>
void TOrvaneAudioEngine::ProcessBlock(const T* const* inputs, T* const* outputs, std::int32_t frames) noexcept {
    ApplyNewestSnapshot();
    ApplyClearRequests();
    if (frames <= 0 || inputs == nullptr || outputs == nullptr) return;
    const T* inLeft = inputs[0];
    const T* inRight = inputs[1];
    T* outLeft = outputs[0];
    T* outRight = outputs[1];
    if (inLeft == nullptr || inRight == nullptr || outLeft == nullptr || outRight == nullptr) return;

    StartGlideOnChange();
    const bool gliding = FGlideFrames > 0;
    const TStereoBlock<T> block{.inLeft = inLeft,
                                .inRight = inRight,
                                .outLeft = outLeft,
                                .outRight = outRight,
                                .frames = frames,
                                .gain = gliding ? 1.0 : FGain};
    // The kernel also clears states that became infinite or NaN.
    RunCascade(FKernel.load(std::memory_order_relaxed), FCascade, block);
    if (gliding) Glide(block);
}

void TOrvaneAudioEngine::Process(const float* const* inputs, float* const* outputs, std::int32_t frames) noexcept {
    ProcessBlock(inputs, outputs, frames);
}

void TOrvaneAudioEngine::Process(const double* const* inputs, double* const* outputs, std::int32_t frames) noexcept {
    ProcessBlock(inputs, outputs, frames);
}

}  // namespace tessel
