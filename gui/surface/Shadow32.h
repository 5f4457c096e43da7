#pragma once
// TShadow32: the settings of a control's drop shadow — blur radius,
// visibility, displacement and opacity. The owning control draws it with
// TBitmap32::DropShadow and registers a change handler that repaints it.

#include <cstdint>
#include <functional>

#include "gui/surface/Geometry.h"

namespace tessel {

class TShadow32 {
public:
    using TChangeHandler = std::function<void()>;

    std::uint8_t Blur() const { return FBlur; }  // blur radius, pixels
    bool Visible() const { return FVisible; }
    std::int32_t OffsetX() const { return FOffset.x; }  // pixels, + is right
    std::int32_t OffsetY() const { return FOffset.y; }  // pixels, + is down
    TPoint Offset() const { return FOffset; }
    std::uint8_t Transparency() const { return FTransparency; }  // opacity 0..255

    // Each setter notifies the owner when the value actually changes.
    void SetBlur(std::uint8_t v);
    void SetVisible(bool v);
    void SetOffsetX(std::int32_t v);
    void SetOffsetY(std::int32_t v);
    void SetTransparency(std::uint8_t v);
    // Both offsets at once, stored without notifying the owner.
    void SetOffset(TPoint offset) { FOffset = offset; }

    // Copies all five settings and notifies once if any changed.
    void Assign(const TShadow32& source);

    void SetOnChange(TChangeHandler handler) { FOnChange = std::move(handler); }

private:
    template <class T>
    void Store(T& field, T value);
    void Changed();

    std::uint8_t FBlur = 0;
    bool FVisible = false;
    TPoint FOffset;
    std::uint8_t FTransparency = 0;
    TChangeHandler FOnChange;
};

}  // namespace tessel
