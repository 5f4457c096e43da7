// The analyser's two threads: an audio thread plays a tone through both
// process routines, block after block, while the editor is opened, draws
// the spectrum, has the analyser switched off and on, and is closed, again
// and again. The audio thread makes no allocator call all the while (and
// ThreadSanitizer, in its tree, sees no race). And the tap alone, pushed
// as fast as it goes while a consumer reads, lags and releases: every window
// read is unbroken audio.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "editor/AnalyserTap.h"
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

// The producer's samples count 0, 1, 2, ... (modulo 4096, exact in float)
// through blocks of both widths, a block about every 50 µs; the consumer
// reads windows, releasing what it read at random, and now and then stops
// until the producer has filled the ring and dropped audio. A window that
// starts at or after the latest break must count on without a step.
TEST(EditorAnalyserThreads, TheTapsConsumerReadsOnlyWholeUnbrokenAudio) {
    constexpr int kModulo = 4096;
    auto tap = std::make_unique<TAnalyserTap>();
    tap->SetOpen(true);
    std::atomic<bool> stop{false};
    std::thread producer([&] {
        std::vector<float> block32(kModulo);
        std::vector<double> block64(kModulo);
        long count = 0;
        for (int round = 0; !stop.load(std::memory_order_relaxed); ++round) {
            const int frames = 1 + round * 37 % 700;
            for (int i = 0; i < frames; ++i, ++count)
                block32[static_cast<std::size_t>(i)] = block64[static_cast<std::size_t>(i)] =
                    static_cast<float>(count % kModulo);
            const float* channels32[] = {block32.data(), block32.data()};
            const double* channels64[] = {block64.data(), block64.data()};
            if (round % 2 == 0)
                tap->Push(channels32, frames);
            else
                tap->Push(channels64, frames);
            std::this_thread::sleep_for(50us);
        }
    });

    std::mt19937 random(7);
    std::vector<float> window(2048);
    int checked = 0, steps = 0, breaks = 0;
    for (auto [end, turn] = std::pair{std::chrono::steady_clock::now() + 1s, 1}; std::chrono::steady_clock::now() < end;
         ++turn) {
        const std::uint64_t written = tap->Written(), fresh = tap->FreshFrom();
        if (written < fresh + window.size()) {
            tap->Release(fresh);  // what came before the break is of no use
        } else if (tap->ReadEnding(written, window)) {
            ++checked;
            for (std::size_t i = 1; i < window.size(); ++i)
                steps += window[i] != std::fmod(window[i - 1] + 1.0f, static_cast<float>(kModulo));
            tap->Release(written - random() % window.size());
        }
        if (turn % 100 == 0) {  // held up: the ring fills
            for (const auto wait = std::chrono::steady_clock::now() + 500ms;
                 tap->FreshFrom() == fresh && std::chrono::steady_clock::now() < wait;)
                std::this_thread::sleep_for(1ms);
            breaks += tap->FreshFrom() != fresh;
        }
        std::this_thread::sleep_for(100us);
    }
    stop = true;
    producer.join();
    EXPECT_GT(checked, 10);
    EXPECT_GT(breaks, 0) << "the ring never filled: the test did not try what it is for";
    EXPECT_EQ(steps, 0) << "windows joined audio across a break or a sample being written";
}

}  // namespace
}  // namespace tessel
