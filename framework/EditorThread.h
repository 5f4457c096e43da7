#pragma once
// The mark of an editor thread: a thread the plug-in runs for its editor,
// which the host does not know about.
//
// Such a thread must never call the host. A host may answer a call by
// waiting for its own UI thread, and that thread may be waiting for the
// editor thread to finish (effEditClose): both would wait for ever. The
// editor thread marks itself for its whole life; the parameter layer then
// queues what it would have told the host (THostNotices), and the host's
// own threads deliver it.
//
// Threads: [any-thread] except the audio thread (the mark is a thread-local,
// whose first use on a thread may allocate); each thread sees its own mark.

namespace tessel {

class TEditorThread {
public:
    // True on a thread inside a TScope.
    static bool IsCurrent() noexcept { return Marked(); }

    // Marks the calling thread until the scope ends.
    class TScope {
    public:
        TScope() noexcept : FOuter(Marked()) { Marked() = true; }
        ~TScope() { Marked() = FOuter; }
        TScope(const TScope&) = delete;
        TScope& operator=(const TScope&) = delete;

    private:
        bool FOuter;
    };

private:
    static bool& Marked() noexcept {
        static thread_local bool marked = false;
        return marked;
    }
};

}  // namespace tessel
