#include "gui/controls/CustomFlatEdit.h"

#include <algorithm>
#include <cmath>

#include "gui/surface/FontEngine.h"

namespace tessel {
namespace {

constexpr std::int32_t kDefaultFocused = 16777215;  // white
constexpr std::int32_t kDefaultBorder = 8623776;    // red 160, green 150, blue 131
constexpr std::int32_t kDefaultFlat = 14805739;     // red 235, green 234, blue 225
constexpr int kDefaultWidth = 121;
constexpr int kDefaultHeight = 19;
constexpr int kHeightPadding = 6;  // pixels above the font's line height

// Hue, lightness and saturation on the window system's 0..240 scale.
constexpr double kHlsMax = 240.0;
constexpr double kRgbMax = 255.0;
constexpr double kLightnessLift = 10.0;  // percent added before the step

struct THls {
    double H = 0.0, L = 0.0, S = 0.0;
};

THls RgbToHls(TColor32 c) {
    const double r = RedComponent(c), g = GreenComponent(c), b = BlueComponent(c);
    const double hi = std::max({r, g, b}), lo = std::min({r, g, b});
    THls out;
    out.L = (hi + lo) * kHlsMax / (2.0 * kRgbMax);
    if (hi == lo) {
        out.H = kHlsMax * 2.0 / 3.0;  // undefined hue; unused with no saturation
        return out;
    }
    const double d = hi - lo;
    out.S = out.L <= kHlsMax / 2.0 ? d * kHlsMax / (hi + lo) : d * kHlsMax / (2.0 * kRgbMax - hi - lo);
    const double rd = (hi - r) / d, gd = (hi - g) / d, bd = (hi - b) / d;  // sixths of a turn
    double h = r == hi ? bd - gd : g == hi ? 2.0 + rd - bd : 4.0 + gd - rd;
    h *= kHlsMax / 6.0;
    if (h < 0.0) h += kHlsMax;
    out.H = h;
    return out;
}

double HueToChannel(double m1, double m2, double hue) {
    if (hue < 0.0) hue += kHlsMax;
    if (hue >= kHlsMax) hue -= kHlsMax;
    if (hue < kHlsMax / 6.0) return m1 + (m2 - m1) * hue / (kHlsMax / 6.0);
    if (hue < kHlsMax / 2.0) return m2;
    if (hue < kHlsMax * 2.0 / 3.0) return m1 + (m2 - m1) * (kHlsMax * 2.0 / 3.0 - hue) / (kHlsMax / 6.0);
    return m1;
}

std::int32_t HlsToColorWord(const THls& c) {
    auto byte = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, kHlsMax) * kRgbMax / kHlsMax)); };
    int r, g, b;
    if (c.S == 0.0) {
        r = g = b = byte(c.L);
    } else {
        const double m2 = c.L <= kHlsMax / 2.0 ? c.L * (kHlsMax + c.S) / kHlsMax : c.L + c.S - c.L * c.S / kHlsMax;
        const double m1 = 2.0 * c.L - m2;
        r = byte(HueToChannel(m1, m2, c.H + kHlsMax / 3.0));
        g = byte(HueToChannel(m1, m2, c.H));
        b = byte(HueToChannel(m1, m2, c.H - kHlsMax / 3.0));
    }
    return r | (g << 8) | (b << 16);
}

void FrameRect(TBitmap32& s, const TRect& r, TColor32 c) {
    if (r.IsEmpty()) return;
    s.FillRect(r.Left, r.Top, r.Right, r.Top + 1, c);
    s.FillRect(r.Left, r.Bottom - 1, r.Right, r.Bottom, c);
    s.FillRect(r.Left, r.Top, r.Left + 1, r.Bottom, c);
    s.FillRect(r.Right - 1, r.Top, r.Right, r.Bottom, c);
}

TRect Inset(const TRect& r, int d) { return {r.Left + d, r.Top + d, r.Right - d, r.Bottom - d}; }

}  // namespace

TCustomFlatEdit::TCustomFlatEdit(TControlHost* host)
    : TCustomEdit(host), FColorFocused(kDefaultFocused), FColorBorder(kDefaultBorder), FColorFlat(kDefaultFlat) {
    if (host) {
        FColorFlat = host->ParentColor();
        TCustomEdit::SetFont(host->ParentFont());
    }
    SetBounds(0, 0, kDefaultWidth, kDefaultHeight);
    RedrawBorder();
}

// ---- Colours -----------------------------------------------------------------

void TCustomFlatEdit::SetColorFocused(std::int32_t colorWord) {
    FColorFocused = colorWord;
    RedrawBorder();
}

void TCustomFlatEdit::SetColorBorder(std::int32_t colorWord) {
    FColorBorder = colorWord;
    RedrawBorder();
}

void TCustomFlatEdit::SetColorFlat(std::int32_t colorWord) {
    FColorFlat = colorWord;
    FParentColor = false;
    RedrawBorder();
}

void TCustomFlatEdit::SetParentColor(bool value) {
    if (value == FParentColor) return;
    FParentColor = value;
    if (FParentColor && Host()) {
        FColorFlat = Host()->ParentColor();
        RedrawBorder();
    }
}

