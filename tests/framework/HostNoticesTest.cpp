// What the editor thread queues for the host: every gesture reaches the host
// whole (begin, changes, end), each parameter's values in the order they
// were posted and the last one always, also when the queue overflows and
// while the host's UI and audio threads both deliver.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "framework/HostNotices.h"

namespace tessel {
namespace {

constexpr int kParameters = 5;

// Checks each parameter's notices as they arrive.
class TReceiver {
public:
    void operator()(const THostNotice& n) {
        ++Received;
        if (n.kind == THostNoticeKind::UpdateDisplay) {
            ++Redisplays;
            return;
        }
        auto& p = FParameters.at(static_cast<std::size_t>(n.index));
        switch (n.kind) {
            case THostNoticeKind::BeginEdit:
                if (p.open) Faults.push_back("begin twice, parameter " + std::to_string(n.index));
                p.open = true;
                break;
            case THostNoticeKind::Automate:
                ++Automations;
                if (!p.open) Faults.push_back("value outside a gesture, parameter " + std::to_string(n.index));
                if (n.value <= p.last) Faults.push_back("value out of order, parameter " + std::to_string(n.index));
                p.last = n.value;
                break;
            case THostNoticeKind::EndEdit:
                if (!p.open) Faults.push_back("end without begin, parameter " + std::to_string(n.index));
                p.open = false;
                break;
            default:
                break;
        }
    }
    float Last(int index) const { return FParameters[static_cast<std::size_t>(index)].last; }
    bool AnyOpen() const {
        for (const auto& p : FParameters)
            if (p.open) return true;
        return false;
    }

    std::vector<std::string> Faults;
    int Received = 0, Automations = 0, Redisplays = 0;

private:
    struct TParameter {
        bool open = false;
        float last = -1.0f;
    };
    std::vector<TParameter> FParameters = std::vector<TParameter>(kParameters);
};

// Posts `rounds` drags over every parameter, each of `steps` rising values,
// and a lone change between them; returns the last value posted.
float PostDrags(THostNotices& notices, int rounds, int steps, float& next) {
    for (int round = 0; round < rounds; ++round)
        for (int p = 0; p < kParameters; ++p) {
            notices.PostBeginEdit(p);
            for (int k = 0; k < steps; ++k) notices.PostAutomate(p, next++);
            notices.PostEndEdit(p);
            notices.PostAutomate(p, next++);  // a change of its own: a gesture by itself
        }
    notices.PostUpdateDisplay();
    return next - 1.0f;
}

TEST(HostNotices, AnOverflowKeepsGesturesWholeAndTheLastValues) {
    THostNotices notices;
    notices.SetParameterCount(kParameters);
    float next = 0.0f;
    // Nobody delivers while three times the ring's worth is posted.
    const int steps = 20;
    const int rounds = static_cast<int>(3 * THostNotices::kCapacity) / (kParameters * (steps + 5)) + 1;
    PostDrags(notices, rounds, steps, next);
    notices.PostBeginEdit(2);
    notices.PostAutomate(2, next++);  // still being dragged
    TReceiver receiver;
    EXPECT_TRUE(notices.Deliver([&](const THostNotice& n) { receiver(n); }, false));
    EXPECT_EQ(receiver.Redisplays, 0) << "a redisplay left on the audio thread";
    EXPECT_TRUE(notices.Deliver([&](const THostNotice& n) { receiver(n); }, true));
    EXPECT_EQ(receiver.Redisplays, 1);
    EXPECT_TRUE(receiver.Faults.empty()) << receiver.Faults.front();
    EXPECT_LT(receiver.Automations, rounds * kParameters * (steps + 1)) << "nothing merged";
    for (int p = 0; p < kParameters; ++p)
        EXPECT_EQ(receiver.Last(p),
                  p == 2 ? next - 1.0f : next - 2.0f - static_cast<float>((kParameters - 1 - p) * (steps + 1)));
    EXPECT_TRUE(receiver.AnyOpen());
    notices.EndOpenGestures();  // the editor closed mid-drag
    notices.Deliver([&](const THostNotice& n) { receiver(n); }, true);
    EXPECT_FALSE(receiver.AnyOpen());
    EXPECT_FALSE(notices.Pending());
}

TEST(HostNotices, TwoHostThreadsDeliverWhileTheEditorPosts) {
    THostNotices notices;
    notices.SetParameterCount(kParameters);
    TReceiver receiver;  // deliveries never overlap, so it needs no lock
    std::atomic<bool> posting{true};
    const auto deliver = [&](bool onUiThread) {
        while (posting || notices.Pending()) {
            notices.Deliver([&](const THostNotice& n) { receiver(n); }, onUiThread);
            std::this_thread::yield();
        }
    };
    std::thread ui(deliver, true), audio(deliver, false);
    float next = 0.0f;
    const float last = PostDrags(notices, 400, 20, next);
    posting = false;
    ui.join();
    audio.join();
    notices.Deliver([&](const THostNotice& n) { receiver(n); }, true);
    EXPECT_TRUE(receiver.Faults.empty()) << receiver.Faults.front();
    EXPECT_EQ(receiver.Last(kParameters - 1), last);
    EXPECT_FALSE(receiver.AnyOpen());
}

}  // namespace
}  // namespace tessel
