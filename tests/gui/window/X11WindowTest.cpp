// The editor window on a real X server (Xvfb under the test script): a form
// embedded in a parent window, driven with XTest input, read back with
// XGetImage, the CLIPBOARD selection both ways, and open/close cycles that
// must leave no thread, descriptor, shared memory or window behind.

#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gui/controls/FlatEdit.h"
#include "gui/controls/Form.h"
#include "gui/controls/FormWindow.h"
#include "gui/controls/MetalDial32.h"
#include "gui/window/X11Window.h"
#include "tests/gui/FormTesting.h"

// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <X11/extensions/XTest.h>
// clang-format on

namespace tessel {
namespace {

using namespace std::chrono_literals;
using Log = std::vector<std::string>;

constexpr int kWidth = 320, kHeight = 200;
constexpr int kParentX = 100, kParentY = 100;  // the parent's place on the screen
const TRect kKnob{20, 20, 80, 180};
const TRect kBox{120, 20, 300, 50};

// A form with a gradient of its own, a knob-like drag control, a text box
// and a menu that a right click on the form opens.
class TTestForm : public TForm {
public:
    TTestForm() : Knob(this, Events, "knob", 0xFF40A040u, kKnob), Box(this, Events, "box", 0xFFF0F0F0u, kBox, true) {
        SetClientSize(kWidth, kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                FBackBuffer.RowPixels(y)[x] = Color32(static_cast<std::uint8_t>(x * 255 / kWidth),
                                                      static_cast<std::uint8_t>(y * 255 / kHeight), 0x80,
                                                      0x80);  // half transparent: the window must still be opaque
        Menu.Items().Add("MIOne", "&One");
        Menu.Items().Add("MITwo", "&Two").OnClick = [this](TMenuItem& item) { Events.push_back("menu " + item.Name); };
        OnMouseDown = [this](TForm&, TMouseButton button, TShiftState, int, int) {
            if (button == TMouseButton::Right) Popup(Menu);
        };
    }
    Log Events;
    testing::TDragControl Knob;
    testing::TProbeControl Box;
    TPopupMenu Menu{"PUTest"};
};

// The editor's own controls: a metal knob and a flat edit box.
class TControlsForm : public TTestForm {
public:
    TControlsForm() : Dial(this), Edit(this) {
        Dial.SetBounds(200, 60, 81, 83);
        Dial.SetLockCursor(true);
        Dial.SetTransparent(true);
        Edit.SetBounds(200, 160, 81, 19);
        Edit.OnKeyPress = [this](TControl&, char32_t& key) { Keys.push_back(key); };
    }
    TMetalDial32 Dial;
    TFlatEdit Edit;
    std::u32string Keys;  // what the box reported through OnKeyPress
};

int CountEntries(const char* directory) {
    int count = 0;
    if (DIR* d = opendir(directory)) {
        while (readdir(d)) ++count;
        closedir(d);
    }
    return count;
}

// Shared-memory segments this process created that still exist.
int OwnSharedSegments() {
    std::ifstream table("/proc/sysvipc/shm");
    std::string line;
    std::getline(table, line);  // header
    int count = 0;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string key, id, perms, size, creator;
        fields >> key >> id >> perms >> size >> creator;
        if (creator == std::to_string(getpid())) ++count;
    }
    return count;
}

class X11WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "No X display: DISPLAY is unset (the test script runs under xvfb-run)";
        // A server that just saw many connections close may drop the next
        // one for a few milliseconds.
        for (int attempt = 0; attempt < 20 && !display; ++attempt) {
            display = XOpenDisplay(nullptr);
            if (!display) std::this_thread::sleep_for(10ms);
        }
        if (!display) GTEST_SKIP() << "Cannot open the X display " << std::getenv("DISPLAY");
        int event, error, major, minor;
        if (!XTestQueryExtension(display, &event, &error, &major, &minor)) GTEST_SKIP() << "The X server lacks XTEST";
        const Window root = DefaultRootWindow(display);
        parent = XCreateSimpleWindow(display, root, kParentX, kParentY, 400, 300, 0, 0, 0x303030);
        XSelectInput(display, parent, PropertyChangeMask);
        XMapWindow(display, parent);
        XSync(display, False);
    }
    void TearDown() override {
        window.reset();
        if (!display) return;
        XDestroyWindow(display, parent);
        XCloseDisplay(display);
    }

