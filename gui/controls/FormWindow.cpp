#include "gui/controls/FormWindow.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <future>
#include <string>
#include <system_error>

#include "framework/EditorThread.h"
#include "gui/controls/EditorLoop.h"
#include "gui/controls/Form.h"
#include "gui/window/PlatformWindow.h"
#include "gui/window/X11Window.h"

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
    enum class TKind { Reparent, Show, Bounds, Key, Run, Scale };
    explicit TCommand(TKind kind) : Kind(kind) {}
    TKind Kind;
    std::uintptr_t Parent = 0;
    int Left = 0, Top = 0, Width = 0, Height = 0;
    TKeyMessage Message = TKeyMessage::KeyDown;
    std::int32_t KeyCode = 0;
    std::uint32_t KeyFlags = 0;
    std::shared_ptr<std::packaged_task<void()>> Task;
};

// Owned jointly by the TFormWindow and its editor thread: whichever lets go
// last frees it, so a thread left running never touches freed memory.
struct TFormWindow::TShared {
    ~TShared() {
        if (WakeFd >= 0) close(WakeFd);
    }
    void Wake() const;
    bool RunCommands();
    void PublishSize();
    // Returns whether the thread was left to finish on its own (the form is then destroyed).
    // Reports through `opening` whether the window opened ("" or why not).
    bool ThreadMain(std::uintptr_t parent, std::promise<std::string>& opening);
    void DestroyForm();

    std::unique_ptr<TForm> Form;
    std::unique_ptr<TPlatformWindow> Window;
    int WakeFd = -1;  // eventfd; only non-real-time threads write it
    std::mutex QueueLock;
    std::deque<TCommand> Queue;
    std::atomic<bool> Queued{false};
    std::atomic<bool> Stop{false};
    std::atomic<bool> OpenFailed{false};
    std::atomic<int> ClientWidth{0}, ClientHeight{0};
    // The thread's end, and whether the window's owner stopped waiting for it.
    std::mutex EndLock;
    std::condition_variable Ended;
    bool Finished = false;
    bool LeftToFinish = false;
};

namespace {

// Editor threads left to finish on their own, still running.
std::mutex gLeftLock;
std::condition_variable gLeftEnded;
int gLeftRunning = 0;

}  // namespace

void AwaitLeftEditorThreads() {
    std::unique_lock lock(gLeftLock);
    gLeftEnded.wait(lock, [] { return gLeftRunning == 0; });
}

TFormWindow::TFormWindow(std::unique_ptr<TForm> form, std::unique_ptr<TPlatformWindow> window)
    : FShared(std::make_shared<TShared>()) {
    if (!form || !window) throw std::invalid_argument("A form window needs a form and a platform window");
    FShared->Form = std::move(form);
    FShared->Window = std::move(window);
    FShared->WakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (FShared->WakeFd < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
    FShared->Form->Create();
    FShared->PublishSize();
}

TFormWindow::~TFormWindow() {
    if (FThread.joinable()) {
        FShared->Stop.store(true, std::memory_order_release);
        FShared->Wake();
        std::unique_lock lock(FShared->EndLock);
        if (!FShared->Ended.wait_for(lock, kStopWait, [&] { return FShared->Finished; })) {
            // Held up: the thread finishes, and destroys the form, on its own.
            FShared->LeftToFinish = true;
            {
                const std::lock_guard left(gLeftLock);
                ++gLeftRunning;
            }
            lock.unlock();
            FThread.detach();
            return;
        }
        lock.unlock();
        FThread.join();  // the thread has closed the window and its connection
    }
    FShared->DestroyForm();
}

TForm& TFormWindow::Form() const { return *FShared->Form; }
TPlatformWindow& TFormWindow::Platform() const { return *FShared->Window; }
TEditorContent* TFormWindow::Content() { return FShared->Form.get(); }
bool TFormWindow::OpenFailed() const { return FShared->OpenFailed.load(std::memory_order_acquire); }
int TFormWindow::ClientWidth() const { return FShared->ClientWidth.load(std::memory_order_acquire); }
int TFormWindow::ClientHeight() const { return FShared->ClientHeight.load(std::memory_order_acquire); }

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
    FThread = std::thread([shared = FShared, parentWindow, opening = std::move(opening)]() mutable {
        const bool left = shared->ThreadMain(parentWindow, opening);
        shared.reset();  // the last owner frees the block while the module still waits
        if (!left) return;
        const std::lock_guard lock(gLeftLock);
        --gLeftRunning;
        gLeftEnded.notify_all();
    });
    const std::string why = problem.get();
    if (why.empty()) return;
    FThread.join();
    throw EEditorOpenFailed(why);
}

void TFormWindow::Show() { Post(TCommand(TCommand::TKind::Show)); }

void TFormWindow::SetContentScale(int percent) {
    TCommand command(TCommand::TKind::Scale);
    command.Width = percent;  // the percent rides in the size field
    Post(std::move(command));
}

