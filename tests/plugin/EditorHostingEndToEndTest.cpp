// The built plug-in's editor as a host drives it, in X windows of the
// test's own: its size before it opens, opening twice, two instances with
// editors open at once, idle calls, closing twice — and opening sends the
// host no automation and changes no parameter. The editor draws on screens
// of 16, 24 and 30 bits, and says so when it cannot open at all.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "host/PluginInstance.h"
#include "host/tools/PrivateXServer.h"
#include "tests/plugin/FirstAudioCalls.h"
#include "tests/support/AllocationCounting.h"
#include "tests/support/TestDisplay.h"

// Xlib's macros clash with other headers' names: it comes last.
#include <X11/Xlib.h>

#include "host/tools/WindowCapture.h"

namespace tessel {
namespace {

using namespace std::chrono_literals;

class EditorHostingEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = FTestDisplay.Ensure(); !why.empty()) GTEST_SKIP() << why;
        FDisplay = XOpenDisplay(nullptr);
        if (!FDisplay) GTEST_SKIP() << "Cannot open the X display";
    }
    void TearDown() override {
        for (Window w : FWindows) XDestroyWindow(FDisplay, w);
        if (FDisplay) XCloseDisplay(FDisplay);
    }
    Window ParentWindow(int width, int height) {
        const Window w = XCreateSimpleWindow(FDisplay, DefaultRootWindow(FDisplay), 0, 0, static_cast<unsigned>(width),
                                             static_cast<unsigned>(height), 0, 0, 0xFF00FF);
        XMapWindow(FDisplay, w);
        XSync(FDisplay, False);
        FWindows.push_back(w);
        return w;
    }
    // Idles the editors as a host does until each parent shows more than its own magenta.
    bool EditorsShown(std::vector<host::TPluginInstance*> plugins, std::vector<Window> parents) {
        for (auto deadline = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < deadline;) {
            for (auto* plugin : plugins) plugin->EditIdle();
            bool all = true;
            for (Window parent : parents) {
                TBitmap32 image;
                all = all && host::tool::CaptureWindow(FDisplay, parent, image) && image.Pixel(100, 20) != 0xFFFF00FF &&
                      image.Pixel(600, 360) != 0xFFFF00FF;
            }
            if (all) return true;
            std::this_thread::sleep_for(40ms);
        }
        return false;
    }

    test::TTestDisplay FTestDisplay;
    Display* FDisplay = nullptr;
    std::vector<Window> FWindows;
};

std::vector<float> Parameters(host::TPluginInstance& plugin) {
    std::vector<float> values;
    for (int i = 0; i < plugin.Effect()->numParams; ++i) values.push_back(plugin.GetParameter(i));
    return values;
}

