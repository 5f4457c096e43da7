// The editor's window layer: one frame's recomposition and copy for a knob
// drag (the knob and its value text), a whole frame, and the CPU an open
// editor with nothing to do uses. The X11 cases need a display (run under
// xvfb-run or on a desktop); without one they report an error and the
// headless cases still run.
//
// The form is the editor's size (718 × 381) with 21 knob-sized controls that
// paint like a knob with a cached face: one blended 81 × 83 image each.

#include <benchmark/benchmark.h>
#include <poll.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "gui/controls/EditorLoop.h"
#include "gui/controls/Form.h"
#include "gui/controls/FormWindow.h"
#include "gui/window/HeadlessWindow.h"
#include "gui/window/X11Window.h"

namespace tessel {
namespace {

constexpr int kWidth = 718, kHeight = 381;
const TRect kValueText{20, 152, 101, 169};  // band 1's gain text

// Paints a cached, partly transparent face over the form, as a knob does.
class TFaceControl final : public TControl {
public:
    TFaceControl(TControlHost* host, const TBitmap32& face, int left, int top) : TControl(host), FFace(face) {
        SetBounds(left, top, face.Width(), face.Height());
    }
    void Paint(TBitmap32& target) override { FFace.DrawOnto(target, Left(), Top()); }

private:
    const TBitmap32& FFace;
};

class TBenchForm final : public TForm {
public:
    TBenchForm() {
        SetClientSize(kWidth, kHeight);
        FBackBuffer.NoiseFill(0xFFD8D5CDu, 48, true);
        FFace.Resize(81, 83);
        for (int y = 0; y < 83; ++y)
            for (int x = 0; x < 81; ++x) {
                const int dx = x - 40, dy = y - 41;
                const int d2 = dx * dx + dy * dy;
                FFace.RowPixels(y)[x] = d2 < 38 * 38 ? Color32(120 + x, 120 + y, 140, d2 < 34 * 34 ? 255 : 128) : 0;
            }
        FFace.SetDrawMode(dmBlend);
        for (int band = 0; band < 7; ++band)
            for (int row = 0; row < 3; ++row)
                FKnobs.push_back(std::make_unique<TFaceControl>(this, FFace, 20 + 100 * band, 69 + 100 * row));
    }
    ~TBenchForm() override { FKnobs.clear(); }
    TControl& Knob() { return *FKnobs.front(); }
    // What a drag frame redraws besides the knob: its value text.
    void DrawValueText() {
        FBackBuffer.FillRect(kValueText.Left, kValueText.Top, kValueText.Right, kValueText.Bottom, 0xFFE0E0E0u);
        InvalidateRect(kValueText);
    }

private:
    TBitmap32 FFace;
    std::vector<std::unique_ptr<TFaceControl>> FKnobs;
};

enum class TBackend { Headless, X11, X11WithoutSharedMemory };

std::unique_ptr<TPlatformWindow> OpenBackend(TBackend backend, TEditorLoop*& loop, TBenchForm& form,
                                             std::unique_ptr<TEditorLoop>& holder, benchmark::State& state) {
    std::unique_ptr<TPlatformWindow> window;
    if (backend != TBackend::Headless) {
        if (!std::getenv("DISPLAY")) {
            state.SkipWithError("no X display");
            return nullptr;
        }
        window = CreateX11Window({.SharedMemory = backend == TBackend::X11});
    } else {
        window = std::make_unique<THeadlessWindow>();
    }
    holder = std::make_unique<TEditorLoop>(form, *window);
    try {
        holder->Open(0);
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return nullptr;
    }
    window->SetVisible(true);
    loop = holder.get();
    return window;
}

// Paints what is invalid, waiting (off the CPU) while the server still
// reads the previous shared-memory copy.
void Paint(TEditorLoop& loop, TPlatformWindow& window, TBenchForm& form) {
    while (!loop.PaintNow()) {
        pollfd fd{window.EventFd(), POLLIN, 0};
        poll(&fd, 1, 5);
        window.DispatchEvents(form);
    }
}

void DragFrame(benchmark::State& state, TBackend backend) {
    TBenchForm form;
    TEditorLoop* loop = nullptr;
    std::unique_ptr<TEditorLoop> holder;
    auto window = OpenBackend(backend, loop, form, holder, state);
    if (!window) return;
    Paint(*loop, *window, form);
    for (auto _ : state) {
        form.Knob().Invalidate();
        form.DrawValueText();
        Paint(*loop, *window, form);
    }
    holder.reset();
}

void FullFrame(benchmark::State& state, TBackend backend) {
    TBenchForm form;
    TEditorLoop* loop = nullptr;
    std::unique_ptr<TEditorLoop> holder;
    auto window = OpenBackend(backend, loop, form, holder, state);
    if (!window) return;
    for (auto _ : state) {
        form.InvalidateAll();
        Paint(*loop, *window, form);
    }
    holder.reset();
}

void BM_DragFrameHeadless(benchmark::State& state) { DragFrame(state, TBackend::Headless); }
void BM_DragFrameX11(benchmark::State& state) { DragFrame(state, TBackend::X11); }
void BM_DragFrameX11PutImage(benchmark::State& state) { DragFrame(state, TBackend::X11WithoutSharedMemory); }
void BM_FullFrameHeadless(benchmark::State& state) { FullFrame(state, TBackend::Headless); }
void BM_FullFrameX11(benchmark::State& state) { FullFrame(state, TBackend::X11); }
void BM_FullFrameX11PutImage(benchmark::State& state) { FullFrame(state, TBackend::X11WithoutSharedMemory); }
BENCHMARK(BM_DragFrameHeadless)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DragFrameX11)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DragFrameX11PutImage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullFrameHeadless)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullFrameX11)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullFrameX11PutImage)->Unit(benchmark::kMicrosecond);

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// An open editor on its own thread with nothing to do: the process's CPU
// time while the benchmark thread sleeps, in percent of one core.
void IdleEditor(benchmark::State& state, bool x11) {
    if (x11 && !std::getenv("DISPLAY")) {
        state.SkipWithError("no X display");
        return;
    }
    constexpr auto kMeasured = std::chrono::seconds(3);
    auto window = std::make_unique<TFormWindow>(std::make_unique<TBenchForm>(),
                                                x11 ? CreateX11Window() : std::make_unique<THeadlessWindow>());
    window->SetParentWindow(0);
    window->Show();
    window->Invalidate();
    window->RunOnEditorThread([] {});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the first frames settle
    double percent = 0.0;
    for (auto _ : state) {
        const double before = ProcessCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(kMeasured);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        percent = 100.0 * (ProcessCpuSeconds() - before) / wall;
        state.SetIterationTime(wall);
    }
    state.counters["cpu_percent_of_one_core"] = percent;
    if (window->OpenFailed()) state.SkipWithError("the window did not open");
}

// The floor under the idle figure: a thread that does nothing but wake once
// per frame period, as the editor thread does to look for marks.
void BM_IdleFrameTickAlone(benchmark::State& state) {
    std::atomic<bool> stop{false};
    std::thread ticker([&] {
        while (!stop.load(std::memory_order_relaxed)) {
            const timespec period{0, std::chrono::nanoseconds(TEditorLoop::kFramePeriod).count()};
            ppoll(nullptr, 0, &period, nullptr);
        }
    });
    double percent = 0.0;
    for (auto _ : state) {
        const double before = ProcessCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        percent = 100.0 * (ProcessCpuSeconds() - before) / wall;
        state.SetIterationTime(wall);
    }
    stop = true;
    ticker.join();
    state.counters["cpu_percent_of_one_core"] = percent;
}
BENCHMARK(BM_IdleFrameTickAlone)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_IdleEditorHeadless(benchmark::State& state) { IdleEditor(state, false); }
void BM_IdleEditorX11(benchmark::State& state) { IdleEditor(state, true); }
BENCHMARK(BM_IdleEditorHeadless)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleEditorX11)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessel
