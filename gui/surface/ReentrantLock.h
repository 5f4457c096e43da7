#pragma once
// A re-entrant lock with a count: the surface lock a knob takes while it
// paints. The holding thread may take it again; it is free once every Lock
// has been matched by an Unlock. An Unlock from a thread that does not hold
// it is ignored rather than corrupting the lock.

#include <atomic>
#include <mutex>
#include <thread>

namespace tessel {

class TReentrantLock {
public:
    TReentrantLock() = default;
    TReentrantLock(const TReentrantLock&) = delete;
    TReentrantLock& operator=(const TReentrantLock&) = delete;

    void Lock();
    bool TryLock();
    void Unlock();
    // Nesting depth of the holder; 0 when free.
    int Count() const { return FCount.load(std::memory_order_acquire); }

private:
    std::mutex FMutex;
    std::atomic<std::thread::id> FOwner{};
    std::atomic<int> FCount{0};
};

}  // namespace tessel
