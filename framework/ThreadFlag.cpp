#include "framework/ThreadFlag.h"

#include <pthread.h>

namespace tessel {

namespace {

// Never 0: pthread_self is the address of the thread's control block.
std::uintptr_t CurrentThread() noexcept { return static_cast<std::uintptr_t>(pthread_self()); }

}  // namespace

// Relaxed loads suffice: only the calling thread ever writes its own identity
// into a slot (others write theirs or 0), and a thread always reads its own
// latest write to a location.
bool TThreadFlag::IsSet() const noexcept {
    const std::uintptr_t self = CurrentThread();
    for (const auto& slot : FSlots)
        if (slot.load(std::memory_order_relaxed) == self) return true;
    return false;
}

TThreadFlag::TScope::TScope(TThreadFlag& flag) noexcept {
    if (flag.IsSet()) return;  // an outer scope of this thread keeps it set
    const std::uintptr_t self = CurrentThread();
    for (auto& slot : flag.FSlots) {
        std::uintptr_t expected = 0;
        if (slot.load(std::memory_order_relaxed) == 0 &&
            slot.compare_exchange_strong(expected, self, std::memory_order_relaxed)) {
            FSlot = &slot;
            return;
        }
    }
    FRecorded = false;
}

TThreadFlag::TScope::~TScope() {
    if (FSlot) FSlot->store(0, std::memory_order_relaxed);
}

}  // namespace tessel
