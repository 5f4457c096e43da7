// The built plug-in's editor driven with real X input (XTest), as a user
// drives it inside a host: our host window, the editor idled every 40 ms as
// Ardour does, automation recorded. Every user action must reach the host
// exactly once per parameter it changes and must leave every other
// parameter alone. Runs on $DISPLAY, or on a private Xvfb when there is
// none, with openbox managing the host's window as on a desktop.

#include <gtest/gtest.h>

#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "gui/surface/Bitmap32.h"
#include "host/PluginInstance.h"
#include "host/tools/PrivateXServer.h"
#include "tests/gui/XTestSession.h"
#include "tests/support/TestDisplay.h"
#include "tests/support/WindowManager.h"

namespace tessel {
namespace {

using namespace std::chrono_literals;
using test::TXModifier;

constexpr int kUnitWidth = 718, kUnitHeight = 381;  // the editor's client size at 100 %
constexpr int kParameters = 29;
constexpr int kLeft = 1, kMiddle = 2, kRight = 3;

// Centres of what the Knobs style shows for band b (0..6), pixels.
constexpr int BandX(int b) { return 60 + 100 * b; }
constexpr int kTypeY = 60, kGainKnobY = 110, kGainTextY = 160, kFreqKnobY = 210, kFreqTextY = 260,
              kBandwidthKnobY = 310;
constexpr int SnapshotX(int j) { return 534 + 30 * j; }
constexpr int kSnapshotY = 21;
constexpr int kTitleX = 110, kTitleY = 26;

// Parameter indices of band b.
constexpr int Kind(int b) { return 4 * b; }
constexpr int Gain(int b) { return 4 * b + 1; }
constexpr int Freq(int b) { return 4 * b + 2; }
constexpr int Bandwidth(int b) { return 4 * b + 3; }

// Normalised values as the host sees them (the parameters' curves).
float KindValue(float kind) { return static_cast<float>(static_cast<double>(kind) / 8.0); }
float GainValue(float db) { return static_cast<float>((static_cast<double>(db) + 15.0) / 30.0); }
float FreqValue(double hz) {
    const auto t = static_cast<float>((static_cast<double>(static_cast<float>(hz)) - 20.0) / 19980.0);
    return static_cast<float>(std::log(1.0 + 1000.0 * static_cast<double>(t)) / std::log(1001.0));
}
double HzOf(float normalised) {
    return 20.0 + 19980.0 * std::expm1(static_cast<double>(normalised) * std::log(1001.0)) / 1000.0;
}

using TAutomation = std::vector<std::pair<int, float>>;
// Edit gestures and automation as the host received them: "B3" begins an
// edit of parameter 3, "A3" automates it, "E3" ends the edit.
using TEdits = std::vector<std::string>;
// What the host window shows: FWidth × FHeight ARGB pixels, row by row.
using TImage = std::vector<TColor32>;

class EditorInteraction : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = FTestDisplay.Ensure(); !why.empty()) GTEST_SKIP() << why;
        if (const std::string why = FWindowManager.Ensure(TESSEL_OPENBOX_CONFIG); !why.empty()) FAIL() << why;
        // Settings start from their defaults, in a folder of this test's own.
        std::string folder = (std::filesystem::temp_directory_path() / "tessel-interaction-XXXXXX").string();
        ASSERT_NE(::mkdtemp(folder.data()), nullptr);
        FConfig = folder;
        ::setenv("XDG_CONFIG_HOME", FConfig.c_str(), 1);

