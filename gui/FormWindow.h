#pragma once
// TFormWindow: the editor window the framework holds (TEditorWindow). It
// owns the form, the platform window and the editor thread, and is the only
// object that starts or stops that thread.
//
// The editor thread starts when the host gives the parent window
// (SetParentWindow). It owns the window's connection: it waits on the
// connection's descriptor and a wake-up descriptor with poll, drains every
// event, applies posted marks and copies at most 60 frames per second. While
// the window is open it also wakes once per frame period, so that marks
// posted without a wake-up (the audio thread may post them) are picked up
// within one frame; a pass with nothing to do costs a few microseconds.
//
// Host calls never touch the form or the window system on the caller's
// thread: they queue a command and wake the editor thread. Client sizes
// are answered from values the editor thread keeps current.
//
// Ownership and order: the form is created (OnCreate) on the thread that
// builds the TFormWindow, before any editor thread exists. Destroying the
// TFormWindow stops the editor thread and waits for it — which closes the
// window and its connection — and only then fires OnDestroy and frees the
// form, so no form state can be freed under a running thread. Closing
// during a drag or with a menu open needs nothing special.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "framework/EditorWindow.h"

namespace tessel {

class TForm;
class TPlatformWindow;

class TFormWindow final : public TEditorWindow {
public:
    // Runs form->Create() on the calling thread.
    TFormWindow(std::unique_ptr<TForm> form, std::unique_ptr<TPlatformWindow> window);
    TFormWindow(const TFormWindow&) = delete;
    TFormWindow& operator=(const TFormWindow&) = delete;
    // [ui-thread] Stops and joins the editor thread, then destroys the form.
    ~TFormWindow() override;

    // The form. Only the editor thread may use it while the thread runs.
    TForm& Form() const { return *FForm; }
    TPlatformWindow& Platform() const { return *FWindow; }
    TEditorContent* Content() override;

    // [ui-thread] Runs fn on the editor thread and waits for it; runs it
    // here when no editor thread exists. For tests and tools.
    void RunOnEditorThread(const std::function<void()>& fn);
    // True while the editor thread runs (from SetParentWindow to destruction).
    bool ThreadRunning() const { return FThread.joinable(); }
    // [ui-thread] The window could not be opened (e.g. no display): the
    // first SetParentWindow threw and no editor thread runs.
    bool OpenFailed() const { return FOpenFailed.load(std::memory_order_acquire); }

    // ---- TEditorWindow [ui-thread] -------------------------------------------
    // The first call starts the editor thread and waits until the window is
    // open; throws EEditorOpenFailed, saying why, when it cannot open.
    void SetParentWindow(std::uintptr_t parentWindow) override;
    void Show() override;
    void RemoveBorder() override {}  // the window never has one
    void SetBounds(int left, int top, int width, int height) override;
    void Invalidate() override;
    int Width() const override { return ClientWidth(); }
    int Height() const override { return ClientHeight(); }
    int ClientWidth() const override { return FClientWidth.load(std::memory_order_acquire); }
    int ClientHeight() const override { return FClientHeight.load(std::memory_order_acquire); }
    void SendKeyMessage(TKeyMessage message, std::int32_t keyCode, std::uint32_t keyFlags) override;

private:
    struct TCommand;
    void Post(TCommand command);
    void Wake() const;
    void ThreadMain(std::uintptr_t parent, std::promise<std::string> opening);
    bool RunCommands();
    void PublishSize();

    std::unique_ptr<TForm> FForm;
    std::unique_ptr<TPlatformWindow> FWindow;
    std::thread FThread;
    int FWakeFd = -1;  // eventfd; only non-real-time threads write it
    std::mutex FQueueLock;
    std::deque<TCommand> FQueue;
    std::atomic<bool> FQueued{false};
    std::atomic<bool> FStop{false};
    std::atomic<bool> FOpenFailed{false};
    std::atomic<int> FClientWidth{0}, FClientHeight{0};
};

// The plug-in's editor window: the form in an X11 child window of the host's
// window, on its own editor thread.
std::unique_ptr<TFormWindow> CreateX11FormWindow(std::unique_ptr<TForm> form);

}  // namespace tessel
