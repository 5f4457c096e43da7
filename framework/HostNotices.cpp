#include "framework/HostNotices.h"

namespace tessel {

THostNotices::THostNotices() : FRing(std::make_unique<THostNotice[]>(kCapacity)) {
    static_assert((kCapacity & kMask) == 0, "the capacity must be a power of two");
}

void THostNotices::SetParameterCount(std::size_t count) {
    const std::lock_guard posting(FPosting);
    FOpen.assign(count, 0);
    if (count == FMergedCount) return;
    FMerged = std::make_unique<std::atomic<std::uint64_t>[]>(count);
    for (std::size_t i = 0; i < count; ++i) FMerged[i].store(0, std::memory_order_relaxed);
    FMergedCount = count;
    FMergedWaiting.store(0, std::memory_order_relaxed);
}

void THostNotices::PostAutomate(std::int32_t index, float normalized) {
    const std::lock_guard posting(FPosting);
    if (index < 0 || static_cast<std::size_t>(index) >= FOpen.size()) return;
    auto& open = FOpen[static_cast<std::size_t>(index)];
    if (open) {
        Post({THostNoticeKind::Automate, index, normalized});
        return;
    }
    // A change without a gesture of its own (a menu choice, a snapshot) is one.
    Post({THostNoticeKind::BeginEdit, index, 0.0f});
    Post({THostNoticeKind::Automate, index, normalized});
    Post({THostNoticeKind::EndEdit, index, 0.0f});
}

void THostNotices::PostBeginEdit(std::int32_t index) {
    const std::lock_guard posting(FPosting);
    if (index < 0 || static_cast<std::size_t>(index) >= FOpen.size()) return;
    auto& open = FOpen[static_cast<std::size_t>(index)];
    if (open) return;
    open = 1;
    Post({THostNoticeKind::BeginEdit, index, 0.0f});
}

void THostNotices::PostEndEdit(std::int32_t index) {
    const std::lock_guard posting(FPosting);
    if (index < 0 || static_cast<std::size_t>(index) >= FOpen.size()) return;
    auto& open = FOpen[static_cast<std::size_t>(index)];
    if (!open) return;
    open = 0;
    Post({THostNoticeKind::EndEdit, index, 0.0f});
}

void THostNotices::PostUpdateDisplay() { FUpdateDisplay.store(true, std::memory_order_release); }

void THostNotices::PostSizeWindow(int width, int height) {
    if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF) return;
    FSizeWindow.store(static_cast<std::uint32_t>(width) << 16 | static_cast<std::uint32_t>(height),
                      std::memory_order_release);
}

void THostNotices::EndOpenGestures() {
    const std::lock_guard posting(FPosting);
    for (std::size_t i = 0; i < FOpen.size(); ++i) {
        if (!FOpen[i]) continue;
        FOpen[i] = 0;
        Post({THostNoticeKind::EndEdit, static_cast<std::int32_t>(i), 0.0f});
    }
}

bool THostNotices::Pending() const noexcept {
    return FRead.load(std::memory_order_acquire) != FWrite.load(std::memory_order_acquire) ||
           FMergedWaiting.load(std::memory_order_acquire) > 0 || FUpdateDisplay.load(std::memory_order_acquire) ||
           FSizeWindow.load(std::memory_order_acquire) != 0;
}

void THostNotices::Post(const THostNotice& notice) {
    // Once one notice had to merge, the following ones merge too until a
    // delivery has taken them: a notice in the ring would overtake them.
    const std::uint64_t write = FWrite.load(std::memory_order_relaxed);
    const bool full = write - FRead.load(std::memory_order_acquire) >= kCapacity;
    if (full || FMergedWaiting.load(std::memory_order_seq_cst) > 0) {
        Merge(notice);
        return;
    }
    FRing[write & kMask] = notice;
    FWrite.store(write + 1, std::memory_order_seq_cst);
}

void THostNotices::Merge(const THostNotice& notice) {
    // Nothing merged waits: a new spell begins, after everything in the ring.
    if (FMergedWaiting.load(std::memory_order_seq_cst) == 0) FEpoch.fetch_add(1, std::memory_order_seq_cst);
    const std::uint64_t epoch = FEpoch.load(std::memory_order_seq_cst) & kEpochMask;
    auto& slot = FMerged[static_cast<std::size_t>(notice.index)];
    // Counted before the slot shows it, so the count never reads low.
    FMergedWaiting.fetch_add(1, std::memory_order_seq_cst);
    std::uint64_t old = slot.load(std::memory_order_acquire);
    std::uint64_t merged = 0;
    do {
        merged = Merged(old, notice, epoch);
    } while (!slot.compare_exchange_weak(old, merged, std::memory_order_acq_rel));
    // The count changes by the slots this merge occupied, not by the one it added in advance.
    const int occupied = ((merged & kFlags) != 0 ? 1 : 0) - ((old & kFlags) != 0 ? 1 : 0);
    if (occupied != 1) FMergedWaiting.fetch_sub(1 - occupied, std::memory_order_seq_cst);
}

// A slot holds, in this order, a begin, the newest value and an end of one
// parameter. An end followed by a begin joins the two gestures into one; a
// value after an end moves in front of it, still inside the gesture.
std::uint64_t THostNotices::Merged(std::uint64_t slot, const THostNotice& notice, std::uint64_t epoch) {
    std::uint64_t flags = slot & kFlags;
    std::uint64_t value = slot & kValueBits;
    switch (notice.kind) {
        case THostNoticeKind::Automate:
            flags |= kHasValue;
            value = std::bit_cast<std::uint32_t>(notice.value);
            break;
        case THostNoticeKind::BeginEdit:
            if (flags & kEnd)
                flags &= ~kEnd;
            else
                flags |= kBegin;
            break;
        case THostNoticeKind::EndEdit:
            flags |= kEnd;
            break;
        case THostNoticeKind::UpdateDisplay:
        case THostNoticeKind::SizeWindow:
            break;
    }
    if (flags == 0) return 0;
    return (epoch << kEpochShift) | flags | value;
}

}  // namespace tessel
