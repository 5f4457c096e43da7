// A private X server for drawing editors without a display: Xvfb on the
// first free display number, with GLX so that OpenGL editors can draw
// through Mesa's software renderer. Stopped by its own process id.
#pragma once

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>

namespace tessel::host::tool {

// The full path of a program found in PATH, or nothing.
std::optional<std::string> FindProgram(const std::string& name);

class TPrivateXServer {
public:
    // Starts the X server at `program`; null with `problem` set when it does
    // not come up within a few seconds. `screen` is Xvfb's WIDTHxHEIGHTxDEPTH.
    static std::unique_ptr<TPrivateXServer> Start(const std::string& program, std::string& problem,
                                                  const std::string& screen = kDefaultScreen);
    // A 4K screen: editors at 300 % (Tessel EQ's is 2154 × 1143) fit on it.
    static constexpr const char* kDefaultScreen = "3840x2160x24";
    ~TPrivateXServer();  // terminates it and waits for it
    TPrivateXServer(const TPrivateXServer&) = delete;
    TPrivateXServer& operator=(const TPrivateXServer&) = delete;

    const std::string& DisplayName() const { return FDisplay; }  // ":N"
    pid_t ProcessId() const { return FPid; }

private:
    TPrivateXServer(pid_t pid, std::string display) : FPid(pid), FDisplay(std::move(display)) {}
    pid_t FPid;
    std::string FDisplay;
};

}  // namespace tessel::host::tool