    // Opens the editor the way the framework does on effEditOpen.
    void Open(std::unique_ptr<TTestForm> f, const TX11WindowOptions& options = {}) {
        form = f.get();
        window = std::make_unique<TFormWindow>(std::move(f), CreateX11Window(options));
        window->SetParentWindow(parent);
        window->Show();
        window->RemoveBorder();
        window->SetBounds(0, 0, window->Width(), window->Height());
        window->Invalidate();
    }
    // Polls until the condition holds or 5 s pass.
    bool Eventually(const std::function<bool()>& condition) {
        for (auto deadline = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < deadline;) {
            XSync(display, False);
            if (condition()) return true;
            std::this_thread::sleep_for(5ms);
        }
        return false;
    }
    void Chord(KeySym modifier, KeySym sym) {
        const KeyCode held = XKeysymToKeycode(display, modifier);
        XTestFakeKeyEvent(display, held, True, 0);
        Type(sym);
        XTestFakeKeyEvent(display, held, False, 0);
        XSync(display, False);
    }
    template <class T>
    T OnEditor(const std::function<T()>& read) {
        T value{};
        window->RunOnEditorThread([&] { value = read(); });
        return value;
    }
    std::vector<Window> Children() {
        Window root, parentOfParent, *children = nullptr;
        unsigned count = 0;
        XQueryTree(display, parent, &root, &parentOfParent, &children, &count);
        std::vector<Window> list(children, children + count);
        if (children) XFree(children);
        return list;
    }
    Window EditorWindow() {
        Window found = 0;
        Eventually([&] {
            const auto children = Children();
            if (children.size() != 1) return false;
            XWindowAttributes a;
            if (!XGetWindowAttributes(display, children[0], &a) || a.map_state != IsViewable) return false;
            found = children[0];
            return true;
        });
        return found;
    }
    // XTest input in form coordinates.
    void MoveTo(int x, int y) { XTestFakeMotionEvent(display, DefaultScreen(display), kParentX + x, kParentY + y, 0); }
    void Button(unsigned button, bool down) { XTestFakeButtonEvent(display, button, down ? True : False, 0); }
    void Click(int x, int y, unsigned button = 1) {
        MoveTo(x, y);
        Button(button, true);
        Button(button, false);
        XSync(display, False);
    }
    void Type(KeySym sym, bool shift = false) {
        const KeyCode shiftKey = XKeysymToKeycode(display, XK_Shift_L);
        const KeyCode key = XKeysymToKeycode(display, sym);
        if (shift) XTestFakeKeyEvent(display, shiftKey, True, 0);
        XTestFakeKeyEvent(display, key, True, 0);
        XTestFakeKeyEvent(display, key, False, 0);
        if (shift) XTestFakeKeyEvent(display, shiftKey, False, 0);
        XSync(display, False);
    }
    // The pixels of the editor window differ from the composed frame in
    // this many places.
    int DifferencesFromFrame(Window editor) {
        TBitmap32 frame;
        window->RunOnEditorThread([&] { frame.Assign(form->Frame()); });
        XImage* image = XGetImage(display, editor, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
        if (!image) return -1;
        int differences = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if ((XGetPixel(image, x, y) & 0xFFFFFF) != (frame.Pixel(x, y) & 0xFFFFFF)) ++differences;
        XDestroyImage(image);
        return differences;
    }

    Display* display = nullptr;
    Window parent = 0;
    TTestForm* form = nullptr;
    std::unique_ptr<TFormWindow> window;
};

TEST_F(X11WindowTest, RealInputReachesTheFormAndTheWindowShowsTheComposedFrame) {
    Open(std::make_unique<TTestForm>());
    const Window editor = EditorWindow();
    ASSERT_NE(editor, 0u);

    // A drag on the knob keeps coming while the pointer leaves the window
    // upwards, with the pointer hidden; the release puts it back at the
    // knob's centre.
    MoveTo(50, 100);
    Button(1, true);
    for (int y = 90; y >= -50; y -= 10) MoveTo(50, y);
    XSync(display, False);
    EXPECT_TRUE(Eventually([&] { return OnEditor<int>([&] { return form->Knob.Travel; }) == 150; }));
    Button(1, false);
    XSync(display, False);
    EXPECT_TRUE(Eventually([&] { return !OnEditor<bool>([&] { return form->Knob.Dragging; }); }));
    EXPECT_TRUE(Eventually([&] {
        Window root, child;
        int rootX, rootY, x, y;
        unsigned mask;
        XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y, &mask);
        return rootX == kParentX + 50 && rootY == kParentY + 100;
    }));

