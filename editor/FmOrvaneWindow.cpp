// The equaliser's editor window as the module asks for it on effEditOpen:
// its form in an X11 child window of the host's window, on an editor
// thread of its own.

#include "editor/FmOrvane.h"
#include "editor/OrvaneEditor.h"
#include "gui/controls/FormWindow.h"

namespace tessel {

std::unique_ptr<TEditorWindow> CreateOrvaneEditorWindow(TEqualiserModel& model) {
    return CreateX11FormWindow(std::make_unique<TFmOrvane>(model));
}

void AwaitClosedEditorWindows() { AwaitLeftEditorThreads(); }

}  // namespace tessel
