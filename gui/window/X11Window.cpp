// The X11 (Xlib) backend of the editor window: a borderless child of the
// host's window on a Display connection of its own, painted by copying
// frames through MIT-SHM (XPutImage where the server cannot share memory),
// with mouse, XKB keyboard, focus, pointer and CLIPBOARD selection services.
//
// Threads: one editor thread uses a TX11Window, and so its connection, from
// Open to Close. Several editors run several connections on several
// threads; the library never calls XInitThreads.

#include "gui/window/X11Window.h"

#include <string>

#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <utility>

#include "gui/surface/Bitmap32.h"
#include "gui/surface/FontEngine.h"
#include "gui/window/DesktopScale.h"

// Xlib's macros (None, Bool, Status, ...) come last.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xlibint.h>  // XESetWireToError: per-connection error interception
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <X11/extensions/XShm.h>
// clang-format on
#undef min  // Xlibint.h's macros would shadow std::min and std::max
#undef max

namespace tessel {
namespace {

using TClock = std::chrono::steady_clock;

// How long a clipboard read waits for the owner's answer.
constexpr auto kSelectionWait = std::chrono::milliseconds(300);
// A shared-memory copy whose completion event never came (its window went
// away) stops blocking the next copy after this long.
constexpr auto kCompletionTimeout = std::chrono::milliseconds(250);
// Largest clipboard text read or offered, bytes (no INCR transfers).
constexpr long kMaxSelectionBytes = 1 << 20;

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                            LeaveWindowMask | KeyPressMask | KeyReleaseMask | FocusChangeMask | StructureNotifyMask;

// XEmbed: protocol version 0, "map me" flag, and the messages we use.
constexpr long kXEmbedVersion = 0;
constexpr long kXEmbedMapped = 1;
constexpr long kXEmbedEmbeddedNotify = 0;
constexpr long kXEmbedRequestFocus = 3;
constexpr long kXEmbedFocusIn = 4;
constexpr long kXEmbedFocusOut = 5;

// ---- Errors ---------------------------------------------------------------------
// An X error on an editor connection (a host window that vanished, a server
// that refuses shared memory) must not reach the process-wide handler, whose
// default ends the process. Every error code of our own connections is
// intercepted and counted instead. A connection is used by one thread only,
// so a thread-local counter is that connection's count.
thread_local unsigned t_errors = 0;

Bool CountError(Display*, XErrorEvent*, xError*) {
    ++t_errors;
    return False;  // handled: Xlib calls no error handler
}

void InterceptErrors(Display* display) {
    for (int code = 1; code < 256; ++code) XESetWireToError(display, code, &CountError);
}

// The server went away: the connection may no longer be used.
void ConnectionLost(Display*, void* lost) { *static_cast<bool*>(lost) = true; }

// Opening and closing connections touches library-wide state in Xlib, whose
// own locks are on only where the host (or libX11 1.8, by itself) turned
// them on: one at a time, whatever the library was built with.
std::mutex& ConnectionLock() {
    static std::mutex lock;
    return lock;
}

// An X server that has just seen many connections close can drop a new
// one before its handshake (Xvfb does, for some milliseconds): a few
// attempts, a frame period apart, ride that out.
Display* OpenDisplay() {
    constexpr int kAttempts = 10;
    for (int attempt = 0;; ++attempt) {
        {
            std::lock_guard guard(ConnectionLock());
            if (Display* display = XOpenDisplay(nullptr)) return display;
        }
        if (attempt + 1 == kAttempts || !std::getenv("DISPLAY")) return nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(16));
    }
}

// ---- Input state -------------------------------------------------------------------

TShiftState ShiftFromState(unsigned state) {
    TShiftState s;
    s.Shift = (state & ShiftMask) != 0;
    s.Ctrl = (state & ControlMask) != 0;
    s.Alt = (state & Mod1Mask) != 0;
    s.Left = (state & Button1Mask) != 0;
    s.Middle = (state & Button2Mask) != 0;
    s.Right = (state & Button3Mask) != 0;
    return s;
}

std::optional<TMouseButton> ButtonOf(unsigned button) {
    switch (button) {
        case Button1:
            return TMouseButton::Left;
        case Button2:
            return TMouseButton::Middle;
        case Button3:
            return TMouseButton::Right;
        default:
            return std::nullopt;
    }
}

void SetButton(TShiftState& s, TMouseButton button, bool held) {
    (button == TMouseButton::Left ? s.Left : button == TMouseButton::Right ? s.Right : s.Middle) = held;
}

// ---- Keys ----------------------------------------------------------------------------

struct TKeyMapping {
    KeySym Sym;
    int Key;
};

// Keysyms without a printable character and their virtual-key codes.
constexpr std::array<TKeyMapping, 46> kSpecialKeys = {{
    {XK_BackSpace, vkBack},
    {XK_Tab, vkTab},
    {XK_ISO_Left_Tab, vkTab},
    {XK_Clear, vkClear},
    {XK_Return, vkReturn},
    {XK_Pause, vkPause},
    {XK_Scroll_Lock, vkScroll},
    {XK_Escape, vkEscape},
    {XK_Home, vkHome},
    {XK_Left, vkLeft},
    {XK_Up, vkUp},
    {XK_Right, vkRight},
    {XK_Down, vkDown},
    {XK_Prior, vkPrior},
    {XK_Next, vkNext},
    {XK_End, vkEnd},
    {XK_Begin, vkClear},
    {XK_Print, vkSnapshot},
    {XK_Insert, vkInsert},
    {XK_Menu, vkApps},
    {XK_Num_Lock, vkNumLock},
    {XK_Shift_L, vkShift},
    {XK_Shift_R, vkShift},
    {XK_Control_L, vkControl},
    {XK_Control_R, vkControl},
    {XK_Caps_Lock, vkCapital},
    {XK_Alt_L, vkMenu},
    {XK_Alt_R, vkMenu},
    {XK_ISO_Level3_Shift, vkMenu},
    {XK_Super_L, vkLWin},
    {XK_Super_R, vkRWin},
    {XK_Delete, vkDelete},
    {XK_KP_Enter, vkReturn},
    {XK_KP_Home, vkHome},
    {XK_KP_Left, vkLeft},
    {XK_KP_Up, vkUp},
    {XK_KP_Right, vkRight},
    {XK_KP_Down, vkDown},
    {XK_KP_Prior, vkPrior},
    {XK_KP_Next, vkNext},
    {XK_KP_End, vkEnd},
    {XK_KP_Begin, vkClear},
    {XK_KP_Insert, vkInsert},
    {XK_KP_Delete, vkDelete},
    {XK_KP_Space, vkSpace},
    {XK_KP_Tab, vkTab},
}};

constexpr std::array<TKeyMapping, 6> kKeypadOperators = {{
    {XK_KP_Multiply, vkMultiply},
    {XK_KP_Add, vkAdd},
    {XK_KP_Separator, vkSeparator},
    {XK_KP_Subtract, vkSubtract},
    {XK_KP_Decimal, vkDecimal},
    {XK_KP_Divide, vkDivide},
}};

constexpr std::array<TKeyMapping, 11> kPunctuationKeys = {{
    {XK_semicolon, vkOemSemicolon},
    {XK_equal, vkOemPlus},
    {XK_comma, vkOemComma},
    {XK_minus, vkOemMinus},
    {XK_period, vkOemPeriod},
    {XK_slash, vkOemSlash},
    {XK_grave, vkOemTilde},
    {XK_bracketleft, vkOemOpenBracket},
    {XK_backslash, vkOemBackslash},
    {XK_bracketright, vkOemCloseBracket},
    {XK_apostrophe, vkOemQuote},
}};

template <std::size_t N>
int Lookup(const std::array<TKeyMapping, N>& table, KeySym sym) {
    for (const TKeyMapping& m : table)
        if (m.Sym == sym) return m.Key;
    return 0;
}

// The virtual key of a key press. `sym` is what the key means now (shift
// level and Num Lock applied), `base` its unshifted symbol: letters, digits
// and punctuation name the key by its base symbol, the numeric pad by what
// Num Lock makes of it.
int VirtualKeyOf(KeySym sym, KeySym base) {
    if (sym >= XK_KP_0 && sym <= XK_KP_9) return vkNumpad0 + static_cast<int>(sym - XK_KP_0);
    if (const int key = Lookup(kKeypadOperators, sym)) return key;
    if (sym >= XK_KP_Space && sym <= XK_KP_Delete) return Lookup(kSpecialKeys, sym);
    const KeySym named = base != NoSymbol ? base : sym;
    if (named >= XK_a && named <= XK_z) return static_cast<int>(named - XK_a) + 'A';
    if ((named >= XK_A && named <= XK_Z) || (named >= XK_0 && named <= XK_9)) return static_cast<int>(named);
    if (named == XK_space) return vkSpace;
    if (named >= XK_F1 && named <= XK_F24) return vkF1 + static_cast<int>(named - XK_F1);
    if (const int key = Lookup(kPunctuationKeys, named)) return key;
    return Lookup(kSpecialKeys, named);
}

// The Unicode character a keysym types, 0 for none: Latin-1 keysyms are
// their own code points, Unicode keysyms carry theirs, and a few keys type
// control characters or keypad symbols.
char32_t CharacterOf(KeySym sym) {
    if ((sym >= 0x20 && sym <= 0x7E) || (sym >= 0xA0 && sym <= 0xFF)) return static_cast<char32_t>(sym);
    if (sym >= 0x01000100 && sym <= 0x0110FFFF) return static_cast<char32_t>(sym - 0x01000000);
    if (sym >= XK_KP_0 && sym <= XK_KP_9) return U'0' + static_cast<char32_t>(sym - XK_KP_0);
    switch (sym) {
        case XK_BackSpace:
            return 8;
        case XK_Tab:
        case XK_ISO_Left_Tab:
        case XK_KP_Tab:
            return 9;
        case XK_Return:
        case XK_KP_Enter:
            return 13;
        case XK_Escape:
            return 27;
        case XK_KP_Space:
            return U' ';
        case XK_KP_Equal:
            return U'=';
        case XK_KP_Multiply:
            return U'*';
        case XK_KP_Add:
            return U'+';
        case XK_KP_Separator:
            return U',';
        case XK_KP_Subtract:
            return U'-';
        case XK_KP_Decimal:
            return U'.';
        case XK_KP_Divide:
            return U'/';
        case XK_EuroSign:
            return 0x20AC;
        default:
            return 0;
    }
}

std::string Latin1ToUtf8(const unsigned char* text, std::size_t length) {
    std::string utf8;
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = text[i];
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return utf8;
}

std::string Utf8ToLatin1(const std::string& text) {
    std::string latin1;
    for (const char32_t c : DecodeUtf8(text)) latin1 += c < 0x100 ? static_cast<char>(c) : '?';
    return latin1;
}

// ---- Pixels ---------------------------------------------------------------------------

// One 8-bit channel of the frame as it lands in a pixel value of the
// visual: every value's pixel bits, computed once per visual.
class TChannelTable {
public:
    explicit TChannelTable(unsigned long mask = 0) {
        int shift = 0, bits = 0;
        if (mask != 0) {
            while (!(mask & 1)) mask >>= 1, ++shift;
            while (mask & 1) mask >>= 1, ++bits;
        }
        for (unsigned v = 0; v < FBits.size(); ++v) FBits[v] = static_cast<std::uint32_t>(Widen(v, bits) << shift);
    }
    std::uint32_t operator[](std::uint8_t value) const { return FBits[value]; }

