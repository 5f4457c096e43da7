#pragma once
// THostNotices: what the editor has to tell the host, waiting for one of the
// host's own threads to deliver it.
//
// The editor thread never calls the host (EditorThread.h). It posts here
// instead: an automation (index and normalised value), the begin or end of
// an edit gesture, a request to redisplay. The host's threads deliver: its
// UI thread at effEditIdle and effEditClose, its audio thread after each
// process call (VST 2 hosts take automation there), so hosts that never
// idle the editor hear of changes within one block.
//
// Order. Notices leave in the order they were posted. Every automation lies
// inside a gesture of its parameter: one posted while its parameter has no
// open gesture leaves as begin, automation, end. A begin for a parameter
// whose gesture is open, or an end for one that is not, is dropped, so the
// host always sees begin and end in pairs. Redisplay requests merge into
// one and leave only on the UI thread: hosts re-read names and programs
// when they get one, which is no work for an audio thread. So do requests
// to resize the editor's window (the newest size wins): hosts resize their
// windows on their UI thread.
//
// Capacity. kCapacity notices wait in a ring, seconds of the fastest knob
// drag. When it is full (no host thread has delivered for that long), each
// parameter keeps what is waiting in merged form — begin, newest value, end,
// each at most once — until a delivery has taken it: the newest value is
// never lost and gestures stay paired, only intermediate values go, and
// parameters then leave in index order.
//
// Threads: Post*, EndOpenGestures and SetParameterCount: [ui-thread] (any
// thread that may wait; posting threads take turns on a mutex). Deliver:
// [any-thread, lock-free], no allocation or system call of its own; one
// thread delivers at a time, and a thread that finds another delivering
// returns at once without waiting.

#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace tessel {

enum class THostNoticeKind : std::uint8_t { Automate, BeginEdit, EndEdit, UpdateDisplay, SizeWindow };

struct THostNotice {
    THostNoticeKind kind = THostNoticeKind::Automate;
    std::int32_t index = 0;  // parameter; for SizeWindow the width in pixels
    float value = 0.0f;      // normalised 0..1, for Automate; for SizeWindow the height in pixels
};

class THostNotices {
public:
    static constexpr std::size_t kCapacity = 1024;  // a power of two

    THostNotices();
    THostNotices(const THostNotices&) = delete;
    THostNotices& operator=(const THostNotices&) = delete;

    // Room for `count` parameters; while nothing is posted or delivered
    // (descriptions change only while the module loads and at teardown).
    void SetParameterCount(std::size_t count);

    // Indices outside the parameters are ignored.
    void PostAutomate(std::int32_t index, float normalized);
    void PostBeginEdit(std::int32_t index);
    void PostEndEdit(std::int32_t index);
    void PostUpdateDisplay();
    // The editor's window is to be width × height pixels (each 1..65535).
    void PostSizeWindow(int width, int height);
    // Ends every gesture still open: the editor that began them is gone.
    void EndOpenGestures();

    // Hands the waiting notices to send(notice), oldest first; redisplay
    // only when onUiThread. What send throws is dropped with its notice.
    // False when another thread is delivering (nothing was sent here).
    template <class TSend>
    bool Deliver(TSend&& send, bool onUiThread) noexcept;
    // Something waits. [any-thread, lock-free]
    bool Pending() const noexcept;

private:
    // Merged slot of one parameter: the float bits of the newest value and
    // which notices wait, in the order begin, value, end; the epoch of the
    // merging spell it belongs to in the top bits.
    static constexpr std::uint64_t kValueBits = 0xFFFFFFFFu;
    static constexpr std::uint64_t kHasValue = std::uint64_t{1} << 32;
    static constexpr std::uint64_t kBegin = std::uint64_t{1} << 33;
    static constexpr std::uint64_t kEnd = std::uint64_t{1} << 34;
    static constexpr std::uint64_t kFlags = kHasValue | kBegin | kEnd;
    static constexpr int kEpochShift = 35;
    static constexpr std::uint64_t kEpochMask = (std::uint64_t{1} << (64 - kEpochShift)) - 1;
    static constexpr int kTakeAttempts = 4;  // a slot the poster keeps changing waits for the next delivery
    static constexpr std::uint64_t kMask = kCapacity - 1;

