#include "framework/ParameterQueue.h"

#include <bit>

namespace tessel {

namespace {
constexpr std::uint64_t kValueBits = 0xFFFFFFFFu;
constexpr std::uint64_t kOccupied = std::uint64_t{1} << 32;
constexpr std::uint64_t kFromHost = std::uint64_t{1} << 33;
// A merged slot keeps the low 30 bits of its write's ticket: the full ticket
// is the last one drawn less the distance in those bits, exact while fewer
// than 2^30 writes came after it, and a merged write waits only until the
// holder's next drain.
constexpr int kTicketShift = 34;
constexpr std::uint64_t kTicketBits = (std::uint64_t{1} << 30) - 1;
}  // namespace

TParameterQueue::TParameterQueue() : FCells(std::make_unique<TCell[]>(kCapacity)) {
    static_assert((kCapacity & kMask) == 0, "the capacity must be a power of two");
    // Cell i is free for the push at position i.
    for (std::uint64_t i = 0; i < kCapacity; ++i) FCells[i].sequence.store(i, std::memory_order_relaxed);
}

void TParameterQueue::SetParameterCount(std::size_t count) {
    if (count == FMergedCount) return;
    FMerged = std::make_unique<std::atomic<std::uint64_t>[]>(count);
    for (std::size_t i = 0; i < count; ++i) FMerged[i].store(0, std::memory_order_relaxed);
    FAppliedTickets = std::make_unique<std::uint64_t[]>(count);
    FMergedCount = count;
    FMergedWaiting.store(0, std::memory_order_relaxed);
}

void TParameterQueue::Push(const TQueuedParameter& write) noexcept {
    if (write.index < 0 || static_cast<std::size_t>(write.index) >= FMergedCount) return;
    // Once one write had to merge, the following ones merge too until the
    // holder has taken them: a write in the ring would overtake them.
    const std::uint64_t ticket = FTickets.fetch_add(1, std::memory_order_seq_cst) + 1;
    if (FMergedWaiting.load(std::memory_order_seq_cst) > 0 || !TryPush(write, ticket)) PushMerged(write, ticket);
}

bool TParameterQueue::Pending() const noexcept {
    return FWaiting.load(std::memory_order_seq_cst) > 0 || FMergedWaiting.load(std::memory_order_seq_cst) > 0;
}

// A bounded multi-producer ring: each cell's sequence says whose turn it is
// (free for the push at position p when it reads p, full for the pop at p
// when it reads p + 1).
bool TParameterQueue::TryPush(const TQueuedParameter& write, std::uint64_t ticket) noexcept {
    std::uint64_t position = FPushPosition.load(std::memory_order_relaxed);
    TCell* cell = nullptr;
    for (;;) {
        cell = &FCells[position & kMask];
        const std::uint64_t sequence = cell->sequence.load(std::memory_order_acquire);
        const auto lag = static_cast<std::int64_t>(sequence - position);
        if (lag == 0) {
            if (FPushPosition.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) break;
        } else if (lag < 0) {
            return false;  // full
        } else {
            position = FPushPosition.load(std::memory_order_relaxed);
        }
    }
    cell->write = write;
    cell->ticket = ticket;
    cell->sequence.store(position + 1, std::memory_order_seq_cst);  // before this writer looks at the store gate
    FWaiting.fetch_add(1, std::memory_order_seq_cst);
    return true;
}

bool TParameterQueue::Ready() const noexcept {
    const std::uint64_t position = FPopPosition.load(std::memory_order_relaxed);
    if (FCells[position & kMask].sequence.load(std::memory_order_seq_cst) == position + 1) return true;
    return FPushPosition.load(std::memory_order_seq_cst) == position &&
           FMergedWaiting.load(std::memory_order_seq_cst) > 0;
}

bool TParameterQueue::TryPop(TQueuedParameter& write, std::uint64_t& ticket) noexcept {
    const std::uint64_t position = FPopPosition.load(std::memory_order_relaxed);
    TCell& cell = FCells[position & kMask];
    if (cell.sequence.load(std::memory_order_acquire) != position + 1) return false;
    write = cell.write;
    ticket = cell.ticket;
    cell.sequence.store(position + kCapacity, std::memory_order_release);
    FPopPosition.store(position + 1, std::memory_order_relaxed);
    FWaiting.fetch_sub(1, std::memory_order_seq_cst);
    return true;
}

bool TParameterQueue::RingEmpty() const noexcept {
    return FPushPosition.load(std::memory_order_seq_cst) == FPopPosition.load(std::memory_order_relaxed);
}

void TParameterQueue::PushMerged(const TQueuedParameter& write, std::uint64_t ticket) noexcept {
    // Counted before it is visible, so the count never reads low while a slot is occupied.
    FMergedWaiting.fetch_add(1, std::memory_order_seq_cst);
    const std::uint64_t packed = std::bit_cast<std::uint32_t>(write.value) | kOccupied |
                                 (write.fromHost ? kFromHost : 0) | (ticket & kTicketBits) << kTicketShift;
    const std::uint64_t previous =
        FMerged[static_cast<std::size_t>(write.index)].exchange(packed, std::memory_order_acq_rel);
    if ((previous & kOccupied) != 0) {  // replaced a value no handler has seen
        FMergedWaiting.fetch_sub(1, std::memory_order_seq_cst);
        FMergedWrites.fetch_add(1, std::memory_order_relaxed);
    }
}

bool TParameterQueue::TakeMerged(std::size_t index, TQueuedParameter& write, std::uint64_t& ticket) noexcept {
    const std::uint64_t packed = FMerged[index].exchange(0, std::memory_order_acq_rel);
    if ((packed & kOccupied) == 0) return false;
    FMergedWaiting.fetch_sub(1, std::memory_order_seq_cst);
    write.index = static_cast<std::int32_t>(index);
    write.value = std::bit_cast<float>(static_cast<std::uint32_t>(packed & kValueBits));
    write.fromHost = (packed & kFromHost) != 0;
    const std::uint64_t last = FTickets.load(std::memory_order_seq_cst);
    ticket = last - ((last - (packed >> kTicketShift)) & kTicketBits);
    return true;
}

bool TParameterQueue::Newest(const TQueuedParameter& write, std::uint64_t ticket) noexcept {
    std::uint64_t& applied = FAppliedTickets[static_cast<std::size_t>(write.index)];
    if (ticket <= applied) {
        FMergedWrites.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    applied = ticket;
    return true;
}

}  // namespace tessel
