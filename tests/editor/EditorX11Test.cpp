// The editor in a real X window: the equaliser opened through its
// dispatcher inside a parent window of the test's own, on the display the
// tests run on (or a private Xvfb). What the window shows is the form's
// frame, pixel for pixel.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "editor/FmOrvane.h"
#include "gui/controls/FormWindow.h"
#include "host/tools/PrivateXServer.h"
#include "plugin/OrvaneModule.h"
#include "tests/support/TestDisplay.h"

// Xlib's macros (KeyPress, …) clash with the controls' names: it comes last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "host/tools/WindowCapture.h"

namespace tessel {
namespace {

using namespace std::chrono_literals;

class TX11Orvane : public TOrvaneModule {
public:
    TFormWindow* Window() const { return dynamic_cast<TFormWindow*>(EditorForm()); }
};

class EditorX11 : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = FTestDisplay.Ensure(); !why.empty()) GTEST_SKIP() << why;
        FDisplay = XOpenDisplay(nullptr);
        if (!FDisplay) GTEST_SKIP() << "Cannot open the X display";
        FParent = XCreateSimpleWindow(FDisplay, DefaultRootWindow(FDisplay), 0, 0, 718, 381, 0, 0, 0xFF00FF);
        XMapWindow(FDisplay, FParent);
        XSync(FDisplay, False);
    }
    void TearDown() override {
        FModule.reset();
        if (FDisplay) {
            XDestroyWindow(FDisplay, FParent);
            XCloseDisplay(FDisplay);
        }
    }

    test::TTestDisplay FTestDisplay;
    Display* FDisplay = nullptr;
    Window FParent = 0;
    std::unique_ptr<TX11Orvane, TModuleDeleter> FModule;
};

TEST_F(EditorX11, TheWindowShowsTheFormsFrame) {
    FModule = CreateModule<TX11Orvane>();
    AEffect* e = FModule->GetEffectRecord();
    ASSERT_EQ(e->dispatcher(e, effEditOpen, 0, 0, reinterpret_cast<void*>(FParent), 0.0f), 1);
    TFormWindow* window = FModule->Window();
    ASSERT_NE(window, nullptr);
    auto& form = dynamic_cast<TFmOrvane&>(window->Form());

    TBitmap32 frame, shown;
    bool equal = false;
    for (auto deadline = std::chrono::steady_clock::now() + 10s;
         !equal && std::chrono::steady_clock::now() < deadline;) {
        bool settled = false;
        window->RunOnEditorThread([&] {
            settled = !form.FrameDue();
            if (settled) frame.Assign(form.Frame());
        });
        if (settled && host::tool::CaptureWindow(FDisplay, FParent, shown) && shown.Width() == frame.Width() &&
            shown.Height() == frame.Height()) {
            equal = true;
            for (int y = 0; y < frame.Height() && equal; ++y)
                for (int x = 0; x < frame.Width() && equal; ++x)
                    equal = (frame.Pixel(x, y) & 0xFFFFFF) == (shown.Pixel(x, y) & 0xFFFFFF);
        }
        if (!equal) std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(equal) << "the window's pixels differ from the form's frame";
    EXPECT_EQ(shown.Width(), 718);
    e->dispatcher(e, effEditClose, 0, 0, nullptr, 0.0f);
}

// A desktop set to 192 dpi (xrdb's Xft.dpi on an X server of the test's
// own, so no other test's editor sees it), no Zoom chosen and no content
// scale from the host: the editor is asked for at 200 %.
TEST(EditorX11Desktop, XftDpi192GivesTwiceTheSize) {
    const auto xvfb = host::tool::FindProgram("Xvfb");
    if (!xvfb) GTEST_SKIP() << "No Xvfb";
    std::string problem;
    const auto server = host::tool::TPrivateXServer::Start(*xvfb, problem);
    ASSERT_TRUE(server) << problem;
    Display* display = XOpenDisplay(server->DisplayName().c_str());
    ASSERT_NE(display, nullptr);
    const std::string resources = "Xft.antialias:\t1\nXft.dpi:\t192\n";
    XChangeProperty(display, DefaultRootWindow(display), XInternAtom(display, "RESOURCE_MANAGER", False), XA_STRING, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
                    static_cast<int>(resources.size()));
    XSync(display, False);

    const std::string previousDisplay = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    const char* previousConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string savedConfig = previousConfig ? previousConfig : "";
    ::setenv("DISPLAY", server->DisplayName().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", "/nonexistent/tessel-scale-test", 1);  // no settings: automatic
    auto module = CreateModule<TX11Orvane>();
    AEffect* e = module->GetEffectRecord();
    ERect* rect = nullptr;
    e->dispatcher(e, effEditGetRect, 0, 0, &rect, 0.0f);
    ASSERT_NE(rect, nullptr);
    const int width = rect->right - rect->left, height = rect->bottom - rect->top;  // the record lives in the module
    module.reset();
    ::setenv("DISPLAY", previousDisplay.c_str(), 1);
    if (previousConfig) {
        ::setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
    XCloseDisplay(display);
    EXPECT_EQ(width, 1436);
    EXPECT_EQ(height, 762);
}

}  // namespace
}  // namespace tessel
