#pragma once
// A window manager on the test's display for the test's lifetime: openbox,
// focusing on click as desktops do, so that the host's top-level window is
// managed (reparented into a frame, focused by the manager) as on a user's
// machine. Started only when no manager runs there yet; stopped by its own
// process id.
//
// The configuration (openbox-rc.xml beside this file) keeps openbox's
// click-to-focus bindings but moves windows with Super+drag instead of
// Alt+drag, so that the editor's Alt-clicks still reach it; double-clicks
// cover desktops where Alt is taken.

#include <sys/types.h>

#include <string>

namespace tessel::test {

class TWindowManager {
public:
    TWindowManager() = default;
    TWindowManager(const TWindowManager&) = delete;
    TWindowManager& operator=(const TWindowManager&) = delete;
    ~TWindowManager();

    // Empty when a manager runs on DISPLAY now; otherwise why none does.
    std::string Ensure(const std::string& configFile);

private:
    std::string Start(const std::string& configFile);
    std::string StartOnce(const std::string& openbox, const std::string& configFile);

    pid_t FPid = -1;
};

}  // namespace tessel::test
