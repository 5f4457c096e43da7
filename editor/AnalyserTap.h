#pragma once
// TAnalyserTap: the plug-in's output, summed to mono, for the editor's
// spectrum analyser. The audio thread is the one producer; the editor
// thread reads the newest samples.
//
// Threads
// - Push: [audio-thread]. While the tap is closed it costs one relaxed load;
//   while open it copies the mono sum into a fixed ring with relaxed stores
//   and publishes each stretch of at most kChunk frames with one release
//   store of the write position: no allocation, lock or system call.
// - SetOpen, ReadEnding: [editor-thread]; SetSampleRate: any thread (any one non-audio thread).
//
// The ring holds two samples in each 64-bit atomic, the earlier in the low
// half: one store per two frames, half the stores of one atomic float per
// sample, which is what the audio thread's cost is made of. Atomics keep a
// reader racing the writer free of data races; it reads old or new pairs,
// never torn ones. A reader that saw position p published sees every sample
// before p. The writer runs at most kChunk samples ahead of the position it
// published, so ReadEnding, having copied, re-reads the position and rejects
// a copy the writer may have lapped. The check is exact where stores and
// loads keep their order (x86); elsewhere a lapped copy can slip through
// only when the editor thread stalls for most of the ring's length mid-copy,
// and then shows as one torn analysis frame.

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>

namespace tessel {

class TAnalyserTap {
public:
    static constexpr std::size_t kCapacity = 32768;  // samples; 0.17 s at 192 kHz
    static constexpr std::int32_t kChunk = 512;      // frames published at a time
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
        std::uint64_t w = FWritten.load(std::memory_order_relaxed);
        for (std::int32_t done = 0; done < frames;) {
            const std::int32_t n = std::min(frames - done, kChunk);
            w = Write(w, outputs[0] + done, outputs[1] + done, n);
            FWritten.store(w, std::memory_order_release);
            done += n;
        }
    }

    // Samples published since the tap was made.
    std::uint64_t Written() const noexcept { return FWritten.load(std::memory_order_acquire); }

    // Copies the `to.size()` samples that end at sample `end` into `to`.
    // False when they are not all in the ring (not yet published, too many,
    // or possibly overwritten while copying). [editor-thread]
    bool ReadEnding(std::uint64_t end, std::span<float> to) const noexcept {
        const std::uint64_t n = to.size();
        if (n > kCapacity - kChunk || end < n || end > Written()) return false;
        const std::uint64_t start = end - n;
        for (std::uint64_t i = 0; i < n; ++i) {
            const std::uint64_t p = start + i;
            const std::uint64_t pair = Slot(p).load(std::memory_order_relaxed);
            to[i] = std::bit_cast<float>(static_cast<std::uint32_t>((p & 1) != 0 ? pair >> 32 : pair));
        }
        // The writer may be a chunk past what it published. Writing sample
        // `start + kCapacity - 1` replaces the pair that holds an odd `start`.
        return Written() + kChunk < start + kCapacity;
    }

private:
    static constexpr std::uint64_t kPairMask = kCapacity / 2 - 1;

    std::atomic<std::uint64_t>& Slot(std::uint64_t position) noexcept { return FRing[(position >> 1) & kPairMask]; }
    const std::atomic<std::uint64_t>& Slot(std::uint64_t position) const noexcept {
        return FRing[(position >> 1) & kPairMask];
    }
    // Writes `n` (at most kChunk) frames from sample `w` on; returns the
    // position after them. The sum goes through a buffer on the stack so the
    // compiler vectorises it; only the stores into the ring stay scalar.
    template <class T>
    std::uint64_t Write(std::uint64_t w, const T* left, const T* right, std::int32_t n) noexcept {
        alignas(16) std::array<float, kChunk + 1> mono;  // + 1: a whole last pair
        for (std::int32_t i = 0; i < n; ++i) mono[i] = static_cast<float>(T{0.5} * (left[i] + right[i]));
        mono[n] = 0.0f;
        std::int32_t i = 0;
        if ((w & 1) != 0) {  // the pair the last stretch left half written: only this thread writes it
            const std::uint64_t low = Slot(w).load(std::memory_order_relaxed) & 0xFFFF'FFFFu;
            Slot(w).store(low | std::uint64_t{std::bit_cast<std::uint32_t>(mono[0])} << 32, std::memory_order_relaxed);
            i = 1;
        }
        // Pairs from slot `at` on, in at most two runs so no index is masked per pair.
        const std::size_t at = ((w + i) >> 1) & kPairMask;
        const auto pairs = static_cast<std::size_t>(n - i + 1) / 2;
        const std::size_t first = std::min(pairs, kCapacity / 2 - at);
        StorePairs(&mono[i], at, first);
        StorePairs(&mono[i + 2 * static_cast<std::int32_t>(first)], 0, pairs - first);
        return w + static_cast<std::uint64_t>(n);
    }

    void StorePairs(const float* samples, std::size_t at, std::size_t pairs) noexcept {
        for (std::size_t k = 0; k < pairs; ++k) {
            std::uint64_t pair;
            std::memcpy(&pair, samples + 2 * k, sizeof pair);  // little-endian: the earlier sample low
            FRing[at + k].store(pair, std::memory_order_relaxed);
        }
    }

    std::atomic<bool> FOpen{false};
    std::atomic<double> FSampleRateHz{44100.0};
    std::atomic<std::uint64_t> FWritten{0};  // samples published
    std::atomic<std::uint64_t> FOpenedAt{0};
    std::array<std::atomic<std::uint64_t>, kCapacity / 2> FRing{};  // sample pairs
    static_assert(std::atomic<std::uint64_t>::is_always_lock_free);
};

}  // namespace tessel
