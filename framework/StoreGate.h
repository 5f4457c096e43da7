#pragma once
// TStoreGate: admits one thread at a time to the parameter store.
//
// Unlike a mutex, a thread that must not wait (the audio thread) only ever
// tries to enter; it never sleeps in the kernel and leaving never wakes
// anyone through a system call. Threads that may wait poll: they spin
// briefly, then yield, then sleep in short steps, which costs them a little
// latency but keeps the audio thread's side free of system calls.

#include <atomic>

namespace tessel {

class TStoreGate {
public:
    TStoreGate() = default;
    TStoreGate(const TStoreGate&) = delete;
    TStoreGate& operator=(const TStoreGate&) = delete;

    // Enters when the gate is free; false at once otherwise. [any-thread, lock-free]
    bool TryEnter() noexcept;
    // Waits until the gate is free, then enters. [ui-thread]
    void Enter() noexcept;
    // Leaves; only the thread that entered calls it. [any-thread, lock-free]
    void Leave() noexcept;

private:
    // Sequentially consistent on both sides: a writer that queues a value and
    // then finds the gate taken, and a holder that leaves and then looks for
    // queued values, must not both miss each other.
    std::atomic<bool> FTaken{false};
};

}  // namespace tessel
