#include "framework/DspVSTModule.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace tessel {

const std::array<std::string_view, 5> kProcessingModeNames = {"pmNormal", "pmBlockSave", "pmCopy", "pmMute",
                                                              "pmDspQueue"};

namespace {

using TMode = TProcessingMode;

// [audio-thread] Block copies; the ranges may be the same memory when a host
// processes in place, so they are moved rather than copied.
template <class T>
void MoveSamples(T* to, const T* from, std::int32_t frames) noexcept {
    if (frames > 0 && to != from) std::memmove(to, from, static_cast<std::size_t>(frames) * sizeof(T));
}

template <class T>
void ZeroSamples(T* to, std::int32_t frames) noexcept {
    if (frames > 0) std::fill_n(to, frames, T{0});
}

// A host channel, or null where the host gave no array or no channel.
template <class T>
T* HostChannel(T* const* channels, std::int32_t c, std::int32_t count) noexcept {
    return channels && c < count ? channels[c] : nullptr;
}

// A component's bound routine for samples of type T.
template <class T>
const std::function<void(TBufferSet<T>&)>& ComponentRoutine(const TProcessingComponent& component) noexcept {
    if constexpr (std::is_same_v<T, float>)
        return component.ProcessSingle;
    else
        return component.ProcessDouble;
}

TProcessingMidiEvent ToComponentEvent(const TVstMidiEvent& event) noexcept {
    TProcessingMidiEvent e;
    for (std::size_t i = 0; i < e.midiData.size(); ++i) e.midiData[i] = static_cast<std::uint8_t>(event.midiData[i]);
    e.deltaFrames = event.deltaFrames;
    e.noteOffset = event.noteOffset;
    e.noteLength = event.noteLength;
    e.detune = event.detune;
    e.noteOffVelocity = event.noteOffVelocity;
    return e;
}

}  // namespace

TDspVSTModule::TDspVSTModule() = default;
TDspVSTModule::~TDspVSTModule() = default;

// ---- Routing ----

void TDspVSTModule::SetProcessingMode(TProcessingMode v) {
    if (v == FProcessingMode) return;
    const TProcessingMode previous = FProcessingMode;
    FProcessingMode = v;
    // Buffers are ready before a process call can be routed to them, and
    // released only once no call is routed there any more.
    if (v == TMode::pmBlockSave) PrepareBlockBuffers();
    if (v == TMode::pmDspQueue) ResizeQueueBuffers();
    RouteAll();
    if (previous == TMode::pmDspQueue) ResizeQueueBuffers();  // releases
    if (previous == TMode::pmBlockSave) {
        PrepareBlockBuffers();  // releases: a later return starts from silence, not stale blocks
        // Outside block mode the block latency is gone; keep reporting it and
        // the host would misalign the plug-in's output by that much.
        if (InitialDelay() != RequestedInitialDelay()) ReportInitialDelay(RequestedInitialDelay());
    }
}

void TDspVSTModule::SetOnProcess(TProcessAudioEvent v) {
    FOnProcess = std::move(v);
    RouteProcess();
}
void TDspVSTModule::SetOnProcessReplacing(TProcessAudioEvent v) {
    FOnProcessReplacing = std::move(v);
    FActiveProcessReplacing = ReplacingRoute(FOnProcessReplacing);
}
void TDspVSTModule::SetOnProcessDoubleReplacing(TProcessDoubleEvent v) {
    FOnProcessDoubleReplacing = std::move(v);
    FActiveProcessDoubleReplacing = ReplacingRoute(FOnProcessDoubleReplacing);
}

void TDspVSTModule::RouteAll() {
    FActiveProcessReplacing = ReplacingRoute(FOnProcessReplacing);
    FActiveProcessDoubleReplacing = ReplacingRoute(FOnProcessDoubleReplacing);
    RouteProcess();
}

