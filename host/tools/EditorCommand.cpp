// tessel-host editor: opens a plug-in's editor in a window of our own, gives
// it idle time as a host does and writes what the window shows into a PNG.
// Without a display it runs its own Xvfb (with GLX, for OpenGL editors).
#include <X11/Xlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "gui/surface/PngFile.h"
#include "host/tools/BlockRunner.h"
#include "host/tools/LoopPlayer.h"
#include "host/tools/OpenPlugin.h"
#include "host/tools/ParameterSettings.h"
#include "host/tools/PrivateXServer.h"
#include "host/tools/Subcommand.h"
#include "host/tools/WindowCapture.h"

namespace tessel::host::tool {
namespace {

constexpr auto kIdlePeriod = std::chrono::milliseconds(40);  // what hosts give editors
constexpr std::int64_t kDefaultWaitMs = 1000;
constexpr std::int64_t kMaxWaitMs = 600000;
constexpr int kFallbackWidth = 640;  // pixels, for editors that name no size before opening
constexpr int kFallbackHeight = 480;
constexpr int kMaxSide = 8192;
constexpr auto kMapTimeout = std::chrono::seconds(5);
// The content scale (kContentScaleIndex) tessel-host may be asked to send, in percent.
constexpr std::int64_t kMinScalePercent = 50, kMaxScalePercent = 800;

struct TEditorOptions {
    std::string pluginPath;
    std::string pngPath;
    std::string inputPath;
    std::int64_t waitMs = kDefaultWaitMs;
    std::int64_t scalePercent = 0;  // 0: no content scale is sent
    TParameterSettings settings;
};

constexpr const char* kEditorDetails =
    "The editor opens inside a parent window of tessel-host's own on the X display named by\n"
    "DISPLAY. Without DISPLAY a private Xvfb is started (with GLX; OpenGL editors draw through\n"
    "Mesa's software renderer) and stopped afterwards. After opening, the settings are applied,\n"
    "the editor is given idle time every 40 ms for --wait milliseconds, and the window's\n"
    "contents are read back with XGetImage. With --input, the file plays through the plug-in\n"
    "(at the file's rate, looped, in real time, blocks of 512) from before the editor opens\n"
    "until it is read back. With --scale, the host's content scale (PERCENT / 100) is sent before\n"
    "the editor is sized and opened, as hosts on high-density screens do; an editor may let its\n"
    "user's own choice win (Tessel EQ's Zoom menu does). Exit status 2 when there is no X server, or the\n"
    "plug-in cannot be loaded or has no editor.\n";

TOptionTable<TEditorOptions> EditorOptionRows() {
    using T = TEditorOptions;
    return Join<T>({
        {Argument<T>("PLUGIN.so", "plug-in", &T::pluginPath),
         Text<T>("--png", "FILE", "write what the editor's window shows into FILE (required)", &T::pngPath),
         Integer<T>("--wait", "MS", 0, kMaxWaitMs, "0 to 600000 milliseconds",
                    "idle the open editor this long before reading it back (default 1000)", &T::waitMs),
         Text<T>("--input", "FILE", "play FILE through the plug-in while the editor is open", &T::inputPath),
         Integer<T>("--scale", "PERCENT", kMinScalePercent, kMaxScalePercent, "50 to 800 percent",
                    "send the host's content scale (150: 1.5) before opening the editor", &T::scalePercent)},
        Within(&T::settings, SettingOptionRows()),
    });
}

std::string RequirePng(TEditorOptions& options) { return options.pngPath.empty() ? "--png FILE is required" : ""; }

int RunEditor(TEditorOptions& options);

const TCommand<TEditorOptions> kEditor{
    "editor",       "open the plug-in's editor in a window, idle it every 40 ms and write what it shows into a PNG",
    kEditorDetails, EditorOptionRows(),
    RequirePng,     RunEditor};

// Plug-ins' X errors (a window of theirs already gone, …) must not end the
// host; Xlib's default handler would exit.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// The display to use: DISPLAY, or a private Xvfb. Null with a message on
// stderr when there is none.
Display* OpenDisplay(std::unique_ptr<TPrivateXServer>& server) {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        const auto xvfb = FindProgram("Xvfb");
        if (!xvfb) {
            std::cerr << "tessel-host editor: no X display: DISPLAY is not set and Xvfb is not installed "
                         "(apt-get install xvfb)\n";
            return nullptr;
        }
        std::string problem;
        server = TPrivateXServer::Start(*xvfb, problem);
        if (!server) {
            std::cerr << "tessel-host editor: no X display: " << problem << '\n';
            return nullptr;
        }
        // The plug-in opens its own connections: to this server, drawing OpenGL in software.
        ::setenv("DISPLAY", server->DisplayName().c_str(), 1);
        ::setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
        name = server->DisplayName().c_str();
    }
    Display* display = XOpenDisplay(name);
    if (display == nullptr) std::cerr << "tessel-host editor: cannot open X display " << name << '\n';
    return display;
}

// The editor's size as the plug-in reports it, if it reports a sensible one.
std::optional<std::pair<int, int>> EditorSize(TPluginInstance& plugin) {
    std::optional<ERect> rect;
    plugin.EditGetRect(rect);
    if (!rect) return std::nullopt;
    const int width = rect->right - rect->left, height = rect->bottom - rect->top;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return std::nullopt;
    return std::pair{width, height};
}

Window CreateParentWindow(Display* display, int width, int height) {
    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), 0, BlackPixel(display, screen), BlackPixel(display, screen));
    XStoreName(display, window, "tessel-host editor");
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    // Embedding needs a viewable parent: wait until the server has mapped it.
    const auto deadline = std::chrono::steady_clock::now() + kMapTimeout;
    XEvent event;
    while (std::chrono::steady_clock::now() < deadline) {
        if (XCheckTypedWindowEvent(display, window, MapNotify, &event)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    XSync(display, False);
    return window;
}

void DrainEvents(Display* display) {
    XEvent event;
    while (XPending(display) > 0) XNextEvent(display, &event);
}

// The window, idled as a host does: effEditIdle every 40 ms while our own
// connection keeps its event queue empty; follows audioMasterSizeWindow.
void IdleFor(TPluginInstance& plugin, Display* display, Window window, std::int64_t waitMs,
             std::atomic<std::uint32_t>& requestedSize) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    auto next = std::chrono::steady_clock::now();
    do {
        plugin.EditIdle();
        if (const std::uint32_t size = requestedSize.exchange(0); size != 0)
            XResizeWindow(display, window, size >> 16, size & 0xFFFF);
        XSync(display, False);
        DrainEvents(display);
        next += kIdlePeriod;
        std::this_thread::sleep_until(std::min(next, end));
    } while (std::chrono::steady_clock::now() < end);
}

