// The editor drawn at 200 % against 100 %: the whole background (first
// open, colour, style or scale change; at 200 % four times the pixels, so
// at most four times the 100 % time) and one frame of a knob drag (the
// knob, its value text and the response redrawn, composed and copied to a
// headless window; target at 200 %: 2 ms).

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>

#include "editor/FmOrvane.h"
#include "editor/OrvanePainter.h"
#include "editor/OrvaneSettings.h"
#include "gui/controls/EditorLoop.h"
#include "gui/window/HeadlessWindow.h"
#include "plugin/OrvaneModule.h"
#include "tests/support/ModuleDrawSource.h"

namespace tessel {
namespace {

void BM_RenderBackgroundAtScale(benchmark::State& state) {
    auto module = CreateModule<TOrvaneModule>();
    module->SetSampleRate(44100.0f);
    test::TModuleDrawSource source{*module};
    TXorShiftRandom random{1};
    TBitmap32 backBuffer;
    TBackgroundImages backgrounds;
    const TOrvaneLayout layout = CalculateOrvaneLayout(TGuiStyle::Knobs);
    TOrvaneAppearance appearance;
    appearance.Scale = {static_cast<int>(state.range(0))};
    TOrvanePainter painter{backBuffer, backgrounds, layout, appearance, source};
    painter.SetRandomSource(&random);
    painter.RenderBackground(255);  // glyph caches warm
    for (auto _ : state) {
        // Rendered anew each time: a look already rendered would only be copied.
        state.PauseTiming();
        backgrounds.Reset();
        state.ResumeTiming();
        painter.RenderBackground(255);
        benchmark::DoNotOptimize(backBuffer.Bits());
    }
}
BENCHMARK(BM_RenderBackgroundAtScale)->Arg(100)->Arg(200)->ArgName("percent")->Unit(benchmark::kMillisecond);

// The user's Zoom, the one setting the editor reads here.
class TZoomSettings final : public TSettingsStore {
public:
    explicit TZoomSettings(int percent) { FValues.Set(kScaleValue, percent); }
    std::optional<TSettingsValues> ReadKey(std::string_view) override { return FValues; }
    bool WriteKey(std::string_view, const TSettingsValues&) override { return true; }

private:
    TSettingsValues FValues;
};

void BM_DragFrameAtScale(benchmark::State& state) {
    auto module = CreateModule<TOrvaneModule>();
    module->SetSampleRate(44100.0f);
    TXorShiftRandom random{1};
    TFmOrvane form(*module, std::make_shared<TZoomSettings>(static_cast<int>(state.range(0))), &random,
                   [] { return 0; });
    form.Create();
    THeadlessWindow window;
    TEditorLoop loop(form, window);
    loop.Open(0);
    loop.PaintNow();
    TMetalDial32& knob = *form.Knob(TBandValue::Gain, 2);
    float position = 0.5f;
    for (auto _ : state) {
        // One drag step: the knob moves, its gain is automated, and the
        // marks it leaves (text, response) are drawn and the frame copied.
        position = position > 0.9f ? 0.1f : position + 0.01f;
        knob.SetPosition(position);
        // What the module tells an editor it shows after a gain change (this
        // form was not opened through the module, so it is told here).
        form.DrawGain(2);
        form.DrawResponse();
        form.ProcessMarks();
        loop.PaintNow();
    }
    loop.Close();
    form.Destroy();
}
BENCHMARK(BM_DragFrameAtScale)->Arg(100)->Arg(200)->ArgName("percent")->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tessel
