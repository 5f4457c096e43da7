// TFmOrvane: the handlers of the mouse, the knobs, the menus and the value
// box, published by the names the stored description and the knobs use.
// The interaction behind them is not part of the form yet; each does
// nothing, so every event the window delivers is safe to raise.

#include "gui/FmOrvane.h"

namespace tessel {

void TFmOrvane::PublishMethods() {
    using TFormNotify = TForm::TNotifyEvent;
    FMethods.PublishMember<TFormNotify>("FormCreate", this, &TFmOrvane::FormCreate);
    FMethods.PublishMember<TFormNotify>("FormDestroy", this, &TFmOrvane::FormDestroy);
    FMethods.PublishMember<TFormNotify>("FormPaint", this, &TFmOrvane::FormPaint);
    FMethods.PublishMember<TFormNotify>("FormResize", this, &TFmOrvane::FormResize);

    FMethods.Publish<TFormNotify>("FormClick", [](TForm&) {});
    FMethods.Publish<TForm::TMouseEvent>("FormMouseDown", [](TForm&, TMouseButton, TShiftState, int, int) {});
    FMethods.Publish<TForm::TMouseMoveEvent>("FormMouseMove", [](TForm&, TShiftState, int, int) {});

    const TControl::TMouseEvent noMouse = [](TControl&, TMouseButton, TShiftState, int, int) {};
    FMethods.Publish("DialMouseDown", noMouse);
    FMethods.Publish("GainDial1MouseUp", noMouse);
    FMethods.Publish("BandwidthDial1MouseUp", noMouse);
    for (int band = 1; band <= kOrvaneBands; ++band)
        FMethods.Publish("FreqDial" + std::to_string(band) + "MouseUp", noMouse);
    const TControl::TNotifyEvent noChange = [](TControl&) {};
    for (const char* name : {"GainDialChange", "FreqDialChange", "BandwidthDialChange"})
        FMethods.Publish(name, noChange);

    const TMenuItem::TClickEvent noClick = [](TMenuItem&) {};
    for (const char* name :
         {"MITypeClick", "MINoteFrequencyClick", "MIShadowClick", "MIMagnitudeClick", "MIKnobsClick", "MIDisplayClick",
          "MIFontQualityClick", "MIColorDefaultClick", "MIColorCopperClick", "MIColorDarkClick", "MIColorOrangeClick",
          "MIKeysRequiredClick", "MIMoveLeftClick", "MIMoveRightClick"})
        FMethods.Publish(name, noClick);
    FMethods.Publish<TControl::TKeyPressEvent>("ValueEditKeyPress", [](TControl&, char32_t&) {});
}

}  // namespace tessel