TEST_F(EditorHostingEndToEnd, TwoInstancesOpenTheirEditorsAndSendNothing) {
    auto hostA = std::make_shared<host::TScriptedHost>();
    auto hostB = std::make_shared<host::TScriptedHost>();
    host::TPluginInstance a(TESSEL_PLUGIN_PATH, hostA), b(TESSEL_PLUGIN_PATH, hostB);
    for (auto* p : {&a, &b}) {
        p->Open();
        p->SetSampleRate(48000.0f);
        p->MainsChanged(true);
    }
    a.SetParameter(9, 0.7f);  // band 3 at +6 dB
    const std::vector<float> before = Parameters(a);
    hostA->ClearCalls();

    // The size, before anything is open: hosts make their window from it.
    std::optional<ERect> rect;
    EXPECT_EQ(a.EditGetRect(rect), 1);
    ASSERT_TRUE(rect);
    EXPECT_EQ(rect->right - rect->left, 718);
    EXPECT_EQ(rect->bottom - rect->top, 381);

    const Window parentA = ParentWindow(718, 381), parentB = ParentWindow(718, 381);
    ASSERT_EQ(a.EditOpen(reinterpret_cast<void*>(parentA)), 1);
    ASSERT_EQ(a.EditOpen(reinterpret_cast<void*>(parentA)), 1);  // again, without a close
    ASSERT_EQ(b.EditOpen(reinterpret_cast<void*>(parentB)), 1);
    EXPECT_TRUE(EditorsShown({&a, &b}, {parentA, parentB}));
    EXPECT_EQ(a.EditTop(), 0);
    EXPECT_EQ(a.EditSleep(), 0);

    EXPECT_EQ(hostA->CountOf(audioMasterAutomate), 0u) << hostA->DumpCalls();
    const std::vector<float> after = Parameters(a);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(std::memcmp(after.data(), before.data(), after.size() * sizeof(float)), 0);

    // Automation from the host's audio thread while both editors are open.
    std::thread audio([&] {
        for (int i = 0; i < 200; ++i) a.SetParameter(9, static_cast<float>(i % 100) / 100.0f);
    });
    audio.join();
    EXPECT_TRUE(EditorsShown({&a, &b}, {parentA, parentB}));

    // The audio thread's part stays allocation-free with an editor open and
    // repainting: a parameter change only leaves marks for the editor thread.
    std::thread realTime([&] {
        AEffect* e = a.Effect();
        std::vector<float> left(512, 0.25f), right(512, 0.25f);
        float* channels[] = {left.data(), right.data()};
        const test::TAllocationWatch watch(test::TAllocationWatch::TThreads::Own);
        for (int i = 0; i < 400; ++i) {
            e->setParameter(e, 4 * (i % 7) + 1 + i % 3, static_cast<float>(i % 50) / 50.0f);
            e->setParameter(e, 4 * (i % 7), static_cast<float>(i % 8) / 8.0f);
            e->processReplacing(e, channels, channels, 512);
        }
        EXPECT_EQ(watch.Allocations(), 0);
        EXPECT_EQ(watch.Releases(), 0);
    });
    realTime.join();
    EXPECT_TRUE(EditorsShown({&a, &b}, {parentA, parentB}));
    // Nor do an audio thread's very first calls, with the editor open.
    for (const auto& count : test::CountFirstAudioCalls(a.Effect())) {
        EXPECT_EQ(count.allocations, 0) << "first call: " << count.routine;
        EXPECT_EQ(count.releases, 0) << "first call: " << count.routine;
    }

    EXPECT_EQ(a.EditClose(), 0);
    EXPECT_EQ(a.EditClose(), 0);  // a close without an open is harmless
    EXPECT_EQ(b.EditClose(), 0);
    EXPECT_EQ(a.EditGetRect(rect), 1);
    b.Close();
    a.Close();
}

// One private X server of a given depth, with a parent window on its
// default visual; DISPLAY names it while it is current.
struct TScreenOfDepth {
    std::unique_ptr<host::tool::TPrivateXServer> Server;
    Display* Connection = nullptr;
    Window Parent = 0;

    ~TScreenOfDepth() {
        if (Connection) XCloseDisplay(Connection);
    }
    void MakeCurrent() const { ::setenv("DISPLAY", Server->DisplayName().c_str(), 1); }
};

std::unique_ptr<TScreenOfDepth> StartScreen(const std::string& xvfb, int depth) {
    auto screen = std::make_unique<TScreenOfDepth>();
    std::string problem;
    screen->Server = host::tool::TPrivateXServer::Start(xvfb, problem, "800x600x" + std::to_string(depth));
    if (!screen->Server) return nullptr;
    screen->Connection = XOpenDisplay(screen->Server->DisplayName().c_str());
    if (!screen->Connection) return nullptr;
    Display* d = screen->Connection;
    screen->Parent = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 718, 381, 0, 0, 0);
    XMapWindow(d, screen->Parent);
    XSync(d, False);
    return screen;
}

// The window's pixels, row by row.
using TPixels = std::vector<TColor32>;

