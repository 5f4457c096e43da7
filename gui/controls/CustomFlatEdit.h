#pragma once
// TCustomFlatEdit: the one-line box with a flat look. Instead of a 3-D
// border it paints a frame of three one-pixel rings: the outer one in
// ColorBorder, the inner two — and the box itself — in ColorFocused while
// the box is "hot" (it has the focus, or the pointer is over it while no
// other flat box has the focus), in ColorFlat otherwise. With ShowBorder
// off no frame is painted and the box is always ColorFlat.
//
// Colours are window-system colour words (red in the low byte; negative
// words name system colours). ColorFlat follows the form's colour while
// ParentColor is set; setting ColorFlat turns that off. With UseAdvColors
// the focus and border colours are derived from ColorFlat by
// CalcAdvancedColor.
//
// The text area is the box inset by three pixels on every side.

#include <cstdint>

#include "gui/controls/CustomEdit.h"

namespace tessel {

class TCustomFlatEdit : public TCustomEdit {
public:
    static constexpr int kFrameWidth = 3;  // pixels: three rings

    explicit TCustomFlatEdit(TControlHost* host);

    std::int32_t ColorFocused() const { return FColorFocused; }
    void SetColorFocused(std::int32_t colorWord);
    std::int32_t ColorBorder() const { return FColorBorder; }
    void SetColorBorder(std::int32_t colorWord);
    std::int32_t ColorFlat() const { return FColorFlat; }
    // Also turns ParentColor off.
    void SetColorFlat(std::int32_t colorWord);
    bool ParentColor() const { return FParentColor; }
    // Turning it on takes the form's colour now.
    void SetParentColor(bool value);
    std::uint8_t AdvColorFocused() const { return FAdvColorFocused; }  // percent of lightness
    void SetAdvColorFocused(std::uint8_t percent);
    std::uint8_t AdvColorBorder() const { return FAdvColorBorder; }  // percent of lightness
    void SetAdvColorBorder(std::uint8_t percent);
    bool UseAdvColors() const { return FUseAdvColors; }
    // Also sets ParentColor to the same value.
    void SetUseAdvColors(bool value);
    bool ShowBorder() const { return FShowBorder; }
    void SetShowBorder(bool value);
    // Shows the form through the box instead of filling it.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);

    bool MouseInControl() const { return FMouseInControl; }
    bool Hot() const;

    // Height := the font's line height (ascent + descent) + 6 pixels.
    void AdjustHeight();
    // Brings the box's colour and frame up to date with its state.
    void RedrawBorder();

    // A colour of lightness `percent` above (or, for darker, below)
    // flatColor's lightness + 10 %, hue and saturation kept; `current`
    // when percent is 0.
    static std::int32_t CalcAdvancedColor(std::int32_t flatColor, std::int32_t current, std::uint8_t percent,
                                          bool darker);

    void SetEnabled(bool enabled) override;
    void SetFont(const TFont32& font) override;
    void ParentColorChanged() override;
    void MouseEnter() override;
    void MouseLeave() override;
    void FocusChanged(bool focused) override;

protected:
    TRect TextArea() const override;
    void PaintBackground(TBitmap32& target) override;
    void Loaded() override;

private:
    void DeriveColors();
    std::int32_t StateColor() const;  // the box's colour for its state

    std::int32_t FColorFocused;
    std::int32_t FColorBorder;
    std::int32_t FColorFlat;
    bool FParentColor = true;
    std::uint8_t FAdvColorFocused = 10;
    std::uint8_t FAdvColorBorder = 50;
    bool FUseAdvColors = false;
    bool FShowBorder = true;
    bool FTransparent = false;
    bool FMouseInControl = false;
    TBitmap32 FParentImage;  // what shows through a transparent box
};

}  // namespace tessel
