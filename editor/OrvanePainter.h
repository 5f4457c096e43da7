#pragma once
// TOrvanePainter: every drawing of the equaliser's editor into the form's
// back buffer — the textured background with its panels and title, the
// band labels and value texts, the snapshot buttons and the response
// display. Each operation restores its rectangle from the BackgroundImage
// of the editor's look, draws over it and reports the rectangle as
// invalid; the window only ever copies the back buffer.
//
// Scale: the layout is in units; the back buffer is in screen pixels at the
// appearance's scale, and everything is drawn there afresh: rectangles and
// panel corners, text sizes, shadow offsets and blur radii, outlines and
// the curve's width. Rectangles and offsets round as TPixelScale says; at
// 100 % every operation draws exactly what it always did.
//
// The painter reads what it shows from a TOrvaneDrawSource (the module's
// values and the form's knob states) and from the form's appearance
// settings, both at drawing time.
//
// Threads: the editor thread only. Nothing here takes the parameter store's
// lock; the BackgroundImage lock is held only while pixels are copied.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "editor/BackgroundImage.h"
#include "editor/OrvaneLayout.h"
#include "editor/RedrawSet.h"
#include "editor/SpectrumAnalyser.h"
#include "gui/surface/Bitmap32.h"
#include "gui/surface/PixelScale.h"
#include "gui/surface/RandomSource.h"

namespace tessel {

enum class TBandValue { Gain, Frequency, Bandwidth };

class TOrvaneDrawSource {
public:
    virtual ~TOrvaneDrawSource() = default;
    // The kind parameter's display text (index 4·band), "Lowcut" … "Bypass".
    virtual std::string FilterTypeText(int band) = 0;
    // A parameter's natural value (dB, Hz, 0..1).
    virtual float ParameterValue(int index) = 0;
    // Whether the band's knob for the value is enabled.
    virtual bool ValueEnabled(TBandValue value, int band) = 0;
    virtual int CurrentSnapshot() = 0;  // 0..5
    virtual std::string CurrentProgramName() = 0;
    virtual std::string EffectName() = 0;
    // Called before a curve's TotalResponseDb calls: a source may take the
    // bands' state once here instead of at every point.
    virtual void BeginResponse() {}
    // Half the bands' combined gain in dB at a frequency in Hz.
    virtual double TotalResponseDb(double frequencyHz) = 0;
};

// The settings drawing depends on: the form colour and the check marks of
// the appearance menus.
struct TOrvaneAppearance {
    std::int32_t FormColor = 13489624;  // colour word, red in the low byte
    std::uint8_t FontQuality = 2;       // 0 Low, 2 Middle, 4 High, 255 ClearType
    bool Shadow = true;
    bool Magnitude = true;
    bool NoteDisplay = false;
    bool Analyser = false;  // the output's spectrum behind the response
    TGuiStyle GuiStyle = TGuiStyle::Knobs;
    TPixelScale Scale;  // screen pixels per layout pixel
};

class TOrvanePainter {
public:
    // Backgrounds come from `backgrounds`, shared with the editors that look the same.
    TOrvanePainter(TBitmap32& backBuffer, TBackgroundImages& backgrounds, const TOrvaneLayout& layout,
                   const TOrvaneAppearance& appearance, TOrvaneDrawSource& source);

    // Called with each rectangle a drawing changed (screen pixels).
    std::function<void(const TRect&)> OnInvalidate;
    // The texture's generator; without one, a clock-seeded generator.
    void SetRandomSource(TRandomSource* random) { FRandom = random; }

    // The whole background of the current look into the back buffer (a
    // copy when an editor that looks the same rendered it already), then
    // the snapshot buttons and the response. alpha: of the base colour
    // (the editor always renders opaque, so it is not part of the look).
    void RenderBackground(std::uint8_t alpha);
    // The background's pixel at (x, y); 0 before the first RenderBackground.
    TColor32 BackgroundPixel(int x, int y) const;
    // Snapshot buttons, then every band's kind label and three value texts.
    void RedrawAll();
    // An octagon with corners cut by two units, outlined a shade darker (r in units).
    void DrawPanel(const TRect& r, TColor32 color);
    // Text centred in r (units), under a soft shadow when Shadow is on;
    // blur and offset in units.
    void RenderShadowedText(const TRect& r, std::string_view text, std::uint8_t shadowAlpha, int blur, TColor32 color,
                            TPoint offset);
    void DrawSnapshotButtons();
    void DrawFilterType(int band);
    void DrawGain(int band);
    void DrawFrequency(int band);
    void DrawBandwidth(int band);
    std::string FrequencyToText(double frequencyHz) const;
    // The response curve, or the program name when Magnitude is off.
    void DrawResponse();
    // The analyser whose levels DrawResponse shows while Analyser is on (null: none).
    void SetSpectrum(const TSpectrumAnalyser* spectrum) { FSpectrum = spectrum; }
    // A hint ("snapshots", "right click for menu") in place of the response.
    void DrawHint(std::string_view text);

    // Performs a set of marks: the background first, then the snapshot
    // buttons, each band's texts in band order, and the response last.
    void Perform(TRedrawSet marks);

    int TextLevel() const;

private:
    TRect Pixels(const TRect& units) const { return FAppearance.Scale.Rect(units); }
    // r in units.
    void Restore(const TRect& r);
    // Renders the background of FBackground's look and stores it there.
    void RenderTexture(std::uint8_t alpha);
    void Invalidate(const TRect& units);
    void SetFontSize(int points);
    void DrawTitle();
    void DrawValueText(const TRect& r, const std::string& text, bool enabled, TBandValue value);
    void DrawCurve();

    TBitmap32& FBackBuffer;
    TBackgroundImages& FBackgrounds;
    std::shared_ptr<TBackgroundImage> FBackground;  // of the look last rendered
    const TOrvaneLayout& FLayout;
    const TOrvaneAppearance& FAppearance;
    TOrvaneDrawSource& FSource;
    TRandomSource* FRandom = nullptr;
    const TSpectrumAnalyser* FSpectrum = nullptr;
};

}  // namespace tessel
