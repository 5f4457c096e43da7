#pragma once
// What the equaliser module asks of its editor: redraw a band's texts and the
// response, and move or enable a band's knobs. The editor window implements
// this next to TEditorWindow; the module finds it through the framework's
// EditorForm, so the module never depends on the GUI code.
//
// Threads: called from whichever thread changed a parameter; an
// implementation marshals to its window thread as it needs.

namespace tessel {

class TOrvaneDial {
public:
    virtual ~TOrvaneDial() = default;
    virtual void SetEnabled(bool enabled) = 0;
    virtual void SetPosition(float position) = 0;  // 0..1
};

class TOrvaneEditor {
public:
    virtual ~TOrvaneEditor() = default;

    // Bands are 0..6.
    virtual TOrvaneDial& GainDial(int band) = 0;
    virtual TOrvaneDial& FreqDial(int band) = 0;
    virtual TOrvaneDial& BandwidthDial(int band) = 0;

    virtual void DrawFilterType(int band) = 0;
    virtual void DrawGain(int band) = 0;
    virtual void DrawFrequency(int band) = 0;
    virtual void DrawBandwidth(int band) = 0;
    virtual void DrawResponse() = 0;
    virtual void DrawSnapshotButtons() = 0;
};

}  // namespace tessel
