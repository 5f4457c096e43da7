// The editor with the real module behind it, in a headless window on its
// own editor thread:
//  - effEditOpen until the first frame reaches the window (target 50 ms),
//    for the first editor of the library (it renders the shared background)
//    and for later ones (they copy it);
//  - the host's setParameter on the audio thread, median and worst call,
//    with the editor closed and with it open and busy repainting every
//    frame. setParameter must never wait for drawing.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "editor/BackgroundImage.h"
#include "editor/FmOrvane.h"
#include "gui/controls/FormWindow.h"
#include "gui/window/HeadlessWindow.h"
#include "plugin/OrvaneModule.h"

namespace tessel {
namespace {

using TClock = std::chrono::steady_clock;

// A headless window that counts the frames it was given, for any thread to see.
class TCountingWindow final : public TPlatformWindow {
public:
    std::atomic<int> Presents{0};
    void Open(std::uintptr_t parent, int width, int height) override { FInner.Open(parent, width, height); }
    void Close() override { FInner.Close(); }
    bool IsOpen() const override { return FInner.IsOpen(); }
    void Reparent(std::uintptr_t parent) override { FInner.Reparent(parent); }
    void SetVisible(bool visible) override { FInner.SetVisible(visible); }
    void SetBounds(int left, int top, int width, int height) override { FInner.SetBounds(left, top, width, height); }
    void SetClientSize(int width, int height) override { FInner.SetClientSize(width, height); }
    int EventFd() const override { return FInner.EventFd(); }
    bool PrepareToWait() override { return FInner.PrepareToWait(); }
    void DispatchEvents(TWindowEventSink& sink) override { FInner.DispatchEvents(sink); }
    bool ReadyToPresent() const override { return true; }
    void Present(const TBitmap32& frame, std::span<const TRect> rects) override {
        FInner.Present(frame, rects);
        Presents.fetch_add(1, std::memory_order_release);
    }
    void SetCursorHidden(bool hidden) override { FInner.SetCursorHidden(hidden); }
    void WarpPointer(int x, int y) override { FInner.WarpPointer(x, y); }
    void TakeFocus() override { FInner.TakeFocus(); }
    void ReleaseFocus() override { FInner.ReleaseFocus(); }
    void SetClipboardText(const std::string& text) override { FInner.SetClipboardText(text); }
    std::string ClipboardText() override { return FInner.ClipboardText(); }

private:
    THeadlessWindow FInner;
};

class TBenchOrvane : public TOrvaneModule {
public:
    TCountingWindow* Screen = nullptr;
    TFmOrvane* Form = nullptr;

    std::intptr_t Dispatch(std::int32_t opcode) {
        AEffect* e = GetEffectRecord();
        return e->dispatcher(e, opcode, 0, 0, reinterpret_cast<void*>(std::uintptr_t{7}), 0.0f);
    }
    void WaitForFirstFrame() const {
        while (Screen->Presents.load(std::memory_order_acquire) == 0) std::this_thread::yield();
    }

protected:
    std::unique_ptr<TEditorWindow> CreateEditorForm(std::uintptr_t) override {
        auto window = std::make_unique<TCountingWindow>();
        auto form = std::make_unique<TFmOrvane>(*this);
        Screen = window.get();
        Form = form.get();
        return std::make_unique<TFormWindow>(std::move(form), std::move(window));
    }
};

auto MakeModule() {
    auto m = CreateModule<TBenchOrvane>();
    m->SetSampleRate(48000.0f);
    return m;
}

void BM_EditOpenToFirstPaint(benchmark::State& state) {
    const bool first = state.range(0) != 0;
    auto m = MakeModule();
    for (auto _ : state) {
        if (first) {
            state.PauseTiming();
            TBackgroundImages::Shared().Reset();
            state.ResumeTiming();
        }
        m->Dispatch(effEditOpen);
        m->WaitForFirstFrame();
        state.PauseTiming();
        m->Dispatch(effEditClose);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EditOpenToFirstPaint)->Arg(1)->Arg(0)->ArgName("first")->Unit(benchmark::kMillisecond)->UseRealTime();

// setParameter of band 3's gain, timed call by call on this thread (the
// host's audio thread). busy: the editor is open and a second thread marks
// the response and every gain text for redrawing every millisecond, so the
// editor thread repaints on every frame.
void BM_SetParameterOnAudioThread(benchmark::State& state) {
    const bool editorOpen = state.range(0) != 0;
    auto m = MakeModule();
    AEffect* e = m->GetEffectRecord();
    std::atomic<bool> stop{false};
    std::thread busy;
    if (editorOpen) {
        m->Dispatch(effEditOpen);
        m->WaitForFirstFrame();
        busy = std::thread([&] {
            while (!stop.load(std::memory_order_relaxed)) {
                m->Form->DrawResponse();
                for (int band = 0; band < 7; ++band) m->Form->DrawGain(band);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    }
    std::vector<double> ns;
    ns.reserve(1 << 20);
    float value = 0.0f;
    for (auto _ : state) {
        value = value > 0.99f ? 0.0f : value + 0.01f;
        const auto start = TClock::now();
        e->setParameter(e, 9, value);
        const auto end = TClock::now();
        if (ns.size() < ns.capacity()) ns.push_back(std::chrono::duration<double, std::nano>(end - start).count());
    }
    stop = true;
    if (busy.joinable()) busy.join();
    if (editorOpen) state.counters["frames"] = m->Screen->Presents.load();
    if (editorOpen) m->Dispatch(effEditClose);
    std::sort(ns.begin(), ns.end());
    if (!ns.empty()) {
        state.counters["median_ns"] = ns[ns.size() / 2];
        state.counters["p99_ns"] = ns[ns.size() * 99 / 100];
        state.counters["worst_ns"] = ns.back();
    }
}
BENCHMARK(BM_SetParameterOnAudioThread)->Arg(0)->Arg(1)->ArgName("editor_busy")->MinTime(2.0);

}  // namespace
}  // namespace tessel
