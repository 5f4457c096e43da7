#pragma once
// The editor window for threads other than the host's UI thread.
//
// Parameter handlers tell the editor what changed, and they run on whichever
// thread changed the parameter — the audio thread included — while the UI
// thread may be closing the editor. A TEditorLease keeps the window alive
// while it is held; withdrawing the window (before effEditClose destroys it)
// waits until every lease on it has ended.
//
// Threads: Lease is [any-thread] and costs two atomic operations — no lock,
// allocation or system call — so the audio thread may take one; hold it only
// while posting a few marks. Publish and Withdraw are [ui-thread].

#include <atomic>
#include <thread>

#include "framework/EditorWindow.h"

namespace tessel {

class TEditorLease {
public:
    TEditorLease() = default;
    TEditorLease(TEditorLease&& other) noexcept : FHolders(other.FHolders), FWindow(other.FWindow) {
        other.FHolders = nullptr;
        other.FWindow = nullptr;
    }
    TEditorLease& operator=(TEditorLease&&) = delete;
    ~TEditorLease() {
        if (FHolders) FHolders->fetch_sub(1, std::memory_order_release);
    }

    TEditorWindow* Window() const { return FWindow; }
    explicit operator bool() const { return FWindow != nullptr; }

private:
    friend class TEditorShare;
    TEditorLease(std::atomic<int>& holders, TEditorWindow* window) : FHolders(&holders), FWindow(window) {}

    std::atomic<int>* FHolders = nullptr;
    TEditorWindow* FWindow = nullptr;
};

class TEditorShare {
public:
    // The published window, or an empty lease when there is none.
    TEditorLease Lease() noexcept {
        // Sequentially consistent on both sides: either this load sees the
        // withdrawal, or the withdrawing thread sees this holder and waits.
        FHolders.fetch_add(1, std::memory_order_seq_cst);
        TEditorWindow* window = FWindow.load(std::memory_order_seq_cst);
        if (window) return {FHolders, window};
        FHolders.fetch_sub(1, std::memory_order_release);
        return {};
    }
    void Publish(TEditorWindow* window) noexcept { FWindow.store(window, std::memory_order_seq_cst); }
    // No new lease gets the window; returns once the last one has ended.
    void Withdraw() noexcept {
        FWindow.store(nullptr, std::memory_order_seq_cst);
        while (FHolders.load(std::memory_order_seq_cst) != 0) std::this_thread::yield();
    }

private:
    std::atomic<TEditorWindow*> FWindow{nullptr};
    std::atomic<int> FHolders{0};
};

}  // namespace tessel
