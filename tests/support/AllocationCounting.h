#pragma once
// Counts what passes through the global allocation functions, for tests that
// prove a path allocates and frees nothing (the audio thread's rule).
//
// Linking tests/support/AllocationCounting.cpp replaces the global operator
// new and delete of the whole test process, so allocations made inside a
// plug-in loaded into it are counted too. Counting never stops; a watch reads
// how many happened since it was made, on every thread or on its own only.

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

}  // namespace tessel::test
