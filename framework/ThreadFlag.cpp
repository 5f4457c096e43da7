#include "framework/ThreadFlag.h"

#include <pthread.h>

namespace tessel {

namespace {

// Never 0: the address of the thread's control block. Read straight from the
// thread pointer register where the compiler can (what pthread_self returns,
// without the call).
std::uintptr_t CurrentThread() noexcept {
#if defined(__x86_64__) || defined(__aarch64__)
    return reinterpret_cast<std::uintptr_t>(__builtin_thread_pointer());
#else
    return static_cast<std::uintptr_t>(pthread_self());
#endif
}

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
