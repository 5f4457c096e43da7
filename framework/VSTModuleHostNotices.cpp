// The parameter layer's host notices: what editor threads queue instead of
// calling the host, and its delivery on the host's own threads.

#include "framework/EditorThread.h"
#include "framework/VSTModuleWithPrograms.h"

namespace tessel {

bool TVSTModuleWithPrograms::HostBeginEdit(std::int32_t index) {
    if (!TEditorThread::IsCurrent()) return TVSTModuleWithMidi::HostBeginEdit(index);
    FHostNotices.PostBeginEdit(index);
    return false;
}

bool TVSTModuleWithPrograms::HostEndEdit(std::int32_t index) {
    if (!TEditorThread::IsCurrent()) return TVSTModuleWithMidi::HostEndEdit(index);
    FHostNotices.PostEndEdit(index);
    return false;
}

bool TVSTModuleWithPrograms::HostSizeWindow(std::int32_t width, std::int32_t height) {
    if (!TEditorThread::IsCurrent()) return TVSTModuleWithMidi::HostSizeWindow(width, height);
    FHostNotices.PostSizeWindow(width, height);
    return false;
}

bool TVSTModuleWithPrograms::HostUpdateDisplay() {
    if (!TEditorThread::IsCurrent()) return TVSTModuleWithMidi::HostUpdateDisplay();
    FHostNotices.PostUpdateDisplay();
    return false;
}

void TVSTModuleWithPrograms::DeliverHostNotices(bool onUiThread) noexcept {
    // The root's senders: they call the host whatever thread this is.
    FHostNotices.Deliver(
        [this](const THostNotice& notice) {
            switch (notice.kind) {
                case THostNoticeKind::Automate:
                    TBasicVSTModule::AutomateParameter(notice.index, notice.value);
                    break;
                case THostNoticeKind::BeginEdit:
                    TBasicVSTModule::HostBeginEdit(notice.index);
                    break;
                case THostNoticeKind::EndEdit:
                    TBasicVSTModule::HostEndEdit(notice.index);
                    break;
                case THostNoticeKind::UpdateDisplay:
                    TBasicVSTModule::HostUpdateDisplay();
                    break;
                case THostNoticeKind::SizeWindow:
                    TBasicVSTModule::HostSizeWindow(notice.index, static_cast<std::int32_t>(notice.value));
                    break;
            }
        },
        onUiThread);
}

std::intptr_t TVSTModuleWithPrograms::HandleEditIdle(std::int32_t index, std::intptr_t value, void* ptr, float opt) {
    const auto answer = TVSTModuleWithMidi::HandleEditIdle(index, value, ptr, opt);
    DeliverHostNotices(true);
    return answer;
}

std::intptr_t TVSTModuleWithPrograms::HandleEditClose(std::int32_t index, std::intptr_t value, void* ptr, float opt) {
    // The window goes first: its thread posts nothing more once it has stopped.
    const auto answer = TVSTModuleWithMidi::HandleEditClose(index, value, ptr, opt);
    FHostNotices.EndOpenGestures();
    // While the audio thread delivers, this returns at once: what it has
    // not sent yet leaves with the next block or idle call.
    DeliverHostNotices(true);
    return answer;
}

}  // namespace tessel
