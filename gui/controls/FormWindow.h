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
//
// The wait is bounded (kStopWait): the host's UI thread is waiting in
// effEditClose, and an editor thread held up (a window system that does not
// answer) must not hold the host. A thread that has not stopped by then is
// left to finish on its own: everything it touches lives in a block it
// shares, and it destroys the form itself on its way out. It may still use
// the module its form shows, so the module waits for such threads before
// it goes (AwaitLeftEditorThreads).
//
// The editor thread is marked as one (framework/EditorThread.h): whatever
// the form's handlers tell the module, the host hears of it from one of its
// own threads.

#include <atomic>
#include <chrono>
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
    // How long destruction waits for the editor thread to stop.
    static constexpr std::chrono::milliseconds kStopWait{1500};

    // Runs form->Create() on the calling thread.
    TFormWindow(std::unique_ptr<TForm> form, std::unique_ptr<TPlatformWindow> window);
    TFormWindow(const TFormWindow&) = delete;
    TFormWindow& operator=(const TFormWindow&) = delete;
    // [ui-thread] Stops the editor thread and waits for it (at most
    // kStopWait), then destroys the form; or leaves both to the thread.
    ~TFormWindow() override;

    // The form. Only the editor thread may use it while the thread runs.
    TForm& Form() const;
    TPlatformWindow& Platform() const;
    TEditorContent* Content() override;

    // [ui-thread] Runs fn on the editor thread and waits for it; runs it
    // here when no editor thread exists. For tests and tools.
    void RunOnEditorThread(const std::function<void()>& fn);
    // True while the editor thread runs (from SetParentWindow to destruction).
    bool ThreadRunning() const { return FThread.joinable(); }
    // [ui-thread] The window could not be opened (e.g. no display): the
    // first SetParentWindow threw and no editor thread runs.
    bool OpenFailed() const;

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
    int ClientWidth() const override;
    int ClientHeight() const override;
    void SendKeyMessage(TKeyMessage message, std::int32_t keyCode, std::uint32_t keyFlags) override;
    // Handed to the form on the editor thread (TForm::HostScaleChanged).
    void SetContentScale(int percent) override;

private:
    struct TCommand;
    struct TShared;  // everything the editor thread touches
    void Post(TCommand command);

    std::shared_ptr<TShared> FShared;
    std::thread FThread;
};

// [any-thread] Editor threads that did not stop within kStopWait of their
// window's destruction: waits until every one has finished. A module whose
// form such a thread shows calls it before it goes.
void AwaitLeftEditorThreads();

// The plug-in's editor window: the form in an X11 child window of the host's
// window, on its own editor thread.
std::unique_ptr<TFormWindow> CreateX11FormWindow(std::unique_ptr<TForm> form);

}  // namespace tessel