// What the editor shows once two captures 120 ms apart agree.
std::optional<TPixels> SettledEditor(host::TPluginInstance& plugin, const TScreenOfDepth& screen) {
    TPixels last;
    for (auto deadline = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < deadline;) {
        for (int i = 0; i < 3; ++i) {
            plugin.EditIdle();
            std::this_thread::sleep_for(40ms);
        }
        TBitmap32 capture;
        if (!host::tool::CaptureWindow(screen.Connection, screen.Parent, capture)) return std::nullopt;
        TPixels now;
        for (int y = 0; y < capture.Height(); ++y)
            for (int x = 0; x < capture.Width(); ++x) now.push_back(capture.Pixel(x, y));
        const bool drawn = capture.Pixel(5, 5) != 0xFF000000u && capture.Pixel(700, 370) != 0xFF000000u;
        if (drawn && now == last) return now;
        last = std::move(now);
    }
    return std::nullopt;
}

int LargestChannelDifference(const TPixels& a, const TPixels& b) {
    if (a.size() != b.size()) return 255;
    int largest = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        for (const int shift : {0, 8, 16}) {
            const int ca = static_cast<int>((a[i] >> shift) & 0xFF);
            const int cb = static_cast<int>((b[i] >> shift) & 0xFF);
            largest = std::max(largest, std::abs(ca - cb));
        }
    return largest;
}

// The same editor on screens of 24, 30 and 16 bits: 30 bits shows exactly
// the 24-bit picture (8-bit channels widened and narrowed again), 16 bits
// the same within its coarser steps. A screen with no TrueColor visual (8
// bits) gets no editor: effEditOpen answers 0, and the next one, once a
// usable display is there, opens it.
TEST(EditorScreenDepths, TheEditorDrawsOnEveryTrueColorDepthAndRefusesWhereItCannot) {
    const auto xvfb = host::tool::FindProgram("Xvfb");
    if (!xvfb) GTEST_SKIP() << "No Xvfb";
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";

    std::map<int, TPixels> shown;
    std::map<int, std::unique_ptr<TScreenOfDepth>> screens;
    for (const int depth : {24, 30, 16, 8}) {
        screens[depth] = StartScreen(*xvfb, depth);
        ASSERT_NE(screens[depth], nullptr) << "no Xvfb screen of depth " << depth;
    }
    for (const int depth : {24, 30, 16}) {
        screens[depth]->MakeCurrent();
        host::TPluginInstance plugin(TESSEL_PLUGIN_PATH, std::make_shared<host::TScriptedHost>());
        plugin.Open();
        ASSERT_EQ(plugin.EditOpen(reinterpret_cast<void*>(screens[depth]->Parent)), 1) << depth << " bits";
        const auto image = SettledEditor(plugin, *screens[depth]);
        plugin.EditClose();
        plugin.Close();
        ASSERT_TRUE(image) << "nothing drawn at " << depth << " bits";
        shown[depth] = *image;
    }
    EXPECT_EQ(LargestChannelDifference(shown[30], shown[24]), 0);
    EXPECT_LE(LargestChannelDifference(shown[16], shown[24]), 8);

    host::TPluginInstance plugin(TESSEL_PLUGIN_PATH, std::make_shared<host::TScriptedHost>());
    plugin.Open();
    screens[8]->MakeCurrent();
    EXPECT_EQ(plugin.EditOpen(reinterpret_cast<void*>(screens[8]->Parent)), 0);
    EXPECT_EQ(plugin.EditOpen(reinterpret_cast<void*>(screens[8]->Parent)), 0);
    screens[24]->MakeCurrent();
    EXPECT_EQ(plugin.EditOpen(reinterpret_cast<void*>(screens[24]->Parent)), 1);
    EXPECT_TRUE(SettledEditor(plugin, *screens[24]));
    plugin.EditClose();
    plugin.Close();

    if (display)
        ::setenv("DISPLAY", saved.c_str(), 1);
    else
        ::unsetenv("DISPLAY");
}

}  // namespace
}  // namespace tessel