    // An 8-bit value in `bits` bits: narrower keeps the high bits, wider
    // repeats them, so that full scale stays full scale (255 is 1023 in 10
    // bits, not 1020).
    static unsigned long Widen(unsigned value, int bits) {
        if (bits <= 0) return 0;
        if (bits <= 8) return value >> (8 - bits);
        unsigned long wide = 0;
        int filled = 0;
        while (filled < bits) {
            wide = (wide << 8) | value;
            filled += 8;
        }
        return wide >> (filled - bits);
    }

private:
    std::array<std::uint32_t, 256> FBits{};
};

// How frame pixels become image pixels.
enum class TPacking {
    Direct,   // the image's pixels are TColor32 words (24/32-bit 8-8-8)
    Word32,   // 32-bit pixels in the host's byte order, by the channel tables (30-bit)
    Word16,   // 16-bit pixels in the host's byte order, by the channel tables
    General,  // XPutPixel, by the channel tables
};

class TX11Window final : public TPlatformWindow {
public:
    explicit TX11Window(const TX11WindowOptions& options) : FOptions(options) {}
    ~TX11Window() override { Close(); }

    void Open(std::uintptr_t parent, int width, int height) override;
    void Close() override;
    bool IsOpen() const override { return FDisplay != nullptr; }
    void Reparent(std::uintptr_t parent) override;
    void SetVisible(bool visible) override;
    void SetBounds(int left, int top, int width, int height) override;
    void SetClientSize(int width, int height) override;
    int EventFd() const override { return Usable() ? ConnectionNumber(FDisplay) : -1; }
    bool PrepareToWait() override;
    void DispatchEvents(TWindowEventSink& sink) override;
    bool ReadyToPresent() const override { return !FPutInFlight || TClock::now() - FPutTime > kCompletionTimeout; }
    void Present(const TBitmap32& frame, std::span<const TRect> rects) override;
    void SetCursorHidden(bool hidden) override;
    void WarpPointer(int x, int y) override;
    void TakeFocus() override;
    void ReleaseFocus() override;
    void SetClipboardText(const std::string& text) override;
    std::string ClipboardText() override;

private:
    struct TAtoms {
        Atom Clipboard, Utf8String, Targets, Text, Incr, XEmbed, XEmbedInfo, Property;
    };