    void Post(const THostNotice& notice);  // the posting mutex is held
    void Merge(const THostNotice& notice);
    static std::uint64_t Merged(std::uint64_t slot, const THostNotice& notice, std::uint64_t epoch);
    template <class TSend>
    static void Send(TSend& send, const THostNotice& notice) noexcept;
    template <class TSend>
    void DeliverMerged(TSend& send) noexcept;

    std::mutex FPosting;                   // posting threads take turns
    std::vector<std::uint8_t> FOpen;       // per parameter: a gesture is open; posting side
    std::unique_ptr<THostNotice[]> FRing;  // written by the poster, read by the deliverer
    std::atomic<std::uint64_t> FWrite{0};  // next ring position to post to
    std::atomic<std::uint64_t> FRead{0};   // next ring position to deliver
    std::unique_ptr<std::atomic<std::uint64_t>[]> FMerged;
    std::size_t FMergedCount = 0;
    // Slots occupied, never less than the truth: while it is above 0 new
    // notices merge too, or they would overtake merged ones.
    std::atomic<std::int64_t> FMergedWaiting{0};
    std::atomic<std::uint64_t> FEpoch{0};  // one more each time merging begins
    std::atomic<bool> FUpdateDisplay{false};
    std::atomic<std::uint32_t> FSizeWindow{0};  // width << 16 | height; 0: none waits
    std::atomic<bool> FDelivering{false};
};

template <class TSend>
void THostNotices::Send(TSend& send, const THostNotice& notice) noexcept {
    try {
        send(notice);
    } catch (...) {
        // The host failed on this one; the others still go.
    }
}

template <class TSend>
bool THostNotices::Deliver(TSend&& send, bool onUiThread) noexcept {
    if (FDelivering.exchange(true, std::memory_order_acquire)) return false;
    // Only what was posted before this look: a poster that keeps posting
    // cannot hold the deliverer here.
    std::uint64_t read = FRead.load(std::memory_order_relaxed);
    const std::uint64_t end = FWrite.load(std::memory_order_acquire);
    for (; read != end; ++read) {
        const THostNotice notice = FRing[read & kMask];
        FRead.store(read + 1, std::memory_order_release);
        Send(send, notice);
    }
    DeliverMerged(send);
    if (onUiThread && FUpdateDisplay.exchange(false, std::memory_order_acq_rel))
        Send(send, THostNotice{THostNoticeKind::UpdateDisplay, 0, 0.0f});
    if (const std::uint32_t size = onUiThread ? FSizeWindow.exchange(0, std::memory_order_acq_rel) : 0)
        Send(send, THostNotice{THostNoticeKind::SizeWindow, static_cast<std::int32_t>(size >> 16),
                               static_cast<float>(size & 0xFFFFu)});
    FDelivering.store(false, std::memory_order_release);
    return true;
}

template <class TSend>
void THostNotices::DeliverMerged(TSend& send) noexcept {
    // Merged notices come after everything in the ring. The epoch is read
    // before the ring is found empty: slots of a later merging spell were
    // posted after ring notices this delivery has not seen, and wait.
    const std::uint64_t epoch = FEpoch.load(std::memory_order_seq_cst) & kEpochMask;
    if (FMergedWaiting.load(std::memory_order_seq_cst) <= 0) return;
    if (FRead.load(std::memory_order_relaxed) != FWrite.load(std::memory_order_seq_cst)) return;
    for (std::size_t i = 0; i < FMergedCount; ++i) {
        std::uint64_t slot = FMerged[i].load(std::memory_order_acquire);
        bool taken = false;
        for (int attempt = 0; attempt < kTakeAttempts && !taken; ++attempt) {
            if ((slot & kFlags) == 0 || (slot >> kEpochShift) != epoch) break;
            taken = FMerged[i].compare_exchange_weak(slot, 0, std::memory_order_acq_rel);
        }
        if (!taken) continue;
        const auto index = static_cast<std::int32_t>(i);
        if (slot & kBegin) Send(send, {THostNoticeKind::BeginEdit, index, 0.0f});
        if (slot & kHasValue)
            Send(send, {THostNoticeKind::Automate, index,
                        std::bit_cast<float>(static_cast<std::uint32_t>(slot & kValueBits))});
        if (slot & kEnd) Send(send, {THostNoticeKind::EndEdit, index, 0.0f});
        FMergedWaiting.fetch_sub(1, std::memory_order_seq_cst);
    }
}

}  // namespace tessel
