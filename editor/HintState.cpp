#include "editor/HintState.h"

namespace tessel {

THintStep NextHint(THint current, int x, int y, const TRect& snapshotArea, const TRect& titleRect) {
    THint wanted = THint::None;
    if (snapshotArea.Contains(x, y))
        wanted = THint::Snapshots;
    else if (titleRect.Contains(x, y))
        wanted = THint::Menu;
    return {wanted, wanted != current};
}

std::string_view HintText(THint hint) {
    switch (hint) {
        case THint::Snapshots:
            return kSnapshotsHint;
        case THint::Menu:
            return kMenuHint;
        case THint::None:
            break;
    }
    return {};
}

}  // namespace tessel
