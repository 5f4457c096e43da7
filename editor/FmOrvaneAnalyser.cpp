// TFmOrvane: the spectrum analyser behind the response. While the
// "Analyser" item is checked the module's tap copies the output, and every
// 1/30 s the editor thread analyses what arrived and redraws the response
// display (and only it). While a hint covers the display the levels still
// move, but the hint stays.

#include <algorithm>
#include <chrono>

#include "editor/FmOrvane.h"

namespace tessel {
namespace {

constexpr auto kSpectrumFramePeriod = std::chrono::microseconds(1'000'000 / TSpectrumAnalyser::kFramesPerSecond);
// A longer gap (the thread was held up) falls as if only this had passed.
constexpr double kLongestFallSeconds = 0.25;

}  // namespace

void TFmOrvane::MIAnalyserClick(TMenuItem&) {
    FItems.Analyser->SetChecked(!FItems.Analyser->Checked());
    ApplyAnalyser();
    SyncAppearance();
    FPainter.DrawResponse();
}

void TFmOrvane::ApplyAnalyser() {
    const bool on = FItems.Analyser->Checked();
    FOwner.AnalyserTap().SetOpen(on);
    if (!on) FSpectrum.Reset();
}

void TFmOrvane::TickAnalyser(std::chrono::steady_clock::time_point now) {
    if (!FOwner.AnalyserTap().Open() || now - FLastSpectrumFrame < kSpectrumFramePeriod) return;
    const double elapsed =
        std::min(std::chrono::duration<double>(now - FLastSpectrumFrame).count(), kLongestFallSeconds);
    FLastSpectrumFrame = now;
    // One level per screen pixel column of the display.
    FSpectrum.Configure(FOwner.AnalyserTap().SampleRate(), Scale().Rect(FLayout.GraphRect).Width() - 1);
    if (!FSpectrum.Update(FOwner.AnalyserTap(), elapsed) || FHintState != 0) return;
    SyncAppearance();
    FPainter.DrawResponse();
}

}  // namespace tessel