        // The editor's size at the scale, halves rounded up.
        FWidth = (kUnitWidth * Percent() + 50) / 100;
        FHeight = (kUnitHeight * Percent() + 50) / 100;
        X = std::make_unique<test::TXTestSession>(FWidth, FHeight);
        Host = std::make_shared<host::TScriptedHost>();
        Plugin = std::make_unique<host::TPluginInstance>(TESSEL_PLUGIN_PATH, Host);
        Plugin->Open();
        // The host's content scale, as hosts on high-density screens send it before opening.
        if (Percent() != 100) {
            ASSERT_EQ(Plugin->VendorSpecific(kContentScaleIndex, kContentScaleValue, nullptr,
                                             static_cast<float>(Percent()) / 100.0f),
                      1);
        }
        Plugin->SetSampleRate(48000.0f);
        Plugin->MainsChanged(true);
        OpenEditor();
    }
    void TearDown() override {
        if (Plugin) {
            Plugin->EditClose();
            Plugin->Close();
            // The plug-in called the host only on the host's own threads, never on its editor's.
            for (const auto& call : Host->Calls())
                EXPECT_TRUE(HostThreads.count(call.thread)) << "a call on a thread of the plug-in's own";
        }
        Plugin.reset();
        X.reset();
        if (!FConfig.empty()) std::filesystem::remove_all(FConfig);
    }

    void OpenEditor() {
        ASSERT_EQ(Plugin->EditOpen(reinterpret_cast<void*>(X->HostWindow())), 1);
        ASSERT_TRUE(WaitFor([&] { return Shown(); })) << "the editor never showed";
        SettledScreen();  // the window manager, too, may still be at work
        Taken = Host->CountOf(audioMasterAutomate);
    }
    // The editor has drawn over the host window's white.
    bool Shown() {
        TBitmap32 image;
        return X->Capture(image) && image.Pixel(5, 5) != 0xFFFFFFFFu &&
               image.Pixel(FWidth - 5, FHeight - 5) != 0xFFFFFFFFu;
    }

    // Idles the editor every 40 ms until `done` holds (true) or 5 s pass.
    bool WaitFor(const std::function<bool()>& done) {
        for (auto deadline = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < deadline;) {
            Plugin->EditIdle();
            if (done()) return true;
            std::this_thread::sleep_for(40ms);
        }
        return false;
    }
    // The value box takes the keyboard while it is open: typing waits for it.
    bool WaitForValueBox() {
        return WaitFor([&] { return X->KeyboardFocus() == X->EditorWindow(); });
    }
    // Idles for a while: long enough for any reaction to show (notices go out
    // at each idle, and the editor draws at up to 60 frames a second).
    void Settle() {
        for (int i = 0; i < 4; ++i) {
            Plugin->EditIdle();
            std::this_thread::sleep_for(40ms);
        }
    }

    // Automation the host received since the last call, in order.
    TAutomation NewAutomation() {
        TAutomation result;
        const auto calls = Host->CallsTo(audioMasterAutomate);
        for (std::size_t i = Taken; i < calls.size(); ++i) result.emplace_back(calls[i].index, calls[i].opt);
        Taken = calls.size();
        return result;
    }
    // Waits until `count` automation calls arrived, then takes them.
    TAutomation Automation(std::size_t count) {
        WaitFor([&] { return Host->CountOf(audioMasterAutomate) >= Taken + count; });
        Settle();  // anything more would be a duplicate
        return NewAutomation();
    }

    // Gestures and automation since the last call, in order.
    TEdits NewEdits() {
        TEdits result;
        const auto calls = Host->Calls();
        for (const auto& call : calls) {
            if (call.sequence < FEditsTaken) continue;
            const char* kind = call.opcode == audioMasterAutomate    ? "A"
                               : call.opcode == audioMasterBeginEdit ? "B"
                               : call.opcode == audioMasterEndEdit   ? "E"
                                                                     : nullptr;
            if (kind) result.push_back(kind + std::to_string(call.index));
        }
        if (!calls.empty()) FEditsTaken = calls.back().sequence + 1;
        return result;
    }
    // Waits for `count` gesture ends to arrive, then takes the edits.
    TEdits Edits(std::size_t count) {
        const std::size_t ends = Host->CountOf(audioMasterEndEdit) + count;
        WaitFor([&] { return Host->CountOf(audioMasterEndEdit) >= ends; });
        Settle();
        NewAutomation();
        return NewEdits();
    }
    // One gesture of parameter `index`: a begin, `automations` changes, an end.
    static TEdits Gesture(int index, std::size_t automations) {
        TEdits edits{"B" + std::to_string(index)};
        edits.insert(edits.end(), automations, "A" + std::to_string(index));
        edits.push_back("E" + std::to_string(index));
        return edits;
    }

    std::vector<float> Values() {
        std::vector<float> v;
        for (int i = 0; i < kParameters; ++i) v.push_back(Plugin->GetParameter(i));
        return v;
    }
    // Every parameter but `changed` kept its value.
    void ExpectOnlyChanged(const std::vector<float>& before, std::initializer_list<int> changed) {
        const std::vector<float> after = Values();
        for (int i = 0; i < kParameters; ++i) {
            const bool expected = std::find(changed.begin(), changed.end(), i) != changed.end();
            if (!expected) {
                EXPECT_EQ(after[i], before[i]) << "parameter " << i << " changed";
            }
        }
    }

    TImage Screen() {
        TBitmap32 capture;
        TImage image(static_cast<std::size_t>(FWidth * FHeight), 0);
        if (!X->Capture(capture)) return image;
        for (int y = 0; y < FHeight; ++y)
            for (int x = 0; x < FWidth; ++x) image[static_cast<std::size_t>(y * FWidth + x)] = capture.Pixel(x, y);
        return image;
    }
    // The screen once it has stopped changing for a while (or after 5 s): a
    // redraw takes long under the sanitizers on a loaded machine.
    TImage SettledScreen() {
        TImage last = Screen();
        for (auto deadline = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < deadline;) {
            Settle();
            TImage now = Screen();
            if (now == last) break;
            last = std::move(now);
        }
        return last;
    }
    TColor32 Pixel(const TImage& image, int x, int y) const { return image[static_cast<std::size_t>(y * FWidth + x)]; }
    // The bounding box of what differs between two captures.
    TRect Changed(const TImage& a, const TImage& b) const {
        TRect r{FWidth, FHeight, 0, 0};
        for (int y = 0; y < FHeight; ++y)
            for (int x = 0; x < FWidth; ++x) {
                if (Pixel(a, x, y) == Pixel(b, x, y)) continue;
                r = {std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1), std::max(r.Bottom, y + 1)};
            }
        return r;
    }
    // Clicks at (x, y) and waits for a menu to appear there; returns its bounds.
    TRect OpenMenu(int x, int y, int button, TXModifier held = TXModifier::None) {
        X->MoveTo(x, y);
        const TImage before = SettledScreen();
        X->Click(x, y, button, held);
        WaitFor([&] { return !Changed(before, Screen()).IsEmpty(); });
        return Changed(before, SettledScreen());
    }

    // The host's content scale in percent (100: none sent).
    virtual int Percent() const { return 100; }
    // The editor's size in pixels at that scale.
    int FWidth = kUnitWidth, FHeight = kUnitHeight;

    test::TTestDisplay FTestDisplay;
    test::TWindowManager FWindowManager;
    std::string FConfig;
    std::unique_ptr<test::TXTestSession> X;
    std::shared_ptr<host::TScriptedHost> Host;
    std::unique_ptr<host::TPluginInstance> Plugin;
    std::size_t Taken = 0;
    std::uint64_t FEditsTaken = 0;
    std::set<std::thread::id> HostThreads{std::this_thread::get_id()};
};

