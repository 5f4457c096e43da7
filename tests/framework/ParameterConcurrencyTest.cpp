// The parameter store under threads: the host setting one parameter, the
// editor automating another and a reader polling both must lose no write and
// race nowhere (this executable also runs under ThreadSanitizer).

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "host/ScriptedHost.h"
#include "tests/framework/ModuleFixtures.h"

namespace tessel {
namespace {

constexpr int kWrites = 20000;
constexpr double kRange = 65536.0;  // linear 0..65536: host value k/65536 maps to exactly k

class TConcurrentModule : public TVSTModule {
public:
    std::string_view ClassName() const override { return "TConcurrentModule"; }
    // Touched only inside change handlers, which the store serialises: plain ints
    // on purpose, `total` shared by both parameters as a real module's state is.
    int changes[2] = {0, 0};
    int total = 0;
    std::vector<float> values0;  // parameter 0's values as its handler saw them
    std::vector<std::thread::id> threads0;
    std::function<void(int32_t)> duringChange;

protected:
    void PublishMethods(TMethodTable& m) override {
        m.Publish<TParameterChangeEvent>("Change", [this](TBasicVSTModule&, int32_t i, float& value) {
            ++changes[i];
            ++total;
            if (i == 0) {
                values0.push_back(value);
                threads0.push_back(std::this_thread::get_id());
            }
            if (duringChange) duringChange(i);
        });
    }
};

const bool kRegistered = [] {
    using namespace stored;
    TStoredItem item{{Float("Max", kRange), Method("OnParameterChange", "Change")}};
    return TStoredDescriptions::Register(
        {"TConcurrentModule",
         {Collection("Programs", {TStoredItem{}}), Collection("ParameterProperties", {item, item})}});
}();

class ParameterConcurrency : public ::testing::Test {
protected:
    void SetUp() override {
        test::Connect(*module, host);
        host.ClearCalls();
        host.SetRecordLimit(0);  // counting is enough
    }
    host::TScriptedHost host;
    std::unique_ptr<TConcurrentModule, TModuleDeleter> module = CreateModule<TConcurrentModule>();
    AEffect* effect = module->GetEffectRecord();
};

TEST_F(ParameterConcurrency, NoWriteLostNoRace) {
    std::atomic<bool> done{false};
    std::thread hostThread([&] {
        for (int k = 1; k <= kWrites; ++k) effect->setParameter(effect, 0, static_cast<float>(k / kRange));
    });
    std::thread editorThread([&] {
        for (int k = 1; k <= kWrites; ++k) module->AutomateParameter(1, static_cast<float>(k));
    });
    std::thread reader([&] {
        float last[2] = {0.0f, 0.0f};
        bool monotonic = true;
        while (!done.load())
            for (int32_t i = 0; i < 2; ++i) {
                const float v = module->ReadParameter(i);
                const float n = effect->getParameter(effect, i);
                monotonic = monotonic && v >= last[i] && n >= 0.0f && n <= 1.0f;
                last[i] = v;
            }
        EXPECT_TRUE(monotonic) << "a reader saw a value go back";
    });
    hostThread.join();
    editorThread.join();
    done.store(true);
    reader.join();

    EXPECT_EQ(module->ReadParameter(0), static_cast<float>(kWrites));
    EXPECT_EQ(module->ReadParameter(1), static_cast<float>(kWrites));
    // The host's sets never wait, so while an editor store is descheduled they
    // queue; past the queue's capacity they merge into newer ones, counted.
    // Every write either reached the handler, in order, or was merged.
    const auto merged = static_cast<int>(module->MergedParameterWrites());
    EXPECT_EQ(module->changes[0] + merged, kWrites);
    EXPECT_EQ(std::adjacent_find(module->values0.begin(), module->values0.end(), std::greater_equal<float>()),
              module->values0.end())
        << "a handler saw the host's values out of order";
    EXPECT_EQ(module->changes[1], kWrites);
    EXPECT_EQ(module->total + merged, 2 * kWrites);
    // Every editor change was reported once; none of the host's went back to it.
    EXPECT_EQ(host.CountOf(audioMasterAutomate), static_cast<size_t>(kWrites));
}

// A store arriving while another thread is inside a change handler waits and
// then runs: the re-entrancy guards belong to the other thread's call chain.
TEST_F(ParameterConcurrency, StoreFromAnotherThreadIsNotSwallowed) {
    std::atomic<bool> inHandler{false};
    module->duringChange = [&](int32_t i) {
        if (i != 0) return;
        inHandler.store(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    };
    std::thread hostThread([&] { effect->setParameter(effect, 0, 0.5f); });
    while (!inHandler.load()) std::this_thread::yield();
    module->AutomateParameter(1, 7.0f);  // the host's set is still running on the other thread
    hostThread.join();

    EXPECT_EQ(module->ReadParameter(0), 32768.0f);
    EXPECT_EQ(module->ReadParameter(1), 7.0f);
    EXPECT_EQ(module->changes[1], 1);
    EXPECT_EQ(host.CountOf(audioMasterAutomate), 1u);  // not mistaken for an echo of the host's set
}

// The host's setParameter never waits for a store another thread holds
// (here one stuck in a change handler, as an editor's may be): its values
// queue, and the holder applies them in order, once each, before it lets go.
// Beyond the queue's capacity a parameter's waiting values merge into its
// newest one.
TEST_F(ParameterConcurrency, HostSetNeverWaitsForAnotherThreadsStore) {
    constexpr int kCapacity = static_cast<int>(TParameterQueue::kCapacity);
    constexpr int kSets = 3 * kCapacity;
    std::atomic<bool> holding{false};
    std::atomic<bool> release{false};
    module->duringChange = [&](int32_t i) {
        if (i != 1) return;
        holding.store(true);
        while (!release.load()) std::this_thread::yield();
    };
    std::thread editor([&] { module->AutomateParameter(1, 7.0f); });
    while (!holding.load()) std::this_thread::yield();

    std::atomic<bool> setsReturned{false};
    std::thread audio([&] {
        for (int k = 1; k <= kSets; ++k) effect->setParameter(effect, 0, static_cast<float>(k / kRange));
        setsReturned.store(true);
    });
    // A liveness check, not a timing one: a waiting setParameter stays stuck until the release.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!setsReturned.load() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(setsReturned.load()) << "setParameter waited for the other thread's store";
    EXPECT_EQ(module->ReadParameter(0), 0.0f) << "applied while another thread held the store";
    const std::thread::id holder = editor.get_id();
    release.store(true);
    editor.join();  // its store has ended: everything queued has been applied
    EXPECT_EQ(module->ReadParameter(0), static_cast<float>(kSets));
    audio.join();

    ASSERT_EQ(module->values0.size(), static_cast<size_t>(kCapacity + 1));
    for (int k = 0; k < kCapacity; ++k)
        ASSERT_EQ(module->values0[static_cast<size_t>(k)], static_cast<float>(k + 1)) << k;
    EXPECT_EQ(module->values0.back(), static_cast<float>(kSets));
    EXPECT_EQ(module->MergedParameterWrites(), static_cast<std::uint64_t>(kSets - kCapacity - 1));
    for (const auto& thread : module->threads0) EXPECT_EQ(thread, holder);
    EXPECT_EQ(module->ReadParameter(1), 7.0f);
    EXPECT_EQ(host.CountOf(audioMasterAutomate), 1u);  // the editor's; the host's sets are not echoed
}

// A holder lets go after a bounded number of rounds while writes keep
// arriving from other threads; what it leaves queued must not wait for the
// next thread that happens to take the store: the next process call applies
// it, without waiting for anyone.
TEST_F(ParameterConcurrency, TheNextProcessCallAppliesWhatTheHolderLeft) {
    const std::thread::id editorThread = std::this_thread::get_id();
    // Stores of parameter 1 on the editor's thread have the poster post the
    // next values, 1, 2, 3..., a batch at a time, which queue: the store is
    // held here. Batches keep the thread hand-overs few, so the test stays
    // quick on a loaded machine; blocking waits, not spins, for the same reason.
    constexpr int kBatch = 64;
    constexpr float kNone = 0.0f, kStop = -1.0f;
    std::atomic<float> request{kNone};  // the value before the batch to post
    std::atomic<float> lastPosted{0.0f};
    std::thread poster([&] {
        for (;;) {
            request.wait(kNone);
            const float after = request.load();
            if (after == kStop) return;
            for (int k = 1; k <= kBatch; ++k) module->PostParameter(1, after + static_cast<float>(k));
            lastPosted.store(after + kBatch);
            request.store(kNone);
            request.notify_one();
        }
    });
    module->duringChange = [&](int32_t i) {
        if (i != 1 || std::this_thread::get_id() != editorThread) return;
        const float value = module->ReadParameter(1);
        if (value != lastPosted.load()) return;  // the batch is still being applied
        request.store(value);
        request.notify_one();
        request.wait(value);
    };
    lastPosted.store(1.0f);
    module->AutomateParameter(1, 1.0f);
    module->duringChange = nullptr;
    request.store(kStop);
    request.notify_one();
    poster.join();
    ASSERT_GT(lastPosted.load(), 1.0f + kBatch);
    ASSERT_LT(module->ReadParameter(1), lastPosted.load()) << "the newest writes should still wait";

    std::vector<float> left(64), right(64);
    float* channels[] = {left.data(), right.data()};
    std::thread audio([&] { effect->processReplacing(effect, channels, channels, 64); });
    audio.join();
    EXPECT_EQ(module->ReadParameter(1), lastPosted.load());
    EXPECT_EQ(module->changes[1], static_cast<int>(lastPosted.load()));
}

}  // namespace
}  // namespace tessel
