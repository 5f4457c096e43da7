#include "framework/SharedText.h"

namespace tessel {

std::string TSharedText::Get() const {
    const std::lock_guard guard(FLock);
    return FText;
}

void TSharedText::Set(std::string_view text) {
    std::string copy(text);  // allocated outside the lock
    const std::lock_guard guard(FLock);
    FText.swap(copy);
}  // the old text is freed here, after the lock is released

bool TSharedText::Empty() const {
    const std::lock_guard guard(FLock);
    return FText.empty();
}

}  // namespace tessel
