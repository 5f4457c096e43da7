#pragma once
// A re-entrancy flag that is set per thread.
//
// The parameter store ignores a store started from inside its own change
// handlers, and host automation is not echoed while a host set is running.
// Those guards concern one call chain: a plain Boolean would also swallow a
// store arriving at the same moment from another thread. A TThreadFlag is set
// only for the thread inside the scope; other threads see it clear.
//
// Threads: [any-thread, lock-free], every function; each thread sees only its own scopes.

namespace tessel {

class TThreadFlag {
public:
    TThreadFlag() = default;
    TThreadFlag(const TThreadFlag&) = delete;
    TThreadFlag& operator=(const TThreadFlag&) = delete;

    // True while the calling thread is inside a TScope of this flag.
    bool IsSet() const noexcept;

    // Sets the flag for the calling thread until the scope ends (also by an exception).
    class TScope {
    public:
        explicit TScope(const TThreadFlag& flag) noexcept;
        ~TScope();
        TScope(const TScope&) = delete;
        TScope& operator=(const TScope&) = delete;

    private:
        friend class TThreadFlag;
        const TThreadFlag* FFlag;
        TScope* FOuter;  // the scope opened before this one on the same thread
    };
};

}  // namespace tessel
