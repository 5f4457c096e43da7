// Plug-ins call back from several threads at once: nothing may be lost or torn.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "host/PluginInstance.h"
#include "tests/host/FakePluginProtocol.h"

namespace tessel::host {
namespace {

constexpr int kThreads = 4;
constexpr int kCallsPerThread = 500;

TEST(HostConcurrency, CallsFromManyThreadsAreAllRecordedWhileAnswersChange) {
    auto host = std::make_shared<TScriptedHost>();
    TPluginInstance plugin(TESSEL_FAKE_PLUGIN, host);
    host->ClearCalls();

    std::atomic<bool> stop{false};
    std::thread scripter([&] {  // re-scripts answers while the plug-in is calling
        for (intptr_t i = 0; !stop.load(); ++i) {
            host->SetAnswer(audioMasterIdle, i);
            host->SetCanDo("sizeWindow", i % 2 ? 1 : -1);
        }
    });
    std::vector<std::thread> callers;
    for (int t = 0; t < kThreads; ++t) {
        callers.emplace_back([&plugin, t] {
            for (int i = 0; i < kCallsPerThread; ++i) {
                test::TForwardedRequest request{audioMasterIdle, t, i, nullptr, 0.0f};
                plugin.VendorSpecific(test::kForwardToHost, 0, &request, 0.0f);
            }
        });
    }
    for (std::thread& caller : callers) caller.join();
    stop = true;
    scripter.join();

    const auto calls = host->Calls();
    ASSERT_EQ(calls.size(), static_cast<size_t>(kThreads * kCallsPerThread));
    EXPECT_EQ(host->CountOf(audioMasterIdle), calls.size());
    std::set<uint64_t> sequences;
    std::vector<int> lastValue(kThreads, -1);
    for (const TRecordedCall& call : calls) {
        sequences.insert(call.sequence);
        ASSERT_GE(call.index, 0);
        ASSERT_LT(call.index, kThreads);
        // Each thread's calls appear in the order it made them.
        EXPECT_EQ(call.value, lastValue[static_cast<size_t>(call.index)] + 1);
        lastValue[static_cast<size_t>(call.index)] = static_cast<int>(call.value);
    }
    EXPECT_EQ(sequences.size(), calls.size());
    EXPECT_EQ(*sequences.rbegin(), calls.size() - 1);
}

}  // namespace
}  // namespace tessel::host
