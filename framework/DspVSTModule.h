#pragma once
// TDspVSTModule: what the host's three audio calls run — the module's own
// handlers directly, on fixed-size blocks, a copy, silence or a component queue.

#include "framework/VSTModuleWithPrograms.h"

namespace tessel {

class TDspVSTModule : public TVSTModuleWithPrograms {
public:
    TDspVSTModule();
    ~TDspVSTModule() override;
};

}  // namespace tessel
