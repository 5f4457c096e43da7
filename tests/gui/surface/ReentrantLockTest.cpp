// The surface lock under two threads.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "gui/surface/Bitmap32.h"

namespace tessel {
namespace {

TEST(ReentrantLockTest, SerialisesPaintingAcrossThreads) {
    TBitmap32 s(16, 16);
    std::atomic<int> inside{0};
    std::atomic<bool> overlap{false};
    auto painter = [&](TColor32 color) {
        for (int i = 0; i < 2000; ++i) {
            s.Lock();
            s.Lock();  // re-entry by the holder
            if (inside.fetch_add(1) != 0) overlap = true;
            s.FillRect(0, 0, 16, 16, color);
            if (s.Pixel(15, 15) != color) overlap = true;  // nobody else painted meanwhile
            inside.fetch_sub(1);
            s.Unlock();
            s.Unlock();
        }
    };
    std::thread a(painter, 0xFF0000FFu), b(painter, 0xFFFF0000u);
    a.join();
    b.join();
    EXPECT_FALSE(overlap);
    EXPECT_EQ(s.LockCount(), 0);
}

TEST(ReentrantLockTest, UnlockFromAnotherThreadIsIgnored) {
    TBitmap32 s;
    s.Lock();
    std::thread([&] { s.Unlock(); }).join();
    EXPECT_EQ(s.LockCount(), 1);
    std::atomic<bool> got{true};
    std::thread([&] { got = s.TryLock(); }).join();
    EXPECT_FALSE(got);
    s.Unlock();
    std::thread([&] {
        got = s.TryLock();
        if (got) s.Unlock();
    }).join();
    EXPECT_TRUE(got);
}

}  // namespace
}  // namespace tessel
