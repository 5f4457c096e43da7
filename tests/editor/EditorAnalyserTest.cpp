// The spectrum analyser end to end: a sine played through the module's
// processReplacing shows, in the editor's back buffer, as a peak at the
// sine's place on the response curve's axis and at its level; silence, and
// any audio with the analyser off, leave the display as it was.
//
// The audio is played on the editor thread and each analyser frame is asked
// for there at a made-up time a second after the last, so no frame of the
// loop's own falls in between and the fall between frames is known.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "editor/AnalyserTap.h"
#include "editor/FrequencyPosition.h"
#include "editor/OrvaneSettings.h"
#include "tests/editor/EditorFixture.h"
#include "tests/framework/ModuleFixtures.h"

namespace tessel {
namespace {

using namespace std::chrono_literals;
using testing::MakeHeadlessOrvane;
using testing::TMemorySettingsStore;

struct TPeak {
    double x = 0.0;   // pixels, mean of the columns reaching highest
    double db = 0.0;  // dBFS read from the top row reached
};

class EditorAnalyser : public ::testing::Test {
protected:
    void SetUp() override {
        auto* settings = static_cast<TMemorySettingsStore*>(FModule->Settings.get());
        settings->Set(kGuiStyleValue, 1);
        settings->Set(kAnalyserValue, 1);
        ASSERT_EQ(FModule->Open(), 1);
        ASSERT_TRUE(FModule->WaitForFrame());
        FModule->OnEditorThread([&] {
            FDisplay = FModule->Form->Layout().GraphRect;
            FReference.Assign(FModule->Form->BackBuffer());
        });
    }
    void TearDown() override { FModule->Close(); }

    // Plays `seconds` of a sine (0 Hz: silence) in both channels, then shows the
    // analyser's next frame and returns the back buffer.
    const TBitmap32& PlayAndShow(double hz, double amplitude, double seconds) {
        FModule->OnEditorThread([&] {
            constexpr int kBlock = 64;
            std::vector<float> left(kBlock), right(kBlock), outLeft(kBlock), outRight(kBlock);
            float* in[] = {left.data(), right.data()};
            float* out[] = {outLeft.data(), outRight.data()};
            AEffect* e = FModule->GetEffectRecord();
            const double rate = FModule->SampleRate();
            for (int done = 0; done < seconds * rate; done += kBlock) {
                for (int i = 0; i < kBlock; ++i, ++FPhase)
                    left[static_cast<std::size_t>(i)] = right[static_cast<std::size_t>(i)] =
                        static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * hz * FPhase / rate));
                e->processReplacing(e, in, out, kBlock);
            }
            FNow += 1s;
            FModule->Form->Tick(FNow);
            FShown.Assign(FModule->Form->BackBuffer());
        });
        return FShown;
    }

    // The highest point the drawing reached above the reference in the display.
    TPeak Peak(const TBitmap32& shown) const {
        int top = FDisplay.Bottom, sum = 0, count = 0;
        for (int x = FDisplay.Left; x < FDisplay.Right; ++x)
            for (int y = FDisplay.Top; y < FDisplay.Bottom; ++y) {
                if (shown.Pixel(x, y) == FReference.Pixel(x, y)) continue;
                if (y < top) top = y, sum = 0, count = 0;
                if (y == top) sum += x, ++count;
                break;
            }
        if (count == 0) return {-1.0, -200.0};
        const double pixelsPerDb = FDisplay.Height() / 90.0;
        return {static_cast<double>(sum) / count, -(top + 0.5 - FDisplay.Top) / pixelsPerDb};
    }
    double AxisX(double hz) const { return FDisplay.Left + PositionFromFrequency(hz) * (FDisplay.Width() - 1); }
    int ChangedPixels(const TBitmap32& shown) const {
        int changed = 0;
        for (int y = 0; y < shown.Height(); ++y)
            for (int x = 0; x < shown.Width(); ++x) changed += shown.Pixel(x, y) != FReference.Pixel(x, y);
        return changed;
    }

    testing::THeadlessOrvanePtr FModule = MakeHeadlessOrvane();
    TRect FDisplay;
    TBitmap32 FReference, FShown;
    long FPhase = 0;
    std::chrono::steady_clock::time_point FNow = std::chrono::steady_clock::now() + 1h;
};

