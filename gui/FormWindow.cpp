#include "gui/FormWindow.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <future>
#include <string>
#include <system_error>

#include "gui/EditorLoop.h"
#include "gui/Form.h"
#include "gui/PlatformWindow.h"
#include "gui/X11Window.h"

namespace tessel {
namespace {

using TClock = TEditorLoop::TClock;

// While the window is open the thread looks for marks once per frame
// period even when nothing wakes it: marks posted from the audio thread
// come without a wake-up (no syscall there).
constexpr TClock::duration kMarkTick = TEditorLoop::kFramePeriod;

timespec ToTimespec(TClock::duration d) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
    return {static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

}  // namespace

struct TFormWindow::TCommand {
    enum class TKind { Reparent, Show, Bounds, Key, Run };
    explicit TCommand(TKind kind) : Kind(kind) {}
    TKind Kind;
    std::uintptr_t Parent = 0;
    int Left = 0, Top = 0, Width = 0, Height = 0;
    TKeyMessage Message = TKeyMessage::KeyDown;
    std::int32_t KeyCode = 0;
    std::uint32_t KeyFlags = 0;
    std::shared_ptr<std::packaged_task<void()>> Task;
};

TFormWindow::TFormWindow(std::unique_ptr<TForm> form, std::unique_ptr<TPlatformWindow> window)
    : FForm(std::move(form)), FWindow(std::move(window)) {
    if (!FForm || !FWindow) throw std::invalid_argument("A form window needs a form and a platform window");
    FWakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (FWakeFd < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
    try {
        FForm->Create();
    } catch (...) {
        close(FWakeFd);
        throw;
    }
    PublishSize();
}

TFormWindow::~TFormWindow() {
    if (FThread.joinable()) {
        FStop.store(true, std::memory_order_release);
        Wake();
        FThread.join();  // the thread closes the window and its connection on the way out
    }
    FForm->Destroy();
    FForm.reset();
    FWindow.reset();
    close(FWakeFd);
}

TEditorContent* TFormWindow::Content() { return FForm.get(); }

// ---- Host calls [ui-thread] --------------------------------------------------------

void TFormWindow::SetParentWindow(std::uintptr_t parentWindow) {
    if (FThread.joinable()) {
        TCommand command(TCommand::TKind::Reparent);
        command.Parent = parentWindow;
        Post(std::move(command));
        return;
    }
    // The host learns from effEditOpen's answer whether it has an editor:
    // the opening is waited for, and a window that cannot open leaves no
    // thread behind, so that the next request starts afresh.
    std::promise<std::string> opening;
    std::future<std::string> problem = opening.get_future();
    FThread = std::thread(&TFormWindow::ThreadMain, this, parentWindow, std::move(opening));
    const std::string why = problem.get();
    if (why.empty()) return;
    FThread.join();
    throw EEditorOpenFailed(why);
}

void TFormWindow::Show() { Post(TCommand(TCommand::TKind::Show)); }

void TFormWindow::SetBounds(int left, int top, int width, int height) {
    TCommand command(TCommand::TKind::Bounds);
    command.Left = left;
    command.Top = top;
    command.Width = width;
    command.Height = height;
    Post(std::move(command));
}

void TFormWindow::Invalidate() {
    FForm->PostMarks(TForm::kMarkRepaint);
    Wake();
}

void TFormWindow::SendKeyMessage(TKeyMessage message, std::int32_t keyCode, std::uint32_t keyFlags) {
    FForm->HostKeyArriving();
    TCommand command(TCommand::TKind::Key);
    command.Message = message;
    command.KeyCode = keyCode;
    command.KeyFlags = keyFlags;
    Post(std::move(command));
}

void TFormWindow::RunOnEditorThread(const std::function<void()>& fn) {
    if (!FThread.joinable()) {
        fn();
        return;
    }
    TCommand command(TCommand::TKind::Run);
    command.Task = std::make_shared<std::packaged_task<void()>>(fn);
    std::future<void> done = command.Task->get_future();
    Post(std::move(command));
    done.get();  // rethrows what fn threw
}

void TFormWindow::Post(TCommand command) {
    {
        std::lock_guard guard(FQueueLock);
        FQueue.push_back(std::move(command));
    }
    FQueued.store(true, std::memory_order_release);
    Wake();
}

void TFormWindow::Wake() const {
    const std::uint64_t one = 1;
    // A full counter (never in practice) still leaves the descriptor readable.
    [[maybe_unused]] const ssize_t written = write(FWakeFd, &one, sizeof one);
}

// ---- The editor thread ---------------------------------------------------------------

void TFormWindow::PublishSize() {
    FClientWidth.store(FForm->ClientWidth(), std::memory_order_release);
    FClientHeight.store(FForm->ClientHeight(), std::memory_order_release);
}

bool TFormWindow::RunCommands() {
    if (!FQueued.exchange(false, std::memory_order_acquire)) return false;
    std::deque<TCommand> commands;
    {
        std::lock_guard guard(FQueueLock);
        commands.swap(FQueue);
    }
    const bool open = FWindow->IsOpen();
    for (TCommand& c : commands) {
        try {
            switch (c.Kind) {
                case TCommand::TKind::Reparent:
                    if (open) FWindow->Reparent(c.Parent);
                    break;
                case TCommand::TKind::Show:
                    if (open) FWindow->SetVisible(true);
                    break;
                case TCommand::TKind::Bounds:
                    if (open) FWindow->SetBounds(c.Left, c.Top, c.Width, c.Height);
                    break;
                case TCommand::TKind::Key:
                    FForm->HostKeyMessage(c.Message, c.KeyCode, c.KeyFlags);
                    break;
                case TCommand::TKind::Run:
                    (*c.Task)();
                    break;
            }
        } catch (...) {
            // A window request that fails leaves the editor as it was.
        }
    }
    return true;
}

void TFormWindow::ThreadMain(std::uintptr_t parent, std::promise<std::string> opening) {
    TEditorLoop loop(*FForm, *FWindow);
    try {
        loop.Open(parent);
    } catch (const std::exception& e) {
        FOpenFailed.store(true, std::memory_order_release);
        opening.set_value(e.what()[0] != '\0' ? e.what() : "The editor's window could not open");
        return;
    } catch (...) {
        FOpenFailed.store(true, std::memory_order_release);
        opening.set_value("The editor's window could not open");
        return;
    }
    opening.set_value({});
    bool eventsWaiting = true;
    while (!FStop.load(std::memory_order_acquire)) {
        const bool commands = RunCommands();
        TClock::duration wait = loop.Step(TClock::now(), eventsWaiting || commands);
        PublishSize();
        if (loop.IsOpen()) wait = std::min(wait, kMarkTick);
        pollfd fds[2] = {{FWakeFd, POLLIN, 0}, {loop.IsOpen() ? FWindow->EventFd() : -1, POLLIN, 0}};
        const bool queued = loop.IsOpen() && FWindow->PrepareToWait();
        if (queued || FQueued.load(std::memory_order_acquire)) wait = TClock::duration::zero();
        const timespec timeout = ToTimespec(wait);
        ppoll(fds, fds[1].fd >= 0 ? 2 : 1, wait == TClock::duration::max() ? nullptr : &timeout, nullptr);
        eventsWaiting = queued || fds[1].revents != 0;
        if (fds[0].revents & POLLIN) {
            std::uint64_t count;
            [[maybe_unused]] const ssize_t got = read(FWakeFd, &count, sizeof count);
        }
    }
    loop.Close();
}

std::unique_ptr<TFormWindow> CreateX11FormWindow(std::unique_ptr<TForm> form) {
    return std::make_unique<TFormWindow>(std::move(form), CreateX11Window());
}

}  // namespace tessel
