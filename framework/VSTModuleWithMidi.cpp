#include "framework/VSTModuleWithMidi.h"

namespace tessel {

TVSTModuleWithMidi::TVSTModuleWithMidi() = default;
TVSTModuleWithMidi::~TVSTModuleWithMidi() = default;

}  // namespace tessel
