#pragma once
// TVSTModuleWithPrograms: parameter descriptions, the parameter store,
// programs and chunks.

#include "framework/VSTModuleWithMidi.h"

namespace tessel {

class TVSTModuleWithPrograms : public TVSTModuleWithMidi {
public:
    TVSTModuleWithPrograms();
    ~TVSTModuleWithPrograms() override;

protected:
    // Runs right before the stored description is read.
    virtual void DescriptionLoading() {}
};

}  // namespace tessel
