// The editor at screen densities above 96 dpi, in a headless window: what
// it shows at 200 %, that its layout is the 100 % layout doubled, and where
// its scale comes from (the user's Zoom, the host's content scale, the
// desktop) before and while it is open.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "editor/OrvaneSettings.h"
#include "gui/window/DesktopScale.h"
#include "tests/editor/EditorFixture.h"
#include "tests/gui/SurfaceTesting.h"

namespace tessel {
namespace {

using namespace std::chrono_literals;
using testing::MakeHeadlessOrvane;
using testing::MatchesGolden;
using testing::TMemorySettingsStore;

// As the 100 % images: up to 2 % of the pixels (text edges, which FreeType
// hints differently from build to build) may differ by more than 8 levels.
constexpr int kTextDelta = 8;
constexpr double kTextFraction = 0.02;

// What the host heard last through audioMasterSizeWindow: width << 16 | height.
std::atomic<std::uint32_t> gSizeAsked{0};
std::intptr_t RecordingHost(AEffect*, std::int32_t opcode, std::int32_t index, std::intptr_t value, void*, float) {
    constexpr std::intptr_t kVersion = 2400;
    if (opcode == audioMasterVersion) return kVersion;
    if (opcode != audioMasterSizeWindow) return 0;
    gSizeAsked = static_cast<std::uint32_t>(index) << 16 | static_cast<std::uint32_t>(value);
    return 1;
}

std::intptr_t SendContentScale(testing::THeadlessOrvane& m, float factor) {
    AEffect* e = m.GetEffectRecord();
    return e->dispatcher(e, effVendorSpecific, kContentScaleIndex, kContentScaleValue, nullptr, factor);
}

std::pair<int, int> AskedSize(testing::THeadlessOrvane& m) {
    ERect* rect = nullptr;
    m.Dispatch(effEditGetRect, &rect);
    return rect ? std::pair{rect->right - rect->left, rect->bottom - rect->top} : std::pair{0, 0};
}

// An editor at the start-up values, band 3's gain at +6 dB so its pointer
// leans right, with a fixed texture and the user's Zoom at `percent`.
void ShowScaled(int guiStyle, int percent, TBitmap32& shown) {
    testing::ShowEditorWith({{kGuiStyleValue, guiStyle}, {kScaleValue, percent}}, shown,
                            [](testing::THeadlessOrvane& m) { m.AutomateParameter(9, 6.0f); });
}

// The weighted centre (pixel centres, x + 0.5) of the pixels in r that `ink` weighs.
template <class F>
TFloatPoint InkCentre(const TBitmap32& s, const TRect& r, F ink) {
    double sx = 0, sy = 0, sw = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) {
            const double w = ink(s.Pixel(x, y));
            sx += w * (x + 0.5);
            sy += w * (y + 0.5);
            sw += w;
        }
    EXPECT_GT(sw, 0.0);
    return {static_cast<float>(sx / sw), static_cast<float>(sy / sw)};
}

int Channel(TColor32 c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }
double RedPointer(TColor32 c) { return Channel(c, 16) > 180 && Channel(c, 8) < 90 && Channel(c, 0) < 90 ? 1.0 : 0.0; }
double BlackText(TColor32 c) { return std::max(0, 90 - (Channel(c, 16) + Channel(c, 8) + Channel(c, 0)) / 3); }

TRect Doubled(const TRect& r) { return {2 * r.Left, 2 * r.Top, 2 * r.Right, 2 * r.Bottom}; }

TEST(EditorScale, BothStylesAt200PercentInTheDefaultScheme) {
    TBitmap32 shown;
    ShowScaled(0, 200, shown);
    ASSERT_EQ(shown.Width(), 1436);
    ASSERT_EQ(shown.Height(), 762);
    EXPECT_TRUE(MatchesGolden(shown, "editor_knobs_default_200", kTextDelta, kTextFraction));
    ShowScaled(1, 200, shown);
    EXPECT_TRUE(MatchesGolden(shown, "editor_display_default_200", kTextDelta, kTextFraction));
}

TEST(EditorScale, At200PercentTheLayoutIsThe100PercentLayoutDoubled) {
    TBitmap32 at100, at200;
    ShowScaled(0, 100, at100);
    ShowScaled(0, 200, at200);
    const TOrvaneLayout layout = CalculateOrvaneLayout(TGuiStyle::Knobs);
    auto expectDoubled = [](TFloatPoint small, TFloatPoint large, float tolerance, const char* what) {
        EXPECT_NEAR(large.x, 2.0f * small.x, tolerance) << what;
        EXPECT_NEAR(large.y, 2.0f * small.y, tolerance) << what;
    };
    // The flat response: the curve is darker than the panel under it. A
    // strip of the display away from its ends, the top half of each row
    // weighed by how dark it is.
    const TRect& g = layout.GraphRect;
    const TRect strip{g.Left + 40, g.Top + 4, g.Right - 40, g.Bottom - 4};
    auto curve = [](TColor32 c) { return std::max(0, 200 - (Channel(c, 16) + Channel(c, 8) + Channel(c, 0)) / 3); };
    const TFloatPoint line100 = InkCentre(at100, strip, curve), line200 = InkCentre(at200, Doubled(strip), curve);
    EXPECT_NEAR(line100.y, g.Top + g.Height() / 2 + 0.5f, 0.6f);
    EXPECT_NEAR(line200.y, 2.0f * line100.y, 1.0f);
    // Band 3's gain pointer, and the title.
    const TRect& knob = layout.GainKnobs[2];
    expectDoubled(InkCentre(at100, knob, RedPointer), InkCentre(at200, Doubled(knob), RedPointer), 1.5f, "pointer");
    const TRect& title = layout.TitleRect;
    expectDoubled(InkCentre(at100, title, BlackText), InkCentre(at200, Doubled(title), BlackText), 1.5f, "title");
}

// Waits until the editor thread finds the form at `percent`.
bool ReachesScale(testing::THeadlessOrvane& m, int percent) {
    for (auto deadline = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < deadline;) {
        int now = 0;
        m.OnEditorThread([&] { now = m.Form->ScalePercent(); });
        if (now == percent) return m.WaitForFrame();
        std::this_thread::sleep_for(2ms);
    }
    return false;
}

TEST(EditorScale, TheHostsContentScaleBeforeAndWhileOpen) {
    auto m = MakeHeadlessOrvane();
    m->ConnectHost(RecordingHost);
    EXPECT_EQ(AskedSize(*m), (std::pair{718, 381}));
    // Before the editor opens: the size the host asks for is the scaled one.
    EXPECT_EQ(SendContentScale(*m, 1.5f), 1);
    EXPECT_EQ(AskedSize(*m), (std::pair{1077, 572}));
    ASSERT_EQ(m->Open(), 1);
    ASSERT_TRUE(ReachesScale(*m, 150));

    // While it is open: the window takes the new size, and the host is asked
    // for it on its own thread, at the next idle call.
    gSizeAsked = 0;
    EXPECT_EQ(SendContentScale(*m, 2.0f), 1);
    ASSERT_TRUE(ReachesScale(*m, 200));
    TBitmap32 shown;
    m->CopyScreen(shown);
    EXPECT_EQ(shown.Width(), 1436);
    EXPECT_EQ(shown.Height(), 762);
    EXPECT_EQ(gSizeAsked.load(), 0u);  // not from the editor thread
    m->Dispatch(effEditIdle);
    EXPECT_EQ(gSizeAsked.load(), (1436u << 16) | 762u);
    EXPECT_EQ(AskedSize(*m), (std::pair{1436, 762}));
    m->Close();
    // Not a content scale: left to the module's own handler, which has none.
    AEffect* e = m->GetEffectRecord();
    EXPECT_EQ(e->dispatcher(e, effVendorSpecific, kContentScaleIndex, 0, nullptr, 2.0f), 0);
}

TEST(EditorScale, TheUsersZoomOverridesTheHostsScaleAndTheDesktopsIsRead) {
    auto m = MakeHeadlessOrvane();
    auto store = std::make_shared<TMemorySettingsStore>();
    store->Set(kScaleValue, 125);
    m->Settings = store;
    m->DesktopScale = [] { return DesktopScaleFrom("Xft.dpi:\t192\n", nullptr); };
    EXPECT_EQ(SendContentScale(*m, 2.0f), 1);
    EXPECT_EQ(AskedSize(*m), (std::pair{898, 476}));
    ASSERT_EQ(m->Open(), 1);
    ASSERT_TRUE(ReachesScale(*m, 125));
    // Zoom › Automatic: the host's 200 % now applies, and is written back as 0.
    m->OnEditorThread([&] { m->Form->MenuItem("MIZoomAuto").Click(); });
    ASSERT_TRUE(ReachesScale(*m, 200));
    m->Close();
    EXPECT_EQ(store->Values()->Find(kScaleValue).value_or(-1), 0);

    // The desktop (EditorX11Test reads Xft.dpi from a server): Xft.dpi
    // before GDK_SCALE, which counts without it; a desktop in between gets
    // the next scale above.
    EXPECT_EQ(DesktopScaleFrom("Xft.antialias:\t1\nXft.dpi:\t192\n", "3"), 200);
    EXPECT_EQ(DesktopScaleFrom("Xft.rgba:\trgb\n", "2"), 200);
    EXPECT_EQ(OfferedOrvaneScale(DesktopScaleFrom("Xft.dpi: 110\n", nullptr)), 125);
    EXPECT_EQ(DesktopScaleFrom("Xft.dpi:\tlarge\n", "x"), 0);
}

}  // namespace
}  // namespace tessel