    // A click on the box focuses it and typing goes there, through XKB.
    Click(200, 35);
    Type(XK_a);
    Type(XK_1);
    Type(XK_b, /*shift=*/true);
    Type(XK_Num_Lock);  // the numeric pad types digits with Num Lock on
    Type(XK_KP_5);
    Type(XK_Num_Lock);
    Type(XK_Return);
    EXPECT_TRUE(Eventually([&] { return OnEditor<std::u32string>([&] { return form->Box.Text; }) == U"a1B5\r"; }));
    const Log events = OnEditor<Log>([&] { return form->Events; });
    EXPECT_NE(std::find(events.begin(), events.end(), "box key 66 shift"), events.end());
    EXPECT_NE(std::find(events.begin(), events.end(), "box key 101"), events.end());  // the numeric pad's 5

    // A right click on the form opens the menu at the pointer; a click on
    // an item chooses it.
    Click(200, 120, 3);
    ASSERT_TRUE(Eventually([&] { return OnEditor<bool>([&] { return form->MenuOpen(); }); }));
    const TRect two = OnEditor<TRect>([&] { return form->MenuView().ItemBounds(*form->Menu.Find("MITwo")); });
    EXPECT_EQ(OnEditor<TRect>([&] { return form->MenuView().LevelBounds(0); }).Left, 200);
    Click((two.Left + two.Right) / 2, (two.Top + two.Bottom) / 2);
    EXPECT_TRUE(Eventually([&] {
        const Log now = OnEditor<Log>([&] { return form->Events; });
        return !now.empty() && now.back() == "menu MITwo";
    }));

    // What the window shows is the composed frame, pixel for pixel.
    EXPECT_TRUE(Eventually([&] {
        return !OnEditor<bool>([&] { return form->FrameDue(); }) && DifferencesFromFrame(editor) == 0;
    })) << DifferencesFromFrame(editor)
        << " pixels differ";
    EXPECT_EQ(OnEditor<TColor32>([&] { return form->Frame().Pixel(kKnob.Left + 1, kKnob.Bottom - 1); }),
              0xFF00FF00u);  // the knob's travel bar
}

