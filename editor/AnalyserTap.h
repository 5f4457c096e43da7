#pragma once
// TAnalyserTap: the plug-in's output, summed to mono, for the editor's
// spectrum analyser; a ring with one producer and one consumer.
//
// Threads
// - Push: [audio-thread], the producer. While the tap is closed it costs one
//   relaxed load; while open it copies the mono sum into the ring's free
//   space with plain stores and publishes it with one release store: no
//   allocation, lock or system call.
// - SetOpen, ReadEnding, Release: [editor-thread], the consumer.
// - SetSampleRate: any one non-audio thread.
//
// The producer never writes over what the consumer holds: the samples from
// the oldest not yet released to the newest published. The consumer reads
// only those, and each side acquires the other's position before it touches
// the samples that position hands over, so no sample is ever written while
// it is read and the ring needs no atomic per sample. The copy then costs
// what a memcpy of the block costs, which matters: it is the audio thread's
// whole price for the analyser. When the consumer falls a whole ring
// behind, the producer drops what does not fit and records where the
// stream broke (FreshFrom), so no analysis joins audio across the gap.

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <span>

#include "dsp/MonoSum.h"

namespace tessel {

class TAnalyserTap {
public:
    static constexpr std::size_t kCapacity = 65536;  // samples; 0.34 s at 192 kHz
    static_assert((kCapacity & (kCapacity - 1)) == 0);

    // Starts or stops the copying; opening drops whatever the ring held. [editor-thread]
    void SetOpen(bool open) noexcept {
        if (open && !Open()) {
            const std::uint64_t now = Written();
            FOpenedAt.store(now, std::memory_order_relaxed);
            FReleased.store(now, std::memory_order_release);
        }
        FOpen.store(open, std::memory_order_relaxed);
    }
    bool Open() const noexcept { return FOpen.load(std::memory_order_relaxed); }

    // The vectors Push copies with; one the processor runs (Sse2 until told). [any-thread]
    void SetWidth(TMonoSumWidth width) noexcept { FWidth.store(width, std::memory_order_relaxed); }

    // The rate of the samples pushed, Hz. [any-thread]
    void SetSampleRate(double sampleRateHz) noexcept { FSampleRateHz.store(sampleRateHz, std::memory_order_relaxed); }
    double SampleRate() const noexcept { return FSampleRateHz.load(std::memory_order_relaxed); }

    // Channels 0 and 1 of `frames` output frames. [audio-thread]
    template <class T>
    void Push(const T* const* outputs, std::int32_t frames) noexcept {
        if (!FOpen.load(std::memory_order_relaxed)) return;
        if (!outputs || !outputs[0] || !outputs[1] || frames <= 0) return;
        const std::uint64_t w = FWritten.load(std::memory_order_relaxed);
        const std::uint64_t room = kCapacity - (w - FReleased.load(std::memory_order_acquire));
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(room, static_cast<std::uint64_t>(frames)));
        if (n < static_cast<std::size_t>(frames)) FBrokenAt.store(w + n, std::memory_order_relaxed);
        const std::size_t at = w & kMask;
        const std::size_t first = std::min(n, kCapacity - at);  // the rest wraps to the ring's start
        const TMonoSumWidth width = FWidth.load(std::memory_order_relaxed);
        MonoSum(width, outputs[0], outputs[1], first, &FRing[at]);
        if (first < n) MonoSum(width, outputs[0] + first, outputs[1] + first, n - first, FRing.data());
        FWritten.store(w + n, std::memory_order_release);
    }

    // Samples published since the tap was made.
    std::uint64_t Written() const noexcept { return FWritten.load(std::memory_order_acquire); }
    // The first sample still held: those before it may already be overwritten.
    std::uint64_t Released() const noexcept { return FReleased.load(std::memory_order_relaxed); }
    // The first sample after the newest break in the stream (the tap's
    // opening, or audio dropped on a full ring): windows start here or later.
    std::uint64_t FreshFrom() const noexcept {
        return std::max(FOpenedAt.load(std::memory_order_relaxed), FBrokenAt.load(std::memory_order_relaxed));
    }

    // Copies the `to.size()` samples that end at sample `end` into `to`.
    // False when they are not all held (not yet published, or released). [editor-thread]
    bool ReadEnding(std::uint64_t end, std::span<float> to) const noexcept {
        const std::uint64_t n = to.size();
        if (end < n || end > Written() || end - n < Released()) return false;
        const std::size_t at = (end - n) & kMask;
        const std::size_t first = std::min<std::size_t>(n, kCapacity - at);
        std::memcpy(to.data(), &FRing[at], first * sizeof(float));
        std::memcpy(to.data() + first, FRing.data(), (n - first) * sizeof(float));
        return true;
    }
    // Hands the samples before `upTo` back to the producer. [editor-thread]
    void Release(std::uint64_t upTo) noexcept {
        FReleased.store(std::clamp(upTo, Released(), Written()), std::memory_order_release);
    }

private:
    static constexpr std::uint64_t kMask = kCapacity - 1;

    // The producer's positions and the consumer's on lines of their own, so
    // neither side's stores take the line the other keeps reading.
    alignas(64) std::atomic<bool> FOpen{false};
    std::atomic<TMonoSumWidth> FWidth{TMonoSumWidth::Sse2};
    std::atomic<std::uint64_t> FWritten{0};   // samples published
    std::atomic<std::uint64_t> FBrokenAt{0};  // the sample after the last drop
    alignas(64) std::atomic<std::uint64_t> FReleased{0};
    std::atomic<std::uint64_t> FOpenedAt{0};
    std::atomic<double> FSampleRateHz{44100.0};
    alignas(64) std::array<float, kCapacity> FRing{};
};

}  // namespace tessel
