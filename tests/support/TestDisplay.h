#pragma once
// An X display for a test: the one DISPLAY names or, without one, a private
// Xvfb started for the test and stopped with it. Tests that cannot get
// either skip, saying why.

#include <cstdlib>
#include <memory>
#include <string>

#include "host/tools/PrivateXServer.h"

namespace tessel::test {

class TTestDisplay {
public:
    TTestDisplay() = default;
    TTestDisplay(const TTestDisplay&) = delete;
    TTestDisplay& operator=(const TTestDisplay&) = delete;
    ~TTestDisplay() {
        if (FServer) ::unsetenv("DISPLAY");
    }

    // Empty when DISPLAY names a display now; otherwise why there is none.
    std::string Ensure() {
        if (const char* name = std::getenv("DISPLAY"); name && *name) return {};
        const auto xvfb = host::tool::FindProgram("Xvfb");
        if (!xvfb) return "No X display and no Xvfb";
        std::string problem;
        FServer = host::tool::TPrivateXServer::Start(*xvfb, problem);
        if (!FServer) return problem;
        ::setenv("DISPLAY", FServer->DisplayName().c_str(), 1);
        return {};
    }

private:
    std::unique_ptr<host::tool::TPrivateXServer> FServer;
};

}  // namespace tessel::test
