// The editor thread under ThreadSanitizer: marks posted from two threads
// while the editor thread paints, host calls through the framework's
// dispatcher, and closing in the middle of a drag or with a menu open.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "framework/VSTModule.h"
#include "gui/controls/Form.h"
#include "gui/controls/FormWindow.h"
#include "gui/window/HeadlessWindow.h"
#include "tests/gui/FormTesting.h"

namespace tessel {
namespace {

using namespace std::chrono_literals;

static_assert(std::atomic<std::uint64_t>::is_always_lock_free, "marks must be lock-free for the audio thread");

constexpr int kSize = 100;
constexpr TColor32 kBarColor[2] = {0xFFFF0000u, 0xFF0000FFu};

// Each of two bars shows the last value (0..99) a posting thread stored.
class TBarsForm : public TForm {
public:
    TBarsForm() { SetClientSize(kSize, kSize); }
    std::atomic<int> Value[2] = {0, 0};    // written by the posting threads
    std::atomic<int> Shown[2] = {-1, -1};  // written by the editor thread

protected:
    void HandleMarks(std::uint64_t bits) override {
        TForm::HandleMarks(bits);
        for (int bar = 0; bar < 2; ++bar) {
            if (!(bits & (std::uint64_t{1} << bar))) continue;
            const int value = Value[bar].load(std::memory_order_acquire);
            const int left = 20 + 40 * bar;
            FBackBuffer.FillRect(left, 0, left + 20, kSize, kBlack32);
            FBackBuffer.FillRect(left, kSize - value, left + 20, kSize, kBarColor[bar]);
            Shown[bar].store(value, std::memory_order_release);
            InvalidateRect({left, 0, left + 20, kSize});
        }
    }
};

// Polls a condition on the editor thread until it holds (or 5 s pass).
bool EventuallyOnEditorThread(TFormWindow& window, const std::function<bool()>& condition) {
    for (auto deadline = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < deadline;) {
        bool met = false;
        window.RunOnEditorThread([&] { met = condition(); });
        if (met) return true;
        std::this_thread::sleep_for(2ms);
    }
    return false;
}

struct TOpenEditor {
    TBarsForm* Form;
    THeadlessWindow* Screen;
    std::unique_ptr<TFormWindow> Window;
};

TOpenEditor OpenEditor() {
    auto form = std::make_unique<TBarsForm>();
    auto screen = std::make_unique<THeadlessWindow>();
    TOpenEditor editor{form.get(), screen.get(), nullptr};
    editor.Window = std::make_unique<TFormWindow>(std::move(form), std::move(screen));
    editor.Window->SetParentWindow(7);
    editor.Window->Show();
    editor.Window->SetBounds(0, 0, kSize, kSize);
    editor.Window->Invalidate();
    return editor;
}

TEST(EditorThreadTest, MarksFromTwoThreadsArePaintedWithoutWakeUpsThenTheWindowCloses) {
    TOpenEditor editor = OpenEditor();
    ASSERT_TRUE(editor.Window->ThreadRunning());
    // Posting threads stand in for automation on the host's and the audio
    // thread: they only store and post, never wake the editor thread.
    auto post = [&](int bar, int count, int last) {
        for (int i = 0; i < count; ++i) {
            editor.Form->Value[bar].store(i % 100, std::memory_order_release);
            editor.Form->PostMarks(std::uint64_t{1} << bar);
        }
        editor.Form->Value[bar].store(last, std::memory_order_release);
        editor.Form->PostMarks(std::uint64_t{1} << bar);
    };
    std::thread first(post, 0, 20000, 11), second(post, 1, 20000, 22);
    // Meanwhile the host's UI thread asks for repaints and sizes.
    for (int i = 0; i < 200; ++i) {
        editor.Window->Invalidate();
        EXPECT_EQ(editor.Window->ClientWidth(), kSize);
        std::this_thread::sleep_for(100us);
    }
    first.join();
    second.join();

    // Once everything is quiet, two last marks come with no wake-up at all:
    // the editor thread still applies them within a few frame periods.
    std::this_thread::sleep_for(50ms);
    constexpr int kFinal[2] = {37, 73};
    std::thread(post, 0, 0, kFinal[0]).join();
    std::thread(post, 1, 0, kFinal[1]).join();
    const auto posted = std::chrono::steady_clock::now();
    while ((editor.Form->Shown[0] != kFinal[0] || editor.Form->Shown[1] != kFinal[1]) &&
           std::chrono::steady_clock::now() - posted < 2s)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(editor.Form->Shown[0], kFinal[0]);
    EXPECT_EQ(editor.Form->Shown[1], kFinal[1]);

    const TBitmap32& screen = editor.Screen->Screen();
    EXPECT_TRUE(EventuallyOnEditorThread(*editor.Window, [&] {
        return !editor.Form->FrameDue() && screen.Pixel(25, kSize - 37) == kBarColor[0] &&
               screen.Pixel(25, kSize - 38) == kBlack32 && screen.Pixel(65, kSize - 73) == kBarColor[1] &&
               screen.Pixel(65, kSize - 74) == kBlack32;
    }));

    // OnDestroy runs on the closing thread, after the editor thread ended.
    const std::thread::id self = std::this_thread::get_id();
    bool destroyedHere = false;
    editor.Window->RunOnEditorThread(
        [&] { editor.Form->OnDestroy = [&](TForm&) { destroyedHere = std::this_thread::get_id() == self; }; });
    editor.Window.reset();
    EXPECT_TRUE(destroyedHere);
}

TEST(EditorThreadTest, ClosingDuringADragOrWithAMenuOpenIsSafe) {
    for (const bool withMenu : {false, true}) {
        TOpenEditor editor = OpenEditor();
        std::vector<std::string> log;
        TPopupMenu menu("PUTest");
        menu.Items().Add("MIOne", "&One");
        // Controls are made and freed on the editor thread once it runs.
        std::unique_ptr<testing::TDragControl> knob;
        editor.Window->RunOnEditorThread([&] {
            knob =
                std::make_unique<testing::TDragControl>(editor.Form, log, "knob", 0xFF00FF00u, TRect{10, 10, 50, 90});
            // Freed with the form's other state when it is destroyed, as an editor frees its knobs.
            editor.Form->OnDestroy = [&](TForm&) { knob.reset(); };
        });
        editor.Screen->PostMouseDown(TMouseButton::Left, {}, 30, 50);
        editor.Screen->PostMouseMove({}, 30, 20);
        ASSERT_TRUE(EventuallyOnEditorThread(*editor.Window, [&] { return knob->Travel == 30; }));
        if (withMenu) editor.Window->RunOnEditorThread([&] { editor.Form->Popup(menu, 60, 10); });
        editor.Window->RunOnEditorThread([&] {
            EXPECT_EQ(editor.Form->MenuOpen(), withMenu);
            EXPECT_EQ(editor.Screen->CursorHidden(), true);
        });
        // More input still queued when the host closes the editor.
        editor.Screen->PostMouseMove({}, 30, 0);
        if (withMenu) {
            // The form forgets a control that goes away in the middle of its drag.
            editor.Window->RunOnEditorThread([&] {
                knob.reset();
                EXPECT_EQ(editor.Form->Capture(), nullptr);
            });
        }
        editor.Window.reset();
        EXPECT_EQ(knob, nullptr);
    }
}

// The framework's editor requests reach a form window through the
// dispatcher: open, size, keys, idle and close.
class TEditorModule : public TVSTModule {
public:
    std::string_view ClassName() const override { return "TEditorModule"; }
    using TCustomVSTModule::EditorForm;
};

TEST(EditorThreadTest, HostRequestsReachTheFormOnItsThread) {
    auto module = CreateModule<TEditorModule>();
    module->SetFlags({TEffFlag::effFlagsHasEditor});
    module->SetKeysRequired(true);
    std::vector<std::string> log;
    testing::TProbeControl* box = nullptr;
    TFormWindow* opened = nullptr;
    module->OnEditOpen = [&](TBasicVSTModule&, std::unique_ptr<TEditorWindow>& gui, std::uintptr_t) {
        auto form = std::make_unique<TBarsForm>();
        box = new testing::TProbeControl(form.get(), log, "box", kWhite32, {0, 0, 50, 20}, true);
        form->OnDestroy = [&box](TForm&) {
            delete box;
            box = nullptr;
        };
        auto window = std::make_unique<TFormWindow>(std::move(form), std::make_unique<THeadlessWindow>());
        opened = window.get();
        gui = std::move(window);
    };
    AEffect* effect = module->GetEffectRecord();
    auto dispatch = [&](std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr, float opt) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    };
    ASSERT_EQ(dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(std::uintptr_t{99}), 0), 1);
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(opened->ThreadRunning());
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect, 0), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, kSize);
    EXPECT_EQ(rect->bottom, kSize);
    EXPECT_NE(dynamic_cast<TBarsForm*>(module->EditorForm()->Content()), nullptr);

    opened->RunOnEditorThread([&] { box->SetFocus(); });
    dispatch(effEditKeyDown, 'q', 0, nullptr, 0);
    dispatch(effEditKeyDown, 0, 11, nullptr, 0);  // VST left arrow
    dispatch(effEditIdle, 0, 0, nullptr, 0);
    opened->RunOnEditorThread([&] {
        EXPECT_EQ(log, (std::vector<std::string>{"box focus", "box key 81", "box char 113", "box key 37"}));
        EXPECT_EQ(static_cast<THeadlessWindow&>(opened->Platform()).Parent(), 99u);
        EXPECT_TRUE(static_cast<THeadlessWindow&>(opened->Platform()).Visible());
    });
    EXPECT_EQ(dispatch(effEditClose, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(module->EditorForm(), nullptr);
    EXPECT_EQ(box, nullptr);  // OnDestroy ran, after the editor thread had ended
}

// Parameter changes on another thread reach the editor through a lease
// while the host opens and closes it: closing waits for the lease, so no
// change ever touches a form that is being destroyed.
TEST(EditorThreadTest, ParameterChangesDuringOpenAndCloseNeverReachAFreedEditor) {
    auto module = CreateModule<TEditorModule>();
    module->SetFlags({TEffFlag::effFlagsHasEditor});
    module->OnEditOpen = [](TBasicVSTModule&, std::unique_ptr<TEditorWindow>& gui, std::uintptr_t) {
        gui = std::make_unique<TFormWindow>(std::make_unique<TBarsForm>(), std::make_unique<THeadlessWindow>());
    };
    AEffect* effect = module->GetEffectRecord();
    std::atomic<bool> stop{false};
    std::atomic<int> reached{0};
    std::thread automation([&] {
        for (int i = 0; !stop.load(std::memory_order_relaxed); ++i) {
            const TEditorLease lease = module->LeaseEditor();
            if (!lease) continue;
            auto* form = dynamic_cast<TBarsForm*>(lease.Window()->Content());
            form->Value[0].store(i % 100, std::memory_order_release);
            form->PostMarks(1);
            reached.fetch_add(1, std::memory_order_relaxed);
        }
    });
    for (int cycle = 0; cycle < 30; ++cycle) {
        effect->dispatcher(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(std::uintptr_t{5}), 0);
        std::this_thread::sleep_for(1ms);
        effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0);
    }
    stop = true;
    automation.join();
    EXPECT_GT(reached.load(), 0);
    EXPECT_FALSE(module->LeaseEditor());
}

}  // namespace
}  // namespace tessel
