// The equaliser seen from a host: its parameters, its initial state, and the
// sound it makes.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "tests/plugin/EqualiserFixture.h"

namespace tessel {
namespace {

using test::TEqualiser;

TEST(EqualiserParameters, NamesLabelsAndCounts) {
    TEqualiser eq;
    auto& p = eq.Plugin();
    ASSERT_EQ(p.Record().numParams, 29);
    ASSERT_EQ(p.Record().numPrograms, 4);
    const std::array<const char*, 4> fields = {"Type", "Gain", "Frequency", "Bandwidth"};
    const std::array<const char*, 4> units = {"", "dB", "Hz", "Oct"};
    for (int band = 0; band < 7; ++band)
        for (int field = 0; field < 4; ++field) {
            const int index = 4 * band + field;
            EXPECT_EQ(p.GetParamName(index), "Filter " + std::to_string(band + 1) + " " + fields[field]);
            EXPECT_EQ(p.GetParamLabel(index), units[field]);
            EXPECT_EQ(p.CanBeAutomated(index), 1);
        }
    EXPECT_EQ(p.GetParamName(28), "Volume");
    EXPECT_EQ(p.GetParamLabel(28), "dB");
    EXPECT_EQ(p.GetParamName(29), "undefined");
    EXPECT_EQ(p.GetProgramNameIndexed(3), "Init");
    VstParameterProperties properties{};
    EXPECT_EQ(p.GetParameterProperties(1, properties), 0);  // the equaliser reports none
}

TEST(EqualiserParameters, InitialSettingAndDisplays) {
    TEqualiser eq;
    auto& p = eq.Plugin();
    const std::array<const char*, 7> kinds = {"Bypass", "Lowshelf", "Peak", "Peak", "Peak", "Highshelf", "Bypass"};
    const std::array<const char*, 7> frequencies = {"20", "100", "500", "1500", "4000", "8000", "16000"};
    for (int band = 0; band < 7; ++band) {
        EXPECT_EQ(p.GetParamDisplay(4 * band), kinds[static_cast<std::size_t>(band)]) << band;
        EXPECT_EQ(p.GetParamDisplay(4 * band + 1), "0") << band;
        EXPECT_EQ(p.GetParamDisplay(4 * band + 2), frequencies[static_cast<std::size_t>(band)]) << band;
        EXPECT_EQ(p.GetParamDisplay(4 * band + 3), "1.00") << band;
    }
    EXPECT_EQ(p.GetParamDisplay(28), "0");
    // Normalised values of the initial natural ones.
    EXPECT_FLOAT_EQ(p.GetParameter(0), 7.0f / 8.0f);
    EXPECT_FLOAT_EQ(p.GetParameter(1), 0.5f);
    EXPECT_FLOAT_EQ(p.GetParameter(2), 0.0f);
    EXPECT_NEAR(p.GetParameter(6), 0.23307216f, 1e-6);
    EXPECT_FLOAT_EQ(p.GetParameter(28), 40.0f / 46.0f);
}

TEST(EqualiserParameters, BandwidthAndTypeDisplays) {
    TEqualiser eq;
    auto& p = eq.Plugin();
    p.SetParameter(3, 0.0f);
    EXPECT_EQ(p.GetParamDisplay(3), "0.10");
    p.SetParameter(3, 1.0f);
    EXPECT_EQ(p.GetParamDisplay(3), "10.00");
    eq.Set(4, 2.5);
    EXPECT_EQ(p.GetParamDisplay(4), "Bandpass");  // ties round to even
    eq.Set(4, 3.5);
    EXPECT_EQ(p.GetParamDisplay(4), "Notch");
    p.SetParameter(4, 1.0f);  // natural 8: no kind of its own
    EXPECT_EQ(p.GetParamDisplay(4), "8");
}

// A host offers the displayed text for editing and sends back what the user
// typed: every display reads back as the value it shows, values beyond the
// range are limited to it, and indices outside the parameters are refused.
TEST(EqualiserParameters, TypedTextReadsBackAsDisplayed) {
    TEqualiser eq;
    auto& p = eq.Plugin();
    p.SetParameter(11, 0.3f);
    p.SetParameter(13, 0.8f);
    p.SetParameter(14, 0.9f);
    for (int i = 0; i < 29; ++i) {
        const std::string shown = p.GetParamDisplay(i);
        const std::string withUnit = shown + " " + p.GetParamLabel(i);
        EXPECT_EQ(p.String2Parameter(i, i % 4 == 3 ? withUnit : shown), 1) << i << " " << shown;
        EXPECT_EQ(p.GetParamDisplay(i), shown) << i;
    }
    const std::vector<std::tuple<int, const char*, const char*>> typed = {
        {12, "peak", "Peak"},   {12, " HIGHSHELF ", "Highshelf"},
        {12, "2", "Bandpass"},  {15, "1.00", "1.00"},
        {15, "2 oct", "2.00"},  {15, "0.35Oct", "0.35"},
        {15, "50", "10.00"},    {13, "100", "15"},
        {13, "-1e6", "-15"},    {14, "1e30", "20000"},
        {14, "1", "20"},        {28, "99", "6"},
        {14, "12345", "12345"}, {14, "1234.56", "1234.6"},
    };
    for (const auto& [index, text, shown] : typed) {
        EXPECT_EQ(p.String2Parameter(index, text), 1) << text;
        EXPECT_EQ(p.GetParamDisplay(index), shown) << text;
    }
    p.String2Parameter(15, "1.00 Oct");
    EXPECT_EQ(p.GetParameter(15), 0.5f);  // exactly one octave
    for (const char* refused : {"0", "-1", "Peak", "wide", ""}) EXPECT_EQ(p.String2Parameter(15, refused), 0);
    for (const char* refused : {"Peaks", "Oct", "3 dB"}) EXPECT_EQ(p.String2Parameter(12, refused), 0);
    EXPECT_EQ(p.GetParamDisplay(15), "1.00");
    EXPECT_EQ(p.GetParamDisplay(12), "Bandpass");
    for (int index : {29, 1000, std::numeric_limits<int>::max(), -1, std::numeric_limits<int>::min()})
        EXPECT_EQ(p.String2Parameter(index, "1"), 0) << index;
}

TEST(EqualiserParameters, NormalisedRoundTrips) {
    TEqualiser eq;
    auto& p = eq.Plugin();
    for (int index : {1, 2, 3, 28})
        for (float n : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f}) {
            p.SetParameter(index, n);
            EXPECT_NEAR(p.GetParameter(index), n, 2e-6) << index << " " << n;
        }
}

TEST(EqualiserSound, AFreshInstancePassesAudioUnchanged) {
    for (bool wide : {false, true}) {
        TEqualiser eq;
        const auto in = eq.Sine(997.0, 4096);
        const auto out = eq.Run(in, wide);
        for (std::size_t c = 0; c < 2; ++c)
            for (std::size_t n = 0; n < in.size(); ++n) ASSERT_NEAR(out[c][n], in[n], 1e-6) << c << " " << n;
    }
}

struct TReference {
    int kind;
    std::array<double, 3> db;  // at 100, 1000, 10000 Hz
};

TEST(EqualiserSound, EveryKindMatchesItsReferenceResponse) {
    // 44.1 kHz, 1000 Hz, one octave, +6 dB; a quiet Notch centre reads as below -60 dB.
    const std::array<TReference, 8> references = {{
        {0, {-39.964, 3.003, 0.044}},
        {1, {6.046, 3.000, -0.031}},
        {2, {-22.952, 0.000, -24.616}},
        {3, {0.033, 6.000, 0.022}},
        {4, {-0.022, -1000.0, -0.015}},
        {5, {-0.046, 3.000, 6.031}},
        {6, {0.065, 3.003, -43.272}},
        {7, {0.0, 0.0, 0.0}},
    }};
    const std::array<double, 3> frequencies = {100.0, 1000.0, 10000.0};
    for (const auto& r : references) {
        TEqualiser eq;
        eq.BypassAll();
        eq.SetBand(3, {r.kind, 6.0, 1000.0, 0.5});
        for (std::size_t f = 0; f < 3; ++f) {
            const double measured = eq.GainDb(frequencies[f], static_cast<int>(f % 2), f == 2);
            if (r.db[f] < -100.0)
                EXPECT_LT(measured, -60.0) << "kind " << r.kind;
            else
                EXPECT_NEAR(measured, r.db[f], 0.002) << "kind " << r.kind << " at " << frequencies[f] << " Hz";
        }
    }
}

// Volume is the output gain of both channels, after the bands, on both
// widths; at 0 dB, also after a trip elsewhere, the output is exactly that
// of an instance whose volume never moved.
TEST(EqualiserSound, VolumeIsTheOutputGain) {
    for (const bool wide : {false, true}) {
        for (const double volume : {-6.0, 6.0, -40.0}) {
            TEqualiser eq;
            eq.SetBand(2, {3, 9.0, 700.0, 0.3});
            const double plain = eq.GainDb(1000.0, 1, wide);
            eq.Set(28, volume);
            EXPECT_NEAR(eq.GainDb(1000.0, 0, wide) - plain, volume, 0.01) << wide;
            EXPECT_NEAR(eq.GainDb(1000.0, 1, wide) - plain, volume, 0.01) << wide;
        }
        TEqualiser moved, still;
        for (auto* eq : {&moved, &still}) eq->SetBand(2, {3, 9.0, 700.0, 0.3});
        const auto signal = still.Sine(440.0, 4096);
        moved.Set(28, -12.0);
        moved.Run(signal, wide);
        moved.Set(28, 0.0);
        moved.Run(signal, wide);
        still.Run(signal, wide);
        still.Run(signal, wide);
        EXPECT_EQ(moved.Run(signal, wide), still.Run(signal, wide)) << wide;
    }
}

TEST(EqualiserSound, SingleAndDoublePrecisionAgree) {
    TEqualiser single, wide;
    for (auto* eq : {&single, &wide}) {
        eq->SetBand(1, {1, -6.0, 200.0, 0.4});
        eq->SetBand(3, {3, 4.5, 2500.0, 0.6});
        eq->SetBand(5, {6, 0.0, 9000.0, 0.5});
    }
    const auto in = single.Sine(1234.5, 8192);
    const auto a = single.Run(in, false);
    const auto b = wide.Run(in, true);
    for (std::size_t c = 0; c < 2; ++c)
        for (std::size_t n = 0; n < in.size(); ++n) ASSERT_NEAR(a[c][n], b[c][n], 1e-6);
}

TEST(EqualiserSound, InputsAreNeverModifiedAndInPlaceWorks) {
    TEqualiser separate, inPlace;
    for (auto* eq : {&separate, &inPlace}) eq->SetBand(3, {3, 12.0, 3000.0, 0.2});
    const auto signal = separate.Sine(3000.0, 512);

    host::TAudioBuffers<float> in(2, 512), out(2, 512);
    for (std::size_t c = 0; c < 2; ++c)
        for (std::size_t n = 0; n < 512; ++n) in.Channel(c)[n] = static_cast<float>(signal[n]);
    separate.Plugin().ProcessReplacing(in, out);
    for (std::size_t n = 0; n < 512; ++n) ASSERT_EQ(in.Channel(0)[n], static_cast<float>(signal[n]));

    host::TAudioBuffers<float> shared(2, 512);
    for (std::size_t c = 0; c < 2; ++c)
        for (std::size_t n = 0; n < 512; ++n) shared.Channel(c)[n] = static_cast<float>(signal[n]);
    inPlace.Plugin().ProcessReplacing(shared.Pointers(), shared.Pointers(), 512);
    for (std::size_t c = 0; c < 2; ++c)
        for (std::size_t n = 0; n < 512; ++n) ASSERT_EQ(shared.Channel(c)[n], out.Channel(c)[n]);
}

TEST(EqualiserSound, ZeroFramesLeaveTheOutputsAlone) {
    TEqualiser eq;
    host::TAudioBuffers<float> in(2, 8, 0.5f), out(2, 8, 0.25f);
    eq.Plugin().ProcessReplacing(in, out, 0);
    for (std::size_t c = 0; c < 2; ++c)
        for (float s : out.Channel(c)) EXPECT_EQ(s, 0.25f);
}

TEST(EqualiserSound, ProgramSwitchReplaysTheStoredValues) {
    TEqualiser eq;
    eq.SetBand(3, {3, 12.0, 1000.0, 0.5});
    const double boosted = eq.GainDb(1000.0);
    eq.Plugin().SetProgram(1);
    EXPECT_NEAR(eq.GainDb(1000.0), 0.0, 1e-3);
    eq.Plugin().SetProgram(0);
    EXPECT_NEAR(eq.GainDb(1000.0), boosted, 1e-6);
    EXPECT_NEAR(boosted, 12.0, 0.01);
}

// Every program starts from the start-up setting, and stays there when a host
// saves and restores it through the normalised values: no program may hide
// resonant Lowcut bands at the bottom of the range.
TEST(EqualiserSound, EveryProgramStartsFlatAndSurvivesAHostRestore) {
    TEqualiser eq;
    auto& p = eq.Plugin();
    std::vector<std::string> startUp;
    for (int i = 0; i < 29; ++i) startUp.push_back(p.GetParamDisplay(i));
    for (int program = 1; program < 4; ++program) {
        p.SetProgram(program);
        std::vector<float> saved;
        for (int i = 0; i < 29; ++i) {
            EXPECT_EQ(p.GetParamDisplay(i), startUp[static_cast<std::size_t>(i)]) << program << " #" << i;
            saved.push_back(p.GetParameter(i));
        }
        for (int i = 0; i < 29; ++i) p.SetParameter(i, saved[static_cast<std::size_t>(i)]);
        for (double hz : {20.0, 100.0, 1000.0})
            EXPECT_NEAR(eq.GainDb(hz), 0.0, 0.01) << "program " << program << " at " << hz << " Hz";
    }
}

// Normalised values beyond 0..1 map to natural values beyond the range; they
// are stored, shown and played at the range's ends.
TEST(EqualiserSound, ValuesBeyondTheRangeAreLimitedToIt) {
    TEqualiser eq;
    auto& p = eq.Plugin();
    eq.BypassAll();
    eq.SetBand(3, {3, 0.0, 1000.0, 0.5});
    p.SetParameter(13, 1.5f);   // +30 dB before limiting
    p.SetParameter(15, -0.5f);  // below 0.1 octave
    p.SetParameter(19, 7.0f);   // a bandwidth of some 10^13 octaves
    EXPECT_EQ(p.GetParamDisplay(13), "15");
    EXPECT_EQ(p.GetParameter(13), 1.0f);
    EXPECT_EQ(p.GetParamDisplay(15), "0.10");
    EXPECT_EQ(p.GetParamDisplay(19), "10.00");
    p.SetParameter(15, 0.5f);
    EXPECT_NEAR(eq.GainDb(1000.0), 15.0, 0.01);
}

// Hosts call in many orders; all of them must give working audio.
TEST(EqualiserLifecycle, CallOrdersRealHostsUse) {
    for (float rate : {8000.0f, 22050.0f, 44100.0f, 96000.0f, 192000.0f, 384000.0f}) {
        host::TPluginInstance p(TESSEL_PLUGIN_PATH);
        p.SetSampleRate(rate);  // before effOpen, no effStartProcess
        p.SetBlockSize(64);
        p.Open();
        p.MainsChanged(true);
        p.MainsChanged(false);
        p.MainsChanged(true);
        p.String2Parameter(12, "3");
        p.String2Parameter(13, "6");
        p.String2Parameter(14, std::to_string(rate / 8.0f));
        for (int frames : {1, 7, 63, 64, 1000, 4096}) {  // larger than announced too
            host::TAudioBuffers<float> in(2, static_cast<std::size_t>(frames), 0.25f),
                out(2, static_cast<std::size_t>(frames));
            p.ProcessReplacing(in, out);
            for (std::size_t c = 0; c < 2; ++c)
                for (float s : out.Channel(c)) ASSERT_TRUE(std::isfinite(s)) << rate << " " << frames;
        }
    }
}

// Hosts suspend and resume around starts and seeks: nothing played before
// may ring on after the resume, not even a burst at the edge of the float
// range through a narrow +15 dB peak.
TEST(EqualiserLifecycle, ResumeStartsEveryBandFromSilence) {
    TEqualiser eq;
    eq.SetBand(2, {3, 15.0, 1000.0, 0.0});  // Peak, 0.1 octave: it rings on after its input stops
    const auto loudest = [](const std::vector<std::vector<double>>& channels) {
        double peak = 0.0;
        for (const auto& channel : channels)
            for (double s : channel) peak = std::max(peak, std::fabs(s));
        return peak;
    };
    for (double amplitude : {0.5, 1e30}) {
        std::vector<double> burst = eq.Sine(1000.0, 4410);
        for (double& s : burst) s *= amplitude / 0.5;
        eq.Run(burst);
        ASSERT_GT(loudest(eq.Run(std::vector<double>(64, 0.0))), 1e-3 * amplitude) << "no tail to clear";
        eq.Plugin().MainsChanged(false);
        eq.Plugin().MainsChanged(true);
        EXPECT_LT(loudest(eq.Run(std::vector<double>(44100, 0.0))), 1e-9) << amplitude;
        EXPECT_NEAR(eq.GainDb(1000.0), 15.0, 0.05) << "the band itself is kept";
    }
}

}  // namespace
}  // namespace tessel