void TDspVSTModule::RouteProcess() {
    switch (FProcessingMode) {
        case TMode::pmNormal:
            FActiveProcess = FOnProcess;
            break;
        case TMode::pmBlockSave:
            FActiveProcess = BlockRoute(FOnProcess);
            break;
        default:
            // Copy, mute and queue overwrite the outputs for the accumulating call too.
            FActiveProcess = ReplacingRoute(FOnProcessReplacing);
            break;
    }
}

template <class T>
TDspVSTModule::TSampleBuffers<T>& TDspVSTModule::BuffersOf() noexcept {
    if constexpr (std::is_same_v<T, float>)
        return FBuffers32;
    else
        return FBuffers64;
}

template <class T>
TDspVSTModule::TSampleProcess<T> TDspVSTModule::ReplacingRoute(const TSampleProcess<T>& handler) {
    switch (FProcessingMode) {
        case TMode::pmNormal:
            return handler;
        case TMode::pmBlockSave:
            return BlockRoute(handler);
        case TMode::pmCopy:
            return [this](T* const* in, T* const* out, std::int32_t frames) { CopyProcess(in, out, frames); };
        case TMode::pmMute:
            return [this](T* const*, T* const* out, std::int32_t frames) { MuteProcess(out, frames); };
        case TMode::pmDspQueue:
            return [this](T* const* in, T* const* out, std::int32_t frames) {
                QueueProcess(BuffersOf<T>().queue, in, out, frames);
            };
    }
    return nullptr;
}

template <class T>
TDspVSTModule::TSampleProcess<T> TDspVSTModule::BlockRoute(const TSampleProcess<T>& handler) {
    if (!handler) return nullptr;
    return [this, &handler](T* const* in, T* const* out, std::int32_t frames) {
        BlockProcess(BuffersOf<T>(), in, out, frames, handler);
    };
}

// ---- Block mode and latency ----

void TDspVSTModule::SetBlockModeSize(std::int32_t v) {
    if (v > 0) {
        FBlockModeSize = v;
        // An overlap of a whole block or more has no samples left to add; it
        // would also send the block copies outside the buffers.
        if (FBlockModeOverlap >= FBlockModeSize) FBlockModeOverlap = 0;
    }
    FBlockPosition = FBlockModeOverlap;
    PrepareBlockBuffers();
}

void TDspVSTModule::SetBlockModeOverlap(std::int32_t v) {
    if (v >= 0 && v < FBlockModeSize) FBlockModeOverlap = v;
    CheckBlockModeDelay();
}

void TDspVSTModule::SetInitialDelay(std::int32_t v) {
    if (v == RequestedInitialDelay()) return;
    SetRequestedInitialDelay(v);
    ReportInitialDelay(EffectiveDelay(v));
}

std::int32_t TDspVSTModule::EffectiveDelay(std::int32_t requested) const {
    if (FProcessingMode != TMode::pmBlockSave) return requested;
    return std::max(requested, FBlockModeSize - FBlockModeOverlap);
}

void TDspVSTModule::CheckBlockModeDelay() {
    if (FProcessingMode != TMode::pmBlockSave) return;
    if (InitialDelay() < FBlockModeSize - FBlockModeOverlap)
        ReportInitialDelay(EffectiveDelay(RequestedInitialDelay()));
}

void TDspVSTModule::PrepareBlockBuffers() {
    if (FProcessingMode != TMode::pmBlockSave) {
        FBuffers32.blockInputs.Release();
        FBuffers32.blockOutputs.Release();
        FBuffers64.blockInputs.Release();
        FBuffers64.blockOutputs.Release();
        return;
    }
    FBuffers32.blockInputs.Resize(numInputs(), FBlockModeSize);
    FBuffers32.blockOutputs.Resize(numOutputs(), FBlockModeSize);
    FBuffers64.blockInputs.Resize(numInputs(), FBlockModeSize);
    FBuffers64.blockOutputs.Resize(numOutputs(), FBlockModeSize);
    FBlockPosition = FBlockModeOverlap;
    CheckBlockModeDelay();
}

