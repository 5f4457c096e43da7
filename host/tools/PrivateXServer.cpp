#include "host/tools/PrivateXServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>
#include <vector>

namespace tessel::host::tool {
namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr auto kStopTimeout = std::chrono::seconds(5);
constexpr auto kStopPoll = std::chrono::milliseconds(10);

// Reads the display number Xvfb writes to its -displayfd when it is ready.
std::optional<int> ReadDisplayNumber(int fd) {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    while (text.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return std::nullopt;
        char chunk[32];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::nullopt;  // the server exited
        text.append(chunk, static_cast<std::size_t>(n));
    }
    try {
        return std::stoi(text);
    } catch (...) {
        return std::nullopt;
    }
}

void Stop(pid_t pid) {
    ::kill(pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kStopTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(kStopPoll);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

}  // namespace

std::optional<std::string> FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return std::nullopt;
    std::stringstream folders(path);
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty()) continue;
        const std::string candidate = folder + "/" + name;
        struct stat s {};
        if (::stat(candidate.c_str(), &s) == 0 && S_ISREG(s.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}

std::unique_ptr<TPrivateXServer> TPrivateXServer::Start(const std::string& program, std::string& problem,
                                                        const std::string& screen) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        problem = "cannot create a pipe";
        return nullptr;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        problem = "cannot start " + program;
        return nullptr;
    }
    if (pid == 0) {
        // The child: only the write end stays open across exec; the server's
        // chatter goes nowhere.
        ::fcntl(fds[1], F_SETFD, 0);
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
        }
        ::setpgid(0, 0);  // the terminal's Ctrl-C reaches us, and we stop it ourselves
        const std::string fd = std::to_string(fds[1]);
        std::vector<const char*> argv = {program.c_str(), "-displayfd", fd.c_str(), "-screen",    "0",
                                         screen.c_str(),  "-nolisten",  "tcp",      "+extension", "GLX",
                                         "-noreset",      nullptr};
        ::execv(program.c_str(), const_cast<char* const*>(argv.data()));
        ::_exit(127);
    }
    ::close(fds[1]);
    const std::optional<int> number = ReadDisplayNumber(fds[0]);
    ::close(fds[0]);
    if (!number) {
        Stop(pid);
        problem = program + " did not start";
        return nullptr;
    }
    std::string display(1, ':');
    display += std::to_string(*number);
    return std::unique_ptr<TPrivateXServer>(new TPrivateXServer(pid, std::move(display)));
}

TPrivateXServer::~TPrivateXServer() { Stop(FPid); }

}  // namespace tessel::host::tool