// Every vector width, from both sample widths, over blocks of every
// length and across the ring's wrap: the consumer reads back exactly the
// mono sum, and never a stretch it has released or one not yet published.
TEST(AnalyserTap, ReadsBackTheMonoSumAtEveryWidthWhateverTheBlockLengths) {
    __builtin_cpu_init();
    for (TMonoSumWidth width : {TMonoSumWidth::Sse2, TMonoSumWidth::Avx2, TMonoSumWidth::Avx512}) {
        if ((width == TMonoSumWidth::Avx2 && !__builtin_cpu_supports("avx2")) ||
            (width == TMonoSumWidth::Avx512 && !__builtin_cpu_supports("avx512f")))
            continue;
        SCOPED_TRACE(::testing::Message() << "width " << static_cast<int>(width));
        auto tap = std::make_unique<TAnalyserTap>();
        tap->SetWidth(width);
        tap->SetOpen(true);
        std::uint64_t sample = 0;
        const auto value = [](std::uint64_t s) { return static_cast<float>(s % 10007) - 5000.0f; };
        for (int block : {1,    2,   3,    5,    15, 17,    64, 511, 512,   513, 1023, 7,
                          2048, 333, 4097, 8191, 9,  16384, 77, 3,   30000, 31,  16,   8}) {
            std::vector<double> left(static_cast<std::size_t>(block)), right(left.size());
            std::vector<float> left32(left.size()), right32(left.size());
            for (std::size_t i = 0; i < left.size(); ++i) {
                left[i] = left32[i] = 2.0f * value(sample + i) - 1.0f;
                right[i] = right32[i] = 1.0f;
            }
            const double* channels[] = {left.data(), right.data()};
            const float* channels32[] = {left32.data(), right32.data()};
            if (block % 2 != 0)
                tap->Push(channels, block);
            else
                tap->Push(channels32, block);
            sample += static_cast<std::uint64_t>(block);
            ASSERT_EQ(tap->Written(), sample);
            std::vector<float> read(std::min<std::size_t>(sample, 4099));
            ASSERT_TRUE(tap->ReadEnding(sample, read)) << "after a block of " << block;
            for (std::size_t i = 0; i < read.size(); ++i)
                ASSERT_EQ(read[i], value(sample - read.size() + i)) << "after a block of " << block << ", sample " << i;
            tap->Release(sample - read.size());
        }
        std::vector<float> read(1024);
        EXPECT_FALSE(tap->ReadEnding(tap->Released() + read.size() - 1, read)) << "a released sample was read";
        EXPECT_FALSE(tap->ReadEnding(sample + 1, read)) << "an unpublished sample was read";
        EXPECT_EQ(tap->FreshFrom(), 0u) << "a break was recorded where none was";
    }
}

// A consumer that stops releasing keeps what it holds: the producer fills
// the rest of the ring, drops what does not fit, and says where the stream
// broke; released again, it goes on from there.
TEST(AnalyserTap, AFullRingDropsTheNewestAudioAndMarksTheBreak) {
    auto tap = std::make_unique<TAnalyserTap>();
    tap->SetOpen(true);
    std::vector<float> ones(1000, 1.0f), twos(1000, 2.0f);
    const float* first[] = {ones.data(), ones.data()};
    const float* later[] = {twos.data(), twos.data()};
    std::uint64_t pushed = 0;
    for (; pushed < TAnalyserTap::kCapacity + 5000; pushed += ones.size()) tap->Push(first, 1000);
    EXPECT_EQ(tap->Written(), TAnalyserTap::kCapacity);
    EXPECT_EQ(tap->FreshFrom(), TAnalyserTap::kCapacity);
    std::vector<float> held(TAnalyserTap::kCapacity);
    ASSERT_TRUE(tap->ReadEnding(TAnalyserTap::kCapacity, held));
    EXPECT_TRUE(std::all_of(held.begin(), held.end(), [](float s) { return s == 1.0f; })) << "held audio overwritten";

    tap->Release(100);  // room for 100 samples
    tap->Push(later, 1000);
    EXPECT_EQ(tap->Written(), TAnalyserTap::kCapacity + 100);
    tap->Release(tap->Written());
    tap->Push(later, 1000);
    std::vector<float> read(1000);
    ASSERT_TRUE(tap->ReadEnding(tap->Written(), read));
    EXPECT_TRUE(std::all_of(read.begin(), read.end(), [](float s) { return s == 2.0f; }));
    EXPECT_EQ(tap->FreshFrom(), TAnalyserTap::kCapacity + 100) << "the second drop's break";
}

TEST_F(EditorAnalyser, ASineShowsAtItsFrequencyAndLevelAndSilenceShowsNothing) {
    EXPECT_EQ(ChangedPixels(PlayAndShow(0.0, 0.0, 0.5)), 0) << "silence drew something";

    constexpr double kAmplitude = 0.25;  // -12.04 dBFS
    const double sineDb = 20.0 * std::log10(kAmplitude);
    for (double hz : {100.0, 1000.0, 10000.0}) {
        SCOPED_TRACE(::testing::Message() << hz << " Hz");
        const TPeak peak = Peak(PlayAndShow(hz, kAmplitude, 0.3));
        EXPECT_NEAR(peak.x, AxisX(hz), 2.0);
        EXPECT_NEAR(peak.db, sineDb, 3.0);
        // Then silence: the display falls back to nothing.
        for (int frame = 0; frame < 40; ++frame) PlayAndShow(0.0, 0.0, 0.05);
        EXPECT_EQ(ChangedPixels(FShown), 0);
    }
}

TEST_F(EditorAnalyser, OffMeansTheTapIsClosedAndAudioChangesNothing) {
    ASSERT_TRUE(FModule->AnalyserTap().Open());
    FModule->OnEditorThread([&] { FModule->Form->MenuItem("MIAnalyser").Click(); });
    EXPECT_FALSE(FModule->AnalyserTap().Open());
    const std::uint64_t written = FModule->AnalyserTap().Written();
    EXPECT_EQ(ChangedPixels(PlayAndShow(1000.0, 0.5, 0.3)), 0);
    EXPECT_EQ(FModule->AnalyserTap().Written(), written);
    FModule->Close();
    auto* settings = static_cast<TMemorySettingsStore*>(FModule->Settings.get());
    EXPECT_EQ(settings->Values()->Find(kAnalyserValue), 0);
    // On again from the menu: the same audio shows.
    ASSERT_EQ(FModule->Open(), 1);
    ASSERT_TRUE(FModule->WaitForFrame());
    FModule->OnEditorThread([&] { FModule->Form->MenuItem("MIAnalyser").Click(); });
    EXPECT_NEAR(Peak(PlayAndShow(1000.0, 0.5, 0.3)).x, AxisX(1000.0), 2.0);
    EXPECT_EQ(FModule->AnalyserTap().Open(), true);
}

}  // namespace
}  // namespace tessel