void TDspVSTModule::ResizeQueueBuffers() {
    if (FProcessingMode != TMode::pmDspQueue) {
        FBuffers32.queue.Release();
        FBuffers64.queue.Release();
        return;
    }
    // Longer host blocks are processed in pieces.
    const std::int32_t channels = std::max(numInputs(), numOutputs());
    FBuffers32.queue.Resize(channels, kScratchFrames);
    FBuffers64.queue.Resize(channels, kScratchFrames);
}

void TDspVSTModule::PinCountsChanged() {
    TVSTModuleWithPrograms::PinCountsChanged();
    PrepareBlockBuffers();
    ResizeQueueBuffers();
}

// ---- Changes passed on to the components ----

void TDspVSTModule::SampleRateChanged() {
    for (std::int32_t i = FComponents.Count() - 1; i >= 0; --i) FComponents[i].SetSampleRate(SampleRate());
    TVSTModuleWithPrograms::SampleRateChanged();
}

bool TDspVSTModule::HostIOChanged() {
    const bool answer = TVSTModuleWithPrograms::HostIOChanged();
    const std::int32_t channels = std::max(numInputs(), numOutputs());
    for (std::int32_t i = FComponents.Count() - 1; i >= 0; --i) FComponents[i].SetChannels(channels);
    return answer;
}

void TDspVSTModule::HandleMidiEvent(const TVstMidiEvent& event) {
    const TProcessingMidiEvent componentEvent = ToComponentEvent(event);
    for (std::int32_t i = FComponents.Count() - 1; i >= 0; --i) FComponents[i].ProcessMidiEvent(componentEvent);
    TVSTModuleWithPrograms::HandleMidiEvent(event);
}

// ---- Audio routines [audio-thread] ----

// The handler always sees whole blocks of N samples whose first O samples
// repeat the end of the previous block's input; the host receives each
// block's output one block later, so the output is delayed by N - O samples.
template <class T>
void TDspVSTModule::BlockProcess(TSampleBuffers<T>& buffers, T* const* inputs, T* const* outputs, std::int32_t frames,
                                 const TSampleProcess<T>& handler) {
    TChannelBuffers<T>& blockInputs = buffers.blockInputs;
    TChannelBuffers<T>& blockOutputs = buffers.blockOutputs;
    const std::int32_t n = FBlockModeSize;
    const std::int32_t overlap = FBlockModeOverlap;
    // Buffers that do not match the block (being re-prepared) are left alone.
    if (frames <= 0 || !handler || blockInputs.Frames() != n || blockOutputs.Frames() != n) return;
    if (FBlockPosition < 0 || FBlockPosition >= n) FBlockPosition = std::clamp(overlap, 0, n - 1);

    const std::int32_t hostInputs = numInputs();
    const std::int32_t hostOutputs = numOutputs();
    // Exchanges `count` samples at host position a and block position p.
    const auto exchange = [&](std::int32_t a, std::int32_t p, std::int32_t count) {
        for (std::int32_t c = 0; c < blockInputs.ChannelCount(); ++c) {
            const T* from = HostChannel(inputs, c, hostInputs);
            if (from)
                MoveSamples(blockInputs.Channel(c) + p, from + a, count);
            else
                ZeroSamples(blockInputs.Channel(c) + p, count);  // missing input is silence
        }
        for (std::int32_t c = 0; c < blockOutputs.ChannelCount(); ++c)
            if (T* to = HostChannel(outputs, c, hostOutputs)) MoveSamples(to + a, blockOutputs.Channel(c) + p, count);
    };

    std::int32_t a = 0;
    while (a < frames) {
        const std::int32_t remaining = frames - a;
        const std::int32_t p = FBlockPosition;
        const std::int32_t untilBoundary = n - p;
        if (remaining < untilBoundary) {
            exchange(a, p, remaining);
            FBlockPosition = p + remaining;
            a = frames;
        } else {
            exchange(a, p, untilBoundary);
            handler(blockInputs.Channels(), blockOutputs.Channels(), n);
            for (std::int32_t c = 0; c < blockInputs.ChannelCount(); ++c)
                MoveSamples(blockInputs.Channel(c), blockInputs.Channel(c) + (n - overlap), overlap);
            a += untilBoundary;
            FBlockPosition = overlap;
        }
    }
}

