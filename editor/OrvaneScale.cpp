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

int ResolveOrvaneScale(int userPercent, int hostPercent, int desktopPercent) {
    for (const int percent : {userPercent, hostPercent, desktopPercent})
        if (percent > 0) return OfferedOrvaneScale(percent);
    return kUnscaledPercent;
}

std::pair<int, int> OrvaneEditorSize(int percent) {
    const TPixelScale scale{percent};
    return {scale.Pixels(kOrvaneFormWidth), scale.Pixels(kOrvaneFormHeight)};
}

int OrvaneScaleBeforeOpen(TSettingsStore& settings, int hostPercent, const std::function<int()>& desktop) {
    const int user = ReadOrvaneSettings(settings).Scale;
    if (user > 0 || hostPercent > 0) return ResolveOrvaneScale(user, hostPercent, 0);
    return ResolveOrvaneScale(0, 0, desktop ? desktop() : DesktopScalePercent());
}

}  // namespace tessel