void TFormWindow::SetBounds(int left, int top, int width, int height) {
    TCommand command(TCommand::TKind::Bounds);
    command.Left = left;
    command.Top = top;
    command.Width = width;
    command.Height = height;
    Post(std::move(command));
}

void TFormWindow::Invalidate() {
    FShared->Form->PostMarks(TForm::kMarkRepaint);
    FShared->Wake();
}

void TFormWindow::SendKeyMessage(TKeyMessage message, std::int32_t keyCode, std::uint32_t keyFlags) {
    FShared->Form->HostKeyArriving();
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
        std::lock_guard guard(FShared->QueueLock);
        FShared->Queue.push_back(std::move(command));
    }
    FShared->Queued.store(true, std::memory_order_release);
    FShared->Wake();
}

void TFormWindow::TShared::Wake() const {
    const std::uint64_t one = 1;
    // A full counter (never in practice) still leaves the descriptor readable.
    [[maybe_unused]] const ssize_t written = write(WakeFd, &one, sizeof one);
}

// ---- The editor thread ---------------------------------------------------------------

void TFormWindow::TShared::PublishSize() {
    ClientWidth.store(Form->ClientWidth(), std::memory_order_release);
    ClientHeight.store(Form->ClientHeight(), std::memory_order_release);
}

void TFormWindow::TShared::DestroyForm() {
    Form->Destroy();
    Form.reset();
    Window.reset();
}

bool TFormWindow::TShared::RunCommands() {
    if (!Queued.exchange(false, std::memory_order_acquire)) return false;
    std::deque<TCommand> commands;
    {
        std::lock_guard guard(QueueLock);
        commands.swap(Queue);
    }
    const bool open = Window->IsOpen();
    for (TCommand& c : commands) {
        try {
            switch (c.Kind) {
                case TCommand::TKind::Reparent:
                    if (open) Window->Reparent(c.Parent);
                    break;
                case TCommand::TKind::Show:
                    if (open) Window->SetVisible(true);
                    break;
                case TCommand::TKind::Bounds:
                    if (open) Window->SetBounds(c.Left, c.Top, c.Width, c.Height);
                    break;
                case TCommand::TKind::Key:
                    Form->HostKeyMessage(c.Message, c.KeyCode, c.KeyFlags);
                    break;
                case TCommand::TKind::Run:
                    (*c.Task)();
                    break;
                case TCommand::TKind::Scale:
                    Form->HostScaleChanged(c.Width);
                    break;
            }
        } catch (...) {
            // A window request that fails leaves the editor as it was.
        }
    }
    return true;
}

bool TFormWindow::TShared::ThreadMain(std::uintptr_t parent, std::promise<std::string>& opening) {
    const TEditorThread::TScope editorThread;  // never calls the host
    {
        TEditorLoop loop(*Form, *Window);
        try {
            loop.Open(parent);
        } catch (const std::exception& e) {
            OpenFailed.store(true, std::memory_order_release);
            opening.set_value(e.what()[0] != '\0' ? e.what() : "The editor's window could not open");
            return false;
        } catch (...) {
            OpenFailed.store(true, std::memory_order_release);
            opening.set_value("The editor's window could not open");
            return false;
        }
        opening.set_value({});
        bool eventsWaiting = true;
        while (!Stop.load(std::memory_order_acquire)) {
            const bool commands = RunCommands();
            TClock::duration wait = loop.Step(TClock::now(), eventsWaiting || commands);
            PublishSize();
            if (loop.IsOpen()) wait = std::min(wait, kMarkTick);
            pollfd fds[2] = {{WakeFd, POLLIN, 0}, {loop.IsOpen() ? Window->EventFd() : -1, POLLIN, 0}};
            const bool queued = loop.IsOpen() && Window->PrepareToWait();
            if (queued || Queued.load(std::memory_order_acquire)) wait = TClock::duration::zero();
            const timespec timeout = ToTimespec(wait);
            ppoll(fds, fds[1].fd >= 0 ? 2 : 1, wait == TClock::duration::max() ? nullptr : &timeout, nullptr);
            eventsWaiting = queued || fds[1].revents != 0;
            if (fds[0].revents & POLLIN) {
                std::uint64_t count;
                [[maybe_unused]] const ssize_t got = read(WakeFd, &count, sizeof count);
            }
        }
        loop.Close();
    }
    bool leftToFinish = false;
    {
        const std::lock_guard lock(EndLock);
        Finished = true;
        leftToFinish = LeftToFinish;
        Ended.notify_all();
    }
    if (!leftToFinish) return false;
    // Nobody waits for this thread any more: it ends what the window's destruction began.
    try {
        DestroyForm();
    } catch (...) {
        // The form is gone either way.
    }
    return true;
}

std::unique_ptr<TFormWindow> CreateX11FormWindow(std::unique_ptr<TForm> form) {
    return std::make_unique<TFormWindow>(std::move(form), CreateX11Window());
}

}  // namespace tessel
