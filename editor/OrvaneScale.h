#pragma once
// Which scale the equaliser's editor is drawn at, first that applies:
// the user's choice (settings value "Scale", from the Zoom menu; 0 is
// automatic), the host's content scale, the desktop's (Xft.dpi, GDK_SCALE),
// otherwise 100 %. Whatever the source, the editor draws at one of its
// offered scales: the nearest one at or above what was asked (so that a
// 110 % desktop gets 125 %, never text smaller than it asked for), and at
// most the largest.

#include <array>
#include <functional>
#include <utility>

#include "editor/SettingsStore.h"

namespace tessel {

inline constexpr std::array<int, 7> kOrvaneScales = {100, 125, 150, 175, 200, 250, 300};  // percent

// The offered scale for a percent asked for (0 or less: none, 100).
int OfferedOrvaneScale(int percent);

// The scale from the three sources, each in percent, 0 where it says nothing.
// The desktop is asked only when it decides (asking opens an X connection);
// without a `desktop`, DesktopScalePercent() is asked.
int ResolveOrvaneScale(int userPercent, int hostPercent, const std::function<int()>& desktop);

// The editor's client size in screen pixels at a scale.
std::pair<int, int> OrvaneEditorSize(int percent);

// What the editor will open at, for a host that asks for the size before
// it opens: the user's settings, the host's scale (0: none) and the
// desktop's (by default DesktopScalePercent()), asked only when it decides. [ui-thread]
int OrvaneScaleBeforeOpen(TSettingsStore& settings, int hostPercent, const std::function<int()>& desktop = nullptr);

}  // namespace tessel
