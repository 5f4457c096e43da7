// The equaliser's audio engine against the band filters run sample by
// sample, for every kernel this processor has. The SSE2 kernel must match
// bit for bit. The fused multiply-add kernels round differently; in the
// equaliser's range the difference reaches some 1e-11 relative where the
// filters are badly conditioned (tens of Hz at 96 or 192 kHz, narrow, with
// boosts stacked), and there plain double evaluation is off from exact
// arithmetic by as much. So anywhere in range they are judged against an
// extended-precision evaluation (no more than a few times plain double's own
// error), and on moderate settings against 1e-12. Then the engine's own
// rules: Bypass, block edges, states across publications, recovery from NaN,
// aliasing buffers, both widths.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "tests/plugin/EngineTestSupport.h"

namespace tessel {
namespace {

using test::kBands;
using test::Through;
using test::TReferenceEqualiser;
using test::TStereo;

// Errors are scaled: absolute up to full scale (1.0), relative above it.
constexpr double kTolerance = 1e-12;      // FMA kernels against the filters, on moderate settings
constexpr double kSanityBound = 1e-9;     // FMA kernels against the filters, anywhere in range
constexpr double kAccuracyFactor = 4.0;   // FMA error / plain double error, both against extended precision
constexpr double kAccuracyFloor = 1e-15;  // where plain double happens to be exact
constexpr double kSampleRatesHz[] = {44100.0, 48000.0, 96000.0, 192000.0};

double Scaled(long double error, long double reference) {
    return static_cast<double>(std::abs(error) / std::max(1.0L, std::abs(reference)));
}

class OrvaneAudioEngine : public ::testing::TestWithParam<TCascadeKernel> {
protected:
    void SetUp() override {
        if (!CascadeKernelSupported(GetParam()))
            GTEST_SKIP() << "this processor has no " << test::KernelName(GetParam());
        ASSERT_TRUE(FEngine.SelectKernel(GetParam()));
    }

    // A further engine on this test's kernel, with the reference's bands.
    [[nodiscard]] std::unique_ptr<TOrvaneAudioEngine> Engine(const TReferenceEqualiser& reference) const {
        auto engine = std::make_unique<TOrvaneAudioEngine>();
        EXPECT_TRUE(engine->SelectKernel(GetParam()));
        test::PublishAll(*engine, reference);
        return engine;
    }

    // Bit for bit on the SSE2 kernel, within the tolerance on the others.
    // Returns the largest scaled difference.
    template <class T>
    double ExpectMatches(const TStereo<T>& engine, const TStereo<T>& reference, double tolerance = kTolerance) {
        const bool exact = GetParam() == TCascadeKernel::Sse2;
        double worst = 0.0;
        for (std::size_t ch = 0; ch < 2; ++ch) {
            for (std::size_t n = 0; n < engine.channel[ch].size(); ++n) {
                const T e = engine.channel[ch][n];
                const T r = reference.channel[ch][n];
                const double error = Scaled(e - r, r);
                const bool same = exact ? std::memcmp(&e, &r, sizeof(T)) == 0 : error <= tolerance;
                if (!same) {
                    ADD_FAILURE() << "channel " << ch << " frame " << n << ": engine " << e << ", reference " << r;
                    return std::numeric_limits<double>::infinity();
                }
                worst = std::max(worst, error);
            }
        }
        return worst;
    }

