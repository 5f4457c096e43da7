// The equaliser module driven directly: band kinds, filter settings, states,
// snapshots, the response the editor plots, and the editor updates.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "framework/CustomVstParameterProperty.h"
#include "plugin/OrvaneModule.h"

namespace tessel {
namespace {

using TModule = std::unique_ptr<TOrvaneModule, TModuleDeleter>;

TModule MakeModule() {
    TModule m = CreateModule<TOrvaneModule>();
    m->SetSampleRate(44100.0f);
    return m;
}

// Runs `frames` samples of a signal through the module; returns channel 0.
std::vector<double> ProcessThrough(TOrvaneModule& m, const std::vector<double>& signal) {
    std::vector<double> inL(signal), inR(signal), outL(signal.size()), outR(signal.size());
    double* in[] = {inL.data(), inR.data()};
    double* out[] = {outL.data(), outR.data()};
    m.VSTModuleProcessDoubleReplacing(in, out, static_cast<std::int32_t>(signal.size()));
    return outL;
}

std::vector<double> Impulse(std::size_t frames) {
    std::vector<double> s(frames, 0.0);
    s[0] = 1.0;
    return s;
}

TEST(OrvaneModule, ShortLabelsAreStoredAsTheyAlwaysWere) {
    auto m = MakeModule();
    EXPECT_EQ(m->DescriptionFailure(), "");  // every row of the shipped description applies
    const auto& parameters = m->ParameterProperties();
    ASSERT_EQ(parameters.Count(), 29);
    EXPECT_EQ(parameters[1].ShortLabel(), "Gain1");
    EXPECT_EQ(parameters[2].ShortLabel(), "Freq1");
    EXPECT_EQ(parameters[3].ShortLabel(), "");
    EXPECT_EQ(parameters[10].ShortLabel(), "Freq2");  // band 3 repeats band 2's label
    EXPECT_EQ(parameters[26].ShortLabel(), "Freq6");
    EXPECT_EQ(parameters[27].ShortLabel(), "BW");
    EXPECT_EQ(parameters[0].ShortLabel(), "");
    EXPECT_EQ(parameters[28].ShortLabel(), "");
    EXPECT_FLOAT_EQ(parameters[11].SmallStepFloat(), 0.01f);
    EXPECT_EQ(parameters[6].MaxInteger(), 20000);
}

TEST(OrvaneModule, CreationBuildsEveryBand) {
    auto m = MakeModule();
    const std::array<int, 7> kinds = {7, 1, 3, 3, 3, 5, 7};
    const std::array<double, 7> frequencies = {20, 100, 500, 1500, 4000, 8000, 16000};
    for (int band = 0; band < 7; ++band) {
        EXPECT_EQ(m->FilterKind(band), kinds[static_cast<std::size_t>(band)]);
        for (int channel = 0; channel < 2; ++channel) {
            const auto s = m->BandSettings(channel, band);
            EXPECT_EQ(s.frequencyHz, frequencies[static_cast<std::size_t>(band)]);
            EXPECT_EQ(s.gainDb, 0.0);
            EXPECT_EQ(s.bandwidthOctaves, 1.0);
            EXPECT_EQ(s.sampleRateHz, 44100.0);
        }
    }
}

TEST(OrvaneModule, TypeValuesRoundToEvenAndEightIsBypass) {
    auto m = MakeModule();
    // 8 is in the range but names no kind; -3 is stored as the range's 0 (Lowcut).
    const std::vector<std::pair<float, int>> cases = {{2.5f, 2}, {3.5f, 4}, {0.49f, 0}, {6.6f, 7},
                                                      {7.5f, 7}, {8.0f, 7}, {-3.0f, 0}, {3.0f, 3}};
    for (const auto& [value, kind] : cases) {
        m->AutomateParameter(8, value);
        EXPECT_EQ(m->FilterKind(2), kind) << value;
    }
}

TEST(OrvaneModule, AKindChangeKeepsSettingsAndClearsStates) {
    auto m = MakeModule();
    m->AutomateParameter(9, 6.0f);
    m->AutomateParameter(10, 1000.0f);
    m->AutomateParameter(11, 0.3f);
    const auto before = m->BandSettings(1, 2);
    m->AutomateParameter(8, 1.0f);  // Peak -> Lowshelf
    const auto after = m->BandSettings(1, 2);
    EXPECT_EQ(after.kind, 1);
    EXPECT_EQ(after.frequencyHz, before.frequencyHz);
    EXPECT_EQ(after.gainDb, before.gainDb);
    EXPECT_EQ(after.bandwidthOctaves, before.bandwidthOctaves);

    // States: an impulse rings; a same-kind write lets it ring on, a new kind starts silent.
    auto ringing = MakeModule();
    auto rewritten = MakeModule();
    auto rebuilt = MakeModule();
    for (auto* module : {ringing.get(), rewritten.get(), rebuilt.get()}) {
        for (int band : {1, 3, 4, 5}) module->AutomateParameter(4 * band, 7.0f);  // only band 3 rings
        module->AutomateParameter(9, 12.0f);
        ProcessThrough(*module, Impulse(64));
    }
    rewritten->AutomateParameter(8, 3.0f);  // the same kind (Peak)
    rebuilt->AutomateParameter(8, 1.0f);
    rebuilt->AutomateParameter(8, 3.0f);  // away and back: fresh states
    const std::vector<double> silence(64, 0.0);
    const auto tail = ProcessThrough(*ringing, silence);
    EXPECT_EQ(ProcessThrough(*rewritten, silence), tail);
    const auto fresh = ProcessThrough(*rebuilt, silence);
    EXPECT_GT(std::fabs(tail[0]), 1e-6);
    EXPECT_LT(std::fabs(fresh[0]), 1e-20);
}

TEST(OrvaneModule, BandwidthParameterSpansTenthToTenOctaves) {
    auto m = MakeModule();
    m->AutomateParameter(15, 0.0f);
    EXPECT_NEAR(m->BandSettings(0, 3).bandwidthOctaves, 0.0999950, 1e-7);
    m->AutomateParameter(15, 1.0f);
    EXPECT_NEAR(m->BandSettings(1, 3).bandwidthOctaves, 10.000498, 1e-6);
    m->AutomateParameter(15, 0.5f);
    EXPECT_EQ(m->BandSettings(1, 3).bandwidthOctaves, 1.0);
}

TEST(OrvaneModule, TotalResponseIsHalfTheCombinedGain) {
    auto m = MakeModule();
    for (int band = 0; band < 7; ++band) m->AutomateParameter(4 * band, 7.0f);
    for (double f : {20.0, 1000.0, 19000.0}) EXPECT_NEAR(m->TotalResponseDb(f), 0.0, 1e-12);
    m->AutomateParameter(12, 3.0f);
    m->AutomateParameter(13, 6.0f);
    m->AutomateParameter(14, 2000.0f);
    EXPECT_NEAR(m->TotalResponseDb(2000.0), 3.0, 1e-6);  // the gain factor is rounded through 32 bits
}

TEST(OrvaneModule, SnapshotsRoundTripEveryParameter) {
    auto m = MakeModule();
    m->VSTModuleOpen(*m);
    std::vector<float> original;
    for (int j = 0; j < 29; ++j) original.push_back(m->ReadParameter(j));

    m->SelectSnapshot(1);
    m->AutomateParameter(8, 0.0f);
    m->AutomateParameter(9, -7.5f);
    m->AutomateParameter(26, 300.0f);
    m->AutomateParameter(24, 2.0f);
    std::vector<float> edited;
    for (int j = 0; j < 29; ++j) edited.push_back(m->ReadParameter(j));

    m->SelectSnapshot(0);
    for (int j = 0; j < 29; ++j) EXPECT_EQ(m->ReadParameter(j), original[static_cast<std::size_t>(j)]) << j;
    EXPECT_EQ(m->FilterKind(2), 3);
    EXPECT_EQ(m->FilterKind(6), 7);
    m->SelectSnapshot(1);
    for (int j = 0; j < 29; ++j) EXPECT_EQ(m->ReadParameter(j), edited[static_cast<std::size_t>(j)]) << j;
    EXPECT_EQ(m->FilterKind(2), 0);
    EXPECT_EQ(m->FilterKind(6), 2);

    // Selecting the current slot does nothing; storing into it changes nothing else.
    m->AutomateParameter(1, 3.0f);
    m->SelectSnapshot(1);
    EXPECT_EQ(m->ReadParameter(1), 3.0f);
    m->StoreSnapshot(1);
    EXPECT_EQ(m->Snapshot(1)[1], 3.0f);
    EXPECT_EQ(m->CurrentSnapshot(), 1);
}

TEST(OrvaneModule, NonFiniteInputRecoversOnTheNextBlock) {
    auto m = MakeModule();
    m->AutomateParameter(9, 6.0f);
    std::vector<double> poisoned(32, 0.1);
    poisoned[5] = std::nan("");
    ProcessThrough(*m, poisoned);
    const auto next = ProcessThrough(*m, std::vector<double>(32, 0.1));
    for (double s : next) ASSERT_TRUE(std::isfinite(s));
}

// An editor that records the module's requests.
class TRecordingEditor : public TOrvaneEditor, public TEditorWindow {
public:
    struct TDial : TOrvaneDial {
        bool enabled = true;
        float position = -1.0f;
        void SetEnabled(bool e) override { enabled = e; }
        void SetPosition(float p) override { position = p; }
    };
    std::array<TDial, 7> gain, freq, bandwidth;
    std::vector<std::string> draws;

