// Two control threads publish bands as fast as they can while an audio
// thread processes blocks. The publishers take turns as the module's do,
// which publish only while holding the parameter store (a mutex stands in
// for it here); the audio thread takes no lock. Nothing may race (this test
// runs under ThreadSanitizer), every output stays finite, and once the storm
// is over the engine settles to exactly what a fresh engine with the final
// bands makes.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <random>
#include <thread>

#include "tests/plugin/EngineTestSupport.h"

namespace tessel {
namespace {

constexpr int kPublicationsPerThread = 3000;
constexpr int kBlockFrames = 64;
constexpr double kSampleRateHz = 44100.0;

// Settings whose filters ring out quickly, so the steady state comes soon.
test::TBandSettings FinalSettings() {
    test::TBandSettings s{};
    const double frequenciesHz[] = {100.0, 250.0, 500.0, 1500.0, 4000.0, 8000.0, 12000.0};
    for (std::size_t b = 0; b < s.size(); ++b) s[b] = {TBandKind::Peak, frequenciesHz[b], b % 2 ? 4.0 : -3.0, 1.0};
    s[5].kind = TBandKind::Highshelf;
    s[6].kind = TBandKind::Bypass;
    return s;
}

void Publisher(TOrvaneAudioEngine& engine, std::mutex& store, unsigned seed, std::atomic<bool>& failed) {
    std::mt19937 random(seed);
    test::TReferenceEqualiser filters(kSampleRateHz);
    filters.SetAll(test::RandomSettings(random));
    for (int i = 0; i < kPublicationsPerThread; ++i) {
        const int band = static_cast<int>(random() % test::kBands);
        filters.Set(band, test::RandomSetting(random));
        {
            const std::lock_guard hold(store);
            if (!engine.PublishBand(band, filters.EngineBand(band))) failed = true;
        }
        if (i % 500 == 0) engine.ClearAllStates();
        if (i % 700 == 0) engine.SetOutputGain(i % 1400 == 0 ? 0.5 : 1.0);
    }
}

TEST(OrvaneAudioEngineConcurrency, PublishersAndAudioThreadDoNotRace) {
    TOrvaneAudioEngine engine;
    std::atomic<bool> publishing{true};
    std::atomic<bool> publishFailed{false};
    std::atomic<int> blocks{0};
    std::atomic<bool> nonFinite{false};

    std::thread audio([&] {
        std::mt19937 random(5);
        const test::TStereo<float> input = test::Noise<float>(kBlockFrames, random, 0.5);
        test::TStereo<float> output(kBlockFrames);
        while (publishing.load() || blocks.load() < 100) {
            engine.Process(input.In(), output.Out(), kBlockFrames);
            for (const auto& c : output.channel) {
                if (!std::all_of(c.begin(), c.end(), [](float v) { return std::isfinite(v); })) nonFinite = true;
            }
            ++blocks;
        }
    });
    std::mutex store;
    std::thread first(Publisher, std::ref(engine), std::ref(store), 11u, std::ref(publishFailed));
    std::thread second(Publisher, std::ref(engine), std::ref(store), 22u, std::ref(publishFailed));
    first.join();
    second.join();
    publishing = false;
    audio.join();

    EXPECT_FALSE(publishFailed.load());
    EXPECT_FALSE(nonFinite.load());
    EXPECT_GT(blocks.load(), 0);

    // The final bands, published the way the module does (kind by kind), to
    // this engine and to a fresh one: after the old tail has died away both
    // produce the same output.
    test::TReferenceEqualiser final(kSampleRateHz);
    final.SetAll(FinalSettings());
    TOrvaneAudioEngine fresh;
    engine.SetOutputGain(1.0);
    test::PublishAll(engine, final);
    test::PublishAll(fresh, final);
    std::mt19937 random(9);
    constexpr int kSettleFrames = 22050;  // half a second: tails of these bands are far below 1e-15 by then
    const test::TStereo<double> settle = test::Noise<double>(kSettleFrames, random);
    test::TStereo<double> a(kSettleFrames);
    test::TStereo<double> b(kSettleFrames);
    engine.Process(settle.In(), a.Out(), kSettleFrames);
    fresh.Process(settle.In(), b.Out(), kSettleFrames);
    const test::TStereo<double> input = test::Noise<double>(512, random);
    test::TStereo<double> outA(512);
    test::TStereo<double> outB(512);
    engine.Process(input.In(), outA.Out(), 512);
    fresh.Process(input.In(), outB.Out(), 512);
    for (std::size_t ch = 0; ch < 2; ++ch) {
        for (std::size_t n = 0; n < 512; ++n)
            EXPECT_NEAR(outA.channel[ch][n], outB.channel[ch][n], 1e-13) << ch << " " << n;
    }
}

}  // namespace
}  // namespace tessel
