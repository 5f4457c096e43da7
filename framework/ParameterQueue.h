#pragma once
// TParameterQueue: parameter writes that arrived while another thread held
// the parameter store, waiting for that thread to apply them.
//
// Any number of threads push; only the thread holding the store drains, and
// it applies the writes in the order they were pushed, so each writer's
// writes keep their order. Pushing never waits, never allocates and makes no
// system call: the audio thread pushes when the host automates while the UI
// thread is storing.
//
// Capacity. kCapacity writes can wait at once: a host automating all 29 of
// the equaliser's parameters at every 64-frame block at 48 kHz sends that
// many in about 0.19 s, while a store lasts microseconds. Only when the holder stalls beyond that
// (descheduled by a loaded system, say) does each parameter keep just its
// newest waiting value until the holder has caught up: its final value is
// never lost, but the values it replaced never reach the handlers. They are
// counted (MergedWrites).
//
// Order. Every write draws a ticket as it is pushed. Merged writes wait in
// their slots until the ring is empty, but a drain that found the ring empty
// can meet writes pushed after that look and merged before it takes the
// slots; so the holder also keeps, per parameter, the ticket of the write it
// last applied, and a write older than that is dropped and counted as merged
// instead of taking the parameter back to an older value.
//
// Threads: as each function says. Drain runs on whichever thread holds the
// parameter store, one at a time (the store gate serialises them).

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tessel {

struct TQueuedParameter {
    std::int32_t index = 0;
    float value = 0.0f;     // natural units
    bool fromHost = false;  // came through the host's setParameter
};

class TParameterQueue {
public:
    static constexpr std::size_t kCapacity = 4096;  // a power of two

    TParameterQueue();  // [ui-thread]
    TParameterQueue(const TParameterQueue&) = delete;
    TParameterQueue& operator=(const TParameterQueue&) = delete;

    // Room for merging the writes of `count` parameters; while no one pushes
    // (descriptions change only while the module loads and at teardown). [ui-thread]
    void SetParameterCount(std::size_t count);

    // Queues one write; an index outside the parameters is dropped. [any-thread, lock-free]
    void Push(const TQueuedParameter& write) noexcept;
    // Whether writes wait. [any-thread, lock-free]
    bool Pending() const noexcept;
    // Whether the store holder would apply a write now: the oldest is fully
    // pushed, or merged writes wait behind an empty ring. A writer that found
    // the store taken after finishing its push is always seen here by the
    // holder's next look (both sides sequentially consistent); one that has
    // not finished yet will find the store free. [any-thread, lock-free]
    bool Ready() const noexcept;
    // Writes replaced by a newer one of the same parameter before they were
    // applied, since construction. [any-thread, lock-free]
    std::uint64_t MergedWrites() const noexcept { return FMergedWrites.load(std::memory_order_relaxed); }

    // Calls apply(write) for the waiting writes, oldest first. Returns early,
    // leaving the rest, when a writer is half-way through a push: that writer
    // applies what waits once it has finished. [any-thread, lock-free], by the
    // store holder only.
    template <class TApply>
    void Drain(TApply&& apply);

private:
    struct TCell {
        std::atomic<std::uint64_t> sequence{0};
        TQueuedParameter write;
        std::uint64_t ticket = 0;
    };
    static constexpr std::uint64_t kMask = kCapacity - 1;
    static constexpr int kDrainPasses = 4;

    bool TryPush(const TQueuedParameter& write, std::uint64_t ticket) noexcept;
    void PushMerged(const TQueuedParameter& write, std::uint64_t ticket) noexcept;
    bool TryPop(TQueuedParameter& write, std::uint64_t& ticket) noexcept;
    bool TakeMerged(std::size_t index, TQueuedParameter& write, std::uint64_t& ticket) noexcept;
    bool RingEmpty() const noexcept;
    // Whether the write with this ticket is newer than the last one applied
    // to its parameter; if so, it becomes that one. By the store holder only.
    bool Newest(const TQueuedParameter& write, std::uint64_t ticket) noexcept;

    std::unique_ptr<TCell[]> FCells;
    alignas(64) std::atomic<std::uint64_t> FPushPosition{0};
    // Written by the store holder only; atomic because a thread that has just
    // let go of the store reads it in Ready.
    alignas(64) std::atomic<std::uint64_t> FPopPosition{0};
    std::atomic<std::int64_t> FWaiting{0};  // pushed, not yet taken
    // One slot per parameter for merged writes: float bits, kOccupied, kFromHost.
    std::unique_ptr<std::atomic<std::uint64_t>[]> FMerged;
    std::size_t FMergedCount = 0;
    std::atomic<std::int64_t> FMergedWaiting{0};  // occupied slots; while any, writes merge
    std::atomic<std::uint64_t> FMergedWrites{0};
    alignas(64) std::atomic<std::uint64_t> FTickets{0};  // the last ticket drawn
    // Per parameter, the ticket of the write last applied; the store holder's alone.
    std::unique_ptr<std::uint64_t[]> FAppliedTickets;
};

template <class TApply>
void TParameterQueue::Drain(TApply&& apply) {
    for (int pass = 0; pass < kDrainPasses; ++pass) {
        bool applied = false;  // or dropped as stale: either way, progress
        TQueuedParameter write;
        std::uint64_t ticket = 0;
        for (std::size_t n = 0; n < kCapacity && TryPop(write, ticket); ++n) {
            if (Newest(write, ticket)) apply(static_cast<const TQueuedParameter&>(write));
            applied = true;
        }
        // Merged writes are newer than every write in the ring, so they wait
        // until the ring is empty, including pushes still under way.
        if (!RingEmpty()) return;
        if (FMergedWaiting.load(std::memory_order_seq_cst) > 0)
            for (std::size_t i = 0; i < FMergedCount; ++i)
                if (TakeMerged(i, write, ticket)) {
                    if (Newest(write, ticket)) apply(static_cast<const TQueuedParameter&>(write));
                    applied = true;
                }
        if (!applied) return;
    }
}

}  // namespace tessel
