#pragma once
// TProcessingComponentList: the module's owned processing components, in the
// order they were added. Adding and clearing are [ui-thread]; reading is
// [audio-thread] as long as no one changes the list meanwhile (the module
// does not synchronise the two).

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/ProcessingComponent.h"

namespace tessel {

class TProcessingComponentList {
public:
    // Takes ownership and appends; a null component is ignored (null returned). [ui-thread]
    TProcessingComponent* Add(std::unique_ptr<TProcessingComponent> component);
    void Clear() { FItems.clear(); }  // [ui-thread]
    // ---- Reading [audio-thread] ----

    std::int32_t Count() const noexcept { return static_cast<std::int32_t>(FItems.size()); }
    bool Empty() const noexcept { return FItems.empty(); }
    // index must be below Count().
    TProcessingComponent& operator[](std::int32_t index) const noexcept {
        return *FItems[static_cast<std::size_t>(index)];
    }

private:
    std::vector<std::unique_ptr<TProcessingComponent>> FItems;
};

}  // namespace tessel
