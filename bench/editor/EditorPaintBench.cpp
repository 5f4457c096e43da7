// The editor's drawing with the real module behind it: the whole background
// (first open, colour or style change; target 15 ms) and the response
// display, redrawn on every parameter change (targets 1 ms in the Knobs
// style, 2 ms in the Display style).

#include <benchmark/benchmark.h>

#include <cmath>

#include "editor/OrvanePainter.h"
#include "framework/CustomVstParameterProperty.h"
#include "plugin/OrvaneModule.h"
#include "tests/support/ModuleDrawSource.h"

namespace tessel {
namespace {

struct TEditorDrawing {
    explicit TEditorDrawing(TGuiStyle style, std::uint8_t fontQuality = 2) {
        module->SetSampleRate(44100.0f);
        // A musical setting, so the curve is not a straight line.
        module->AutomateParameter(5, 3.0f);
        module->AutomateParameter(9, -2.5f);
        module->AutomateParameter(17, 2.0f);
        appearance.GuiStyle = style;
        appearance.FontQuality = fontQuality;
        layout = CalculateOrvaneLayout(style);
        painter.SetRandomSource(&random);
        painter.RenderBackground(255);
        painter.RedrawAll();
    }
    std::unique_ptr<TOrvaneModule, TModuleDeleter> module = CreateModule<TOrvaneModule>();
    test::TModuleDrawSource source{*module};
    TXorShiftRandom random{1};
    TBitmap32 backBuffer;
    TBackgroundImages backgrounds;
    TOrvaneLayout layout;
    TOrvaneAppearance appearance;
    TOrvanePainter painter{backBuffer, backgrounds, layout, appearance, source};
};

void BM_RenderBackground(benchmark::State& state) {
    TEditorDrawing d(static_cast<TGuiStyle>(state.range(0)));
    for (auto _ : state) {
        // Rendered anew each time: a look already rendered would only be copied.
        state.PauseTiming();
        d.backgrounds.Reset();
        state.ResumeTiming();
        d.painter.RenderBackground(255);
        benchmark::DoNotOptimize(d.backBuffer.Bits());
    }
}
BENCHMARK(BM_RenderBackground)->Arg(0)->Arg(1)->ArgName("display")->Unit(benchmark::kMillisecond);

void BM_DrawResponse(benchmark::State& state) {
    TEditorDrawing d(static_cast<TGuiStyle>(state.range(0)), static_cast<std::uint8_t>(state.range(1)));
    for (auto _ : state) {
        d.painter.DrawResponse();
        benchmark::DoNotOptimize(d.backBuffer.Bits());
    }
}
BENCHMARK(BM_DrawResponse)
    ->ArgsProduct({{0, 1}, {0, 2}})
    ->ArgNames({"display", "quality"})
    ->Unit(benchmark::kMicrosecond);

// What one gain change costs the editor thread: the band's text and the response.
void BM_GainChangeRedraw(benchmark::State& state) {
    TEditorDrawing d(static_cast<TGuiStyle>(state.range(0)));
    for (auto _ : state) {
        d.painter.Perform(RedrawFor(TRedrawEvent::BandGain, 2));
        benchmark::DoNotOptimize(d.backBuffer.Bits());
    }
}
BENCHMARK(BM_GainChangeRedraw)->Arg(0)->Arg(1)->ArgName("display")->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tessel