TEST_F(EditorInteraction, KnobsMenusSnapshotsAndBandsByMouseAndMenuKeys) {
    // Drag band 3's gain knob up 30 pixels: +0.3 of its range, one
    // automation per step, never the same value twice, nothing else moved.
    auto before = Values();
    X->Drag(BandX(2), kGainKnobY, -30);
    const TAutomation a = Automation(1);
    ASSERT_FALSE(a.empty());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].first, Gain(2));
        if (i > 0) {
            EXPECT_NE(a[i].second, a[i - 1].second) << "an automation came twice";
        }
    }
    EXPECT_NEAR(Plugin->GetParameter(Gain(2)), GainValue(9.0), 0.011f);
    EXPECT_EQ(a.back().second, Plugin->GetParameter(Gain(2)));
    ExpectOnlyChanged(before, {Gain(2)});

    // Ctrl + right-button release resets it to 0 dB; no knob menu opens.
    X->Click(BandX(2), kGainKnobY, kRight, TXModifier::Ctrl);
    EXPECT_EQ(Automation(1), (TAutomation{{Gain(2), GainValue(0.0)}}));

    // The kind menu: Notch chosen with the mouse on band 3 ...
    before = Values();
    const TRect menu = OpenMenu(BandX(2), kTypeY, kLeft);
    ASSERT_EQ(menu.Left, BandX(2));
    const int row = (menu.Height() - 6 - 9) / 8;                 // eight items and a separator in a 3-pixel frame
    X->Click(menu.Left + 30, menu.Top + 3 + 4 * row + row / 2);  // the fifth item
    EXPECT_EQ(Automation(1), (TAutomation{{Kind(2), KindValue(4)}}));
    // ... and by its mnemonic on band 4.
    OpenMenu(BandX(3), kTypeY, kLeft);
    X->Key("n");
    EXPECT_EQ(Automation(1), (TAutomation{{Kind(3), KindValue(4)}}));
    ExpectOnlyChanged(before, {Kind(2), Kind(3)});

    // Alt-click band 5's label twice: Peak bypassed as 6.87, then Peak again.
    X->Click(BandX(4), kTypeY, kLeft, TXModifier::Alt);
    EXPECT_EQ(Automation(1), (TAutomation{{Kind(4), KindValue(6.87f)}}));
    X->Click(BandX(4), kTypeY, kMiddle, TXModifier::Alt);
    EXPECT_EQ(Automation(1), (TAutomation{{Kind(4), KindValue(3)}}));

    // A right click with Shift on a knob opens nothing: its mnemonic then does nothing either.
    X->MoveTo(BandX(3), kFreqKnobY);
    const TImage quiet = SettledScreen();
    X->Click(BandX(3), kFreqKnobY, kRight, TXModifier::Shift);
    Settle();
    EXPECT_TRUE(Changed(quiet, Screen()).IsEmpty()) << "a menu opened";
    X->Key("r");
    Settle();
    EXPECT_TRUE(NewAutomation().empty());

    // Move band 4 right (with band 5) and back: all four fields each way, kind first.
    before = Values();
    OpenMenu(BandX(3), kFreqKnobY, kRight);
    X->Key("r");
    const TAutomation right = Automation(8);
    ASSERT_EQ(right.size(), 8u);
    const int order[] = {Kind(3), Kind(4), Gain(3), Gain(4), Freq(3), Freq(4), Bandwidth(3), Bandwidth(4)};
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(right[i].first, order[i]);
    const auto swapped = Values();
    for (int f = 0; f < 4; ++f) {
        EXPECT_EQ(swapped[4 * 3 + f], before[4 * 4 + f]);
        EXPECT_EQ(swapped[4 * 4 + f], before[4 * 3 + f]);
    }
    OpenMenu(BandX(4), kFreqKnobY, kRight);
    X->Key("l");
    EXPECT_EQ(Automation(8).size(), 8u);
    EXPECT_EQ(Values(), before);

    // The wheel over band 3's bandwidth knob: 0.01 per notch, 0.001 with Shift.
    X->Wheel(BandX(2), kBandwidthKnobY, 3);
    EXPECT_EQ(Automation(3).size(), 3u);
    X->Wheel(BandX(2), kBandwidthKnobY, 1, TXModifier::Shift);
    EXPECT_EQ(Automation(1).size(), 1u);
    EXPECT_NEAR(Plugin->GetParameter(Bandwidth(2)), 0.531f, 1e-5f);

    // Note display with coarse snapping (frequency menu, by keys), then the
    // wheel and a reset on band 2's frequency knob land on semitones.
    OpenMenu(BandX(1), kFreqTextY, kRight);
    X->Key("n");  // &Note
    OpenMenu(BandX(1), kFreqTextY, kRight);
    for (int i = 0; i < 3; ++i) X->Key("Down");  // Frequency, Note, Snap
    X->Key("Right");
    X->Key("Down");
    X->Key("Down");  // none, fine, coarse
    X->Key("Return");
    Settle();
    EXPECT_TRUE(NewAutomation().empty()) << "display and snapping changed a parameter";
    const auto semitones = [&](int index) { return 12.0 * std::log2(HzOf(Plugin->GetParameter(index)) / 440.0); };
    X->Wheel(BandX(1), kFreqKnobY, 2);
    Automation(2);
    EXPECT_NEAR(semitones(Freq(1)), std::nearbyint(semitones(Freq(1))), 2e-3);
    X->Click(BandX(1), kFreqKnobY, kRight, TXModifier::Ctrl);  // 100 Hz, snapped to G2
    EXPECT_EQ(Automation(1).size(), 1u);
    EXPECT_NEAR(HzOf(Plugin->GetParameter(Freq(1))), 440.0 * std::exp2((43 - 69) / 12.0), 0.05);
    // Back to the frequency display (which is not kept from one opening to the next).
    OpenMenu(BandX(1), kFreqTextY, kRight);
    X->Key("f");

    // Snapshots: a right click on B stores the current values there and
    // selects it; after a change, A brings back what B was given.
    const auto stored = Values();
    X->Click(SnapshotX(1), kSnapshotY, kRight);
    const TAutomation select = Automation(kParameters);
    ASSERT_EQ(select.size(), static_cast<std::size_t>(kParameters));
    for (int i = 0; i < kParameters; ++i) EXPECT_EQ(select[static_cast<std::size_t>(i)].first, i);
    EXPECT_EQ(Values(), stored);
    X->Click(BandX(2), kTypeY, kLeft, TXModifier::Alt);  // band 3 bypassed
    EXPECT_EQ(Automation(1).size(), 1u);
    const auto changed = Values();
    X->Click(SnapshotX(0), kSnapshotY, kLeft);
    EXPECT_EQ(Automation(kParameters).size(), static_cast<std::size_t>(kParameters));
    EXPECT_EQ(Values(), stored);
    X->Click(SnapshotX(1), kSnapshotY, kLeft);
    EXPECT_EQ(Automation(kParameters).size(), static_cast<std::size_t>(kParameters));
    EXPECT_EQ(Values(), changed);

    // Style and scheme through the title's menu: Display, then Dark.
    X->MoveTo(FWidth - 1, FHeight - 1);
    const TImage knobs = SettledScreen();
    // Over the snapshot buttons the response strip reads "snapshots"; away
    // from them the response comes back exactly.
    X->MoveTo(SnapshotX(2), kSnapshotY);
    EXPECT_TRUE(WaitFor([&] { return !Changed(knobs, Screen()).IsEmpty(); })) << "no hint";
    const TRect hint = Changed(knobs, SettledScreen());
    EXPECT_TRUE(hint.Left >= 220 && hint.Top >= 8 && hint.Right <= 501 && hint.Bottom <= 44)
        << "not in the strip: " << hint.Left << "," << hint.Top << " to " << hint.Right << "," << hint.Bottom;
    X->MoveTo(FWidth - 1, FHeight - 1);
    EXPECT_TRUE(WaitFor([&] { return Changed(knobs, Screen()).IsEmpty(); })) << "the hint stayed";
    OpenMenu(kTitleX, kTitleY, kRight);
    for (int i = 0; i < 3; ++i) X->Key("Down");  // Shadow, Magnitude, Gui Style
    X->Key("Right");
    X->Key("d");  // &Display
    Settle();
    OpenMenu(300, 70, kRight);                   // the Display style's title area is its response display
    for (int i = 0; i < 5; ++i) X->Key("Down");  // ..., Font Quality, Color Scheme
    X->Key("Right");
    X->Key("a");  // D&ark
    X->MoveTo(FWidth - 1, FHeight - 1);
    const auto differing = [](const TImage& one, const TImage& other) {
        std::size_t n = 0;
        for (std::size_t i = 0; i < one.size(); ++i) n += one[i] != other[i];
        return n;
    };
    const auto meanRed = [](const TImage& image) {
        double sum = 0.0;
        for (const TColor32 p : image) sum += static_cast<double>((p >> 16) & 0xFF);
        return sum / static_cast<double>(image.size());
    };
    // A new look's background takes a while to render under the sanitizers.
    EXPECT_TRUE(WaitFor([&] { return meanRed(Screen()) < 0.75 * meanRed(knobs); })) << "the dark scheme is not dark";
    const TImage styled = SettledScreen();
    EXPECT_TRUE(NewAutomation().empty()) << "appearance changed a parameter";
    EXPECT_GT(differing(knobs, styled), styled.size() / 2) << "the style did not change";

    // Closed and opened again, the editor shows exactly the same: the settings were kept.
    Plugin->EditClose();
    OpenEditor();
    EXPECT_TRUE(WaitFor([&] { return differing(styled, Screen()) == 0; })) << "the style or the scheme was not kept";
    EXPECT_TRUE(NewAutomation().empty());
}

