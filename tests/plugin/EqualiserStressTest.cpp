// The equaliser under concurrent use, as hosts produce it: automation from the
// audio thread, edits, program and snapshot switches from the UI thread, and
// audio processing, all at once. Run under ThreadSanitizer.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

#include "plugin/OrvaneModule.h"

namespace tessel {
namespace {

using TModule = std::unique_ptr<TOrvaneModule, TModuleDeleter>;
constexpr int kFrames = 256;

// Steady-state output of a sine through the module, channel 0.
std::vector<double> SteadyState(TOrvaneModule& m) {
    std::vector<double> out;
    std::vector<double> inL(kFrames), inR(kFrames), outL(kFrames), outR(kFrames);
    double* in[] = {inL.data(), inR.data()};
    double* o[] = {outL.data(), outR.data()};
    for (int block = 0; block < 200; ++block) {
        for (int n = 0; n < kFrames; ++n)
            inL[static_cast<std::size_t>(n)] = inR[static_cast<std::size_t>(n)] =
                0.5 * std::sin(0.05 * (block * kFrames + n));
        m.VSTModuleProcessDoubleReplacing(in, o, kFrames);
        if (block >= 190) out.insert(out.end(), outL.begin(), outL.end());
    }
    return out;
}

// Filter tails from the storm can ring for longer than any test should wait
// (a 0.01-octave band at 20 Hz barely decays in a second), so both instances
// restart every band from silence: a change of kind clears a band's states.
void RestartBands(TOrvaneModule& m) {
    for (int band = 0; band < TOrvaneModule::kBandCount; ++band) {
        const auto type = static_cast<std::int32_t>(band * TOrvaneModule::kParametersPerBand);
        const float final = m.ReadParameter(type);
        m.AutomateParameter(type, m.FilterKind(band) == 0 ? 1.0f : 0.0f);
        m.AutomateParameter(type, final);
    }
}

TEST(EqualiserStress, ConcurrentEditsProcessingAndSwitchesStayConsistent) {
    TModule m = CreateModule<TOrvaneModule>();
    m->VSTModuleOpen(*m);
    AEffect* effect = m->GetEffectRecord();
    std::atomic<bool> stop{false};
    std::atomic<bool> nonFinite{false};
    std::atomic<int> blocks{0};

    std::thread audio([&] {
        std::vector<float> inL(kFrames, 0.1f), inR(kFrames, -0.1f), outL(kFrames), outR(kFrames);
        float* in[] = {inL.data(), inR.data()};
        float* out[] = {outL.data(), outR.data()};
        std::mt19937 random(1);
        while (!stop.load()) {
            // Hosts also automate from the audio thread, between blocks.
            effect->setParameter(effect, static_cast<int32_t>(random() % 29),
                                 std::uniform_real_distribution<float>(0.0f, 1.0f)(random));
            effect->processReplacing(effect, in, out, kFrames);
            for (float s : outL)
                if (!std::isfinite(s)) nonFinite = true;
            ++blocks;
        }
    });
    std::thread editor([&] {
        std::mt19937 random(2);
        // Keep editing until the audio thread has been through plenty of blocks.
        for (int i = 0; i < 3000 || blocks.load() < 500; ++i) {
            const auto index = static_cast<int32_t>(random() % 28);
            const float natural = m->NormalizedToParameter(index, std::uniform_real_distribution<float>(0, 1)(random));
            m->AutomateParameter(index, natural);
            if (i % 97 == 0) m->SelectSnapshot(static_cast<int>(random() % 6));
            if (i % 131 == 0)
                effect->dispatcher(effect, effSetProgram, 0, static_cast<intptr_t>(random() % 4), nullptr, 0);
            if (i % 53 == 0) m->TotalResponseDb(1000.0);
        }
    });
    editor.join();
    stop = true;
    audio.join();
    EXPECT_FALSE(nonFinite.load());

    // After the storm: the same final parameters on a fresh instance sound the same.
    TModule fresh = CreateModule<TOrvaneModule>();
    fresh->SetCurrentProgram(m->CurrentProgram());
    for (int32_t j = 0; j < 29; ++j) fresh->AutomateParameter(j, m->ReadParameter(j));
    RestartBands(*m);
    RestartBands(*fresh);
    const auto expected = SteadyState(*fresh);
    const auto actual = SteadyState(*m);
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t n = 0; n < expected.size(); ++n) ASSERT_NEAR(actual[n], expected[n], 1e-9) << n;
}

}  // namespace
}  // namespace tessel
