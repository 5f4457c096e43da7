#pragma once
// TTripleBuffer: hands the newest value of T from one producer to one consumer
// without locks, waits or allocation on either side.
//
// Three slots: the producer fills its own back slot and swaps it with the
// middle one in a single atomic exchange that also marks the middle as fresh;
// the consumer swaps its front slot with a fresh middle. Each side only ever
// touches the slot it holds, so a value is never read while it is written.
// Values published between two takes are superseded: only the newest arrives,
// so anything that must not be lost (such as a request to clear states) has to
// be carried cumulatively inside T.
//
// Threads: Back and Publish [any-thread, lock-free], one producing thread at
// a time (serialise several producers outside); TakeNewest [audio-thread],
// one consuming thread at a time: wait-free, no allocation, no system call.

#include <array>
#include <atomic>
#include <cstdint>

namespace tessel {

template <class T>
class TTripleBuffer {
public:
    TTripleBuffer() = default;
    TTripleBuffer(const TTripleBuffer&) = delete;
    TTripleBuffer& operator=(const TTripleBuffer&) = delete;

    // The slot to fill before the next Publish. [any-thread, lock-free], the producer.
    T& Back() noexcept { return FSlots[FBack].value; }

    // Makes the back slot the newest value and takes the old middle slot as
    // the next back slot. [any-thread, lock-free], the producer.
    void Publish() noexcept { FBack = FMiddle.exchange(FBack | kFresh, std::memory_order_acq_rel) & kIndexMask; }

    // The newest value published since the last take, or null when nothing
    // new arrived. The value stays valid until the next take. [audio-thread], the consumer.
    const T* TakeNewest() noexcept {
        if ((FMiddle.load(std::memory_order_relaxed) & kFresh) == 0) return nullptr;
        FFront = FMiddle.exchange(FFront, std::memory_order_acq_rel) & kIndexMask;
        return &FSlots[FFront].value;
    }

private:
    static constexpr std::uint32_t kIndexMask = 3;
    static constexpr std::uint32_t kFresh = 4;
    static constexpr std::size_t kCacheLine = 64;

    // Slots on lines of their own so the two sides do not share cache lines.
    struct alignas(kCacheLine) TSlot {
        T value{};
    };

    std::array<TSlot, 3> FSlots{};
    alignas(kCacheLine) std::atomic<std::uint32_t> FMiddle{1};
    alignas(kCacheLine) std::uint32_t FBack = 0;   // producer's own
    alignas(kCacheLine) std::uint32_t FFront = 2;  // consumer's own
};

}  // namespace tessel
