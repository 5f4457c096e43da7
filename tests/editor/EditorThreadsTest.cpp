// The editor's threads: a parameter change from another thread only leaves
// marks, and the editor thread draws exactly what they name at its next
// frame; two editors open at once share one background image.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "editor/OrvanePalette.h"
#include "editor/OrvaneSettings.h"
#include "tests/editor/EditorFixture.h"

namespace tessel {
namespace {

using testing::MakeHeadlessOrvane;

// The pixels that differ between two images of one size, as a list of rectangles they must lie in.
struct TDiff {
    int outside = 0;          // differing pixels in none of the rectangles
    std::vector<int> inside;  // differing pixels per rectangle
};

TDiff Differences(const TBitmap32& a, const TBitmap32& b, const std::vector<TRect>& allowed) {
    TDiff d;
    d.inside.assign(allowed.size(), 0);
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            if (a.Pixel(x, y) == b.Pixel(x, y)) continue;
            bool found = false;
            for (std::size_t i = 0; i < allowed.size(); ++i)
                if (allowed[i].Contains(x, y)) {
                    ++d.inside[i];
                    found = true;
                }
            d.outside += !found;
        }
    return d;
}

TEST(EditorThreads, AChangeFromAnotherThreadIsDrawnAtTheNextFrameExactlyWhereItShows) {
    auto m = MakeHeadlessOrvane();
    ASSERT_EQ(m->Open(), 1);
    ASSERT_TRUE(m->WaitForFrame());
    constexpr int kBand = 2;
    TBitmap32 before;
    m->CopyScreen(before);

    // Hold the editor thread while the host changes band 3's gain from a
    // thread of its own, as automation on the audio thread does.
    m->OnEditorThread([&] {
        TBitmap32 backBuffer;
        backBuffer.Assign(m->Form->BackBuffer());
        std::thread host([&] {
            AEffect* e = m->GetEffectRecord();
            e->setParameter(e, 4 * kBand + 1, 0.8f);  // +9 dB
        });
        host.join();
        EXPECT_EQ(m->ReadParameter(4 * kBand + 1), 9.0f);
        // Nothing was drawn on the host's thread.
        EXPECT_EQ(Differences(backBuffer, m->Form->BackBuffer(), {}).outside, 0);
        EXPECT_TRUE(m->Form->FrameDue() == false);
    });
    ASSERT_TRUE(m->WaitForFrame());
    TBitmap32 after;
    m->CopyScreen(after);
    TOrvaneLayout layout;
    m->OnEditorThread([&] { layout = m->Form->Layout(); });
    const auto b = static_cast<std::size_t>(kBand);
    const TDiff d = Differences(before, after, {layout.GainRects[b], layout.GainKnobs[b], layout.GraphRect});
    EXPECT_EQ(d.outside, 0) << "drawn outside the band's gain text, its knob and the response";
    EXPECT_GT(d.inside[0], 20) << "gain text";
    EXPECT_GT(d.inside[1], 20) << "gain knob";
    EXPECT_GT(d.inside[2], 20) << "response";
    m->Close();
}

TEST(EditorThreads, TwoEditorsShareOneBackground) {
    TBackgroundImages::Shared().Reset();
    const std::shared_ptr<TBackgroundImage> background =
        TBackgroundImages::Shared().For({kDefaultFormColor, TGuiStyle::Knobs, 100});
    auto first = MakeHeadlessOrvane();
    auto second = MakeHeadlessOrvane();
    ASSERT_EQ(first->Open(), 1);
    ASSERT_EQ(second->Open(), 1);
    ASSERT_TRUE(first->WaitForFrame());
    ASSERT_TRUE(second->WaitForFrame());
    EXPECT_EQ(background->Generation(), 1u) << "the second editor copies the first one's background";
    TBitmap32 a, b;
    first->CopyScreen(a);
    second->CopyScreen(b);
    // Same texture: the area right of the last band's texts, under no knob.
    for (int y = 60; y < 380; y += 7) EXPECT_EQ(a.Pixel(710, y), b.Pixel(710, y)) << y;

    // A colour change in the first renders the dark look; the second keeps
    // restoring from the default one.
    first->OnEditorThread([&] { first->Form->SetColorScheme(kColorSchemes[2].ColorWord); });
    EXPECT_EQ(background->Generation(), 1u);
    second->AutomateParameter(9, 3.0f);  // band 3's gain text is redrawn over the background
    ASSERT_TRUE(second->WaitForFrame());
    TOrvaneLayout layout;
    second->OnEditorThread([&] {
        layout = second->Form->Layout();
        const TRect& r = layout.GainRects[2];
        // The panel's corner pixel shows the default (light) background.
        EXPECT_EQ(second->Form->BackBuffer().Pixel(r.Left, r.Top), background->Pixel(r.Left, r.Top));
        EXPECT_GT(RedComponent(second->Form->BackBuffer().Pixel(r.Left, r.Top)), 150);
    });
    first->Close();
    second->Close();
}

TEST(EditorThreads, EditorsOpenAndCloseWhileTheHostAutomatesFromItsAudioThread) {
    auto m = MakeHeadlessOrvane();
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        AEffect* e = m->GetEffectRecord();
        for (int i = 0; !stop.load(std::memory_order_relaxed); ++i) {
            const int band = i % 7;
            e->setParameter(e, 4 * band + 1 + i % 3, static_cast<float>(i % 101) / 100.0f);
            if (i % 50 == 0) e->setParameter(e, 4 * band, static_cast<float>(i % 8) / 8.0f);
        }
    });
    // Open and close repeatedly: every close withdraws the editor from a
    // thread that may be reporting to it at that moment.
    for (int round = 0; round < 5; ++round) {
        ASSERT_EQ(m->Open(), 1);
        ASSERT_TRUE(m->WaitForFrame());
        m->Close();
    }
    stop = true;
    audio.join();
}

}  // namespace
}  // namespace tessel
