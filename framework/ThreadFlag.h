#pragma once
// A re-entrancy flag that is set per thread.
//
// The parameter store ignores a store started from inside its own change
// handlers, and host automation is not echoed while a host set is running.
// Those guards concern one call chain: a plain Boolean would also swallow a
// store arriving at the same moment from another thread. A TThreadFlag is set
// only for the thread inside the scope; other threads see it clear.
//
// No thread-local storage: the plug-in is loaded with dlopen, so a
// thread-local of its own is created on each thread's first use through the
// dynamic loader, which allocates (and may take the loader's lock) — on an
// audio thread the host has just started, for one. Instead the flag keeps the
// identities of the threads inside its scopes in kThreads slots. A thread's
// identity is the address of its control block, which the C library keeps in
// the thread pointer register (what pthread_self answers): no allocation,
// lock or system call, and no two live threads share it.
//
// Threads: [any-thread, lock-free], every function; each thread sees only its
// own scopes. At most kThreads threads are inside scopes of one flag at once:
// a scope opened beyond that leaves its thread unflagged (Recorded says so).

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace tessel {

class TThreadFlag {
public:
    // Threads that can be inside scopes of one flag at the same time.
    static constexpr std::size_t kThreads = 8;

    TThreadFlag() = default;
    TThreadFlag(const TThreadFlag&) = delete;
    TThreadFlag& operator=(const TThreadFlag&) = delete;

    // True while the calling thread is inside a TScope of this flag.
    bool IsSet() const noexcept;

    // Sets the flag for the calling thread until the scope ends (also by an
    // exception); inside another scope of the same flag on the same thread it
    // changes nothing.
    class TScope {
    public:
        explicit TScope(TThreadFlag& flag) noexcept;
        ~TScope();
        TScope(const TScope&) = delete;
        TScope& operator=(const TScope&) = delete;

        // Whether the flag is set for this thread: false only when kThreads
        // other threads held every slot as the scope opened.
        bool Recorded() const noexcept { return FRecorded; }

    private:
        std::atomic<std::uintptr_t>* FSlot = nullptr;  // claimed by this scope; null when nested or unrecorded
        bool FRecorded = true;
    };

private:
    // Identities of the threads inside a scope; 0 for a free slot.
    alignas(64) std::array<std::atomic<std::uintptr_t>, kThreads> FSlots{};  // one cache line
};

}  // namespace tessel
