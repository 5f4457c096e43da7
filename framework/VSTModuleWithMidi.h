#pragma once
// TVSTModuleWithMidi: incoming MIDI events and the outgoing event queue.

#include "framework/CustomVSTModule.h"

namespace tessel {

class TVSTModuleWithMidi : public TCustomVSTModule {
public:
    TVSTModuleWithMidi();
    ~TVSTModuleWithMidi() override;
};

}  // namespace tessel
