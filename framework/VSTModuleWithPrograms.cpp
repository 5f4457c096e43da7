#include "framework/VSTModuleWithPrograms.h"

namespace tessel {

TVSTModuleWithPrograms::TVSTModuleWithPrograms() = default;
TVSTModuleWithPrograms::~TVSTModuleWithPrograms() = default;

}  // namespace tessel
