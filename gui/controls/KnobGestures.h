#pragma once
// TKnobGestures: the edit gestures a user makes with the knobs, as the host
// sees them: "begin" before the first change of a drag or of a run of wheel
// notches, "end" after its last, so that touch and latch automation know
// when the user lets go. A drag ends when its button is released; a wheel
// gesture when the wheel has rested for kWheelPause. A knob change that is
// neither (a reset to the default) opens no gesture here: the module sends
// a single change as its own gesture.
//
// Threads: [editor-thread].

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "gui/controls/CustomDial32.h"

namespace tessel {

class TKnobGestures {
public:
    using TClock = std::chrono::steady_clock;
    using TEdit = std::function<void(std::int32_t index)>;
    // Users turn a wheel in bursts; a rest this long lets go of the knob.
    static constexpr std::chrono::milliseconds kWheelPause{400};

    TKnobGestures(TEdit begin, TEdit end) : FBegin(std::move(begin)), FEnd(std::move(end)) {}

    // Before the parameter `index` is changed by `gesture` at `now`.
    void Changing(std::int32_t index, TDialGesture gesture, TClock::time_point now);
    // The drag on the knob of parameter `index` has ended.
    void DragEnded(std::int32_t index);
    // Ends the wheel gestures that have rested for kWheelPause by `now`.
    void Tick(TClock::time_point now);
    bool Open(std::int32_t index) const;

private:
    struct TOpenGesture {
        std::int32_t index = 0;
        TDialGesture gesture = TDialGesture::Drag;
        TClock::time_point restsUntil{};  // wheel only: it ends at this time
    };
    void End(std::size_t position);

    TEdit FBegin, FEnd;
    std::vector<TOpenGesture> FOpen;
};

}  // namespace tessel
