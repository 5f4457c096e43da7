#pragma once
// Counts what passes through the C allocator, for tests that prove a path
// allocates and frees nothing (the audio thread's rule).
//
// Linking tests/support/AllocationCounting.cpp defines malloc, calloc,
// realloc, free, posix_memalign, aligned_alloc and memalign in the test
// executable. A definition there comes first in symbol lookup, so the calls
// of every library in the process resolve to it: a plug-in loaded with
// dlopen, the C++ runtime's operator new, and the dynamic loader itself
// (which allocates a thread's block of a loaded library's thread-locals on
// that thread's first use of them). Each call is counted, then passed to the
// allocator that would have served it (the sanitizer's, when one is linked,
// otherwise the C library's). The global operator new and delete are
// replaced too, forwarding to malloc and free, because a sanitizer's own
// would bypass them.
//
// Counting never stops; a watch reads how many calls happened since it was
// made, on every thread or on its own only. Allocation means malloc, calloc,
// the aligned forms and a realloc; release means free of a non-null pointer
// and a realloc. The counters live in the executable's own thread-locals,
// which the C library places beside each thread's stack when it creates the
// thread: counting allocates nothing.

#include <functional>

namespace tessel::test {

class TAllocationWatch {
public:
    enum class TThreads { All, Own };

    explicit TAllocationWatch(TThreads threads = TThreads::All) noexcept;

    // Since construction, on the threads the watch covers.
    long Allocations() const noexcept;
    long Releases() const noexcept;

private:
    TThreads FThreads;
    long FAllocationsAtStart;
    long FReleasesAtStart;
};

// Runs work on a thread created for it and waits for it to end. A host may
// run its audio on a thread that has never called the plug-in (a restarted
// engine, a new worker of a pool): work run here makes such first calls.
void OnFreshThread(const std::function<void()>& work);

}  // namespace tessel::test
