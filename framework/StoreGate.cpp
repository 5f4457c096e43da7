#include "framework/StoreGate.h"

#include <chrono>
#include <thread>

namespace tessel {

namespace {
constexpr unsigned kSpins = 64;    // polls before yielding: stores usually end within microseconds
constexpr unsigned kYields = 256;  // yields before sleeping
constexpr auto kSleep = std::chrono::microseconds(50);
}  // namespace

bool TStoreGate::TryEnter() noexcept {
    // A taken gate is usually seen with a plain read, which leaves the cache
    // line shared instead of claiming it from the holder's core.
    if (FTaken.load(std::memory_order_seq_cst)) return false;
    bool expected = false;
    return FTaken.compare_exchange_strong(expected, true, std::memory_order_seq_cst);
}

void TStoreGate::Enter() noexcept {
    for (unsigned attempt = 0;; ++attempt) {
        if (!FTaken.load(std::memory_order_relaxed) && TryEnter()) return;
        if (attempt < kSpins) continue;
        if (attempt < kSpins + kYields)
            std::this_thread::yield();
        else
            std::this_thread::sleep_for(kSleep);
    }
}

void TStoreGate::Leave() noexcept { FTaken.store(false, std::memory_order_seq_cst); }

}  // namespace tessel
