#pragma once
// What a mouse press on the editor form (outside the knobs) asks for, from
// where it lands, its button and the modifiers held. The areas are tested in
// a fixed order — snapshot buttons, kind labels, gain, frequency and
// bandwidth texts, title — and the first that holds the point decides, even
// when it then does nothing for that button.

#include "editor/OrvaneLayout.h"
#include "editor/ValueEditEntry.h"
#include "gui/surface/Geometry.h"
#include "gui/window/ShiftState.h"

namespace tessel {

enum class TFormClick {
    None,
    SelectSnapshot,          // Index: slot 0..5
    StoreAndSelectSnapshot,  // right button: store the current values first
    KindMenu,                // Index: band
    BypassToggle,            // Alt: Index: band
    OpenValueEdit,           // Alt or double-click: Field, Index: band, Area: the text's rectangle
    FrequencyDisplayMenu,    // right button on a frequency text
    GuiMenu,                 // right button in the title area
};

struct TFormClickAction {
    TFormClick Kind = TFormClick::None;
    int Index = 0;
    TBandValue Field = TBandValue::Gain;
    TRect Area;
};

TFormClickAction ClassifyFormMouseDown(const TOrvaneLayout& areas, TMouseButton button, TShiftState shift, int x,
                                       int y);

}  // namespace tessel
