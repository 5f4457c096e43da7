#pragma once
// Runs the built tessel-host program as a user would and captures what it says.

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace tessel::test {

struct TToolRun {
    int status = -1;     // exit status; -1 when it did not exit normally
    std::string output;  // stdout and stderr together
};

// Runs a shell command line; stdout and stderr together.
inline TToolRun RunShell(const std::string& commandLine) {
    TToolRun run;
    const std::string command = commandLine + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    std::array<char, 4096> chunk{};
    size_t read = 0;
    while ((read = fread(chunk.data(), 1, chunk.size(), pipe)) > 0) run.output.append(chunk.data(), read);
    const int wait = pclose(pipe);
    run.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
    return run;
}

// `environment` goes before the program, e.g. "env -u DISPLAY".
inline TToolRun RunTool(const std::string& arguments, const std::string& environment = "") {
    return RunShell(environment + " " + TESSEL_HOST_TOOL + " " + arguments);
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace tessel::test
