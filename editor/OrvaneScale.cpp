#include "editor/OrvaneScale.h"

#include <algorithm>

#include "editor/OrvaneLayout.h"
#include "editor/OrvaneSettings.h"
#include "gui/surface/PixelScale.h"
#include "gui/window/DesktopScale.h"

namespace tessel {

int OfferedOrvaneScale(int percent) {
    if (percent <= 0) return kUnscaledPercent;
    const auto above = std::lower_bound(kOrvaneScales.begin(), kOrvaneScales.end(), percent);
    return above == kOrvaneScales.end() ? kOrvaneScales.back() : *above;
}

int ResolveOrvaneScale(int userPercent, int hostPercent, const std::function<int()>& desktop) {
    for (const int percent : {userPercent, hostPercent})
        if (percent > 0) return OfferedOrvaneScale(percent);
    return OfferedOrvaneScale(desktop ? desktop() : DesktopScalePercent());
}

std::pair<int, int> OrvaneEditorSize(int percent) {
    const TPixelScale scale{percent};
    return {scale.Pixels(kOrvaneFormWidth), scale.Pixels(kOrvaneFormHeight)};
}

int OrvaneScaleBeforeOpen(TSettingsStore& settings, int hostPercent, const std::function<int()>& desktop) {
    return ResolveOrvaneScale(ReadOrvaneSettings(settings).Scale, hostPercent, desktop);
}

}  // namespace tessel
