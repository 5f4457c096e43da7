#pragma once
// What the equaliser module asks of its editor: redraw a band's texts and the
// response, and move or enable a band's knobs. An editor window implements
// this next to TEditorWindow; the module finds it through the framework's
// EditorForm, and the module's code needs no more of the editor than this.
//
// Threads: [any-thread, lock-free], every function. The module calls them
// from whichever thread holds the parameter store, the host's audio thread
// included: an implementation only marks the work for its window thread
// (atomics), never draws, locks or makes system calls here.

#include <memory>

#include "framework/EditorWindow.h"

namespace tessel {

class TEqualiserModel;

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

    // Whether the key the host has just forwarded is the editor's (its value
    // box was open when the key arrived), so the host should not act on it too.
    virtual bool TakesKeys() const { return false; }
};

// The editor window of a module, its form in an X11 child of the host's
// window on an editor thread of its own. [ui-thread]
std::unique_ptr<TEditorWindow> CreateOrvaneEditorWindow(TEqualiserModel& model);
// Returns once no editor window closed earlier still has a thread running:
// such a thread may still use its module. [ui-thread]
void AwaitClosedEditorWindows();

}  // namespace tessel