    TOrvaneAudioEngine FEngine;
};

// Random kinds and settings anywhere in range, blocks of every awkward
// length (shorter than the pipeline, odd, longer than any internal group),
// and between blocks random changes: same kind (states carry on) or new kind
// (states cleared).
TEST_P(OrvaneAudioEngine, MatchesTheBandFiltersOnRandomSettings) {
    constexpr int kBlockSizes[] = {1, 2, 3, 5, 6, 7, 8, 13, 64, 100, 511, 1031};
    std::mt19937 random(20240611);
    double worstDifference = 0.0;
    double worstRatio = 0.0;
    for (int trial = 0; trial < 24; ++trial) {
        SCOPED_TRACE(trial);
        TReferenceEqualiser reference(kSampleRatesHz[trial % 4]);
        reference.SetAll(test::RandomSettings(random, trial % 3 != 0));
        test::TExtendedCascade exact;
        exact.Follow(reference);
        const auto engine = Engine(reference);
        double engineError = 0.0;  // against extended precision, over the trial
        double plainError = 0.0;
        for (int block = 0; block < 16; ++block) {
            const TStereo<double> input =
                test::Noise<double>(kBlockSizes[(trial + block * 5) % std::size(kBlockSizes)], random);
            const TStereo<double> out = Through(*engine, input);
            const TStereo<double> expected = Through(reference, input);
            worstDifference = std::max(worstDifference, ExpectMatches(out, expected, kSanityBound));
            if (HasFailure()) return;
            for (std::size_t ch = 0; ch < 2; ++ch) {
                for (std::size_t n = 0; n < input.channel[ch].size(); ++n) {
                    const long double truth = exact.Process(ch, input.channel[ch][n]);
                    engineError = std::max(engineError, Scaled(out.channel[ch][n] - truth, truth));
                    plainError = std::max(plainError, Scaled(expected.channel[ch][n] - truth, truth));
                }
            }
            const int band = static_cast<int>(random() % kBands);
            test::TBandSetting change = test::RandomSetting(random);
            if (random() % 2 == 0) change.kind = reference.EngineBand(band).kind;
            reference.Set(band, change);
            exact.Follow(reference);
            engine->PublishBand(band, reference.EngineBand(band));
        }
        EXPECT_LE(engineError, kAccuracyFactor * plainError + kAccuracyFloor);
        worstRatio = std::max(worstRatio, engineError / std::max(plainError, kAccuracyFloor));
    }
    std::printf(
        "%s: largest scaled difference from the band filters %.3g; error against extended precision "
        "at most %.2f times plain double's\n",
        test::KernelName(GetParam()), worstDifference, worstRatio);
}

// Moderate settings (44.1 kHz, 200 Hz .. 15 kHz, at most 9 dB, half an
// octave and wider): within 1e-12 of full scale.
TEST_P(OrvaneAudioEngine, WithinOneInTenToTheTwelveOnModerateSettings) {
    std::mt19937 random(99);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int trial = 0; trial < 12; ++trial) {
        test::TBandSettings settings = test::RandomSettings(random);
        for (test::TBandSetting& s : settings) {
            s.frequencyHz = 200.0 * std::pow(75.0, unit(random));
            s.gainDb = -9.0 + 18.0 * unit(random);
            s.octaves = 0.5 + 2.5 * unit(random);
        }
        TReferenceEqualiser reference(44100.0);
        reference.SetAll(settings);
        const auto engine = Engine(reference);
        const TStereo<double> input = test::Noise<double>(2048, random);
        ExpectMatches(Through(*engine, input), Through(reference, input));
    }
}

// The 32-bit entry is the 64-bit one with the input widened and the output
// rounded, exactly, on every kernel.
TEST_P(OrvaneAudioEngine, FloatAndDoubleEntriesAgree) {
    std::mt19937 random(11);
    TReferenceEqualiser reference(44100.0);
    reference.SetAll(test::RandomSettings(random, false));
    test::PublishAll(FEngine, reference);
    const auto wide = Engine(reference);
    for (const int frames : {1, 5, 64, 333}) {
        const TStereo<float> input = test::Noise<float>(frames, random);
        TStereo<double> wideInput(frames);
        for (std::size_t ch = 0; ch < 2; ++ch)
            std::copy(input.channel[ch].begin(), input.channel[ch].end(), wideInput.channel[ch].begin());
        const TStereo<float> out = Through(FEngine, input);
        const TStereo<double> wideOut = Through(*wide, wideInput);
        for (std::size_t ch = 0; ch < 2; ++ch) {
            for (std::size_t n = 0; n < out.channel[ch].size(); ++n) {
                ASSERT_EQ(out.channel[ch][n], static_cast<float>(wideOut.channel[ch][n])) << ch << " " << n;
            }
        }
    }
}

// Splitting a signal into blocks changes nothing: the pipeline's filling and
// draining steps and the short-block path compute what the steady state does.
TEST_P(OrvaneAudioEngine, BlockBoundariesDoNotChangeTheResult) {
    std::mt19937 random(3);
    TReferenceEqualiser reference(96000.0);
    reference.SetAll(test::RandomSettings(random, false));
    test::PublishAll(FEngine, reference);
    constexpr int kFrames = 3000;
    const TStereo<double> input = test::Noise<double>(kFrames, random);
    const TStereo<double> expected = Through(*Engine(reference), input);

    TStereo<double> out(kFrames);
    std::uniform_int_distribution<int> size(1, 20);
    for (int done = 0; done < kFrames;) {
        const int frames = std::min(size(random), kFrames - done);
        const std::array<const double*, 2> in{input.channel[0].data() + done, input.channel[1].data() + done};
        const std::array<double*, 2> o{out.channel[0].data() + done, out.channel[1].data() + done};
        FEngine.Process(in.data(), o.data(), frames);
        done += frames;
    }
    EXPECT_EQ(out.channel, expected.channel);
}

// Every number of active bands from 0 to 7, Bypass bands anywhere between.
TEST_P(OrvaneAudioEngine, AnyNumberOfActiveBands) {
    std::mt19937 random(5);
    for (int active = 0; active <= kBands; ++active) {
        SCOPED_TRACE(active);
        test::TBandSettings settings = test::RandomSettings(random, false);
        std::array<std::size_t, kBands> order{0, 1, 2, 3, 4, 5, 6};
        std::shuffle(order.begin(), order.end(), random);
        for (int i = active; i < kBands; ++i) settings[order[static_cast<std::size_t>(i)]].kind = TBandKind::Bypass;
        TReferenceEqualiser reference(44100.0);
        reference.SetAll(settings);
        const auto engine = Engine(reference);
        for (const int frames : {4, 77}) {
            const TStereo<double> input = test::Noise<double>(frames, random);
            ExpectMatches(Through(*engine, input), Through(reference, input), kSanityBound);
        }
    }
}

// A Bypass band passes its input bit for bit: with every band bypassed the
// output is exactly the input plus the 1e-30 guard, whatever the input.
TEST_P(OrvaneAudioEngine, BypassBandsPassTheInputBitExactly) {
    std::mt19937 random(13);
    TStereo<double> input = test::Noise<double>(50, random, 1e6);
    input.channel[0][3] = std::numeric_limits<double>::infinity();
    input.channel[1][7] = 1e-300;
    input.channel[1][8] = -0.0;
    const TStereo<double> out = Through(FEngine, input);
    for (std::size_t ch = 0; ch < 2; ++ch) {
        for (std::size_t n = 0; n < 50; ++n) {
            const double expected = input.channel[ch][n] + 1e-30;
            ASSERT_EQ(std::memcmp(&out.channel[ch][n], &expected, sizeof(double)), 0) << ch << " " << n;
        }
    }
}

TEST_P(OrvaneAudioEngine, ZeroNegativeFramesAndNullPointersWriteNothing) {
    std::mt19937 random(17);
    TReferenceEqualiser reference(44100.0);
    reference.SetAll(test::RandomSettings(random, false));
    test::PublishAll(FEngine, reference);
    const TStereo<double> input = test::Noise<double>(8, random);
    TStereo<double> out(8, 42.0);
    FEngine.Process(input.In(), out.Out(), 0);
    FEngine.Process(input.In(), out.Out(), -5);
    FEngine.Process(nullptr, out.Out(), 8);
    FEngine.Process(input.In(), nullptr, 8);
    const std::array<const double*, 2> oneInput{input.channel[0].data(), nullptr};
    FEngine.Process(oneInput.data(), out.Out(), 8);
    std::array<double*, 2> oneOutput{out.channel[0].data(), nullptr};
    FEngine.Process(input.In(), oneOutput.data(), 8);
    for (const auto& c : out.channel) EXPECT_EQ(c, std::vector<double>(8, 42.0));
    // Nor did those calls advance the states.
    ExpectMatches(Through(FEngine, input), Through(reference, input), kSanityBound);
}

// Publishing the kind a band already has keeps its states; a new kind
// starts from cleared states. The band rings, so the two differ plainly.
TEST_P(OrvaneAudioEngine, SameKindKeepsStatesNewKindClearsThem) {
    std::mt19937 random(19);
    test::TBandSettings settings{};
    for (auto& s : settings) s = {TBandKind::Peak, 300.0, 9.0, 0.5};
    TReferenceEqualiser reference(44100.0);
    reference.SetAll(settings);
    test::PublishAll(FEngine, reference);
    const TStereo<double> warmUp = test::Noise<double>(400, random);
    Through(FEngine, warmUp);
    Through(reference, warmUp);
    const TStereo<double> silence(64);

    reference.Set(2, {TBandKind::Peak, 300.0, -6.0, 0.5});
    FEngine.PublishBand(2, reference.EngineBand(2));
    TStereo<double> out = Through(FEngine, silence);
    ExpectMatches(out, Through(reference, silence), kSanityBound);
    EXPECT_GT(std::abs(out.channel[0][10]), 1e-6);

    for (int band = 0; band < kBands; ++band) {
        reference.Set(band, {TBandKind::Lowshelf, 300.0, 9.0, 0.5});
        FEngine.PublishBand(band, reference.EngineBand(band));
    }
    out = Through(FEngine, silence);
    ExpectMatches(out, Through(reference, silence), kSanityBound);
    EXPECT_LT(std::abs(out.channel[0][10]), 1e-20);
}

// Several publications before the next block: only the newest coefficients
// count, but a kind change among them still clears the band.
TEST_P(OrvaneAudioEngine, AKindChangeIsNotLostAmongLaterPublications) {
    std::mt19937 random(23);
    TReferenceEqualiser reference(44100.0);
    test::TBandSettings settings{};
    for (auto& s : settings) s = {TBandKind::Peak, 200.0, 12.0, 0.3};
    reference.SetAll(settings);
    test::PublishAll(FEngine, reference);
    const TStereo<double> warmUp = test::Noise<double>(300, random);
    Through(FEngine, warmUp);
    Through(reference, warmUp);
    for (const test::TBandSetting s :
         {test::TBandSetting{TBandKind::Notch, 200.0, 12.0, 0.3}, test::TBandSetting{TBandKind::Peak, 200.0, 12.0, 0.3},
          test::TBandSetting{TBandKind::Peak, 200.0, 3.0, 0.3}}) {
        reference.Set(4, s);
        FEngine.PublishBand(4, reference.EngineBand(4));
    }
    const TStereo<double> input = test::Noise<double>(64, random);
    ExpectMatches(Through(FEngine, input), Through(reference, input), kSanityBound);
}

TEST_P(OrvaneAudioEngine, ClearAllStatesSilencesTheTail) {
    std::mt19937 random(29);
    TReferenceEqualiser reference(44100.0);
    reference.SetAll(test::RandomSettings(random, false));
    test::PublishAll(FEngine, reference);
    Through(FEngine, test::Noise<double>(256, random));
    FEngine.ClearAllStates();
    for (const auto& c : Through(FEngine, TStereo<double>(32)).channel) {
        for (const double v : c) EXPECT_LT(std::abs(v), 1e-25);
    }
}

// NaN or infinity in a block poisons the states; they are cleared when the
// block ends, so the next block is what a fresh engine would produce.
TEST_P(OrvaneAudioEngine, RecoversOnTheBlockAfterNonFiniteInput) {
    std::mt19937 random(31);
    TReferenceEqualiser reference(48000.0);
    reference.SetAll(test::RandomSettings(random, false));
    const auto finite = [](const std::vector<double>& c) {
        return std::all_of(c.begin(), c.end(), [](double v) { return std::isfinite(v); });
    };
    for (const double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        const auto engine = Engine(reference);
        const auto fresh = Engine(reference);
        TStereo<double> poisoned = test::Noise<double>(100, random);
        poisoned.channel[1][40] = bad;
        const TStereo<double> out = Through(*engine, poisoned);
        EXPECT_TRUE(finite(out.channel[0]));
        EXPECT_FALSE(std::isfinite(out.channel[1][99]));

        const TStereo<double> input = test::Noise<double>(64, random);
        const TStereo<double> recovered = Through(*engine, input);
        EXPECT_EQ(recovered.channel[1], Through(*fresh, input).channel[1]);
        EXPECT_TRUE(finite(recovered.channel[0]));  // never saw the bad sample, kept its states
    }
}

// Outputs may be the input arrays, also crosswise: every frame's inputs are
// read before that frame's outputs are written.
TEST_P(OrvaneAudioEngine, InPlaceAndSwappedBuffersWork) {
    std::mt19937 random(37);
    TReferenceEqualiser reference(44100.0);
    reference.SetAll(test::RandomSettings(random, false));
    for (const bool swapped : {false, true}) {
        for (const int frames : {3, 64, 515}) {
            TStereo<double> buffers = test::Noise<double>(frames, random);
            const TStereo<double> expected = Through(*Engine(reference), buffers);
            std::array<double*, 2> outputs = buffers.pointers;
            if (swapped) std::swap(outputs[0], outputs[1]);
            Engine(reference)->Process(buffers.In(), outputs.data(), frames);
            EXPECT_EQ(buffers.channel[swapped ? 1 : 0], expected.channel[0]);
            EXPECT_EQ(buffers.channel[swapped ? 0 : 1], expected.channel[1]);
        }
    }
}

// The output gain after the bands: a steady factor is the reference times
// that factor on every number of active bands, both widths, every block
// length; a jump glides, and gliding back to 1 gives the plain output bit
// for bit again.
TEST_P(OrvaneAudioEngine, OutputGainScalesGlidesAndReturnsExactly) {
    std::mt19937 random(41);
    constexpr double kFactor = 0.5011872336272722;  // -6 dB
    constexpr int kGlideFrames = 240;               // 5 ms at 48 kHz
    for (int active = 0; active <= kBands; ++active) {
        SCOPED_TRACE(active);
        TReferenceEqualiser reference(48000.0);
        test::TBandSettings settings = test::RandomSettings(random, false);
        for (int b = active; b < kBands; ++b) settings[static_cast<std::size_t>(b)].kind = TBandKind::Bypass;
        reference.SetAll(settings);
        const auto engine = Engine(reference);
        const auto plain = Engine(reference);
        engine->SetSampleRate(48000.0);
        engine->SetOutputGain(kFactor);
        const TStereo<double> input = test::Noise<double>(kGlideFrames, random);
        Through(*plain, input);
        Through(*engine, input);  // the glide
        for (const int frames : {3, 64, 1031}) {
            const TStereo<double> wide = test::Noise<double>(frames, random);
            const TStereo<double> out = Through(*engine, wide);
            const TStereo<double> expected = Through(*plain, wide);
            for (std::size_t ch = 0; ch < 2; ++ch)
                for (std::size_t n = 0; n < out.channel[ch].size(); ++n)
                    ASSERT_NEAR(out.channel[ch][n], kFactor * expected.channel[ch][n], 1e-12) << frames << " " << n;
            TStereo<float> narrow(frames);
            for (std::size_t ch = 0; ch < 2; ++ch)
                std::copy(wide.channel[ch].begin(), wide.channel[ch].end(), narrow.channel[ch].begin());
            const TStereo<float> narrowOut = Through(*engine, narrow);
            const TStereo<float> narrowExpected = Through(*plain, narrow);
            for (std::size_t ch = 0; ch < 2; ++ch)
                for (std::size_t n = 0; n < narrowOut.channel[ch].size(); ++n)
                    ASSERT_NEAR(narrowOut.channel[ch][n], kFactor * static_cast<double>(narrowExpected.channel[ch][n]),
                                1e-6);
        }

        // Back to 1: after the glide, the plain output bit for bit.
        engine->SetOutputGain(1.0);
        Through(*engine, input);
        Through(*plain, input);
        const TStereo<double> tail = test::Noise<double>(100, random);
        EXPECT_EQ(Through(*engine, tail).channel, Through(*plain, tail).channel);
    }

    // A jump to -40 dB on a constant, in blocks of 64: no step in the output
    // larger than the change spread over the glide.
    TReferenceEqualiser bypass(48000.0);
    bypass.SetAll({});
    const auto level = Engine(bypass);
    level->SetSampleRate(48000.0);
    level->SetOutputGain(0.01);
    const TStereo<double> constant(5 * 64, 0.5);  // the glide and some frames after it
    TStereo<double> dropped(constant.Frames());
    for (int done = 0; done < constant.Frames(); done += 64) {
        const std::array<const double*, 2> in{constant.channel[0].data() + done, constant.channel[1].data() + done};
        const std::array<double*, 2> o{dropped.channel[0].data() + done, dropped.channel[1].data() + done};
        level->Process(in.data(), o.data(), 64);
    }
    const double step = 0.5 * (1.0 - 0.01) / kGlideFrames;
    double previous = 0.5;
    for (const double v : dropped.channel[1]) {
        ASSERT_LE(std::abs(v - previous), step * (1.0 + 1e-9));
        previous = v;
    }
    EXPECT_DOUBLE_EQ(dropped.channel[1].back(), 0.005);
}

INSTANTIATE_TEST_SUITE_P(Kernels, OrvaneAudioEngine,
                         ::testing::Values(TCascadeKernel::Sse2, TCascadeKernel::Avx2Fma, TCascadeKernel::Avx512),
                         [](const ::testing::TestParamInfo<TCascadeKernel>& kernel) {
                             return std::string(test::KernelName(kernel.param));
                         });

TEST(OrvaneAudioEngineControl, RejectsBadPublications) {
    TOrvaneAudioEngine engine;
    const TBiquadCoefficients half{.b0 = 0.5};
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(engine.PublishBand(-1, {TBandKind::Peak, half}));
    EXPECT_FALSE(engine.PublishBand(kBands, {TBandKind::Peak, half}));
    EXPECT_FALSE(engine.PublishBand(0, {static_cast<TBandKind>(8), half}));
    EXPECT_FALSE(engine.PublishBand(0, {TBandKind::Peak, {.b0 = nan}}));
    EXPECT_FALSE(engine.PublishBand(0, {TBandKind::Peak, {.b0 = 1.0, .a2 = std::numeric_limits<double>::infinity()}}));
    std::array<TEngineBand, kBands> all{};
    all[6] = {TBandKind::Peak, {.b1 = nan}};
    EXPECT_FALSE(engine.PublishBands(all));

    // Nothing of that reached the audio path: still all Bypass.
    TStereo<double> signal(4, 0.25);
    engine.Process(signal.In(), signal.Out(), 4);
    EXPECT_EQ(signal.channel[0], std::vector<double>(4, 0.25 + 1e-30));
    ASSERT_TRUE(engine.PublishBand(0, {TBandKind::Peak, half}));
    engine.Process(signal.In(), signal.Out(), 4);
    EXPECT_EQ(signal.channel[0][0], 0.5 * (0.25 + 1e-30 + 1e-30));
}

// All seven bands in one publication act as publishing each band.
TEST(OrvaneAudioEngineControl, PublishBandsMatchesPublishingEachBand) {
    std::mt19937 random(43);
    TReferenceEqualiser reference(44100.0);
    reference.SetAll(test::RandomSettings(random));
    TOrvaneAudioEngine oneByOne;
    TOrvaneAudioEngine together;
    test::PublishAll(oneByOne, reference);
    std::array<TEngineBand, kBands> all{};
    for (int band = 0; band < kBands; ++band) all[static_cast<std::size_t>(band)] = reference.EngineBand(band);
    ASSERT_TRUE(together.PublishBands(all));
    const TStereo<double> input = test::Noise<double>(100, random);
    EXPECT_EQ(Through(oneByOne, input).channel, Through(together, input).channel);
}

TEST(OrvaneAudioEngineControl, KernelSelection) {
    TOrvaneAudioEngine engine;
    EXPECT_EQ(engine.Kernel(), FastestCascadeKernel());
    EXPECT_TRUE(engine.SelectKernel(TCascadeKernel::Sse2));
    EXPECT_EQ(engine.Kernel(), TCascadeKernel::Sse2);
    for (const TCascadeKernel k : {TCascadeKernel::Avx2Fma, TCascadeKernel::Avx512}) {
        EXPECT_EQ(engine.SelectKernel(k), CascadeKernelSupported(k));
    }
}

}  // namespace
}  // namespace tessel