TEST_F(EditorInteraction, GesturesFrameEveryChangeOnTheHostsThread) {
    NewEdits();
    // A drag: begin before its first change, end after its last.
    X->Drag(BandX(2), kGainKnobY, -20);
    TEdits edits = Edits(1);
    ASSERT_GE(edits.size(), 3u);
    EXPECT_EQ(edits, Gesture(Gain(2), edits.size() - 2));
    // Three wheel notches in a row are one gesture, ended by the rest after them.
    X->Wheel(BandX(2), kBandwidthKnobY, 3);
    EXPECT_EQ(Edits(1), Gesture(Bandwidth(2), 3));
    // A menu choice and a reset to the default are gestures of their own.
    const TRect menu = OpenMenu(BandX(1), kTypeY, kLeft);
    const int row = (menu.Height() - 6 - 9) / 8;
    X->Click(menu.Left + 30, menu.Top + 3 + 4 * row + row / 2);
    EXPECT_EQ(Edits(1), Gesture(Kind(1), 1));
    X->Click(BandX(2), kGainKnobY, kRight, TXModifier::Ctrl);
    EXPECT_EQ(Edits(1), Gesture(Gain(2), 1));
    // A snapshot selection: one gesture per parameter, in index order.
    X->Click(SnapshotX(1), kSnapshotY, kLeft);
    edits = Edits(kParameters);
    ASSERT_EQ(edits.size(), 3u * kParameters);
    for (int i = 0; i < kParameters; ++i)
        EXPECT_EQ(TEdits(edits.begin() + 3 * i, edits.begin() + 3 * i + 3), Gesture(i, 1));
}