    TOrvaneDial& GainDial(int band) override { return gain.at(static_cast<std::size_t>(band)); }
    TOrvaneDial& FreqDial(int band) override { return freq.at(static_cast<std::size_t>(band)); }
    TOrvaneDial& BandwidthDial(int band) override { return bandwidth.at(static_cast<std::size_t>(band)); }
    void DrawFilterType(int band) override { draws.push_back("type" + std::to_string(band)); }
    void DrawGain(int band) override { draws.push_back("gain" + std::to_string(band)); }
    void DrawFrequency(int band) override { draws.push_back("freq" + std::to_string(band)); }
    void DrawBandwidth(int band) override { draws.push_back("bw" + std::to_string(band)); }
    void DrawResponse() override { draws.push_back("response"); }
    void DrawSnapshotButtons() override { draws.push_back("snapshots"); }

    void SetParentWindow(std::uintptr_t) override {}
    void Show() override {}
    void RemoveBorder() override {}
    void SetBounds(int, int, int, int) override {}
    void Invalidate() override {}
    int Width() const override { return 1; }
    int Height() const override { return 1; }
    int ClientWidth() const override { return 1; }
    int ClientHeight() const override { return 1; }
    void SendKeyMessage(TKeyMessage, std::int32_t, std::uint32_t) override {}
};

class TModuleWithEditor : public TOrvaneModule {
public:
    TRecordingEditor* editor = nullptr;

protected:
    std::unique_ptr<TEditorWindow> CreateEditorForm(std::uintptr_t) override {
        auto form = std::make_unique<TRecordingEditor>();
        editor = form.get();
        return form;
    }
};

TEST(OrvaneModule, OpeningTheEditorBringsEveryBandUpToDate) {
    auto m = CreateModule<TModuleWithEditor>();
    AEffect* e = m->GetEffectRecord();
    ASSERT_EQ(e->dispatcher(e, effEditOpen, 0, 0, nullptr, 0.0f), 1);
    ASSERT_NE(m->editor, nullptr);
    auto& ed = *m->editor;
    EXPECT_FALSE(ed.freq[0].enabled);  // band 1 is Bypass
    EXPECT_FALSE(ed.gain[0].enabled);
    EXPECT_TRUE(ed.gain[2].enabled);  // Peak uses its gain
    EXPECT_FALSE(ed.gain[6].enabled);
    EXPECT_FLOAT_EQ(ed.gain[2].position, 0.5f);
    EXPECT_NEAR(ed.freq[2].position, std::log(25.0) / std::log(1000.0), 1e-6);
    EXPECT_FLOAT_EQ(ed.bandwidth[2].position, 0.5f);
    EXPECT_EQ(ed.draws.back(), "snapshots");

    // A same-kind Type write leaves the editor alone; a gain write redraws the band.
    ed.draws.clear();
    m->AutomateParameter(8, 3.0f);
    EXPECT_TRUE(ed.draws.empty());
    m->AutomateParameter(9, 15.0f);
    EXPECT_EQ(ed.draws, (std::vector<std::string>{"gain2", "response"}));
    EXPECT_FLOAT_EQ(ed.gain[2].position, 1.0f);
}

}  // namespace
}  // namespace tessel