TEST_F(X11WindowTest, TheKnobAndTheEditBoxFollowRealInput) {
    auto owned = std::make_unique<TControlsForm>();
    TControlsForm* controls = owned.get();
    Open(std::move(owned));
    const Window editor = EditorWindow();
    ASSERT_NE(editor, 0u);

    // 30 pixels up turn the knob by 0.3; the pointer comes back to its centre.
    MoveTo(240, 100);
    Button(1, true);
    for (int y = 90; y >= 70; y -= 10) MoveTo(240, y);
    Button(1, false);
    XSync(display, False);
    EXPECT_TRUE(Eventually([&] {
        return !OnEditor<bool>([&] { return controls->Dial.Dragging(); }) &&
               std::abs(OnEditor<float>([&] { return controls->Dial.Position(); }) - 0.3f) < 1e-4f;
    })) << OnEditor<float>([&] { return controls->Dial.Position(); });
    EXPECT_TRUE(Eventually([&] {
        Window root, child;
        int rootX, rootY, x, y;
        unsigned mask;
        XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y, &mask);
        return rootX == kParentX + 240 && rootY == kParentY + 101;
    }));

    // Typing, editing keys and Ctrl combinations reach the focused box.
    Click(240, 169);
    for (const KeySym key : {XK_2, XK_period, XK_5, XK_k, XK_BackSpace}) Type(key);
    Type(XK_m, /*shift=*/true);
    EXPECT_TRUE(Eventually([&] { return OnEditor<std::string>([&] { return controls->Edit.Text(); }) == "2.5M"; }));
    Chord(XK_Control_L, XK_a);
    Type(XK_7);
    Type(XK_Return);
    EXPECT_TRUE(Eventually([&] { return OnEditor<std::string>([&] { return controls->Edit.Text(); }) == "7"; }));
    EXPECT_TRUE(Eventually([&] { return OnEditor<std::u32string>([&] { return controls->Keys; }).ends_with(U'\r'); }));

    EXPECT_TRUE(Eventually([&] {
        return !OnEditor<bool>([&] { return form->FrameDue(); }) && DifferencesFromFrame(editor) == 0;
    })) << DifferencesFromFrame(editor)
        << " pixels differ";
}

TEST_F(X11WindowTest, WithoutSharedMemoryTheFramesArriveAllTheSame) {
    Open(std::make_unique<TTestForm>(), {.SharedMemory = false});
    const Window editor = EditorWindow();
    ASSERT_NE(editor, 0u);
    Click(50, 100);  // the knob's press marks its area
    window->RunOnEditorThread([&] { form->InvalidateRect({0, 0, 10, 10}); });
    EXPECT_TRUE(Eventually([&] {
        return !OnEditor<bool>([&] { return form->FrameDue(); }) && DifferencesFromFrame(editor) == 0;
    })) << DifferencesFromFrame(editor)
        << " pixels differ";
}

TEST_F(X11WindowTest, AParentWithA32BitVisualGetsOpaquePixels) {
    // Compositing hosts give their windows 32-bit ARGB visuals; the editor
    // window takes the parent's visual and must not show through.
    XVisualInfo info{};
    if (!XMatchVisualInfo(display, DefaultScreen(display), 32, TrueColor, &info))
        GTEST_SKIP() << "The X server offers no 32-bit TrueColor visual";
    XSetWindowAttributes a{};
    a.colormap = XCreateColormap(display, DefaultRootWindow(display), info.visual, AllocNone);
    a.border_pixel = 0;
    a.background_pixel = 0;
    const Window argb = XCreateWindow(display, parent, 0, 0, 400, 300, 0, 32, InputOutput, info.visual,
                                      CWColormap | CWBorderPixel | CWBackPixel, &a);
    XMapWindow(display, argb);
    XSync(display, False);
    const Window hostParent = parent;
    parent = argb;
    Open(std::make_unique<TTestForm>());
    const Window editor = EditorWindow();
    ASSERT_NE(editor, 0u);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, editor, &attributes);
    EXPECT_EQ(attributes.depth, 32);
    EXPECT_TRUE(Eventually([&] {
        if (OnEditor<bool>([&] { return form->FrameDue(); })) return false;
        XImage* image = XGetImage(display, editor, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
        if (!image) return false;
        int wrong = 0;
        for (int y = 0; y < kHeight; y += 7)
            for (int x = 0; x < kWidth; x += 7)
                if ((XGetPixel(image, x, y) >> 24) != 0xFF) ++wrong;
        XDestroyImage(image);
        return wrong == 0 && DifferencesFromFrame(editor) == 0;
    }));
    window.reset();
    parent = hostParent;
    XFreeColormap(display, a.colormap);
}