// A host whose automation handler, called off its UI thread, waits for that
// thread, as hosts that hand automation to their UI thread do. Its audio
// thread plays all along.
TEST_F(EditorInteraction, ClosingWhileTheHostsAutomationWaitsReturnsAndLosesNothing) {
    const auto ui = std::this_thread::get_id();
    std::atomic<bool> uiFree{false}, waiting{false};
    std::atomic<int> waitedInVain{0};
    Host->SetHandler(audioMasterAutomate, [&](const host::THostRequest&) -> intptr_t {
        if (std::this_thread::get_id() == ui) return 0;
        waiting = true;
        // Bounded, so that a plug-in that deadlocks fails here instead of hanging.
        for (int i = 0; i < 5000 && !uiFree; ++i) std::this_thread::sleep_for(1ms);
        if (!uiFree) ++waitedInVain;
        return 0;
    });
    std::atomic<bool> playing{true};
    std::atomic<std::thread::id> audioId{};
    std::thread audio([&] {
        audioId = std::this_thread::get_id();
        host::TAudioBuffers<float> in(2, 64), out(2, 64);
        while (playing) {
            Plugin->ProcessReplacing(in, out);
            std::this_thread::sleep_for(1ms);
        }
    });
    while (audioId.load() == std::thread::id{}) std::this_thread::yield();
    HostThreads.insert(audioId.load());
    NewEdits();

    X->Drag(BandX(2), kGainKnobY, -20);
    // The whole drag is stored (the audio follows it at once) before the editor closes.
    for (int i = 0; i < 5000 && !(waiting && std::fabs(Plugin->GetParameter(Gain(2)) - GainValue(6.0)) < 0.011f); ++i)
        std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(waiting) << "no automation arrived";
    Plugin->EditClose();  // returns while the audio thread waits in the host
    uiFree = true;
    // What waited is delivered by the next blocks.
    WaitFor([&] { return !Host->CallsTo(audioMasterEndEdit).empty(); });
    playing = false;
    audio.join();
    Host->ClearScript(audioMasterAutomate);
    EXPECT_EQ(waitedInVain, 0) << "the plug-in called the host from a thread that effEditClose waited for";

    const TEdits edits = NewEdits();
    ASSERT_GE(edits.size(), 3u);
    EXPECT_EQ(edits, Gesture(Gain(2), edits.size() - 2));
    const TAutomation automation = NewAutomation();
    ASSERT_FALSE(automation.empty());
    EXPECT_EQ(automation.back().second, Plugin->GetParameter(Gain(2))) << "the last value was lost";
    EXPECT_NEAR(Plugin->GetParameter(Gain(2)), GainValue(6.0), 0.011f);
}

