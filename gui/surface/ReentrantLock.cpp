#include "gui/surface/ReentrantLock.h"

namespace tessel {

void TReentrantLock::Lock() {
    const auto self = std::this_thread::get_id();
    if (FOwner.load(std::memory_order_acquire) == self) {
        FCount.fetch_add(1, std::memory_order_acq_rel);
        return;
    }
    FMutex.lock();
    FOwner.store(self, std::memory_order_release);
    FCount.store(1, std::memory_order_release);
}

bool TReentrantLock::TryLock() {
    const auto self = std::this_thread::get_id();
    if (FOwner.load(std::memory_order_acquire) == self) {
        FCount.fetch_add(1, std::memory_order_acq_rel);
        return true;
    }
    if (!FMutex.try_lock()) return false;
    FOwner.store(self, std::memory_order_release);
    FCount.store(1, std::memory_order_release);
    return true;
}

void TReentrantLock::Unlock() {
    if (FOwner.load(std::memory_order_acquire) != std::this_thread::get_id()) return;
    if (FCount.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        FOwner.store(std::thread::id{}, std::memory_order_release);
        FMutex.unlock();
    }
}

}  // namespace tessel
