#pragma once
// What the editor's actions need of the module's parameter store: read a
// natural value, and store one the way a user's change is stored (change
// handler, then one automation message to the host). The form passes the
// module; tests pass a recorder.
//
// Threads: the editor thread.

#include <cstdint>

namespace tessel {

class TParameterAccess {
public:
    virtual ~TParameterAccess() = default;
    virtual float ReadParameter(std::int32_t index) = 0;
    virtual void AutomateParameter(std::int32_t index, float value) = 0;
};

}  // namespace tessel