void TCustomFlatEdit::SetAdvColorFocused(std::uint8_t percent) {
    FAdvColorFocused = percent;
    if (FUseAdvColors) {
        DeriveColors();
        RedrawBorder();
    }
}

void TCustomFlatEdit::SetAdvColorBorder(std::uint8_t percent) {
    FAdvColorBorder = percent;
    if (FUseAdvColors) {
        DeriveColors();
        RedrawBorder();
    }
}

void TCustomFlatEdit::SetUseAdvColors(bool value) {
    if (value == FUseAdvColors) return;
    FUseAdvColors = value;
    SetParentColor(value);
    DeriveColors();
    RedrawBorder();
}

void TCustomFlatEdit::DeriveColors() {
    if (!FUseAdvColors) return;
    FColorFocused = CalcAdvancedColor(FColorFlat, FColorFocused, FAdvColorFocused, false);
    FColorBorder = CalcAdvancedColor(FColorFlat, FColorBorder, FAdvColorBorder, true);
}

// Lightness is stepped in percent (0..100) of the 0..240 scale: +10 %, then
// the step, so the default flat colour gives a white focus colour and a
// mid-tone border, like the fixed defaults.
std::int32_t TCustomFlatEdit::CalcAdvancedColor(std::int32_t flatColor, std::int32_t current, std::uint8_t percent,
                                                bool darker) {
    if (percent == 0) return current;
    THls c = RgbToHls(FromSystemColor(flatColor));
    double lightness = c.L * 100.0 / kHlsMax + kLightnessLift;
    lightness = darker ? std::max(lightness - percent, 0.0) : std::min(lightness + percent, 100.0);
    c.L = lightness * kHlsMax / 100.0;
    return HlsToColorWord(c);
}

void TCustomFlatEdit::ParentColorChanged() {
    if ((FUseAdvColors || FParentColor) && Host()) FColorFlat = Host()->ParentColor();
    DeriveColors();
    RedrawBorder();
}

// ---- Frame -------------------------------------------------------------------

void TCustomFlatEdit::SetShowBorder(bool value) {
    if (value == FShowBorder) return;
    FShowBorder = value;
    RedrawBorder();
}

void TCustomFlatEdit::SetTransparent(bool value) {
    if (value == FTransparent) return;
    FTransparent = value;
    Invalidate();
}

bool TCustomFlatEdit::Hot() const {
    if (Focused()) return true;
    const TControl* active = Host() ? Host()->FocusedControl() : nullptr;
    return FMouseInControl && dynamic_cast<const TCustomFlatEdit*>(active) == nullptr;
}

std::int32_t TCustomFlatEdit::StateColor() const { return !FShowBorder || !Hot() ? FColorFlat : FColorFocused; }

void TCustomFlatEdit::RedrawBorder() {
    SetColor(StateColor());
    Invalidate();
}

TRect TCustomFlatEdit::TextArea() const { return Inset({0, 0, Width(), Height()}, kFrameWidth); }

void TCustomFlatEdit::PaintBackground(TBitmap32& target) {
    const TRect r = PixelBounds();
    // The state is read afresh: the focus may have moved between flat boxes
    // without this one hearing of it.
    if (!FTransparent) {
        target.FillRect(r.Left, r.Top, r.Right, r.Bottom, FromSystemColor(StateColor()));
    } else if (Host()) {
        FParentImage.Resize(r.Width(), r.Height());
        Host()->PaintParentBackground(FParentImage, r);
        FParentImage.DrawOnto(target, r.Left, r.Top);
    }
    if (!FShowBorder) return;
    const TColor32 inner = FromSystemColor(Hot() ? FColorFocused : FColorFlat);
    // Three rings of one unit each, each as many pixels wide as the scale makes a unit.
    const int ring = Scale().Length(1);
    for (int i = 0; i < 3 * ring; ++i) FrameRect(target, Inset(r, i), i < ring ? FromSystemColor(FColorBorder) : inner);
}

// ---- Size and state ----------------------------------------------------------

void TCustomFlatEdit::AdjustHeight() {
    const int lineHeight = CurrentFontEngine()->Measure(Font(), "", 1).Height;
    SetBounds(Left(), Top(), Width(), lineHeight + kHeightPadding);
}

void TCustomFlatEdit::SetFont(const TFont32& font) {
    TCustomEdit::SetFont(font);
    AdjustHeight();
}

void TCustomFlatEdit::Loaded() {
    TCustomEdit::Loaded();
    AdjustHeight();
}

void TCustomFlatEdit::SetEnabled(bool enabled) {
    TCustomEdit::SetEnabled(enabled);
    RedrawBorder();
}

void TCustomFlatEdit::MouseEnter() {
    TCustomEdit::MouseEnter();
    FMouseInControl = true;
    RedrawBorder();
}

void TCustomFlatEdit::MouseLeave() {
    TCustomEdit::MouseLeave();
    FMouseInControl = false;
    RedrawBorder();
}

void TCustomFlatEdit::FocusChanged(bool focused) {
    TCustomEdit::FocusChanged(focused);
    RedrawBorder();
}

}  // namespace tessel
