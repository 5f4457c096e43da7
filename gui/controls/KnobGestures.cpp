#include "gui/controls/KnobGestures.h"

#include <algorithm>

namespace tessel {

void TKnobGestures::Changing(std::int32_t index, TDialGesture gesture, TClock::time_point now) {
    if (gesture == TDialGesture::None) return;
    auto open = std::find_if(FOpen.begin(), FOpen.end(), [&](const TOpenGesture& g) { return g.index == index; });
    if (open == FOpen.end()) {
        if (FBegin) FBegin(index);
        open = FOpen.insert(FOpen.end(), TOpenGesture{index, gesture, {}});
    }
    // A drag that takes over a resting wheel keeps its gesture: one begin, one end.
    if (open->gesture == TDialGesture::Wheel) open->gesture = gesture;
    open->restsUntil = now + kWheelPause;
}

void TKnobGestures::DragEnded(std::int32_t index) {
    for (std::size_t i = 0; i < FOpen.size(); ++i)
        if (FOpen[i].index == index && FOpen[i].gesture == TDialGesture::Drag) return End(i);
}

void TKnobGestures::Tick(TClock::time_point now) {
    for (std::size_t i = FOpen.size(); i-- > 0;)
        if (FOpen[i].gesture == TDialGesture::Wheel && now >= FOpen[i].restsUntil) End(i);
}

bool TKnobGestures::Open(std::int32_t index) const {
    return std::any_of(FOpen.begin(), FOpen.end(), [&](const TOpenGesture& g) { return g.index == index; });
}

void TKnobGestures::End(std::size_t position) {
    const std::int32_t index = FOpen[position].index;
    FOpen.erase(FOpen.begin() + static_cast<std::ptrdiff_t>(position));
    if (FEnd) FEnd(index);
}

}  // namespace tessel
