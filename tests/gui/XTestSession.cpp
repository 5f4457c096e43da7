#include "tests/gui/XTestSession.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

#include "host/tools/WindowCapture.h"

namespace tessel::test {

namespace {

Display* Dpy(void* d) { return static_cast<Display*>(d); }

constexpr int kDragSteps = 10;
// Time the editor thread gets to see one input event before the next: a
// drag must not arrive as one jump, and a press must precede its motion.
constexpr auto kInputGap = std::chrono::milliseconds(15);

KeySym KeysymFor(std::string_view name) {
    const KeySym sym = XStringToKeysym(std::string(name).c_str());
    if (sym == NoSymbol) throw std::invalid_argument("no keysym " + std::string(name));
    return sym;
}

}  // namespace

TXTestSession::TXTestSession(int width, int height) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) throw std::runtime_error("no X display (run under xvfb-run)");
    FDisplay = d;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(d, &event, &error, &major, &minor)) {
        XCloseDisplay(d);
        throw std::runtime_error("the X server has no XTest extension");
    }
    const int screen = DefaultScreen(d);
    const Window w =
        XCreateSimpleWindow(d, RootWindow(d, screen), 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            0, BlackPixel(d, screen), WhitePixel(d, screen));
    XSelectInput(d, w, StructureNotifyMask);
    XMapWindow(d, w);
    for (XEvent e;;) {
        XNextEvent(d, &e);
        if (e.type == MapNotify && e.xmap.window == w) break;
    }
    FHostWindow = w;
    Sync();
}

TXTestSession::~TXTestSession() {
    Display* d = Dpy(FDisplay);
    if (FHostWindow) XDestroyWindow(d, static_cast<Window>(FHostWindow));
    XCloseDisplay(d);
}

std::uintptr_t TXTestSession::EditorWindow() const {
    Display* d = Dpy(FDisplay);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    std::uintptr_t result = 0;
    if (XQueryTree(d, static_cast<Window>(FHostWindow), &root, &parent, &children, &count) && count > 0)
        result = children[0];
    if (children) XFree(children);
    return result;
}

void TXTestSession::MoveTo(int x, int y) {
    Display* d = Dpy(FDisplay);
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(d, static_cast<Window>(FHostWindow), DefaultRootWindow(d), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(d, DefaultScreen(d), rootX, rootY, CurrentTime);
    Sync();
}

void TXTestSession::Press(int button, TXModifier held) {
    Modifiers(held, true);
    XTestFakeButtonEvent(Dpy(FDisplay), static_cast<unsigned>(button), True, CurrentTime);
    Sync();
}

void TXTestSession::Release(int button, TXModifier held) {
    XTestFakeButtonEvent(Dpy(FDisplay), static_cast<unsigned>(button), False, CurrentTime);
    Modifiers(held, false);
    Sync();
}

void TXTestSession::Click(int x, int y, int button, TXModifier held) {
    MoveTo(x, y);
    Press(button, held);
    Release(button, held);
}

void TXTestSession::DoubleClick(int x, int y) {
    Click(x, y);
    Click(x, y);
}

std::uintptr_t TXTestSession::KeyboardFocus() const {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(Dpy(FDisplay), &focus, &revert);
    return focus;
}

void TXTestSession::Drag(int x, int y, int dy, int button, TXModifier held) {
    MoveTo(x, y);
    Press(button, held);
    for (int step = 1; step <= kDragSteps; ++step) MoveTo(x, y + dy * step / kDragSteps);
    Release(button, held);
}

void TXTestSession::Wheel(int x, int y, int notches, TXModifier held) {
    MoveTo(x, y);
    Modifiers(held, true);
    const unsigned button = notches > 0 ? 4 : 5;
    for (int n = 0; n < (notches > 0 ? notches : -notches); ++n) {
        XTestFakeButtonEvent(Dpy(FDisplay), button, True, CurrentTime);
        XTestFakeButtonEvent(Dpy(FDisplay), button, False, CurrentTime);
        Sync();
    }
    Modifiers(held, false);
    Sync();
}

void TXTestSession::Key(std::string_view keysymName, TXModifier held) {
    Display* d = Dpy(FDisplay);
    const KeyCode code = XKeysymToKeycode(d, KeysymFor(keysymName));
    if (code == 0) throw std::invalid_argument("no key for " + std::string(keysymName));
    Modifiers(held, true);
    FakeKey(code, true);
    FakeKey(code, false);
    Modifiers(held, false);
}

void TXTestSession::Type(std::string_view text) {
    Display* d = Dpy(FDisplay);
    for (const char c : text) {
        const KeySym sym = static_cast<unsigned char>(c);  // Latin-1 keysyms are their code points
        const KeyCode code = XKeysymToKeycode(d, sym);
        if (code == 0) throw std::invalid_argument(std::string("no key types ") + c);
        const bool shifted = XkbKeycodeToKeysym(d, code, 0, 0) != sym;
        if (shifted) Modifiers(TXModifier::Shift, true);
        FakeKey(code, true);
        FakeKey(code, false);
        if (shifted) Modifiers(TXModifier::Shift, false);
    }
}

void TXTestSession::SendKey(std::uintptr_t window, std::string_view keysymName) {
    Display* d = Dpy(FDisplay);
    XKeyEvent e{};
    e.display = d;
    e.window = static_cast<Window>(window);
    e.root = DefaultRootWindow(d);
    e.subwindow = None;
    e.time = CurrentTime;
    e.same_screen = True;
    e.keycode = XKeysymToKeycode(d, KeysymFor(keysymName));
    for (const int type : {KeyPress, KeyRelease}) {
        e.type = type;
        XSendEvent(d, e.window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, reinterpret_cast<XEvent*>(&e));
    }
    Sync();
}

bool TXTestSession::Capture(TBitmap32& image) const {
    return host::tool::CaptureWindow(Dpy(FDisplay), static_cast<Window>(FHostWindow), image);
}

void TXTestSession::Sync() {
    XSync(Dpy(FDisplay), False);
    std::this_thread::sleep_for(kInputGap);
}

void TXTestSession::Modifiers(TXModifier held, bool down) {
    Display* d = Dpy(FDisplay);
    const auto has = [&](TXModifier m) { return (static_cast<unsigned>(held) & static_cast<unsigned>(m)) != 0; };
    if (has(TXModifier::Shift)) FakeKey(XKeysymToKeycode(d, XK_Shift_L), down);
    if (has(TXModifier::Ctrl)) FakeKey(XKeysymToKeycode(d, XK_Control_L), down);
    if (has(TXModifier::Alt)) FakeKey(XKeysymToKeycode(d, XK_Alt_L), down);
}

void TXTestSession::FakeKey(unsigned code, bool down) {
    XTestFakeKeyEvent(Dpy(FDisplay), code, down ? True : False, CurrentTime);
    Sync();
}

}  // namespace tessel::test
