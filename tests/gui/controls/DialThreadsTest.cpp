// Several editors, each drawing its knobs on its own thread, share the
// process-wide face cache: faces are created, rendered once, shared and
// freed under concurrency without a race (run under ThreadSanitizer) and
// every knob draws the same pixels as when drawn alone.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "gui/controls/MetalDial32.h"

namespace tessel {
namespace {

constexpr int kKnobWidth = 81;
constexpr int kHeights[] = {83, 52};

void Configure(TMetalDial32& knob, int height) {
    knob.SetBounds(0, 0, kKnobWidth, height);
    knob.SetRangeStyle(rsCenter);
    knob.SetColorCircle(0x7FFF0000u);
    knob.Shadow().SetBlur(4);
    knob.Shadow().SetVisible(true);
    knob.Shadow().SetTransparency(160);
    knob.SetPosition(0.3f);
}

std::vector<TColor32> Pixels(const TBitmap32& s) { return {s.Bits(), s.Bits() + s.Width() * s.Height()}; }

TEST(DialThreadsTest, EditorThreadsShareFacesWithoutRaces) {
    std::vector<std::vector<TColor32>> reference;
    for (int h : kHeights) {
        TMetalDial32 knob(nullptr);
        Configure(knob, h);
        knob.DrawBuffer();
        reference.push_back(Pixels(knob.Buffer()));
    }
    ASSERT_EQ(TMetalFaceCache::Count(), 0);

    constexpr int kEditors = 4, kOpenings = 20;
    std::atomic<int> mismatches{0};
    std::vector<std::thread> editors;
    for (int e = 0; e < kEditors; ++e)
        editors.emplace_back([&, e] {
            for (int round = 0; round < kOpenings; ++round) {
                std::vector<std::unique_ptr<TMetalDial32>> knobs;
                for (int k = 0; k < 3; ++k) {
                    const int which = (e + round + k) % 2;
                    knobs.push_back(std::make_unique<TMetalDial32>(nullptr));
                    Configure(*knobs.back(), kHeights[which]);
                    knobs.back()->DrawBuffer();
                    if (Pixels(knobs.back()->Buffer()) != reference[which]) ++mismatches;
                }
            }
        });
    for (auto& t : editors) t.join();
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(TMetalFaceCache::Count(), 0);
}

}  // namespace
}  // namespace tessel
