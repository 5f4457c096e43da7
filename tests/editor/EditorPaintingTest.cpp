// The editor's drawing with the real module's start-up values: the flat
// response line, and the program name in place of the response. (The whole
// editor's golden images are the form's, EditorFormTest.)

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "editor/OrvanePainter.h"
#include "editor/OrvanePalette.h"
#include "editor/OrvaneSettings.h"
#include "framework/CustomVstParameterProperty.h"
#include "plugin/OrvaneModule.h"
#include "tests/gui/SurfaceTesting.h"
#include "tests/support/ModuleDrawSource.h"

namespace tessel {
namespace {

using testing::MatchesGolden;

class EditorPainting : public ::testing::Test {
protected:
    EditorPainting() : FModule(CreateModule<TOrvaneModule>()), FSource(*FModule) {
        FModule->SetSampleRate(44100.0f);
        FPainter.SetRandomSource(&FRandom);
    }
    void Render(TGuiStyle style, std::int32_t color = kDefaultFormColor) {
        FAppearance.GuiStyle = style;
        FAppearance.FormColor = color;
        FLayout = CalculateOrvaneLayout(style);
        FPainter.RenderBackground(255);
        FPainter.RedrawAll();
    }

    std::unique_ptr<TOrvaneModule, TModuleDeleter> FModule;
    test::TModuleDrawSource FSource;
    TXorShiftRandom FRandom{1};
    TBitmap32 FBackBuffer;
    TBackgroundImages FBackgrounds;
    TOrvaneLayout FLayout;
    TOrvaneAppearance FAppearance;
    TOrvanePainter FPainter{FBackBuffer, FBackgrounds, FLayout, FAppearance, FSource};
};

using testing::kTextDelta;

// Every pixel the response drawing changed lies on one row.
void ExpectFlatLineAtMiddle(const TBitmap32& drawn, const TOrvanePainter& background, const TRect& g) {
    const int middle = g.Top + g.Height() / 2;
    int onLine = 0;
    for (int y = g.Top; y < g.Bottom; ++y)
        for (int x = g.Left; x < g.Right; ++x) {
            if (drawn.Pixel(x, y) == background.BackgroundPixel(x, y)) continue;
            EXPECT_EQ(y, middle) << "curve ink at " << x << "," << y;
            ++onLine;
        }
    // From the first point (Left + 1) to the last (Right - 1); the aliased
    // chain leaves out its end pixel.
    EXPECT_GE(onLine, g.Width() - 3);
}

TEST_F(EditorPainting, AFlatResponseIsAHorizontalLineAtTheMiddle) {
    // Start-up: every gain 0 dB, bands 1 and 7 bypassed.
    for (TGuiStyle style : {TGuiStyle::Knobs, TGuiStyle::Display})
        for (std::uint8_t quality : {kFontQualityLow, kFontQualityHigh}) {
            FAppearance.FontQuality = quality;
            Render(style);
            SCOPED_TRACE(::testing::Message() << "style " << static_cast<int>(style) << " quality " << int{quality});
            ExpectFlatLineAtMiddle(FBackBuffer, FPainter, FLayout.GraphRect);
        }
    // A boost bends it upwards: ink above the middle.
    FModule->AutomateParameter(9, 12.0f);
    FPainter.DrawResponse();
    const TRect& g = FLayout.GraphRect;
    int above = 0;
    for (int y = g.Top; y < g.Top + g.Height() / 2 - 2; ++y)
        for (int x = g.Left; x < g.Right; ++x) above += FBackBuffer.Pixel(x, y) != FPainter.BackgroundPixel(x, y);
    EXPECT_GT(above, 20);
}

TEST_F(EditorPainting, WithMagnitudeOffTheDisplayShowsTheProgramName) {
    FAppearance.Magnitude = false;
    Render(TGuiStyle::Knobs);
    EXPECT_EQ(FModule->CurrentProgramName(), "Init");
    const TRect& g = FLayout.GraphRect;
    TBitmap32 crop(g.Width(), g.Height());
    FBackBuffer.DrawOnto(crop, crop.BoundsRect(), g);
    EXPECT_TRUE(MatchesGolden(crop, "editor_preset_init", kTextDelta, 0.05));
}

}  // namespace
}  // namespace tessel
