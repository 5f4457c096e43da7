#include "framework/DspVSTModule.h"

namespace tessel {

TDspVSTModule::TDspVSTModule() = default;
TDspVSTModule::~TDspVSTModule() = default;

}  // namespace tessel
