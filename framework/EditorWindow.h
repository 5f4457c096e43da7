#pragma once
// The editor window as the framework sees it: a platform window that can be
// embedded into the host's window and receive forwarded keystrokes. The GUI's
// form window implements it (gui/controls/FormWindow.h); tests use a recording fake.
//
// Threads: [ui-thread], every function: the framework calls them from the
// thread the host sends editor requests on. An implementation that runs its
// window on a thread of its own only hands the work over.

#include <cstdint>
#include <stdexcept>

namespace tessel {

enum class TKeyMessage { KeyDown, KeyUp, SysKeyDown, SysKeyUp, Char };

// Key-data flags of forwarded key messages.
inline constexpr std::uint32_t kKeyFlagExtended = 0x100;
inline constexpr std::uint32_t kKeyFlagAltDown = 0x2000;

// What an editor window shows: the module that created the window reaches
// its editor through Content() with a dynamic_cast to its own interface.
class TEditorContent {
public:
    virtual ~TEditorContent() = default;
};

// The window cannot open at all (no display, no usable visual, the host's
// window gone): SetParentWindow throws it, and the host is told there is
// no editor.
class EEditorOpenFailed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TEditorWindow {
public:
    virtual ~TEditorWindow() = default;

    // The editor inside the window, or null.
    virtual TEditorContent* Content() { return nullptr; }

    // Embedding, in the order the framework calls them on effEditOpen.
    // SetParentWindow throws EEditorOpenFailed when no window can open.
    virtual void SetParentWindow(std::uintptr_t parentWindow) = 0;
    virtual void Show() = 0;
    virtual void RemoveBorder() = 0;
    virtual void SetBounds(int left, int top, int width, int height) = 0;  // pixels
    virtual void Invalidate() = 0;

    virtual int Width() const = 0;  // outer size, pixels
    virtual int Height() const = 0;
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;

    // The host's content scale (percent, 100 = 1:1) changed while the window
    // is open; the window may take another size, which it asks of the host
    // itself. Windows that cannot scale ignore it.
    virtual void SetContentScale(int percent) { static_cast<void>(percent); }

    // Delivers a key message to the focused control, or to the window itself
    // when no control has the focus. keyCode is a platform virtual-key code.
    virtual void SendKeyMessage(TKeyMessage message, std::int32_t keyCode, std::uint32_t keyFlags) = 0;
};

}  // namespace tessel
