#include "framework/ProcessingComponentList.h"

namespace tessel {

TProcessingComponent* TProcessingComponentList::Add(std::unique_ptr<TProcessingComponent> component) {
    if (!component) return nullptr;
    FItems.push_back(std::move(component));
    return FItems.back().get();
}

}  // namespace tessel
