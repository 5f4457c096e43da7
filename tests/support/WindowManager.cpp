#include "tests/support/WindowManager.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "host/tools/PrivateXServer.h"

namespace tessel::test {
namespace {

// Some window manager owns the screen's manager selection.
bool Managed() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    const std::string name = "WM_S" + std::to_string(DefaultScreen(display));
    const bool owned = XGetSelectionOwner(display, XInternAtom(display, name.c_str(), False)) != None;
    XCloseDisplay(display);
    return owned;
}

// The manager takes the selection before it handles map requests (openbox
// drops the ones that come in between): it is ready once it reparents a
// probe window into a frame. The probe is mapped again until it is.
bool ManagesNewWindows(std::chrono::steady_clock::time_point deadline) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    const Window probe = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    XSelectInput(display, probe, StructureNotifyMask);
    bool framed = false;
    while (!framed && std::chrono::steady_clock::now() < deadline) {
        XMapWindow(display, probe);
        XSync(display, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        XEvent e;
        while (XCheckTypedWindowEvent(display, probe, ReparentNotify, &e)) framed = true;
        if (!framed) XUnmapWindow(display, probe);
    }
    XDestroyWindow(display, probe);
    XCloseDisplay(display);
    return framed;
}

}  // namespace

TWindowManager::~TWindowManager() {
    if (FPid <= 0) return;
    ::kill(FPid, SIGTERM);
    ::waitpid(FPid, nullptr, 0);
}

std::string TWindowManager::Ensure(const std::string& configFile) {
    if (Managed()) return {};
    return Start(configFile);
}

std::string TWindowManager::Start(const std::string& configFile) {
    const auto openbox = host::tool::FindProgram("openbox");
    if (!openbox) return "openbox is not installed (bash scripts/setup.sh installs it)";
    // A manager that has just let go of the screen (the previous test's) can
    // still hold its selection for a moment, and a new openbox then gives up
    // at once: --replace waits for it, and tries spread over five seconds
    // cover the rest on a loaded machine (a CI run once saw ten tries over
    // one and a half seconds all fail).
    constexpr int kTries = 20;
    constexpr auto kPause = std::chrono::milliseconds(250);
    std::string why;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        if ((why = StartOnce(*openbox, configFile)).empty()) break;
        std::this_thread::sleep_for(kPause);
    }
    return why;
}

std::string TWindowManager::StartOnce(const std::string& openbox, const std::string& configFile) {
    // What openbox says goes to a file, so a failure can quote it.
    char logPath[] = "/tmp/tessel-openbox-XXXXXX";
    const int log = ::mkstemp(logPath);
    if (log >= 0) ::unlink(logPath);
    FPid = ::fork();
    if (FPid < 0) return "cannot start openbox";
    if (FPid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
            ::dup2(log >= 0 ? log : null, STDOUT_FILENO);
            ::dup2(log >= 0 ? log : null, STDERR_FILENO);
        }
        ::execl(openbox.c_str(), "openbox", "--sm-disable", "--replace", "--config-file", configFile.c_str(), nullptr);
        ::_exit(127);
    }
    constexpr auto kStartTimeout = std::chrono::seconds(10);
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    bool owned = false;
    while (!(owned = Managed()) && std::chrono::steady_clock::now() < deadline &&
           ::waitpid(FPid, nullptr, WNOHANG) != FPid)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const bool started = owned && ManagesNewWindows(deadline);
    if (!started) {
        ::kill(FPid, SIGKILL);
        ::waitpid(FPid, nullptr, 0);
        FPid = -1;
    }
    std::string said;
    if (log >= 0) {
        char text[512];
        const ssize_t n = ::pread(log, text, sizeof text, 0);
        if (n > 0) said.assign(text, static_cast<std::size_t>(n));
        ::close(log);
    }
    if (started) return {};
    return "openbox did not start" + (said.empty() ? std::string() : " (it said: " + said + ")");
}

}  // namespace tessel::test