TEST_F(EditorInteraction, TypedValuesByEveryKeyPathActOnce) {
    auto before = Values();
    // Alt-click band 3's frequency text, type "2.5k", Enter: 2500 Hz.
    X->Click(BandX(2), kFreqTextY, kLeft, TXModifier::Alt);
    ASSERT_TRUE(WaitForValueBox()) << "the value box did not open";
    X->Type("2.5k");
    X->Key("Return");
    EXPECT_EQ(Automation(1), (TAutomation{{Freq(2), FreqValue(2500.0)}}));

    // "1-2" is no number: nothing changes, the box stays open with its text
    // in red, and the corrected text then applies.
    X->Click(BandX(2), kFreqTextY, kLeft, TXModifier::Alt);
    ASSERT_TRUE(WaitForValueBox()) << "the value box did not open";
    X->Type("1-2");
    X->Key("Return");
    Settle();
    EXPECT_TRUE(NewAutomation().empty());
    const TImage failed = Screen();
    bool red = false;
    for (int y = kFreqTextY - 12; y < kFreqTextY + 8; ++y)
        for (int x = BandX(2) - 40; x < BandX(2) + 40; ++x) {
            const TColor32 p = Pixel(failed, x, y);
            red = red || (((p >> 16) & 0xFF) > 150 && ((p >> 8) & 0xFF) < 90 && (p & 0xFF) < 90);
        }
    EXPECT_TRUE(red) << "the unreadable text is not shown in red";
    for (int i = 0; i < 3; ++i) X->Key("BackSpace");
    X->Type("300");
    X->Key("Return");
    EXPECT_EQ(Automation(1), (TAutomation{{Freq(2), FreqValue(300.0)}}));

    // Enter on an emptied box leaves it open and changes nothing.
    X->Click(BandX(2), kGainTextY, kLeft, TXModifier::Alt);
    ASSERT_TRUE(WaitForValueBox()) << "the value box did not open";
    X->Key("BackSpace");
    X->Key("Return");
    Settle();
    EXPECT_TRUE(NewAutomation().empty());
    X->Type("-4");
    X->Key("Return");
    EXPECT_EQ(Automation(1), (TAutomation{{Gain(2), GainValue(-4.0)}}));
    ExpectOnlyChanged(before, {Freq(2), Gain(2)});

    // Keys the host forwards: refused (-1) until "Keys Required" is checked
    // in the title's menu, then used (1) only while the box is open.
    EXPECT_EQ(Plugin->EditKeyDown('1', 0, 0.0f), -1);
    OpenMenu(kTitleX, kTitleY, kRight);
    for (int i = 0; i < 6; ++i) X->Key("Down");
    X->Key("Return");
    ASSERT_TRUE(WaitFor([&] { return Plugin->KeysRequired() == 0; })) << "keys are still not required";
    EXPECT_EQ(Plugin->EditKeyDown('1', 0, 0.0f), -1);  // no box open: the host's key

    // Band 3's gain typed by three paths: '1' forwarded (with Shift, as on
    // a layout whose digits need it), '.' forwarded and also sent to the
    // window as an X event (once, not twice), '5' only as an X event, Enter
    // forwarded: 1.5 dB.
    X->Click(BandX(2), kGainTextY, kLeft, TXModifier::Alt);
    ASSERT_TRUE(WaitForValueBox()) << "the value box did not open";
    EXPECT_EQ(Plugin->EditKeyDown(0, 54, 1.0f), 1);  // VST virtual key 54: shift
    EXPECT_EQ(Plugin->EditKeyDown('1', 0, 1.0f), 1);
    EXPECT_EQ(Plugin->EditKeyUp('1', 0, 1.0f), 1);
    EXPECT_EQ(Plugin->EditKeyUp(0, 54, 0.0f), 1);
    EXPECT_EQ(Plugin->EditKeyDown('.', 0, 0.0f), 1);
    X->SendKey(X->EditorWindow(), "period");
    EXPECT_EQ(Plugin->EditKeyUp('.', 0, 0.0f), 1);
    X->SendKey(X->EditorWindow(), "5");
    Settle();
    EXPECT_EQ(Plugin->EditKeyDown(0, 4, 0.0f), 1);  // VST virtual key 4: return
    EXPECT_EQ(Automation(1), (TAutomation{{Gain(2), GainValue(1.5)}}));

    // With the editor closed a forwarded key finds no window.
    Plugin->EditClose();
    EXPECT_EQ(Plugin->EditKeyDown('1', 0, 0.0f), 0);
}

