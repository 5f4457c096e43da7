#pragma once
// The hint texts in the response display: while the pointer is over the
// snapshot buttons the display reads "snapshots", over the title area "right
// click for menu"; leaving both redraws the response. Each change is drawn
// once, on entering; a parameter change meanwhile draws the response over
// the hint, which then returns only after the pointer has left and come back.
// In the Display style the title area is the response display itself.

#include <cstdint>
#include <string_view>

#include "gui/surface/Geometry.h"

namespace tessel {

enum class THint : std::uint8_t { None = 0, Menu = 1, Snapshots = 2 };

inline constexpr std::string_view kSnapshotsHint = "snapshots";
inline constexpr std::string_view kMenuHint = "right click for menu";

struct THintStep {
    THint State = THint::None;  // the state after the move
    bool Changed = false;       // draw: the hint's text, or for None the response
};

// The hint state after a pointer move to (x, y) (form pixels).
THintStep NextHint(THint current, int x, int y, const TRect& snapshotArea, const TRect& titleRect);

// The text a hint shows ("" for None).
std::string_view HintText(THint hint);

}  // namespace tessel