    bool Usable() const { return FDisplay && !FLost; }
    void CreateWindow(std::uintptr_t parent, int width, int height);
    void ChooseVisual(Window parent);
    bool Viewable(Window window);
    void CreateImage(int width, int height);
    bool CreateSharedImage(int width, int height);
    void DestroyImage();
    void CopyToImage(const TBitmap32& frame, const TRect& r);
    void HandleEvent(XEvent& e, TWindowEventSink& sink, TRect& exposed);
    void HandleKey(const XKeyEvent& e, TWindowEventSink& sink);
    void AnswerSelectionRequest(const XSelectionRequestEvent& request);
    std::optional<std::string> ReadSelection(Atom target);
    Time EventTime() const { return FLastTime != 0 ? FLastTime : CurrentTime; }

    TX11WindowOptions FOptions;
    Display* FDisplay = nullptr;
    bool FLost = false;  // the connection broke
    Window FWindow = 0;
    Window FParent = 0;
    Visual* FVisual = nullptr;
    int FDepth = 0;
    Colormap FColormap = 0;  // ours when the parent's visual could not be used
    GC FGC = nullptr;
    Cursor FBlankCursor = 0;
    TAtoms FAtoms{};
    XImage* FImage = nullptr;
    XShmSegmentInfo FShm{};
    bool FShared = false;
    int FShmCompletion = -1;  // event type
    bool FPutInFlight = false;
    TClock::time_point FPutTime;
    TPacking FPacking = TPacking::General;
    TChannelTable FRed, FGreen, FBlue;
    Window FEmbedder = 0;     // the XEmbed embedder that announced itself, or 0
    Window FFocusBefore = 0;  // who had the keyboard before TakeFocus
    Time FLastTime = 0;
    std::string FClipboard;
    bool FOwnsClipboard = false;
};

// ---- Opening and closing ----------------------------------------------------------------

void TX11Window::Open(std::uintptr_t parent, int width, int height) {
    Close();
    FDisplay = OpenDisplay();
    if (!FDisplay) throw std::runtime_error("Cannot open the X display");
    InterceptErrors(FDisplay);
    XSetIOErrorExitHandler(FDisplay, &ConnectionLost, &FLost);
    try {
        CreateWindow(parent, width, height);
    } catch (...) {
        Close();
        throw;
    }
}

// The TrueColor visual the editor draws on: the parent's when it is one
// (no colormap of our own then), else the screen's deepest of 24, 32, 30
// and 16 bits, in that order of preference.
void TX11Window::ChooseVisual(Window parent) {
    XWindowAttributes attributes{};
    const unsigned errors = t_errors;
    if (!XGetWindowAttributes(FDisplay, parent, &attributes) || t_errors != errors)
        throw std::runtime_error("The host's window does not exist");
    if (attributes.visual->c_class == TrueColor) {
        FVisual = attributes.visual;
        FDepth = attributes.depth;
        return;
    }
    XVisualInfo info{};
    bool found = false;
    for (const int depth : {24, 32, 30, 16}) {
        found = XMatchVisualInfo(FDisplay, DefaultScreen(FDisplay), depth, TrueColor, &info) != 0;
        if (found) break;
    }
    if (!found) throw std::runtime_error("The X server offers no TrueColor visual");
    FVisual = info.visual;
    FDepth = info.depth;
    FColormap = XCreateColormap(FDisplay, RootWindow(FDisplay, DefaultScreen(FDisplay)), FVisual, AllocNone);
}

void TX11Window::CreateWindow(std::uintptr_t parent, int width, int height) {
    FParent = parent != 0 ? static_cast<Window>(parent) : RootWindow(FDisplay, DefaultScreen(FDisplay));
    ChooseVisual(FParent);

    XSetWindowAttributes a{};
    a.background_pixmap = None;  // no erase before our copy: no flicker
    a.border_pixel = 0;
    a.colormap = FColormap != 0 ? FColormap : CopyFromParent;
    a.event_mask = kEventMask;
    a.bit_gravity = NorthWestGravity;
    const unsigned long mask = CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask | CWBitGravity;
    FWindow = XCreateWindow(FDisplay, FParent, 0, 0, static_cast<unsigned>(std::max(width, 1)),
                            static_cast<unsigned>(std::max(height, 1)), 0, FDepth, InputOutput, FVisual, mask, &a);

    std::array<char*, 8> names = {const_cast<char*>("CLIPBOARD"),    const_cast<char*>("UTF8_STRING"),
                                  const_cast<char*>("TARGETS"),      const_cast<char*>("TEXT"),
                                  const_cast<char*>("INCR"),         const_cast<char*>("_XEMBED"),
                                  const_cast<char*>("_XEMBED_INFO"), const_cast<char*>("TESSEL_SELECTION")};
    std::array<Atom, 8> atoms{};
    XInternAtoms(FDisplay, names.data(), static_cast<int>(names.size()), False, atoms.data());
    FAtoms = {atoms[0], atoms[1], atoms[2], atoms[3], atoms[4], atoms[5], atoms[6], atoms[7]};

    const std::array<long, 2> xembedInfo = {kXEmbedVersion, kXEmbedMapped};
    XChangeProperty(FDisplay, FWindow, FAtoms.XEmbedInfo, FAtoms.XEmbedInfo, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(xembedInfo.data()), 2);
    if (parent == 0) XStoreName(FDisplay, FWindow, "Tessel EQ");

    // Held keys repeat as presses without fake releases in between.
    XkbSetDetectableAutoRepeat(FDisplay, True, nullptr);

    XGCValues values{};
    values.graphics_exposures = False;
    FGC = XCreateGC(FDisplay, FWindow, GCGraphicsExposures, &values);

    const Pixmap empty = XCreatePixmap(FDisplay, FWindow, 1, 1, 1);
    XColor black{};
    FBlankCursor = XCreatePixmapCursor(FDisplay, empty, empty, &black, &black, 0, 0);
    XFreePixmap(FDisplay, empty);

    CreateImage(width, height);
    const unsigned errors = t_errors;
    XSync(FDisplay, False);
    if (t_errors != errors || FLost) throw std::runtime_error("The X server refused the editor window");
}

void TX11Window::Close() {
    if (!FDisplay) return;
    if (!FLost) {
        DestroyImage();
        if (FBlankCursor) XFreeCursor(FDisplay, FBlankCursor);
        if (FGC) XFreeGC(FDisplay, FGC);
        if (FWindow) XDestroyWindow(FDisplay, FWindow);  // an error if the host destroyed it first: ignored
        if (FColormap) XFreeColormap(FDisplay, FColormap);
        XSync(FDisplay, False);
    } else if (FImage) {
        if (FShared) shmdt(FShm.shmaddr);
        XDestroyImage(FImage);
        FImage = nullptr;
    }
    {
        std::lock_guard guard(ConnectionLock());
        XCloseDisplay(FDisplay);
    }
    FDisplay = nullptr;
    FLost = false;
    FWindow = 0;
    FColormap = 0;
    FGC = nullptr;
    FBlankCursor = 0;
    FOwnsClipboard = false;
    FPutInFlight = false;
    FLastTime = 0;
    FEmbedder = 0;
    FFocusBefore = 0;
}

// ---- The copy buffer -----------------------------------------------------------------------

void TX11Window::CreateImage(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (!CreateSharedImage(width, height)) {
        FImage = XCreateImage(FDisplay, FVisual, static_cast<unsigned>(FDepth), ZPixmap, 0, nullptr,
                              static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
        if (!FImage) throw std::runtime_error("Cannot create the editor's image");
        FImage->data = static_cast<char*>(std::calloc(static_cast<std::size_t>(FImage->bytes_per_line), height));
        if (!FImage->data) {
            XDestroyImage(FImage);
            FImage = nullptr;
            throw std::bad_alloc();
        }
    }
    FRed = TChannelTable(FVisual->red_mask);
    FGreen = TChannelTable(FVisual->green_mask);
    FBlue = TChannelTable(FVisual->blue_mask);
    constexpr bool littleEndianHost = std::endian::native == std::endian::little;
    const bool nativeOrder = FImage->byte_order == (littleEndianHost ? LSBFirst : MSBFirst);
    const bool bytes888 = FVisual->red_mask == 0xFF0000 && FVisual->green_mask == 0xFF00 && FVisual->blue_mask == 0xFF;
    if (nativeOrder && FImage->bits_per_pixel == 32)
        FPacking = bytes888 ? TPacking::Direct : TPacking::Word32;
    else if (nativeOrder && FImage->bits_per_pixel == 16)
        FPacking = TPacking::Word16;
    else
        FPacking = TPacking::General;
}

bool TX11Window::CreateSharedImage(int width, int height) {
    if (!FOptions.SharedMemory || !XShmQueryExtension(FDisplay)) return false;
    XImage* image = XShmCreateImage(FDisplay, FVisual, static_cast<unsigned>(FDepth), ZPixmap, nullptr, &FShm,
                                    static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (!image) return false;
    const auto bytes = static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(image->height);
    FShm.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (FShm.shmid < 0) {
        XDestroyImage(image);
        return false;
    }
    FShm.shmaddr = image->data = static_cast<char*>(shmat(FShm.shmid, nullptr, 0));
    if (FShm.shmaddr == reinterpret_cast<char*>(-1)) {
        shmctl(FShm.shmid, IPC_RMID, nullptr);
        XDestroyImage(image);
        return false;
    }
    FShm.readOnly = False;
    const unsigned errors = t_errors;
    XShmAttach(FDisplay, &FShm);
    XSync(FDisplay, False);
    // Marked for removal now: the segment goes away once both sides detach,
    // even if this process dies.
    shmctl(FShm.shmid, IPC_RMID, nullptr);
    if (t_errors != errors) {  // a remote server cannot attach our memory
        shmdt(FShm.shmaddr);
        XDestroyImage(image);
        return false;
    }
    FImage = image;
    FShared = true;
    FShmCompletion = XShmGetEventBase(FDisplay) + ShmCompletion;
    return true;
}

void TX11Window::DestroyImage() {
    if (!FImage) return;
    if (FShared) {
        XShmDetach(FDisplay, &FShm);
        XSync(FDisplay, False);
        XDestroyImage(FImage);  // frees the structure only
        shmdt(FShm.shmaddr);
        FShared = false;
    } else {
        XDestroyImage(FImage);  // and the pixels we allocated
    }
    FImage = nullptr;
    FPutInFlight = false;
}

void TX11Window::SetClientSize(int width, int height) {
    if (!Usable()) return;
    DestroyImage();
    CreateImage(width, height);
    XResizeWindow(FDisplay, FWindow, static_cast<unsigned>(std::max(width, 1)),
                  static_cast<unsigned>(std::max(height, 1)));
    XFlush(FDisplay);
}

void TX11Window::CopyToImage(const TBitmap32& frame, const TRect& r) {
    const auto pack = [this](TColor32 c) {
        return FRed[RedComponent(c)] | FGreen[GreenComponent(c)] | FBlue[BlueComponent(c)];
    };
    for (int y = r.Top; y < r.Bottom; ++y) {
        const TColor32* from = frame.RowPixels(y) + r.Left;
        char* row = FImage->data + static_cast<std::ptrdiff_t>(y) * FImage->bytes_per_line;
        switch (FPacking) {
            case TPacking::Direct: {
                // Opaque: a 32-bit visual would otherwise take our alpha.
                auto* to = reinterpret_cast<std::uint32_t*>(row) + r.Left;
                for (int x = 0; x < r.Width(); ++x) to[x] = from[x] | 0xFF000000u;
                break;
            }
            case TPacking::Word32: {
                auto* to = reinterpret_cast<std::uint32_t*>(row) + r.Left;
                for (int x = 0; x < r.Width(); ++x) to[x] = pack(from[x]);
                break;
            }
            case TPacking::Word16: {
                auto* to = reinterpret_cast<std::uint16_t*>(row) + r.Left;
                for (int x = 0; x < r.Width(); ++x) to[x] = static_cast<std::uint16_t>(pack(from[x]));
                break;
            }
            case TPacking::General:
                for (int x = 0; x < r.Width(); ++x) XPutPixel(FImage, r.Left + x, y, pack(from[x]));
                break;
        }
    }
}

void TX11Window::Present(const TBitmap32& frame, std::span<const TRect> rects) {
    if (!Usable() || !FImage) return;
    const TRect limit = IntersectRect(frame.BoundsRect(), {0, 0, FImage->width, FImage->height});
    // Fill every rectangle first: the server reads shared memory only after
    // the last copy request.
    for (const TRect& rect : rects) {
        const TRect r = IntersectRect(rect, limit);
        if (!r.IsEmpty()) CopyToImage(frame, r);
    }
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const TRect r = IntersectRect(rects[i], limit);
        if (r.IsEmpty()) continue;
        const auto w = static_cast<unsigned>(r.Width()), h = static_cast<unsigned>(r.Height());
        if (FShared) {
            const bool last = i + 1 == rects.size();
            XShmPutImage(FDisplay, FWindow, FGC, FImage, r.Left, r.Top, r.Left, r.Top, w, h, last ? True : False);
            FPutInFlight = true;
        } else {
            XPutImage(FDisplay, FWindow, FGC, FImage, r.Left, r.Top, r.Left, r.Top, w, h);
        }
    }
    if (FPutInFlight) FPutTime = TClock::now();
    XFlush(FDisplay);
}

// ---- Window requests -------------------------------------------------------------------------

void TX11Window::Reparent(std::uintptr_t parent) {
    if (!Usable() || parent == 0) return;
    FParent = static_cast<Window>(parent);
    FEmbedder = 0;  // a new embedder announces itself
    XReparentWindow(FDisplay, FWindow, FParent, 0, 0);
    XFlush(FDisplay);
}

void TX11Window::SetVisible(bool visible) {
    if (!Usable()) return;
    if (visible)
        XMapRaised(FDisplay, FWindow);
    else
        XUnmapWindow(FDisplay, FWindow);
    XFlush(FDisplay);
}

void TX11Window::SetBounds(int left, int top, int width, int height) {
    if (!Usable()) return;
    XMoveResizeWindow(FDisplay, FWindow, left, top, static_cast<unsigned>(std::max(width, 1)),
                      static_cast<unsigned>(std::max(height, 1)));
    XFlush(FDisplay);
}

void TX11Window::SetCursorHidden(bool hidden) {
    if (!Usable()) return;
    if (hidden)
        XDefineCursor(FDisplay, FWindow, FBlankCursor);
    else
        XUndefineCursor(FDisplay, FWindow);
    XFlush(FDisplay);
}

void TX11Window::WarpPointer(int x, int y) {
    if (!Usable()) return;
    XWarpPointer(FDisplay, None, FWindow, 0, 0, 0, 0, x, y);
    XFlush(FDisplay);
}

// The keyboard for the value box. An XEmbed embedder is asked and keeps the
// X focus itself, forwarding keys; any other parent is bypassed, and the
// window that had the focus gets it back in ReleaseFocus.
void TX11Window::TakeFocus() {
    if (!Usable()) return;
    if (FEmbedder != 0) {
        XClientMessageEvent m{};
        m.type = ClientMessage;
        m.window = FEmbedder;
        m.message_type = FAtoms.XEmbed;
        m.format = 32;
        m.data.l[0] = static_cast<long>(EventTime());
        m.data.l[1] = kXEmbedRequestFocus;
        XSendEvent(FDisplay, FEmbedder, False, NoEventMask, reinterpret_cast<XEvent*>(&m));
        XFlush(FDisplay);
        return;
    }
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(FDisplay, &focus, &revert);
    if (focus == FWindow) return;
    FFocusBefore = focus;
    XSetInputFocus(FDisplay, FWindow, RevertToParent, EventTime());
    XFlush(FDisplay);
}

void TX11Window::ReleaseFocus() {
    if (!Usable()) return;
    const Window before = std::exchange(FFocusBefore, 0);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(FDisplay, &focus, &revert);
    // Someone else moved the focus since: theirs stands.
    if (focus != FWindow) return;
    if (before == PointerRoot || (before != None && Viewable(before)))
        XSetInputFocus(FDisplay, before, RevertToParent, EventTime());
    else if (Viewable(FParent))
        XSetInputFocus(FDisplay, FParent, RevertToParent, EventTime());
    else
        XSetInputFocus(FDisplay, PointerRoot, RevertToPointerRoot, EventTime());
    XFlush(FDisplay);
}

bool TX11Window::Viewable(Window window) {
    XWindowAttributes attributes{};
    const unsigned errors = t_errors;
    const Status found = XGetWindowAttributes(FDisplay, window, &attributes);
    return found && t_errors == errors && attributes.map_state == IsViewable;
}

// ---- Events ------------------------------------------------------------------------------------

bool TX11Window::PrepareToWait() {
    // Every request is flushed where it is made (DispatchEvents flushes what
    // event handling asked for), so nothing waits in the buffer here: an
    // idle wake-up costs no call to the server.
    return Usable() && XEventsQueued(FDisplay, QueuedAlready) > 0;
}

void TX11Window::DispatchEvents(TWindowEventSink& sink) {
    if (!Usable()) return;
    TRect exposed;
    while (!FLost && XPending(FDisplay) > 0) {
        XEvent e;
        XNextEvent(FDisplay, &e);
        // Only the newest of a run of queued motions matters.
        while (e.type == MotionNotify && XEventsQueued(FDisplay, QueuedAlready) > 0) {
            XEvent next;
            XPeekEvent(FDisplay, &next);
            if (next.type != MotionNotify || next.xmotion.window != e.xmotion.window) break;
            XNextEvent(FDisplay, &e);
        }
        HandleEvent(e, sink, exposed);
    }
    // Every exposure of this round becomes one copy.
    if (!exposed.IsEmpty()) sink.WindowExposed(exposed);
    if (!FLost) XFlush(FDisplay);
}

void TX11Window::HandleEvent(XEvent& e, TWindowEventSink& sink, TRect& exposed) {
    switch (e.type) {
        case Expose: {
            const XExposeEvent& x = e.xexpose;
            const TRect r{x.x, x.y, x.x + x.width, x.y + x.height};
            exposed = exposed.IsEmpty() ? r
                                        : TRect{std::min(exposed.Left, r.Left), std::min(exposed.Top, r.Top),
                                                std::max(exposed.Right, r.Right), std::max(exposed.Bottom, r.Bottom)};
            break;
        }
        case ButtonPress: {
            const XButtonEvent& b = e.xbutton;
            FLastTime = b.time;
            TShiftState shift = ShiftFromState(b.state);
            if (b.button == Button4 || b.button == Button5) {
                sink.WindowMouseWheel(b.button == Button4 ? 1 : -1, shift, b.x, b.y);
            } else if (const auto button = ButtonOf(b.button)) {
                // The keyboard stays where it is: the host's shortcuts must
                // keep working after a knob is touched.
                SetButton(shift, *button, true);
                sink.WindowMouseDown(*button, shift, b.x, b.y);
            }
            break;
        }
        case ButtonRelease: {
            const XButtonEvent& b = e.xbutton;
            FLastTime = b.time;
            if (const auto button = ButtonOf(b.button)) {
                TShiftState shift = ShiftFromState(b.state);
                SetButton(shift, *button, false);
                sink.WindowMouseUp(*button, shift, b.x, b.y);
            }
            break;
        }
        case MotionNotify:
            FLastTime = e.xmotion.time;
            sink.WindowMouseMove(ShiftFromState(e.xmotion.state), e.xmotion.x, e.xmotion.y);
            break;
        case EnterNotify:
            sink.WindowMouseMove(ShiftFromState(e.xcrossing.state), e.xcrossing.x, e.xcrossing.y);
            break;
        case LeaveNotify:
            if (e.xcrossing.detail != NotifyInferior) sink.WindowMouseLeave();
            break;
        case KeyPress:
        case KeyRelease:
            HandleKey(e.xkey, sink);
            break;
        case FocusIn:
            if (e.xfocus.detail != NotifyPointer) sink.WindowFocusChanged(true);
            break;
        case FocusOut:
            if (e.xfocus.detail != NotifyPointer && e.xfocus.detail != NotifyInferior && e.xfocus.mode != NotifyGrab)
                sink.WindowFocusChanged(false);
            break;
        case ClientMessage:
            // The embedder hands the focus over through XEmbed.
            if (e.xclient.message_type == FAtoms.XEmbed && e.xclient.format == 32) {
                if (e.xclient.data.l[1] == kXEmbedEmbeddedNotify) FEmbedder = static_cast<Window>(e.xclient.data.l[3]);
                if (e.xclient.data.l[1] == kXEmbedFocusIn) sink.WindowFocusChanged(true);
                if (e.xclient.data.l[1] == kXEmbedFocusOut) sink.WindowFocusChanged(false);
            }
            break;
        case SelectionRequest:
            AnswerSelectionRequest(e.xselectionrequest);
            break;
        case SelectionClear:
            if (e.xselectionclear.selection == FAtoms.Clipboard) FOwnsClipboard = false;
            break;
        case MappingNotify:
            XRefreshKeyboardMapping(&e.xmapping);
            break;
        default:
            if (e.type == FShmCompletion) FPutInFlight = false;
            break;
    }
}

void TX11Window::HandleKey(const XKeyEvent& e, TWindowEventSink& sink) {
    FLastTime = e.time;
    KeySym sym = NoSymbol;
    unsigned consumed = 0;
    XkbLookupKeySym(FDisplay, static_cast<KeyCode>(e.keycode), e.state, &consumed, &sym);
    const KeySym base = XkbKeycodeToKeysym(FDisplay, static_cast<KeyCode>(e.keycode),
                                           static_cast<int>(XkbGroupForCoreState(e.state)), 0);
    const int key = VirtualKeyOf(sym, base);
    const TShiftState shift = ShiftFromState(e.state);
    if (e.type == KeyRelease) {
        sink.WindowKeyUp(key, shift);
        return;
    }
    // Ctrl and Alt combinations are commands, not typing (AltGr is another
    // modifier and still types).
    const char32_t character = shift.Ctrl || shift.Alt ? 0 : CharacterOf(sym);
    sink.WindowKeyDown(key, shift, character);
}

// ---- Clipboard ------------------------------------------------------------------------------

void TX11Window::SetClipboardText(const std::string& text) {
    FClipboard = text.size() <= static_cast<std::size_t>(kMaxSelectionBytes) ? text : std::string();
    if (!Usable()) return;
    XSetSelectionOwner(FDisplay, FAtoms.Clipboard, FWindow, EventTime());
    FOwnsClipboard = XGetSelectionOwner(FDisplay, FAtoms.Clipboard) == FWindow;
}

void TX11Window::AnswerSelectionRequest(const XSelectionRequestEvent& request) {
    XSelectionEvent answer{};
    answer.type = SelectionNotify;
    answer.display = FDisplay;
    answer.requestor = request.requestor;
    answer.selection = request.selection;
    answer.target = request.target;
    answer.time = request.time;
    answer.property = None;  // refused unless set below
    // Obsolete clients name no property: the target then serves as one.
    const Atom property = request.property != None ? request.property : request.target;
    if (request.selection == FAtoms.Clipboard && FOwnsClipboard) {
        if (request.target == FAtoms.Targets) {
            const std::array<Atom, 4> targets = {FAtoms.Targets, FAtoms.Utf8String, XA_STRING, FAtoms.Text};
            XChangeProperty(FDisplay, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(targets.data()), static_cast<int>(targets.size()));
            answer.property = property;
        } else if (request.target == FAtoms.Utf8String || request.target == FAtoms.Text) {
            XChangeProperty(FDisplay, request.requestor, property, FAtoms.Utf8String, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(FClipboard.data()),
                            static_cast<int>(FClipboard.size()));
            answer.property = property;
        } else if (request.target == XA_STRING) {
            const std::string latin1 = Utf8ToLatin1(FClipboard);
            XChangeProperty(FDisplay, request.requestor, property, XA_STRING, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(latin1.data()), static_cast<int>(latin1.size()));
            answer.property = property;
        }
    }
    XSendEvent(FDisplay, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&answer));
    XFlush(FDisplay);
}

std::optional<std::string> TX11Window::ReadSelection(Atom target) {
    XDeleteProperty(FDisplay, FWindow, FAtoms.Property);
    XConvertSelection(FDisplay, FAtoms.Clipboard, target, FAtoms.Property, FWindow, EventTime());
    XFlush(FDisplay);
    // Wait a bounded time for the owner's answer; other events stay queued
    // for the event loop.
    const auto deadline = TClock::now() + kSelectionWait;
    XEvent e;
    while (!XCheckTypedWindowEvent(FDisplay, FWindow, SelectionNotify, &e)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
        if (left <= 0 || FLost) return std::nullopt;
        pollfd fd{ConnectionNumber(FDisplay), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left));
        XEventsQueued(FDisplay, QueuedAfterReading);
    }
    if (e.xselection.property == None) return std::nullopt;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(FDisplay, FWindow, FAtoms.Property, 0, kMaxSelectionBytes / 4, True, AnyPropertyType, &type,
                           &format, &count, &remaining, &data) != Success)
        return std::nullopt;
    std::optional<std::string> text;
    if (data && format == 8 && type != FAtoms.Incr)
        text = type == XA_STRING ? Latin1ToUtf8(data, count) : std::string(reinterpret_cast<char*>(data), count);
    if (data) XFree(data);
    return text;
}

std::string TX11Window::ClipboardText() {
    if (!Usable()) return FClipboard;
    // The server knows the owner; our SelectionClear may still be on its way.
    const Window owner = XGetSelectionOwner(FDisplay, FAtoms.Clipboard);
    FOwnsClipboard = owner == FWindow;
    if (FOwnsClipboard) return FClipboard;
    if (owner == None) return {};
    if (auto text = ReadSelection(FAtoms.Utf8String)) return *text;
    return ReadSelection(XA_STRING).value_or(std::string());
}

}  // namespace

int DesktopScalePercent() {
    std::string resources;
    Display* display = nullptr;
    {
        std::lock_guard guard(ConnectionLock());
        display = XOpenDisplay(nullptr);
    }
    if (display) {
        // The screen's RESOURCE_MANAGER property, as xrdb leaves it.
        if (const char* text = XResourceManagerString(display)) resources = text;
        std::lock_guard guard(ConnectionLock());
        XCloseDisplay(display);
    }
    return DesktopScaleFrom(resources, std::getenv("GDK_SCALE"));
}

std::unique_ptr<TPlatformWindow> CreateX11Window(const TX11WindowOptions& options) {
    return std::make_unique<TX11Window>(options);
}

}  // namespace tessel