TEST_F(X11WindowTest, TheClipboardSelectionWorksBothWays) {
    Open(std::make_unique<TTestForm>());
    ASSERT_NE(EditorWindow(), 0u);
    const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const Atom property = XInternAtom(display, "TEST_PASTE", False);

    // The editor owns the clipboard: another client reads UTF-8 from it.
    window->RunOnEditorThread([&] { form->SetClipboardText("h\xC3\xA9llo"); });
    XConvertSelection(display, clipboard, utf8, property, parent, CurrentTime);
    XEvent e;
    ASSERT_TRUE(Eventually([&] { return XCheckTypedWindowEvent(display, parent, SelectionNotify, &e) == True; }));
    ASSERT_EQ(e.xselection.property, property);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, parent, property, 0, 1024, True, AnyPropertyType, &type, &format, &count, &after,
                       &data);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), count), "h\xC3\xA9llo");
    XFree(data);

    // Another client owns it: the editor's read waits for the answer.
    XSetSelectionOwner(display, clipboard, parent, CurrentTime);
    const std::string offered = "pasted \xE2\x9C\x93";
    auto pasted = std::async(std::launch::async, [&] {
        std::string text;
        window->RunOnEditorThread([&] { text = form->ClipboardText(); });
        return text;
    });
    bool answered = false;
    for (auto deadline = std::chrono::steady_clock::now() + 5s;
         !answered && std::chrono::steady_clock::now() < deadline;) {
        if (!XCheckTypedWindowEvent(display, parent, SelectionRequest, &e)) {
            std::this_thread::sleep_for(1ms);
            continue;
        }
        const XSelectionRequestEvent& request = e.xselectionrequest;
        XChangeProperty(display, request.requestor, request.property, utf8, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(offered.data()), static_cast<int>(offered.size()));
        XSelectionEvent reply{};
        reply.type = SelectionNotify;
        reply.requestor = request.requestor;
        reply.selection = request.selection;
        reply.target = request.target;
        reply.property = request.property;
        reply.time = request.time;
        XSendEvent(display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
        XFlush(display);
        answered = true;
    }
    EXPECT_TRUE(answered);
    EXPECT_EQ(pasted.get(), offered);
}

TEST_F(X11WindowTest, OpenCloseCyclesLeaveNothingBehind) {
    // One cycle first: the libraries' one-time allocations are not leaks.
    Open(std::make_unique<TTestForm>());
    ASSERT_NE(EditorWindow(), 0u);
    window.reset();
    const int threads = CountEntries("/proc/self/task");
    const int descriptors = CountEntries("/proc/self/fd");
    const int segments = OwnSharedSegments();

    for (int cycle = 0; cycle < 100; ++cycle) {
        Open(std::make_unique<TTestForm>());
        window->RunOnEditorThread([&] {
            // Some close in the middle of a drag, some with a menu open.
            if (cycle % 3 == 0) form->WindowMouseDown(TMouseButton::Left, {}, 50, 100);
            if (cycle % 5 == 0) form->Popup(form->Menu, 150, 50);
        });
        window.reset();
    }
    XSync(display, False);
    EXPECT_EQ(CountEntries("/proc/self/task"), threads);
    EXPECT_EQ(CountEntries("/proc/self/fd"), descriptors);
    EXPECT_EQ(OwnSharedSegments(), segments);
    EXPECT_TRUE(Children().empty());
}

TEST_F(X11WindowTest, AHostWindowThatDoesNotExistFailsTheOpeningNotTheProcess) {
    form = nullptr;
    window = CreateX11FormWindow(std::make_unique<TTestForm>());
    EXPECT_THROW(window->SetParentWindow(0x7FFFFFF), EEditorOpenFailed);  // no such window
    EXPECT_TRUE(window->OpenFailed());
    EXPECT_FALSE(window->ThreadRunning());
    // A host that destroys its window before closing the editor is survived too.
    Open(std::make_unique<TTestForm>());
    ASSERT_NE(EditorWindow(), 0u);
    XDestroyWindow(display, parent);
    XSync(display, False);
    window->RunOnEditorThread([&] { form->InvalidateAll(); });
    std::this_thread::sleep_for(50ms);
    window.reset();
    parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
}

}  // namespace
}  // namespace tessel
