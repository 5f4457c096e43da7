// Coefficients and responses of the eight band kinds, and their identity.
#include <gtest/gtest.h>

#include <limits>

#include "dsp/OrvBypass.h"
#include "tests/dsp/TestFilters.h"

namespace tessel {
namespace {

using namespace test;
constexpr double kSilent = std::numeric_limits<double>::quiet_NaN();

// 44100 Hz, 1000 Hz, 1 octave, +6 dB: b0, b1, b2, a1, a2 and the response in
// dB at 100 / 1000 / 10000 Hz to three decimals (kSilent: no sound at all).
// Lowcut at 10 kHz evaluates to +0.04447 dB, hence 0.044.
struct TReference {
    TBandKind kind;
    const char* coefficients[5];
    double db[3];
};
const TReference kReference[] = {
    {TBandKind::Lowcut,
     {"0.947333316835", "-1.89466663367", "0.947333316835", "-1.88501887496", "0.904314392378"},
     {-39.964, 3.003, 0.044}},
    {TBandKind::Lowshelf,
     {"1.02018706484", "-1.89811604038", "0.905432062426", "-1.9049754861", "0.918759681541"},
     {6.046, 3.000, -0.031}},
    {TBandKind::Bandpass,
     {"0.0478428038112", "0", "-0.0478428038112", "-1.88501887496", "0.904314392378"},
     {-22.952, 0.000, -24.616}},
    {TBandKind::Peak,
     {"1.03418733669", "-1.91173090449", "0.897112516133", "-1.91173090449", "0.93129985282"},
     {0.033, 6.000, 0.022}},
    {TBandKind::Notch,
     {"0.952157196189", "-1.88501887496", "0.952157196189", "-1.88501887496", "0.904314392378"},
     {-0.022, kSilent, -0.015}},
    {TBandKind::Highshelf,
     {"1.95578092382", "-3.72571471605", "1.79689265873", "-1.86055685844", "0.887515724943"},
     {-0.046, 3.000, 6.031}},
    {TBandKind::Highcut,
     {"0.00482387935408", "0.00964775870816", "0.00482387935408", "-1.88501887496", "0.904314392378"},
     {0.065, 3.003, -43.272}},
    {TBandKind::Bypass, {"1", "0", "0", "0", "0"}, {0.0, 0.0, 0.0}},
};

TEST(BandKinds, ReferenceTable) {
    for (const TReference& row : kReference) {
        SCOPED_TRACE(BandKindInfo(row.kind).displayName);
        const auto filter = Band(row.kind);
        const TBiquadCoefficients& k = filter->Coefficients();
        const double actual[5] = {k.b0, k.b1, k.b2, k.a1, k.a2};
        for (int i = 0; i < 5; ++i) EXPECT_TRUE(MatchesPrinted(actual[i], row.coefficients[i])) << actual[i];
        const double frequenciesHz[3] = {100.0, 1000.0, 10000.0};
        for (int i = 0; i < 3; ++i) {
            const double db = filter->MagnitudeDb(frequenciesHz[i]);
            if (std::isnan(row.db[i]))
                EXPECT_LT(db, -120.0);
            else
                EXPECT_NEAR(db, row.db[i], 0.0005) << frequenciesHz[i];
        }
    }
}

TEST(BandKinds, PeakWorkedExample) {
    const auto peak = Band(TBandKind::Peak);
    const TBiquadCoefficients& k = peak->Coefficients();
    EXPECT_TRUE(MatchesPrinted(peak->GainFactor(), "1.4125375747680664"));
    EXPECT_TRUE(MatchesPrinted(k.b0, "1.0341873366861107"));
    EXPECT_TRUE(MatchesPrinted(k.b1, "-1.911730904490752") && k.a1 == k.b1);
    EXPECT_TRUE(MatchesPrinted(k.b2, "0.89711251613343"));
    EXPECT_TRUE(MatchesPrinted(k.a2, "0.931299852819541"));
    EXPECT_TRUE(MatchesPrinted(20.0 * std::log10(peak->Magnitude(1000.0)), "6.0000004"));
}

TEST(BandKinds, NumbersNamesAndClassesAgree) {
    const char* names[] = {"Lowcut", "Lowshelf", "Bandpass", "Peak", "Notch", "Highshelf", "Highcut", "Bypass"};
    for (int number = 0; number < 8; ++number) {
        const TBandKind kind = BandKindFromNumber(number).value();
        EXPECT_EQ(CreateBandFilter(kind)->Kind(), kind);
        EXPECT_EQ(BandKindNumber(kind), number);
        EXPECT_EQ(BandKindInfo(kind).displayName, names[number]);
    }
    EXPECT_FALSE(BandKindFromNumber(-1) || BandKindFromNumber(8));
    EXPECT_EQ(CreateBandFilter(static_cast<TBandKind>(8)), nullptr);
}

TEST(BandKinds, PeakAndShelvesAreFlatAtZeroGain) {
    for (TBandKind kind : {TBandKind::Peak, TBandKind::Lowshelf, TBandKind::Highshelf}) {
        const auto filter = Band(kind, 700.0, 2.5, 0.0);
        const TBiquadCoefficients& k = filter->Coefficients();
        EXPECT_NEAR(k.b0, 1.0, 1e-14);
        EXPECT_NEAR(k.b1, k.a1, 1e-14);
        EXPECT_NEAR(k.b2, k.a2, 1e-14);
        for (double f = 20.0; f < 22000.0; f *= 1.3) EXPECT_NEAR(filter->MagnitudeDb(f), 0.0, 1e-9);
    }
}

// The kind table says which parameters each kind's coefficients depend on.
TEST(BandKinds, CoefficientsDependOnlyOnTheParametersTheKindUses) {
    for (const auto& info : kBandKinds) {
        const auto reference = Band(info.kind, 2000.0, 1.0, -15.0);
        EXPECT_EQ(reference->Coefficients() == Band(info.kind, 2000.0, 1.0, 15.0)->Coefficients(), !info.usesGain);
        EXPECT_EQ(reference->Coefficients() == Band(info.kind, 2000.0, 3.0, -15.0)->Coefficients(),
                  !info.usesBandwidth);
    }
}

TEST(BandKinds, CutFiltersPeakAboveUnityAtTheirFrequency) {
    for (TBandKind kind : {TBandKind::Lowcut, TBandKind::Highcut}) {
        const double octave = Band(kind, 1000.0, 1.0)->MagnitudeDb(1000.0);
        EXPECT_NEAR(octave, 3.0, 0.01);
        EXPECT_GT(Band(kind, 1000.0, 0.5)->MagnitudeDb(1000.0), octave);
        EXPECT_LT(Band(kind, 1000.0, 2.0)->MagnitudeDb(1000.0), octave);
    }
}

TEST(BandKinds, BypassWideEntryPassesSamplesBitExactly) {
    TOrvBypass bypass;
    bypass.SetFrequency(500.0);
    using Limits = std::numeric_limits<TWideSample>;
    const TWideSample beyondDouble = 1.0L + 0x1p-60L;  // would round away in double
    for (TWideSample x : {beyondDouble, -beyondDouble, Limits::denorm_min(), Limits::infinity(), Limits::max()})
        EXPECT_EQ(bypass.ProcessSample(x), x);
    EXPECT_EQ(bypass.ProcessSample(0.25), 0.25);
}

// A host at 32 kHz puts the equaliser's 20 Hz..20 kHz range on and above the
// Nyquist frequency, where SinW0 comes close to 0: every kind must stay
// finite and stable there.
TEST(BandKinds, StayFiniteAndStableAroundTheNyquistFrequency) {
    for (const auto& info : kBandKinds) {
        for (double frequencyHz : {15999.999, 16000.0, 19999.0, 32000.0, 48000.0}) {
            for (double octaves : {0.1, 10.0}) {
                SCOPED_TRACE(std::string(info.displayName) + " at " + std::to_string(frequencyHz));
                auto filter = CreateBandFilter(info.kind);
                filter->SetSampleRate(32000.0);
                filter->SetFrequency(frequencyHz);
                filter->SetBandwidth(octaves);
                filter->SetGain(15.0);
                const TBiquadCoefficients& k = filter->Coefficients();
                EXPECT_TRUE(std::isfinite(k.b0) && std::isfinite(k.b1) && std::isfinite(k.b2));
                EXPECT_TRUE(k.a2 < 1.0 && std::fabs(k.a1) < 1.0 + k.a2);  // poles inside the unit circle
                double y = 0.0;
                for (double x : Noise(4096)) y = filter->ProcessSample(x);
                EXPECT_TRUE(std::isfinite(y));
            }
        }
    }
}

// Next to its centre the expanded |B|^2 of a notch rounds below zero; the
// response must then read as silence rather than NaN.
TEST(BandKinds, NotchResponseIsNeverNaN) {
    std::mt19937 generator(11);
    std::uniform_real_distribution<double> logFrequency(std::log(20.0), std::log(20000.0));
    std::uniform_real_distribution<double> octaves(0.1, 10.0);
    for (int trial = 0; trial < 500; ++trial) {
        const double centreHz = std::exp(logFrequency(generator));
        const auto notch = Band(TBandKind::Notch, centreHz, octaves(generator), 0.0);
        for (double f : {centreHz, centreHz * (1 + 1e-9), centreHz * (1 - 1e-9)})
            ASSERT_FALSE(std::isnan(notch->Magnitude(f)) || std::isnan(notch->MagnitudeDb(f))) << centreHz;
    }
}

}  // namespace
}  // namespace tessel
