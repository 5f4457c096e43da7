#include "gui/FmOrvaneDescription.h"

#include <algorithm>
#include <array>

namespace tessel {
namespace {

using namespace stored;

constexpr std::uint8_t kRadio = mfRadio;
constexpr std::uint8_t kAutoRadio = mfRadio | mfAutoCheck;

// Band kind: Tag is the kind number.
constexpr std::array<TStoredMenuItem, 9> kPopupSimple = {{
    {"MILowcut", "L&owcut", 0, kRadio, 0, "MITypeClick", 0},
    {"MILowShelf", "&Lowshelf", 1, kRadio, 0, "MITypeClick", 0},
    {"MIBandpass", "&Bandpass", 2, kRadio, 0, "MITypeClick", 0},
    {"MIPeak", "&Peak", 3, kRadio, 0, "MITypeClick", 0},
    {"MINotch", "&Notch", 4, kRadio, 0, "MITypeClick", 0},
    {"MIHighshelf", "&Highshelf", 5, kRadio, 0, "MITypeClick", 0},
    {"MIHighCut", "H&ighCut", 6, kRadio, 0, "MITypeClick", 0},
    {"N1", "-", 0, mfSeparator, 0, "", 0},
    {"MIBypass", "&Bypass", 7, kRadio, 0, "MITypeClick", 0},
}};

// Frequency display and snapping.
constexpr std::array<TStoredMenuItem, 7> kFreqDisplay = {{
    {"MIFrequency", "&Frequency", 0, kAutoRadio | mfChecked, 0, "MINoteFrequencyClick", 0},
    {"MINote", "&Note", 0, kAutoRadio, 0, "MINoteFrequencyClick", 0},
    {"N2", "-", 0, mfSeparator, 0, "", 0},
    {"MISnap", "Snap", 0, mfSubmenu, 0, "", 0},
    {"MISnapNone", "none", 0, kAutoRadio | mfChecked, 0, "", 1},
    {"MISnapFine", "fine", 0, kAutoRadio, 0, "", 1},
    {"MISnapCoarse", "coarse", 0, kAutoRadio, 0, "", 1},
}};

// Appearance. The font quality items' Tags are the qualities (-1: ClearType).
constexpr std::array<TStoredMenuItem, 17> kGui = {{
    {"MIShadow", "Shadow", 0, mfChecked, 0, "MIShadowClick", 0},
    {"MIMagnitude", "Magnitude", 0, mfChecked, 0, "MIMagnitudeClick", 0},
    {"MIGuiStyle", "Gui Style", 0, mfSubmenu, 0, "", 0},
    {"MIKnobs", "&Knobs", 0, kRadio | mfChecked, 0, "MIKnobsClick", 1},
    {"MIDisplay", "&Display", 0, kRadio, 0, "MIDisplayClick", 1},
    {"MIFontQuality", "Font Quality", 0, mfSubmenu, 0, "", 0},
    {"MILow", "&Low", 0, kRadio, 1, "MIFontQualityClick", 1},
    {"MIMiddle", "&Middle", 2, kRadio, 1, "MIFontQualityClick", 1},
    {"MIHigh", "&High", 4, kRadio | mfChecked, 1, "MIFontQualityClick", 1},
    {"N3", "-", 0, mfSeparator, 1, "", 1},
    {"MIClearType", "ClearType", -1, kRadio, 1, "MIFontQualityClick", 1},
    {"MIColorScheme", "Color Scheme", 0, mfSubmenu, 0, "", 0},
    {"MIColorDefault", "&Default", 0, kRadio | mfChecked, 0, "MIColorDefaultClick", 1},
    {"MIColorCopper", "&Copper", 0, kRadio, 0, "MIColorCopperClick", 1},
    {"MIColorDark", "D&ark", 0, kRadio, 0, "MIColorDarkClick", 1},
    {"MIColorOrange", "&Orange", 0, kRadio, 0, "MIColorOrangeClick", 1},
    {"MIKeysRequired", "Keys Required", 0, 0, 0, "MIKeysRequiredClick", 0},
}};

// Band order.
constexpr std::array<TStoredMenuItem, 2> kDial = {{
    {"MIMoveLeft", "Move &left <-", 0, 0, 0, "MIMoveLeftClick", 0},
    {"MIMoveRight", "Move &right ->", 0, 0, 0, "MIMoveRightClick", 0},
}};

constexpr std::array<TStoredMenu, 4> kMenus = {{
    {"PopupSimple", kPopupSimple},
    {"PUFreqDisplay", kFreqDisplay},
    {"PUGUI", kGui},
    {"PUDial", kDial},
}};

constexpr std::array<std::string_view, 40> kComponents = {
    "PopupSimple",   "PUGUI",          "PUFreqDisplay", "PUDial",        "MIPeak",       "MILowShelf",
    "MIHighshelf",   "MILowcut",       "MIHighCut",     "MIBandpass",    "MINotch",      "MIBypass",
    "MIFrequency",   "MINote",         "MIShadow",      "MIColorScheme", "MIColorDefault", "MIColorCopper",
    "MIColorOrange", "MIMagnitude",    "MIFontQuality", "MILow",         "MIMiddle",     "MIHigh",
    "MISnap",        "MISnapNone",     "MISnapFine",    "MISnapCoarse",  "MIGuiStyle",   "MIKnobs",
    "MIDisplay",     "MIColorDark",    "MIClearType",   "MIKeysRequired", "MIMoveLeft",  "MIMoveRight",
    "ValueEdit",     "N3",             "N1",            "N2",
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

std::span<const TStoredMenu> FmOrvaneMenus() { return kMenus; }

const TStoredMenu* FindFmOrvaneMenu(std::string_view name) {
    const auto it = std::find_if(kMenus.begin(), kMenus.end(), [&](const TStoredMenu& m) { return m.Name == name; });
    return it == kMenus.end() ? nullptr : &*it;
}

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
