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
// sample, and on x86-64 stored straight from the register that summed them;
// those stores are what the audio thread's cost is made of. Atomics keep a
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
#include <span>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

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
    template <class T>
    static std::uint64_t Mono(T left, T right) noexcept {
        return std::bit_cast<std::uint32_t>(static_cast<float>(T{0.5} * (left + right)));
    }

    // Writes `n` (at most kChunk) frames from sample `w` on; returns the
    // position after them.
    template <class T>
    std::uint64_t Write(std::uint64_t w, const T* left, const T* right, std::int32_t n) noexcept {
        std::int32_t i = 0;
        if ((w & 1) != 0) {  // the pair the last stretch left half written: only this thread writes it
            const std::uint64_t low = Slot(w).load(std::memory_order_relaxed) & 0xFFFF'FFFFu;
            Slot(w).store(low | Mono(left[0], right[0]) << 32, std::memory_order_relaxed);
            i = 1;
        }
        while (i < n) {  // at most two runs, split where the ring wraps
            const std::size_t at = ((w + static_cast<std::uint64_t>(i)) >> 1) & kPairMask;
            const auto run = static_cast<std::int32_t>(
                std::min<std::size_t>(static_cast<std::size_t>(n - i), 2 * (kCapacity / 2 - at)));
            StorePairs(left + i, right + i, run, &FRing[at]);
            i += run;
        }
        return w + static_cast<std::uint64_t>(n);
    }

    // `frames` frames from an even position on into consecutive pairs; an odd
    // last frame leaves the upper half zero.
    template <class T>
    static void StorePairs(const T* left, const T* right, std::int32_t frames,
                           std::atomic<std::uint64_t>* to) noexcept {
        std::int32_t i = 0;
#if defined(__x86_64__)
        // Four frames summed in one register and stored as two pairs straight
        // from it: a third of the scalar loop's time, which is most of the
        // analyser's cost on the audio thread.
        for (; i + 4 <= frames; i += 4, to += 2) {
            const __m128i four = _mm_castps_si128(SumFour(left + i, right + i));
            to[0].store(static_cast<std::uint64_t>(_mm_cvtsi128_si64(four)), std::memory_order_relaxed);
            to[1].store(static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(four, four))),
                        std::memory_order_relaxed);
        }
#endif
        for (; i < frames; i += 2, ++to)
            to->store(Mono(left[i], right[i]) | (i + 1 < frames ? Mono(left[i + 1], right[i + 1]) << 32 : 0),
                      std::memory_order_relaxed);
    }

#if defined(__x86_64__)
    static __m128 SumFour(const float* left, const float* right) noexcept {
        return _mm_mul_ps(_mm_set1_ps(0.5f), _mm_add_ps(_mm_loadu_ps(left), _mm_loadu_ps(right)));
    }
    static __m128 SumFour(const double* left, const double* right) noexcept {
        const __m128d half = _mm_set1_pd(0.5);
        const __m128 low = _mm_cvtpd_ps(_mm_mul_pd(half, _mm_add_pd(_mm_loadu_pd(left), _mm_loadu_pd(right))));
        const __m128 high = _mm_cvtpd_ps(_mm_mul_pd(half, _mm_add_pd(_mm_loadu_pd(left + 2), _mm_loadu_pd(right + 2))));
        return _mm_movelh_ps(low, high);
    }
#endif

    std::atomic<bool> FOpen{false};
    std::atomic<double> FSampleRateHz{44100.0};
    std::atomic<std::uint64_t> FWritten{0};  // samples published
    std::atomic<std::uint64_t> FOpenedAt{0};
    std::array<std::atomic<std::uint64_t>, kCapacity / 2> FRing{};  // sample pairs
    static_assert(std::atomic<std::uint64_t>::is_always_lock_free);
};

}  // namespace tessel