// Under a window manager that focuses on click, the manager and the host
// move the keyboard focus on every click: a menu stays open through that,
// a knob leaves the focus where it was, a double-click opens the value box
// (the manager may own Alt-click), and the box gives the keyboard back.
TEST_F(EditorInteraction, UnderAWindowManagerFocusMovesLeaveMenusAndTheHostsKeyboardAlone) {
    ASSERT_TRUE(WaitFor([&] { return X->KeyboardFocus() == X->HostWindow(); })) << "openbox did not focus the host";

    X->Drag(BandX(2), kGainKnobY, -30);
    ASSERT_FALSE(Automation(1).empty());
    EXPECT_EQ(X->KeyboardFocus(), X->HostWindow()) << "the knob took the host's keyboard";

    const auto before = Values();
    const TRect menu = OpenMenu(BandX(2), kTypeY, kLeft);
    ASSERT_EQ(menu.Left, BandX(2));
    const int row = (menu.Height() - 6 - 9) / 8;                 // eight items and a separator in a 3-pixel frame
    X->Click(menu.Left + 30, menu.Top + 3 + 4 * row + row / 2);  // the fifth item, Notch
    EXPECT_EQ(Automation(1), (TAutomation{{Kind(2), KindValue(4)}}));
    EXPECT_EQ(X->KeyboardFocus(), X->HostWindow()) << "the menu kept the host's keyboard";

    X->DoubleClick(BandX(2), kFreqTextY);
    ASSERT_TRUE(WaitForValueBox()) << "the value box did not open";
    X->Type("3k");
    X->Key("Return");
    EXPECT_EQ(Automation(1), (TAutomation{{Freq(2), FreqValue(3000.0)}}));
    ExpectOnlyChanged(before, {Kind(2), Freq(2)});
    EXPECT_EQ(X->KeyboardFocus(), X->HostWindow()) << "the value box kept the host's keyboard";
}

}  // namespace
}  // namespace tessel

