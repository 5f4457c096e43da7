// The editor form with the real module in a headless window: what it shows
// in both styles and every colour scheme, its settings through opening and
// closing, and that opening it writes nothing.

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "editor/FileSettingsStore.h"
#include "editor/FmOrvaneDescription.h"
#include "editor/OrvanePalette.h"
#include "editor/OrvaneSettings.h"
#include "tests/editor/EditorFixture.h"
#include "tests/framework/ModuleFixtures.h"
#include "tests/gui/SurfaceTesting.h"

namespace tessel {
namespace {

using testing::MakeHeadlessOrvane;
using testing::MatchesGolden;
using testing::TMemorySettingsStore;

using testing::kTextDelta;
using testing::kTextFraction;

// An editor in this style and colour scheme.
testing::THeadlessOrvanePtr OpenEditor(int guiStyle, std::int32_t colorWord, TRandomSource& noise) {
    return testing::OpenEditorWith({{kGuiStyleValue, guiStyle}, {kColorSchemeValue, colorWord}}, noise);
}
void ShowEditor(int guiStyle, std::int32_t colorWord, TBitmap32& shown) {
    testing::ShowEditorWith({{kGuiStyleValue, guiStyle}, {kColorSchemeValue, colorWord}}, shown);
}

TEST(EditorForm, BothStylesInTheDefaultScheme) {
    TBitmap32 shown;
    ShowEditor(0, kDefaultFormColor, shown);
    ASSERT_EQ(shown.Width(), 718);
    ASSERT_EQ(shown.Height(), 381);
    EXPECT_TRUE(MatchesGolden(shown, "editor_knobs_default", kTextDelta, kTextFraction));
    ShowEditor(1, kDefaultFormColor, shown);
    EXPECT_TRUE(MatchesGolden(shown, "editor_display_default", kTextDelta, kTextFraction));
}

TEST(EditorForm, KnobsStyleInTheOtherSchemes) {
    for (const TColorScheme& scheme : kColorSchemes) {
        if (scheme.ColorWord == kDefaultFormColor) continue;
        std::string name = "editor_knobs_" + std::string(scheme.Item.substr(std::strlen("MIColor")));
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        TBitmap32 shown;
        ShowEditor(0, scheme.ColorWord, shown);
        EXPECT_TRUE(MatchesGolden(shown, name, kTextDelta, kTextFraction));
    }
}

TEST(EditorForm, TwoEditorsWithDifferentSchemesEachKeepTheirLook) {
    TBackgroundImages::Shared().Reset();
    TXorShiftRandom noiseA(1), noiseB(1);
    auto a = OpenEditor(0, kDefaultFormColor, noiseA);
    auto b = OpenEditor(0, kColorSchemes[2].ColorWord, noiseB);
    // a turns orange (from a fresh texture, as its golden image was made);
    // b then redraws every text over its own background.
    a->OnEditorThread([&] {
        noiseA = TXorShiftRandom(1);
        a->Form->MIColorSchemeClick(a->Form->MenuItem("MIColorOrange"));
    });
    b->OnEditorThread([&] { b->Form->RedrawAll(); });
    ASSERT_TRUE(a->WaitForFrame());
    ASSERT_TRUE(b->WaitForFrame());
    TBitmap32 shownA, shownB;
    a->CopyScreen(shownA);
    b->CopyScreen(shownB);
    EXPECT_TRUE(MatchesGolden(shownA, "editor_knobs_orange", kTextDelta, kTextFraction));
    EXPECT_TRUE(MatchesGolden(shownB, "editor_knobs_dark", kTextDelta, kTextFraction));
    a->Close();
    b->Close();
}

TEST(EditorForm, TheStoredDescriptionBuildsEveryComponent) {
    auto m = MakeHeadlessOrvane();
    ASSERT_EQ(m->Open(), 1);
    m->OnEditorThread([&] {
        TFmOrvane& f = *m->Form;
        EXPECT_EQ(f.Caption, "Test EQ");
        EXPECT_EQ(f.ClientWidth(), 718);
        EXPECT_EQ(f.ClientHeight(), 381);
        EXPECT_EQ(f.Font().Name, "Verdana");
        EXPECT_EQ(f.Font().Size, 8);
        for (std::string_view name : FmOrvaneComponents()) {
            if (name.starts_with("PU") || name == "PopupSimple" || name == "ValueEdit") continue;
            EXPECT_NO_THROW(f.MenuItem(name)) << name;
        }
        // Submenus and groups as stored.
        EXPECT_EQ(f.PUGUI.Items().Count(), 8);
        EXPECT_EQ(f.PopupSimple.Items().Count(), 9);
        EXPECT_EQ(f.PUFreqDisplay.Items().Count(), 4);
        EXPECT_EQ(f.PUDial.Items().Count(), 2);
        EXPECT_EQ(f.MenuItem("MISnap").Count(), 3);
        TMenuItem& quality = f.MenuItem("MIFontQuality");
        ASSERT_EQ(quality.Count(), 5);
        EXPECT_TRUE(quality.Item(3).IsSeparator());
        EXPECT_EQ(quality.Item(4).Tag, -1);  // ClearType
        EXPECT_EQ(quality.Item(4).GroupIndex, 1);
        EXPECT_EQ(f.MenuItem("MIBypass").Tag, 7);
        EXPECT_TRUE(f.MenuItem("MINote").AutoCheck);
        EXPECT_FALSE(f.MenuItem("MIShadow").RadioItem);
        EXPECT_TRUE(f.MenuItem("MIMoveRight").OnClick != nullptr);
        EXPECT_EQ(f.MenuItem("MIMoveLeft").Caption, "Move &left <-");
        // The value box: hidden, where it was stored, its height from its font.
        ASSERT_TRUE(f.ValueEdit);
        EXPECT_FALSE(f.ValueEdit->Visible());
        EXPECT_EQ(f.ValueEdit->Left(), 64);
        EXPECT_EQ(f.ValueEdit->Top(), 96);
        EXPECT_EQ(f.ValueEdit->Width(), 81);
        EXPECT_FALSE(f.ValueEdit->ShowBorder());
        EXPECT_EQ(f.ValueEdit->ColorFlat(), kDefaultFormColor);
        // 21 knobs, each where its band's texts leave room.
        for (int band = 0; band < 7; ++band) {
            const auto b = static_cast<std::size_t>(band);
            EXPECT_EQ(f.Knob(TBandValue::Gain, band)->BoundsRect(), f.Layout().GainKnobs[b]);
            EXPECT_EQ(f.Knob(TBandValue::Frequency, band)->RangeStyle(), rsPosition);
            EXPECT_EQ(f.Knob(TBandValue::Bandwidth, band)->ColorCircle(), 0x7F0020FFu);
            EXPECT_EQ(f.Knob(TBandValue::Gain, band)->Shadow().Transparency(), 160);
        }
        EXPECT_EQ(f.Knob(TBandValue::Frequency, 3)->BoundsRect(), (TRect{320, 169, 401, 252}));
    });
    m->Close();
}

TEST(EditorForm, FirstOpenWithoutSettingsHasTheDefaults) {
    auto m = MakeHeadlessOrvane();
    auto store = std::make_shared<TMemorySettingsStore>();  // holds no key
    m->Settings = store;
    m->SetKeysRequired(true);  // no key: the module's own setting is left alone
    ASSERT_EQ(m->Open(), 1);
    ASSERT_TRUE(m->WaitForFrame());
    m->OnEditorThread([&] {
        TFmOrvane& f = *m->Form;
        EXPECT_EQ(f.FontQuality(), kFontQualityMiddle);
        for (const char* item :
             {"MIMiddle", "MIShadow", "MIMagnitude", "MIKnobs", "MIColorDefault", "MIFrequency", "MISnapNone"})
            EXPECT_TRUE(f.MenuItem(item).Checked()) << item;
        for (const char* item : {"MIHigh", "MILow", "MIDisplay", "MIKeysRequired", "MINote", "MIColorDark"})
            EXPECT_FALSE(f.MenuItem(item).Checked()) << item;
        EXPECT_EQ(f.GuiStyle(), TGuiStyle::Knobs);
        EXPECT_EQ(f.Color(), kDefaultFormColor);
    });
    EXPECT_TRUE(m->KeysRequired());
    m->Close();
    // Closing writes all six.
    const auto values = store->Values();
    ASSERT_TRUE(values);
    EXPECT_EQ(values->Find(kFontQualityValue), 2);
    EXPECT_EQ(values->Find(kMagnitudeValue), 1);
    EXPECT_EQ(values->Find(kShadowValue), 1);
    EXPECT_EQ(values->Find(kColorSchemeValue), kDefaultFormColor);
    EXPECT_EQ(values->Find(kGuiStyleValue), 0);
    EXPECT_EQ(values->Find(kKeysRequiredValue), 0);
}

class EditorFormFiles : public ::testing::Test {
protected:
    void SetUp() override {
        FRoot = std::filesystem::temp_directory_path() / ("tessel_form_settings_" + std::to_string(::getpid()));
        std::filesystem::remove_all(FRoot);
        std::filesystem::create_directories(FRoot / "Dravik");
    }
    void TearDown() override { std::filesystem::remove_all(FRoot); }
    std::filesystem::path File() const { return FRoot / "Dravik" / "TesselEQ.conf"; }
    std::string ReadFile() const {
        std::stringstream s;
        s << std::ifstream(File()).rdbuf();
        return s.str();
    }
    std::filesystem::path FRoot;
};

TEST_F(EditorFormFiles, StoredSettingsOpenTheEditorAndAreWrittenBack) {
    std::ofstream(File()) << "Font Quality=0\nMagnitude=0\nShadow=0\nColor Scheme=1540328\nGUI Style=7\n"
                             "KeysRequired=1\n";
    auto m = MakeHeadlessOrvane();
    m->Settings = std::make_shared<TFileSettingsStore>(FRoot);
    ASSERT_EQ(m->Open(), 1);
    ASSERT_TRUE(m->WaitForFrame());
    m->OnEditorThread([&] {
        TFmOrvane& f = *m->Form;
        EXPECT_EQ(f.GuiStyle(), TGuiStyle::Display);  // 7 opens the Display style
        EXPECT_EQ(f.FontQuality(), 0);
        EXPECT_TRUE(f.MenuItem("MILow").Checked());
        EXPECT_TRUE(f.MenuItem("MIColorOrange").Checked());
        EXPECT_FALSE(f.MenuItem("MIColorDefault").Checked());
        EXPECT_FALSE(f.MenuItem("MIShadow").Checked());
        EXPECT_FALSE(f.MenuItem("MIMagnitude").Checked());
        EXPECT_TRUE(f.MenuItem("MIDisplay").Checked());
        EXPECT_EQ(f.Knob(TBandValue::Gain, 0)->Height(), 52);  // the Display style's small knobs
    });
    EXPECT_TRUE(m->KeysRequired());
    m->Close();
    EXPECT_EQ(ReadFile(),
              "Font Quality=0\nMagnitude=0\nShadow=0\nColor Scheme=1540328\nGUI Style=1\n"
              "KeysRequired=1\nAnalyser=0\nScale=0\n");
}

TEST_F(EditorFormFiles, AFolderThatCannotBeWrittenLosesNothingElse) {
    // Where the settings folder should be there is a file: nothing can be
    // written, and closing the editor goes on as usual.
    std::filesystem::remove_all(FRoot / "Dravik");
    std::ofstream(FRoot / "Dravik") << "not a folder";
    auto m = MakeHeadlessOrvane();
    m->Settings = std::make_shared<TFileSettingsStore>(FRoot);
    m->AutomateParameter(9, 6.0f);
    ASSERT_EQ(m->Open(), 1);
    ASSERT_TRUE(m->WaitForFrame());
    m->Close();
    EXPECT_EQ(m->ReadParameter(9), 6.0f);
    std::stringstream kept;
    kept << std::ifstream(FRoot / "Dravik").rdbuf();
    EXPECT_EQ(kept.str(), "not a folder");
    ASSERT_EQ(m->Open(), 1);  // and the editor opens again, with the defaults
    ASSERT_TRUE(m->WaitForFrame());
    m->OnEditorThread([&] { EXPECT_EQ(m->Form->FontQuality(), kFontQualityMiddle); });
    m->Close();
}

TEST(EditorForm, OpeningWritesNothingOnlyAGestureDoes) {
    auto m = MakeHeadlessOrvane();
    host::TScriptedHost scripted;
    test::Connect(*m, scripted);
    // Values a knob position cannot hold exactly: a round trip through the
    // knob would change them.
    m->AutomateParameter(9, 1.2345678f);
    m->AutomateParameter(10, 733.3333f);
    m->AutomateParameter(11, 0.3210987f);
    std::vector<float> before;
    for (int i = 0; i < m->numParams(); ++i) before.push_back(m->ReadParameter(i));
    scripted.ClearCalls();

    ASSERT_EQ(m->Open(), 1);
    ASSERT_EQ(m->Open(), 1);  // a second open without a close is harmless
    int gestures = 0;
    m->OnEditorThread([&] { m->Form->OnKnobGesture = [&](TControl&) { ++gestures; }; });
    ASSERT_TRUE(m->WaitForFrame());
    EXPECT_EQ(scripted.CountOf(audioMasterAutomate), 0u);
    for (int i = 0; i < m->numParams(); ++i) {
        const float now = m->ReadParameter(i);
        EXPECT_EQ(std::memcmp(&now, &before[static_cast<std::size_t>(i)], sizeof now), 0) << "parameter " << i;
    }
    // The knobs show the values all the same.
    m->OnEditorThread([&] {
        EXPECT_FLOAT_EQ(m->Form->Knob(TBandValue::Gain, 2)->Position(), static_cast<float>((1.2345678 + 15) / 30));
    });
    EXPECT_EQ(gestures, 0);

    // A drag on band 3's gain knob is a gesture.
    TRect knob;
    m->OnEditorThread([&] { knob = m->Form->Knob(TBandValue::Gain, 2)->BoundsRect(); });
    const int x = (knob.Left + knob.Right) / 2, y = (knob.Top + knob.Bottom) / 2;
    TShiftState left;
    left.Left = true;
    m->Screen->PostMouseDown(TMouseButton::Left, left, x, y);
    m->Screen->PostMouseMove(left, x, y - 10);
    m->Screen->PostMouseUp(TMouseButton::Left, {}, x, y - 10);
    ASSERT_TRUE(m->WaitForFrame());
    m->OnEditorThread([] {});
    EXPECT_GT(gestures, 0);
    m->Close();
    m->Close();  // and a second close as well
}

}  // namespace
}  // namespace tessel
