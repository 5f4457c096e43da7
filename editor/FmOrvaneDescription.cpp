#include "editor/FmOrvaneDescription.h"

#include <array>

namespace tessel {
namespace {

using namespace stored;

constexpr std::uint8_t kRadio = mfRadio;
constexpr std::uint8_t kAutoRadio = mfRadio | mfAutoCheck;
constexpr std::uint8_t kNone = 0;

// Name, caption, tag, flags, group index, parent, handler. Captions mark
// accelerators with "&"; "-" is a separator. The band kind items' Tags are
// the kinds; the font quality items' Tags the qualities (-1: ClearType);
// the zoom items' Tags the scale in percent (0: automatic).
constexpr std::array<TMenuItemRow, 44> kMenuRows = {{
    {"MILowcut", "L&owcut", 0, kRadio, 0, "PopupSimple", "MITypeClick"},
    {"MILowShelf", "&Lowshelf", 1, kRadio, 0, "PopupSimple", "MITypeClick"},
    {"MIBandpass", "&Bandpass", 2, kRadio, 0, "PopupSimple", "MITypeClick"},
    {"MIPeak", "&Peak", 3, kRadio, 0, "PopupSimple", "MITypeClick"},
    {"MINotch", "&Notch", 4, kRadio, 0, "PopupSimple", "MITypeClick"},
    {"MIHighshelf", "&Highshelf", 5, kRadio, 0, "PopupSimple", "MITypeClick"},
    {"MIHighCut", "H&ighCut", 6, kRadio, 0, "PopupSimple", "MITypeClick"},
    {"N1", "-", 0, kNone, 0, "PopupSimple", ""},
    {"MIBypass", "&Bypass", 7, kRadio, 0, "PopupSimple", "MITypeClick"},

    {"MIFrequency", "&Frequency", 0, kAutoRadio | mfChecked, 0, "PUFreqDisplay", "MINoteFrequencyClick"},
    {"MINote", "&Note", 0, kAutoRadio, 0, "PUFreqDisplay", "MINoteFrequencyClick"},
    {"N2", "-", 0, kNone, 0, "PUFreqDisplay", ""},
    {"MISnap", "Snap", 0, kNone, 0, "PUFreqDisplay", ""},
    {"MISnapNone", "none", 0, kAutoRadio | mfChecked, 0, "MISnap", ""},
    {"MISnapFine", "fine", 0, kAutoRadio, 0, "MISnap", ""},
    {"MISnapCoarse", "coarse", 0, kAutoRadio, 0, "MISnap", ""},

    {"MIShadow", "Shadow", 0, mfChecked, 0, "PUGUI", "MIShadowClick"},
    {"MIMagnitude", "Magnitude", 0, mfChecked, 0, "PUGUI", "MIMagnitudeClick"},
    {"MIGuiStyle", "Gui Style", 0, kNone, 0, "PUGUI", ""},
    {"MIKnobs", "&Knobs", 0, kRadio | mfChecked, 0, "MIGuiStyle", "MIKnobsClick"},
    {"MIDisplay", "&Display", 0, kRadio, 0, "MIGuiStyle", "MIDisplayClick"},
    {"MIFontQuality", "Font Quality", 0, kNone, 0, "PUGUI", ""},
    {"MILow", "&Low", 0, kRadio, 1, "MIFontQuality", "MIFontQualityClick"},
    {"MIMiddle", "&Middle", 2, kRadio, 1, "MIFontQuality", "MIFontQualityClick"},
    {"MIHigh", "&High", 4, kRadio | mfChecked, 1, "MIFontQuality", "MIFontQualityClick"},
    {"N3", "-", 0, kNone, 1, "MIFontQuality", ""},
    {"MIClearType", "ClearType", -1, kRadio, 1, "MIFontQuality", "MIFontQualityClick"},
    {"MIColorScheme", "Color Scheme", 0, kNone, 0, "PUGUI", ""},
    {"MIColorDefault", "&Default", 0, kRadio | mfChecked, 0, "MIColorScheme", "MIColorDefaultClick"},
    {"MIColorCopper", "&Copper", 0, kRadio, 0, "MIColorScheme", "MIColorCopperClick"},
    {"MIColorDark", "D&ark", 0, kRadio, 0, "MIColorScheme", "MIColorDarkClick"},
    {"MIColorOrange", "&Orange", 0, kRadio, 0, "MIColorScheme", "MIColorOrangeClick"},
    {"MIKeysRequired", "Keys Required", 0, kNone, 0, "PUGUI", "MIKeysRequiredClick"},
    {"MIAnalyser", "Analyser", 0, kNone, 0, "PUGUI", "MIAnalyserClick"},
    {"MIZoom", "Zoom", 0, kNone, 0, "PUGUI", ""},
    {"MIZoomAuto", "&Automatic", 0, kRadio | mfChecked, 2, "MIZoom", "MIZoomClick"},
    {"MIZoom100", "&100 %", 100, kRadio, 2, "MIZoom", "MIZoomClick"},
    {"MIZoom125", "12&5 %", 125, kRadio, 2, "MIZoom", "MIZoomClick"},
    {"MIZoom150", "15&0 %", 150, kRadio, 2, "MIZoom", "MIZoomClick"},
    {"MIZoom200", "&200 %", 200, kRadio, 2, "MIZoom", "MIZoomClick"},
    {"MIZoom250", "250 %", 250, kRadio, 2, "MIZoom", "MIZoomClick"},
    {"MIZoom300", "&300 %", 300, kRadio, 2, "MIZoom", "MIZoomClick"},

    {"MIMoveLeft", "Move &left <-", 0, kNone, 0, "PUDial", "MIMoveLeftClick"},
    {"MIMoveRight", "Move &right ->", 0, kNone, 0, "PUDial", "MIMoveRightClick"},
}};

constexpr std::array<std::string_view, 49> kComponents = {
    "PopupSimple",
    "PUGUI",
    "PUFreqDisplay",
    "PUDial",
    "MIPeak",
    "MILowShelf",
    "MIHighshelf",
    "MILowcut",
    "MIHighCut",
    "MIBandpass",
    "MINotch",
    "MIBypass",
    "MIFrequency",
    "MINote",
    "MIShadow",
    "MIColorScheme",
    "MIColorDefault",
    "MIColorCopper",
    "MIColorOrange",
    "MIMagnitude",
    "MIAnalyser",
    "MIZoom",
    "MIZoomAuto",
    "MIZoom100",
    "MIZoom125",
    "MIZoom150",
    "MIZoom200",
    "MIZoom250",
    "MIZoom300",
    "MIFontQuality",
    "MILow",
    "MIMiddle",
    "MIHigh",
    "MISnap",
    "MISnapNone",
    "MISnapFine",
    "MISnapCoarse",
    "MIGuiStyle",
    "MIKnobs",
    "MIDisplay",
    "MIColorDark",
    "MIClearType",
    "MIKeysRequired",
    "MIMoveLeft",
    "MIMoveRight",
    "ValueEdit",
    "N3",
    "N1",
    "N2",
};

TStoredDescription MakeFormDescription() {
    return {"TFmOrvane",
            {
                Ident("BorderStyle", "bsNone"),
                Text("Caption", "Test EQ"),
                Integer("ClientHeight", 381),
                Integer("ClientWidth", 718),
                Integer("Color", 13489624),
                Ident("Font.Charset", "DEFAULT_CHARSET"),
                Ident("Font.Color", "clWindowText"),
                Integer("Font.Height", -11),
                Text("Font.Name", "Verdana"),
                Set("Font.Style", {}),
                Boolean("Scaled", false),
                Method("OnClick", "FormClick"),
                Method("OnCreate", "FormCreate"),
                Method("OnDestroy", "FormDestroy"),
                Method("OnMouseDown", "FormMouseDown"),
                Method("OnMouseMove", "FormMouseMove"),
                Method("OnPaint", "FormPaint"),
                Method("OnResize", "FormResize"),
                Integer("PixelsPerInch", 96),
            }};
}

std::vector<TStoredProperty> MakeValueEditDescription() {
    return {
        Integer("Left", 64),
        Integer("Top", 96),
        Integer("Width", 81),
        Integer("Height", 19),
        Integer("ColorFlat", 13489624),
        Boolean("ParentColor", true),
        Boolean("ShowBorder", false),
        Boolean("Transparent", false),
        Integer("TabOrder", 0),
        Text("Text", "ValueEdit"),
        Boolean("Visible", false),
        Method("OnKeyPress", "ValueEditKeyPress"),
    };
}

}  // namespace

std::span<const TMenuItemRow> FmOrvaneMenuRows() { return kMenuRows; }

std::span<const std::string_view> FmOrvaneComponents() { return kComponents; }

const TStoredDescription& FmOrvaneDescription() {
    static const TStoredDescription description = MakeFormDescription();
    return description;
}

const std::vector<TStoredProperty>& ValueEditDescription() {
    static const std::vector<TStoredProperty> description = MakeValueEditDescription();
    return description;
}

}  // namespace tessel