namespace tessel {
namespace {

// The same editor at the host's content scale 1.5: it opens at 1077 × 572
// and everything lies 1.5 times as far from its corner, while drag
// distances count in the editor's own units (45 pixels are 30 of them).
class EditorInteractionAt150 : public EditorInteraction {
protected:
    int Percent() const override { return 150; }
    static int At(int units) { return units * 3 / 2; }
};

TEST_F(EditorInteractionAt150, AKnobDragAMenuChoiceAndATypedValue) {
    ASSERT_EQ(FWidth, 1077);
    ASSERT_EQ(FHeight, 572);
    auto before = Values();
    X->Drag(At(BandX(2)), At(kGainKnobY), -45);
    // Each step redraws 2.25 times the pixels: on a busy machine the last
    // ones take a while.
    EXPECT_TRUE(WaitFor([&] { return std::fabs(Plugin->GetParameter(Gain(2)) - GainValue(9.0)) < 0.011f; }))
        << Plugin->GetParameter(Gain(2));
    Settle();
    NewAutomation();
    ExpectOnlyChanged(before, {Gain(2)});

    // The kind menu, drawn at the scale: Notch, its fifth item, by the mouse.
    before = Values();
    const TRect menu = OpenMenu(At(BandX(2)), At(kTypeY), kLeft);
    ASSERT_EQ(menu.Left, At(BandX(2)));
    constexpr int kFrame = 5, kSeparator = 14;  // 3 and 9 units at 150 %
    const int row = (menu.Height() - 2 * kFrame - kSeparator) / 8;
    X->Click(menu.Left + At(30), menu.Top + kFrame + 4 * row + row / 2);
    EXPECT_EQ(Automation(1), (TAutomation{{Kind(2), KindValue(4)}}));

    // A typed value in the value box, drawn at the scale where its text was.
    X->Click(At(BandX(2)), At(kFreqTextY), kLeft, TXModifier::Alt);
    ASSERT_TRUE(WaitForValueBox()) << "the value box did not open";
    X->Type("2.5k");
    X->Key("Return");
    EXPECT_EQ(Automation(1), (TAutomation{{Freq(2), FreqValue(2500.0)}}));
    ExpectOnlyChanged(before, {Kind(2), Freq(2)});
}

}  // namespace
}  // namespace tessel
