// The analyser's two threads: an audio thread plays a tone through both
// process routines, block after block, while the editor is opened, draws
// the spectrum, has the analyser switched off and on, and is closed, again
// and again. The audio thread makes no allocator call all the while (and
// ThreadSanitizer, in its tree, sees no race).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "editor/OrvaneSettings.h"
#include "tests/editor/EditorFixture.h"
#include "tests/framework/ModuleFixtures.h"
#include "tests/support/AllocationCounting.h"

namespace tessel {
namespace {

using namespace std::chrono_literals;

TEST(EditorAnalyserThreads, AudioCopiesWithoutAllocatingWhileEditorsDrawOpenAndClose) {
    auto m = testing::MakeHeadlessOrvane();
    auto* settings = static_cast<testing::TMemorySettingsStore*>(m->Settings.get());
    settings->Set(kGuiStyleValue, 1);
    settings->Set(kAnalyserValue, 1);

    std::atomic<bool> stop{false};
    long allocations = -1, releases = -1;
    std::thread audio([&] {
        constexpr int kBlock = 64;
        std::vector<float> left(kBlock), right(kBlock);
        std::vector<double> left64(kBlock), right64(kBlock);
        float* channels[] = {left.data(), right.data()};
        double* channels64[] = {left64.data(), right64.data()};
        AEffect* e = m->GetEffectRecord();
        long phase = 0;
        const test::TAllocationWatch watch(test::TAllocationWatch::TThreads::Own);
        while (!stop.load(std::memory_order_relaxed)) {
            for (int i = 0; i < kBlock; ++i, ++phase) {
                const double s = 0.5 * std::sin(0.1 * static_cast<double>(phase));  // 702 Hz at 44.1 kHz
                left[static_cast<std::size_t>(i)] = right[static_cast<std::size_t>(i)] = static_cast<float>(s);
                left64[static_cast<std::size_t>(i)] = right64[static_cast<std::size_t>(i)] = s;
            }
            if (phase % (2 * kBlock) == 0)
                e->processReplacing(e, channels, channels, kBlock);
            else
                e->processDoubleReplacing(e, channels64, channels64, kBlock);
            std::this_thread::sleep_for(1ms);  // about real time: a block is 1.45 ms
        }
        allocations = watch.Allocations();
        releases = watch.Releases();
    });

    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(m->Open(), 1);
        ASSERT_TRUE(m->WaitForFrame());
        // Until the editor thread has drawn the tone at least once.
        bool visible = false;
        for (auto deadline = std::chrono::steady_clock::now() + 20s;
             !visible && std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(5ms))
            m->OnEditorThread([&] { visible = m->Form->Spectrum().Visible(); });
        EXPECT_TRUE(visible) << "round " << round;
        m->OnEditorThread([&] { m->Form->MenuItem("MIAnalyser").Click(); });
        EXPECT_FALSE(m->AnalyserTap().Open());
        m->OnEditorThread([&] { m->Form->MenuItem("MIAnalyser").Click(); });
        EXPECT_TRUE(m->AnalyserTap().Open());
        m->Close();
        EXPECT_FALSE(m->AnalyserTap().Open());
    }
    stop = true;
    audio.join();
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(releases, 0);
}

}  // namespace
}  // namespace tessel
