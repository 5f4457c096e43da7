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

void TOrvaneAudioEngine::StoreLocked(int band, const TEngineBand& setting) noexcept {
    const auto index = static_cast<std::size_t>(band);
    TPublishedBand& published = FControl[index];
    if (setting.kind != FControlKinds[index]) {
        FControlKinds[index] = setting.kind;
        ++published.clearCount;  // a new kind starts from cleared states
    }
    published.bypass = setting.kind == TBandKind::Bypass;
    published.coefficients = setting.coefficients;
}

void TOrvaneAudioEngine::PublishLocked() noexcept {
    FHandOff.Back() = FControl;
    FHandOff.Publish();
}

bool TOrvaneAudioEngine::PublishBand(int band, const TEngineBand& setting) {
    if (band < 0 || band >= kBandCount || !IsValid(setting)) return false;
    const std::lock_guard lock(FControlMutex);
    StoreLocked(band, setting);
    PublishLocked();
    return true;
}

bool TOrvaneAudioEngine::PublishBands(const std::array<TEngineBand, kBandCount>& settings) {
    if (!std::all_of(settings.begin(), settings.end(), IsValid)) return false;
    const std::lock_guard lock(FControlMutex);
    for (int band = 0; band < kBandCount; ++band) StoreLocked(band, settings[static_cast<std::size_t>(band)]);
    PublishLocked();
    return true;
}

void TOrvaneAudioEngine::ClearAllStates() noexcept { FClearRequests.fetch_add(1, std::memory_order_release); }

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

    const TStereoBlock<T> block{
        .inLeft = inLeft, .inRight = inRight, .outLeft = outLeft, .outRight = outRight, .frames = frames};
    // The kernel also clears states that became infinite or NaN.
    RunCascade(FKernel.load(std::memory_order_relaxed), FCascade, block);
}

void TOrvaneAudioEngine::Process(const float* const* inputs, float* const* outputs, std::int32_t frames) noexcept {
    ProcessBlock(inputs, outputs, frames);
}

void TOrvaneAudioEngine::Process(const double* const* inputs, double* const* outputs, std::int32_t frames) noexcept {
    ProcessBlock(inputs, outputs, frames);
}

}  // namespace tessel