template <class T>
void TDspVSTModule::CopyProcess(T* const* inputs, T* const* outputs, std::int32_t frames) const noexcept {
    const std::int32_t channels = std::min(numInputs(), numOutputs());
    for (std::int32_t c = 0; c < channels; ++c) {
        const T* from = HostChannel(inputs, c, channels);
        T* to = HostChannel(outputs, c, channels);
        if (from && to) MoveSamples(to, from, frames);
    }
}

template <class T>
void TDspVSTModule::MuteProcess(T* const* outputs, std::int32_t frames) const noexcept {
    const std::int32_t channels = numOutputs();
    for (std::int32_t c = 0; c < channels; ++c)
        if (T* to = HostChannel(outputs, c, channels)) ZeroSamples(to, frames);
}

// The temporary buffer set is allocated on the UI thread with a fixed size;
// longer host blocks run through it in pieces.
template <class T>
void TDspVSTModule::QueueProcess(TChannelBuffers<T>& queue, T* const* inputs, T* const* outputs, std::int32_t frames) {
    if (frames <= 0 || queue.Frames() <= 0) return;
    const std::int32_t channels = queue.ChannelCount();
    const std::int32_t hostInputs = std::min(numInputs(), channels);
    const std::int32_t hostOutputs = std::min(numOutputs(), channels);
    TProcessingComponent* first = FComponents.Empty() ? nullptr : &FComponents[0];
    for (std::int32_t done = 0; done < frames;) {
        const std::int32_t piece = std::min(queue.Frames(), frames - done);
        queue.Zero(piece);
        for (std::int32_t c = 0; c < hostInputs; ++c)
            if (const T* from = HostChannel(inputs, c, hostInputs)) MoveSamples(queue.Channel(c), from + done, piece);
        if (first && ComponentRoutine<T>(*first)) {
            TBufferSet<T> set{queue.Channels(), channels, piece};
            ComponentRoutine<T> (*first)(set);
        }
        for (std::int32_t c = 0; c < hostOutputs; ++c)
            if (T* to = HostChannel(outputs, c, hostOutputs)) MoveSamples(to + done, queue.Channel(c), piece);
        done += piece;
    }
}

// ---- Published properties ----

void TDspVSTModule::DefineProperties(TPropertyTable& t, const TMethodTable& m) {
    TVSTModuleWithPrograms::DefineProperties(t, m);
    t.Define("ProcessingMode", [this](const TStoredValue& v) {
        SetProcessingMode(StoredEnum<TProcessingMode>(v, kProcessingModeNames));
    });
    t.Define("BlockModeSize", [this](const TStoredValue& v) { SetBlockModeSize(StoredInteger(v)); });
    t.Define("BlockModeOverlap", [this](const TStoredValue& v) { SetBlockModeOverlap(StoredInteger(v)); });
    // Handlers are bound by name and go through the setters so that routing follows.
    t.Define("OnProcess",
             [this, &m](const TStoredValue& v) { SetOnProcess(m.Bind<TProcessAudioEvent>(StoredMethodName(v))); });
    t.Define("OnProcessReplacing", [this, &m](const TStoredValue& v) {
        SetOnProcessReplacing(m.Bind<TProcessAudioEvent>(StoredMethodName(v)));
    });
    t.Define("OnProcessDoubleReplacing", [this, &m](const TStoredValue& v) {
        SetOnProcessDoubleReplacing(m.Bind<TProcessDoubleEvent>(StoredMethodName(v)));
    });
}

}  // namespace tessel