int ShowAndCapture(TPluginInstance& plugin, Display* display, const TEditorOptions& options,
                   std::atomic<std::uint32_t>& requestedSize, TLoopPlayer* player) {
    if (player) {
        try {
            player->Start(plugin);
        } catch (const TRunError& e) {
            std::cerr << "tessel-host editor: cannot play " << options.inputPath << ": " << e.what() << '\n';
            return kExitLoadFailure;
        }
    }
    if (options.scalePercent > 0)
        plugin.VendorSpecific(kContentScaleIndex, kContentScaleValue, nullptr,
                              static_cast<float>(options.scalePercent) / 100.0f);
    const auto before = EditorSize(plugin).value_or(std::pair{kFallbackWidth, kFallbackHeight});
    const Window window = CreateParentWindow(display, before.first, before.second);
    if (plugin.EditOpen(reinterpret_cast<void*>(window)) == 0) {
        std::cerr << "tessel-host editor: " << PluginTitle(plugin)
                  << " did not open its editor (effEditOpen answered 0: it cannot open a window on "
                  << DisplayString(display) << ")\n";
        if (player) player->Stop();
        XDestroyWindow(display, window);
        return kExitLoadFailure;
    }
    if (const auto after = EditorSize(plugin); after && *after != before)
        XResizeWindow(display, window, static_cast<unsigned>(after->first), static_cast<unsigned>(after->second));
    int status = ApplySettings(plugin, options.settings, std::cout);
    if (status == kExitOk) {
        IdleFor(plugin, display, window, options.waitMs, requestedSize);
        TBitmap32 image;
        if (!CaptureWindow(display, window, image)) {
            std::cerr << "tessel-host editor: the window could not be read back\n";
            status = kExitLoadFailure;
        } else if (!SavePng(image, options.pngPath)) {
            std::cerr << "tessel-host editor: cannot write " << options.pngPath << '\n';
            status = kExitIoFailure;
        } else {
            std::cout << "Wrote " << options.pngPath << " (" << image.Width() << " x " << image.Height()
                      << " pixels): the editor of " << PluginTitle(plugin) << '\n';
        }
    }
    if (player) player->Stop();
    plugin.EditClose();
    XDestroyWindow(display, window);
    XSync(display, False);
    return status;
}

int RunEditor(TEditorOptions& options) {
    std::unique_ptr<TPrivateXServer> server;
    XSetErrorHandler(IgnoreXError);
    Display* display = OpenDisplay(server);
    if (display == nullptr) return kExitLoadFailure;

    std::unique_ptr<TLoopPlayer> player;
    TOpenOptions openOptions;
    if (!options.inputPath.empty()) {
        std::string error;
        player = TLoopPlayer::Load(options.inputPath, error);
        if (!player) {
            std::cerr << "tessel-host editor: cannot read " << options.inputPath << ": " << error << '\n';
            XCloseDisplay(display);
            return kExitIoFailure;
        }
        openOptions.sampleRateHz = player->SampleRateHz();
    }
    int status = kExitLoadFailure;
    {
        auto host = std::make_shared<TScriptedHost>();
        std::atomic<std::uint32_t> requestedSize{0};  // width << 16 | height
        host->SetHandler(audioMasterSizeWindow, [&requestedSize](const THostRequest& r) -> intptr_t {
            if (r.index <= 0 || r.value <= 0 || r.index > kMaxSide || r.value > kMaxSide) return 0;
            requestedSize = static_cast<std::uint32_t>(r.index) << 16 | static_cast<std::uint32_t>(r.value);
            return 1;
        });
        std::unique_ptr<TPluginInstance> plugin = OpenPlugin(options.pluginPath, host, openOptions);
        if (plugin && !(plugin->Effect()->flags & effFlagsHasEditor)) {
            std::cerr << "tessel-host editor: " << PluginTitle(*plugin) << " has no editor\n";
        } else if (plugin) {
            status = ShowAndCapture(*plugin, display, options, requestedSize, player.get());
        }
        if (plugin) plugin->Close();
    }
    XCloseDisplay(display);
    return status;
}

const TSubcommandRegistration kEditorRegistration(kEditor);

}  // namespace
}  // namespace tessel::host::tool
