#pragma once
// TDspVSTModule: decides what the host's three audio calls run — the
// module's own handlers directly (pmNormal), the same handlers on fixed-size
// blocks with optional overlap (pmBlockSave), a plain copy (pmCopy), silence
// (pmMute) or the first of its processing components (pmDspQueue) — and keeps
// the latency reported to the host consistent with the block mode.
//
// Threads: setters run on the UI thread and are not synchronised with the
// process calls, as the VST 2 interface allows; everything that a process call
// runs is marked [audio-thread] and allocates nothing. Buffers are sized on
// the UI thread (mode, block-mode size and pin count changes); the queue's
// temporary buffers have a fixed size whatever the host's block size.

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "framework/ChannelBuffers.h"
#include "framework/ProcessingComponentList.h"
#include "framework/VSTModuleWithPrograms.h"

namespace tessel {

enum class TProcessingMode { pmNormal, pmBlockSave, pmCopy, pmMute, pmDspQueue };
extern const std::array<std::string_view, 5> kProcessingModeNames;

using TProcessDoubleEvent = TProcessDoubleReplacingEvent;

class TDspVSTModule : public TVSTModuleWithPrograms {
public:
    static constexpr std::int32_t kDefaultBlockModeSize = 1024;  // samples

    TDspVSTModule();            // [ui-thread]
    ~TDspVSTModule() override;  // [ui-thread]

    // ---- Routing [ui-thread] ----
    TProcessingMode ProcessingMode() const { return FProcessingMode; }
    // A different mode re-routes all three calls; pmBlockSave prepares its block
    // buffers, pmDspQueue its temporary buffers.
    void SetProcessingMode(TProcessingMode v);

    // The module's audio handlers; assigning one re-routes the matching call.
    const TProcessAudioEvent& OnProcess() const { return FOnProcess; }
    void SetOnProcess(TProcessAudioEvent v);
    const TProcessAudioEvent& OnProcessReplacing() const { return FOnProcessReplacing; }
    void SetOnProcessReplacing(TProcessAudioEvent v);
    const TProcessDoubleEvent& OnProcessDoubleReplacing() const { return FOnProcessDoubleReplacing; }
    void SetOnProcessDoubleReplacing(TProcessDoubleEvent v);

    // ---- Block mode (samples) [ui-thread] ----
    // N: values <= 0 are ignored. Either way the fill position restarts at the
    // overlap and the block buffers are prepared again.
    std::int32_t BlockModeSize() const { return FBlockModeSize; }
    void SetBlockModeSize(std::int32_t v);
    // O: kept only when 0 <= v < N; takes effect at the next block boundary.
    std::int32_t BlockModeOverlap() const { return FBlockModeOverlap; }
    void SetBlockModeOverlap(std::int32_t v);
    // Fill position inside the current block, O <= position < N.
    std::int32_t BlockPosition() const { return FBlockPosition; }

    // The requested latency; in pmBlockSave at least N - O is reported. [ui-thread]
    void SetInitialDelay(std::int32_t v) override;

    // Sizes the block buffers to numInputs / numOutputs x N in pmBlockSave
    // (keeping what fits, zeroing the rest) and restarts the fill position;
    // in any other mode releases them. [ui-thread]
    virtual void PrepareBlockBuffers();

    // ---- Components ----
    // [ui-thread] to change the list; see TProcessingComponentList.
    TProcessingComponentList& ProcessingComponents() { return FComponents; }
    const TProcessingComponentList& ProcessingComponents() const { return FComponents; }

    // Each passes the change to every component, last first, then runs the
    // inherited behaviour. SampleRateChanged, HostIOChanged: [ui-thread];
    // HandleMidiEvent: [audio-thread].
    void SampleRateChanged() override;
    bool HostIOChanged() override;
    void HandleMidiEvent(const TVstMidiEvent& event) override;

    void DefineProperties(TPropertyTable& table, const TMethodTable& methods) override;  // [ui-thread]

protected:
    void PinCountsChanged() override;

private:
    // The module-owned buffers of one sample type: block mode's, and the
    // queue's temporary set.
    template <class T>
    struct TSampleBuffers {
        TChannelBuffers<T> blockInputs, blockOutputs, queue;
    };
    template <class T>
    using TSampleProcess = std::function<void(T* const* inputs, T* const* outputs, std::int32_t frames)>;

    void RouteProcess();
    void RouteAll();
    // What a replacing call over samples of type T runs in the current mode.
    template <class T>
    TSampleProcess<T> ReplacingRoute(const TSampleProcess<T>& handler);
    // The module's handler on whole blocks; null when there is no handler.
    // The handler is read at each call, so it must outlive the route.
    template <class T>
    TSampleProcess<T> BlockRoute(const TSampleProcess<T>& handler);
    template <class T>
    TSampleBuffers<T>& BuffersOf() noexcept;

    // max(requested, N - O) in pmBlockSave, requested otherwise.
    std::int32_t EffectiveDelay(std::int32_t requested) const;
    // In pmBlockSave raises a reported delay below N - O; never lowers it.
    void CheckBlockModeDelay();
    // Sized to max(numInputs, numOutputs) x kScratchFrames in pmDspQueue, released otherwise.
    void ResizeQueueBuffers();

    // [audio-thread] The routines of the table in the .cpp; not noexcept where
    // they run the module's or a component's handlers.
    template <class T>
    void BlockProcess(TSampleBuffers<T>& buffers, T* const* inputs, T* const* outputs, std::int32_t frames,
                      const TSampleProcess<T>& handler);
    template <class T>
    void CopyProcess(T* const* inputs, T* const* outputs, std::int32_t frames) const noexcept;
    template <class T>
    void MuteProcess(T* const* outputs, std::int32_t frames) const noexcept;
    template <class T>
    void QueueProcess(TChannelBuffers<T>& queue, T* const* inputs, T* const* outputs, std::int32_t frames);

    TProcessingMode FProcessingMode = TProcessingMode::pmNormal;
    std::int32_t FBlockModeSize = kDefaultBlockModeSize;
    std::int32_t FBlockModeOverlap = 0;
    std::int32_t FBlockPosition = 0;

    TProcessAudioEvent FOnProcess;
    TProcessAudioEvent FOnProcessReplacing;
    TProcessDoubleEvent FOnProcessDoubleReplacing;

    TSampleBuffers<float> FBuffers32;
    TSampleBuffers<double> FBuffers64;

    TProcessingComponentList FComponents;
};

}  // namespace tessel
