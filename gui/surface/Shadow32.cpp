#include "gui/surface/Shadow32.h"

namespace tessel {

template <class T>
void TShadow32::Store(T& field, T value) {
    if (field == value) return;
    field = value;
    Changed();
}

void TShadow32::SetBlur(std::uint8_t v) { Store(FBlur, v); }
void TShadow32::SetVisible(bool v) { Store(FVisible, v); }
void TShadow32::SetOffsetX(std::int32_t v) { Store(FOffset.x, v); }
void TShadow32::SetOffsetY(std::int32_t v) { Store(FOffset.y, v); }
void TShadow32::SetTransparency(std::uint8_t v) { Store(FTransparency, v); }

void TShadow32::Assign(const TShadow32& source) {
    if (&source == this) return;
    const bool same = FBlur == source.FBlur && FVisible == source.FVisible && FOffset == source.FOffset &&
                      FTransparency == source.FTransparency;
    FBlur = source.FBlur;
    FVisible = source.FVisible;
    FOffset = source.FOffset;
    FTransparency = source.FTransparency;
    if (!same) Changed();
}

void TShadow32::Changed() {
    if (FOnChange) FOnChange();
}

}  // namespace tessel
