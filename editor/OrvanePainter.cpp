// TOrvanePainter: background, panels, texts and snapshot buttons. The
// response display is in OrvanePainterResponse.cpp.

#include "editor/OrvanePainter.h"

#include <algorithm>
#include <array>

#include "editor/OrvanePalette.h"
#include "editor/OrvaneValueTexts.h"

namespace tessel {
namespace {

constexpr int kFullAlpha = 255;
constexpr int kNoiseAmount = 48;
constexpr int kParametersPerBand = 4;  // Type, Gain, Frequency, Bandwidth
constexpr char kFirstSnapshotLetter = 'A';

int ParameterIndex(int band, int field) { return kParametersPerBand * band + field; }

bool ValidBand(int band) { return band >= 0 && band < kOrvaneBands; }

TFixedPoint Whole(int x, int y) { return {FixedFromInt(x), FixedFromInt(y)}; }

constexpr int kPanelCorner = 2;  // units cut off each corner
constexpr int kTextTop = 1;      // units between a text rectangle's top and its text

// Draws text on a temporary surface of r's size, turns it into a blurred
// black shadow of the given opacity and blends it onto the target at
// (r.Left + dx, r.Top + dy). y: the text's top inside the surface. All in
// screen pixels.
void DrawTextShadow(TBitmap32& target, const TRect& r, std::string_view text, int y, int level, std::uint8_t alpha,
                    int blur, TPoint offset) {
    TBitmap32 shadow(r.Width(), r.Height());
    shadow.SetDrawMode(dmBlend);
    shadow.SetCombineMode(cmMerge);
    shadow.Font() = target.Font();
    shadow.DrawText((r.Width() - shadow.TextWidth(text)) / 2, y, text, level, kBlack32);
    shadow.ShadowMask(alpha);
    shadow.StackBlur(blur);
    shadow.DrawOnto(target, r.Left + offset.x, r.Top + offset.y);
}

}  // namespace

TOrvanePainter::TOrvanePainter(TBitmap32& backBuffer, TBackgroundImages& backgrounds, const TOrvaneLayout& layout,
                               const TOrvaneAppearance& appearance, TOrvaneDrawSource& source)
    : FBackBuffer(backBuffer), FBackgrounds(backgrounds), FLayout(layout), FAppearance(appearance), FSource(source) {
    FBackBuffer.Font().Name = kEditorFontFace;
}

int TOrvanePainter::TextLevel() const { return TextLevelForFontQuality(FAppearance.FontQuality); }

void TOrvanePainter::Restore(const TRect& r) {
    if (FBackground) FBackground->Restore(FBackBuffer, Pixels(r));
}

TColor32 TOrvanePainter::BackgroundPixel(int x, int y) const { return FBackground ? FBackground->Pixel(x, y) : 0; }

void TOrvanePainter::Invalidate(const TRect& units) {
    if (OnInvalidate) OnInvalidate(Pixels(units));
}

void TOrvanePainter::SetFontSize(int points) {
    FBackBuffer.Font().Name = kEditorFontFace;
    FBackBuffer.Font().Size = points;
    FBackBuffer.Font().Percent = FAppearance.Scale.Percent;
}

void TOrvanePainter::DrawPanel(const TRect& units, TColor32 color) {
    const TRect r = Pixels(units);
    const int c = FAppearance.Scale.Length(kPanelCorner);
    // The outline runs along the panel's last pixels: at 1 pixel wide along
    // Right - 1 and Bottom - 1, wider lines one more ring inside per pixel.
    auto octagon = [&](int in) {
        const int l = r.Left + in, t = r.Top + in, rr = r.Right - 1 - in, b = r.Bottom - 1 - in;
        return std::array<TFixedPoint, 8>{Whole(l + c, t),  Whole(rr - c, t), Whole(rr, t + c), Whole(rr, b - c),
                                          Whole(rr - c, b), Whole(l + c, b),  Whole(l, b - c),  Whole(l, t + c)};
    };
    const auto outer = octagon(0);
    FBackBuffer.FillPolygon(outer, color, pfAlternate, am8times);
    const int width = FAppearance.Scale.Length(1);
    for (int in = 0; in < width; ++in) FBackBuffer.StrokePolyline(octagon(in), PanelOutlineColor(color), true);
}

void TOrvanePainter::RenderShadowedText(const TRect& units, std::string_view text, std::uint8_t shadowAlpha, int blur,
                                        TColor32 color, TPoint offset) {
    const TPixelScale& scale = FAppearance.Scale;
    const TRect r = Pixels(units);
    const int level = TextLevel();
    const int top = scale.Pixels(kTextTop);
    if (FAppearance.Shadow && !r.IsEmpty()) {
        FBackBuffer.SetClip(r);
        DrawTextShadow(FBackBuffer, r, text, top, level, shadowAlpha, scale.Length(blur), scale.Point(offset));
        FBackBuffer.ResetClip();
    }
    FBackBuffer.DrawText((r.Left + r.Right - FBackBuffer.TextWidth(text)) / 2, r.Top + top, text, level, color);
}

void TOrvanePainter::RenderBackground(std::uint8_t alpha) {
    FBackground = FBackgrounds.For({FAppearance.FormColor, FAppearance.GuiStyle, FAppearance.Scale.Percent});
    if (!FBackground->CopyTo(FBackBuffer)) RenderTexture(alpha);
    if (OnInvalidate) OnInvalidate(FBackBuffer.BoundsRect());
    DrawSnapshotButtons();
    DrawResponse();
}

void TOrvanePainter::RenderTexture(std::uint8_t alpha) {
    FBackBuffer.Resize(FAppearance.Scale.Pixels(kOrvaneFormWidth), FAppearance.Scale.Pixels(kOrvaneFormHeight));
    FBackBuffer.ResetClip();
    const TColor32 base = FormColor(FAppearance.FormColor, alpha);
    if (FRandom) {
        FBackBuffer.NoiseFill(base, kNoiseAmount, true, *FRandom);
    } else {
        FBackBuffer.NoiseFill(base, kNoiseAmount, true);
    }
    const TColor32 band = BandPanelColor(FAppearance.FormColor);
    const TColor32 light = LightPanelColor(FAppearance.FormColor);
    for (const auto* rects : {&FLayout.TypeRects, &FLayout.GainRects, &FLayout.FreqRects, &FLayout.BandwidthRects})
        for (const TRect& r : *rects) DrawPanel(r, band);
    for (const TRect& r : FLayout.SnapshotRects) DrawPanel(r, light);
    if (FAppearance.GuiStyle == TGuiStyle::Knobs) DrawPanel(FLayout.TitleRect, light);
    DrawPanel(FLayout.GraphRect, light);
    SetFontSize(kTitleTextSize);
    if (FAppearance.GuiStyle == TGuiStyle::Knobs) DrawTitle();
    FBackground->Adopt(FBackBuffer);
}

void TOrvanePainter::DrawTitle() {
    // The title keeps its shadow whatever the Shadow setting.
    const TPixelScale& scale = FAppearance.Scale;
    const TRect r = Pixels(FLayout.TitleRect);
    const std::string title = FSource.EffectName();
    const int offset = scale.Pixels(kTitleShadowOffset);
    if (!r.IsEmpty())
        DrawTextShadow(FBackBuffer, r, title, 0, kTitleTextLevel, kTitleShadowAlpha, scale.Length(kTitleShadowBlur),
                       {offset, offset});
    FBackBuffer.DrawText((r.Left + r.Right - FBackBuffer.TextWidth(title)) / 2, r.Top, title, kTitleTextLevel,
                         kEnabledTextColor);
}

void TOrvanePainter::RedrawAll() {
    DrawSnapshotButtons();
    for (int band = 0; band < kOrvaneBands; ++band) {
        DrawFilterType(band);
        DrawGain(band);
        DrawFrequency(band);
        DrawBandwidth(band);
    }
}

void TOrvanePainter::DrawSnapshotButtons() {
    Restore(FLayout.SnapshotArea);
    const int current = FSource.CurrentSnapshot();
    if (current >= 0 && current < kOrvaneSnapshots)
        DrawPanel(FLayout.SnapshotRects[static_cast<std::size_t>(current)], LightPanelColor(FAppearance.FormColor));
    SetFontSize(kSnapshotTextSize);
    for (int j = 0; j < kOrvaneSnapshots; ++j) {
        const char letter[2] = {static_cast<char>(kFirstSnapshotLetter + j), '\0'};
        const TColor32 color = j == current ? kCurrentSnapshotColor : kOtherSnapshotColor;
        RenderShadowedText(FLayout.SnapshotRects[static_cast<std::size_t>(j)], letter, kEnabledTextStyle.ShadowAlpha,
                           kEnabledTextStyle.Blur, color, {kEnabledTextStyle.OffsetX, kEnabledTextStyle.OffsetY});
    }
    Invalidate(FLayout.SnapshotArea);
}

void TOrvanePainter::DrawValueText(const TRect& r, const std::string& text, bool enabled, TBandValue value) {
    Restore(r);
    SetFontSize(kBandTextSize);
    const TTextStyle& style = enabled                          ? kEnabledTextStyle
                              : value == TBandValue::Frequency ? kDisabledFrequencyStyle
                                                               : kDisabledValueStyle;
    RenderShadowedText(r, text, style.ShadowAlpha, style.Blur, style.Color, {style.OffsetX, style.OffsetY});
    Invalidate(r);
}

void TOrvanePainter::DrawFilterType(int band) {
    if (!ValidBand(band)) return;
    DrawValueText(FLayout.TypeRects[static_cast<std::size_t>(band)], FSource.FilterTypeText(band), true,
                  TBandValue::Gain);
}

void TOrvanePainter::DrawGain(int band) {
    if (!ValidBand(band)) return;
    DrawValueText(FLayout.GainRects[static_cast<std::size_t>(band)],
                  GainText(FSource.ParameterValue(ParameterIndex(band, 1))),
                  FSource.ValueEnabled(TBandValue::Gain, band), TBandValue::Gain);
}

void TOrvanePainter::DrawFrequency(int band) {
    if (!ValidBand(band)) return;
    DrawValueText(FLayout.FreqRects[static_cast<std::size_t>(band)],
                  FrequencyToText(FSource.ParameterValue(ParameterIndex(band, 2))),
                  FSource.ValueEnabled(TBandValue::Frequency, band), TBandValue::Frequency);
}

void TOrvanePainter::DrawBandwidth(int band) {
    if (!ValidBand(band)) return;
    DrawValueText(FLayout.BandwidthRects[static_cast<std::size_t>(band)],
                  BandwidthText(FSource.ParameterValue(ParameterIndex(band, 3))),
                  FSource.ValueEnabled(TBandValue::Bandwidth, band), TBandValue::Bandwidth);
}

std::string TOrvanePainter::FrequencyToText(double frequencyHz) const {
    return tessel::FrequencyToText(frequencyHz, FAppearance.NoteDisplay);
}

void TOrvanePainter::DrawHint(std::string_view text) {
    Restore(FLayout.GraphRect);
    SetFontSize(kTitleTextSize);
    RenderShadowedText(FLayout.GraphRect, text, kHintStyle.ShadowAlpha, kHintStyle.Blur, kHintStyle.Color,
                       {kHintStyle.OffsetX, kHintStyle.OffsetY});
    Invalidate(FLayout.GraphRect);
}

void TOrvanePainter::Perform(TRedrawSet marks) {
    if (marks.Has(TRedrawSet::Background())) RenderBackground(kFullAlpha);
    if (marks.Has(TRedrawSet::SnapshotButtons())) DrawSnapshotButtons();
    for (int band = 0; band < kOrvaneBands; ++band) {
        if (marks.Has(TRedrawSet::FilterType(band))) DrawFilterType(band);
        if (marks.Has(TRedrawSet::Gain(band))) DrawGain(band);
        if (marks.Has(TRedrawSet::Frequency(band))) DrawFrequency(band);
        if (marks.Has(TRedrawSet::Bandwidth(band))) DrawBandwidth(band);
    }
    if (marks.Has(TRedrawSet::Response())) DrawResponse();
}

}  // namespace tessel
