#pragma once
// A plug-in's audio-thread routines called on threads that have never called
// it before, as a restarted audio engine or a new worker of a host's thread
// pool does, with every allocator call on those threads counted.

#include <array>
#include <string>
#include <vector>

#include "framework/VSTAbi.h"
#include "tests/support/AllocationCounting.h"

namespace tessel::test {

struct TFirstCallsCount {
    std::string routine;
    long allocations = 0;
    long releases = 0;
};

// For each of setParameter, getParameter, processReplacing and
// processDoubleReplacing: a fresh thread whose first call into the plug-in is
// that routine, followed by the others, block after block.
inline std::vector<TFirstCallsCount> CountFirstAudioCalls(AEffect* e) {
    constexpr int kFrames = 256, kBlocks = 8;
    std::vector<float> left(kFrames, 0.25f), right(kFrames, -0.25f);
    std::vector<double> left64(kFrames, 0.25), right64(kFrames, -0.25);
    float* channels[] = {left.data(), right.data()};
    double* channels64[] = {left64.data(), right64.data()};
    int block = 0;
    const std::array<std::pair<const char*, std::function<void()>>, 4> routines = {{
        {"setParameter", [&] { e->setParameter(e, 4 * (block % 7) + 1, static_cast<float>(block % 5) / 4.0f); }},
        {"getParameter", [&] { static_cast<void>(e->getParameter(e, 4 * (block % 7) + 2)); }},
        {"processReplacing", [&] { e->processReplacing(e, channels, channels, kFrames); }},
        {"processDoubleReplacing", [&] { e->processDoubleReplacing(e, channels64, channels64, kFrames); }},
    }};
    std::vector<TFirstCallsCount> counts;
    for (const auto& first : routines) {
        TFirstCallsCount count{first.first};
        OnFreshThread([&] {
            const TAllocationWatch watch(TAllocationWatch::TThreads::Own);
            first.second();
            for (block = 0; block < kBlocks; ++block)
                for (const auto& routine : routines) routine.second();
            count.allocations = watch.Allocations();
            count.releases = watch.Releases();
        });
        counts.push_back(count);
    }
    return counts;
}

}  // namespace tessel::test
