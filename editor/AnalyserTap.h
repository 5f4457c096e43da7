#pragma once
// TAnalyserTap: the plug-in's output, summed to mono, for the editor's
// spectrum analyser. The audio thread is the one producer; the editor
// thread reads the newest samples.
//
// Threads
// - Push: [audio-thread]. While the tap is closed it costs one relaxed load;
//   while open it writes each frame into a fixed ring (no allocation, lock
//   or system call) and publishes the new write position with a release
//   store.
// - SetOpen, ReadEnding: [editor-thread]; SetSampleRate: any thread (any one non-audio thread).
//
// The ring is a fixed array of atomics (release stores and acquire loads,
// plain moves on x86), so a reader racing the writer reads old or new
// samples, never torn ones; ReadEnding detects a writer that lapped it while
// it copied and reports the copy as unusable.

#include <array>
#include <atomic>
#include <cstdint>
#include <span>

namespace tessel {

class TAnalyserTap {
public:
    static constexpr std::size_t kCapacity = 32768;  // samples; 0.17 s at 192 kHz
    static_assert((kCapacity & (kCapacity - 1)) == 0);

    // Starts or stops the copying. [editor-thread]
    void SetOpen(bool open) noexcept {
        if (open && !Open()) FOpenedAt.store(Written(), std::memory_order_relaxed);
        FOpen.store(open, std::memory_order_relaxed);
    }
    bool Open() const noexcept { return FOpen.load(std::memory_order_relaxed); }
    // Written() when the tap was last opened: the ring's samples before it are stale.
    std::uint64_t OpenedAt() const noexcept { return FOpenedAt.load(std::memory_order_relaxed); }

    // The rate of the samples pushed, Hz. [any-thread]
    void SetSampleRate(double sampleRateHz) noexcept { FSampleRateHz.store(sampleRateHz, std::memory_order_relaxed); }
    double SampleRate() const noexcept { return FSampleRateHz.load(std::memory_order_relaxed); }

    // Channels 0 and 1 of `frames` output frames. [audio-thread]
    template <class T>
    void Push(const T* const* outputs, std::int32_t frames) noexcept {
        if (!FOpen.load(std::memory_order_relaxed)) return;
        if (!outputs || !outputs[0] || !outputs[1] || frames <= 0) return;
        const T* left = outputs[0];
        const T* right = outputs[1];
        std::uint64_t w = FWritten.load(std::memory_order_relaxed);
        const std::uint64_t end = w + static_cast<std::uint64_t>(frames);
        // Claimed before any sample is replaced (the release stores below
        // order it first), so a reader that sees a new sample sees the claim.
        FClaimed.store(end, std::memory_order_relaxed);
        for (std::int32_t i = 0; i < frames; ++i, ++w)
            FRing[w & kMask].store(static_cast<float>(T{0.5} * (left[i] + right[i])), std::memory_order_release);
        FWritten.store(end, std::memory_order_release);
    }

    // Samples written since the tap was made.
    std::uint64_t Written() const noexcept { return FWritten.load(std::memory_order_acquire); }

    // Copies the `to.size()` samples that end at sample `end` (a value of
    // Written()) into `to`. False when they are not all in the ring (too
    // early, too many, or overwritten while copying). [editor-thread]
    bool ReadEnding(std::uint64_t end, std::span<float> to) const noexcept {
        const std::uint64_t n = to.size();
        if (n > kCapacity || end < n) return false;
        const std::uint64_t start = end - n;
        for (std::uint64_t i = 0; i < n; ++i) to[i] = FRing[(start + i) & kMask].load(std::memory_order_acquire);
        // A claim beyond `start + kCapacity` may have replaced a sample read above.
        return FClaimed.load(std::memory_order_relaxed) <= start + kCapacity;
    }

private:
    static constexpr std::uint64_t kMask = kCapacity - 1;

    std::atomic<bool> FOpen{false};
    std::atomic<double> FSampleRateHz{44100.0};
    std::atomic<std::uint64_t> FWritten{0};  // samples published
    std::atomic<std::uint64_t> FClaimed{0};  // samples published or being written
    std::atomic<std::uint64_t> FOpenedAt{0};
    std::array<std::atomic<float>, kCapacity> FRing{};
    static_assert(std::atomic<float>::is_always_lock_free && std::atomic<std::uint64_t>::is_always_lock_free);
};

}  // namespace tessel
