// Editor hosting: opening, embedding, sizing, idling and closing the window,
// and forwarding keys to it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "framework/EditorWindow.h"
#include "tests/framework/ModuleFixtures.h"

namespace tessel {
namespace {

// A window that writes down what the framework asks of it.
class TFakeWindow : public TEditorWindow {
public:
    explicit TFakeWindow(std::vector<std::string>& log, bool failEmbedding = false) : FLog(log), FFail(failEmbedding) {}
    ~TFakeWindow() override { FLog.push_back("destroyed"); }
    void SetParentWindow(std::uintptr_t parent) override {
        FLog.push_back("parent " + std::to_string(parent));
        if (FFail) throw std::runtime_error("no display");
    }
    void Show() override { FLog.push_back("show"); }
    void RemoveBorder() override { FLog.push_back("borderless"); }
    void SetBounds(int l, int t, int w, int h) override {
        FLog.push_back("bounds " + std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(w) + "x" +
                       std::to_string(h));
    }
    void Invalidate() override { FLog.push_back("invalidate"); }
    int Width() const override { return 724; }
    int Height() const override { return 387; }
    int ClientWidth() const override { return 718; }
    int ClientHeight() const override { return 381; }
    void SendKeyMessage(TKeyMessage m, std::int32_t code, std::uint32_t flags) override {
        static const char* names[] = {"down", "up", "sysdown", "sysup", "char"};
        FLog.push_back(std::string(names[static_cast<int>(m)]) + " " + std::to_string(code) + " " +
                       std::to_string(flags));
    }

private:
    std::vector<std::string>& FLog;
    bool FFail;
};

class EditorHosting : public ::testing::Test {
protected:
    void SetUp() override {
        module->SetFlags({TEffFlag::effFlagsHasEditor});
        module->OnEditOpen = [this](TBasicVSTModule&, std::unique_ptr<TEditorWindow>& gui, std::uintptr_t) {
            ++opened;
            if (!gui) gui = std::make_unique<TFakeWindow>(log, failEmbedding);
        };
    }
    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0) {
        AEffect* e = module->GetEffectRecord();
        return e->dispatcher(e, opcode, index, value, ptr, opt);
    }
    std::vector<std::string> log;  // outlives the module, whose window writes to it when destroyed
    std::unique_ptr<test::TBareModule, TModuleDeleter> module = CreateModule<test::TBareModule>();
    int opened = 0;
    bool failEmbedding = false;
    void* parent = reinterpret_cast<void*>(std::uintptr_t{0x2a});
};

TEST_F(EditorHosting, OpenEmbedsTheWindowInTheHostsWindow) {
    EXPECT_EQ(Dispatch(effEditOpen, 0, 0, parent), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"parent 42", "show", "borderless", "bounds 0,0,724x387", "invalidate"}));
}

TEST_F(EditorHosting, OpenNeedsTheEditorFlagAndAWindow) {
    module->SetFlags({});
    EXPECT_EQ(Dispatch(effEditOpen, 0, 0, parent), 0);
    EXPECT_EQ(opened, 0);
    module->SetFlags({TEffFlag::effFlagsHasEditor});
    module->OnEditOpen = nullptr;
    EXPECT_EQ(Dispatch(effEditOpen, 0, 0, parent), 0);
}

TEST_F(EditorHosting, AWindowThatCannotBeEmbeddedStillCountsAsOpen) {
    failEmbedding = true;
    EXPECT_EQ(Dispatch(effEditOpen, 0, 0, parent), 1);
}

TEST_F(EditorHosting, RectangleAddressIsGivenEvenWithoutAnEditor) {
    ERect* rect = nullptr;
    EXPECT_EQ(Dispatch(effEditGetRect, 0, 0, &rect), 0);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    Dispatch(effEditOpen, 0, 0, parent);
    ERect* again = nullptr;
    EXPECT_EQ(Dispatch(effEditGetRect, 0, 0, &again), 1);
    EXPECT_EQ(again, rect);
    EXPECT_EQ(rect->right, 718);
    EXPECT_EQ(rect->bottom, 381);
    EXPECT_EQ(Dispatch(effEditGetRect, 0, 0, nullptr), 1);  // no slot: nothing stored, no crash
}

TEST_F(EditorHosting, CloseDestroysUnlessTheHandlerKeepsTheWindow) {
    Dispatch(effEditOpen, 0, 0, parent);
    module->OnEditClose = [](TBasicVSTModule&, bool& destroy) { destroy = false; };
    EXPECT_EQ(Dispatch(effEditClose), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), "destroyed"), 0);
    // The kept window is handed to the next open, not made anew.
    EXPECT_EQ(Dispatch(effEditOpen, 0, 0, parent), 1);
    EXPECT_EQ(opened, 2);
    module->OnEditClose = nullptr;
    Dispatch(effEditClose);
    EXPECT_EQ(std::count(log.begin(), log.end(), "destroyed"), 1);
}

TEST_F(EditorHosting, IdleRunsOnlyWhenAnUpdateIsPending) {
    int idles = 0;
    module->OnEditIdle = [&](TBasicVSTModule&) { ++idles; };
    module->EditorNeedsUpdateRequest();
    Dispatch(effEditIdle);  // no editor yet: the request waits
    EXPECT_EQ(idles, 0);
    Dispatch(effEditOpen, 0, 0, parent);
    Dispatch(effEditIdle);
    Dispatch(effEditIdle);
    EXPECT_EQ(idles, 1);
    EXPECT_FALSE(module->EditorNeedsUpdate());
}

TEST(KeyMapping, CharactersAndVirtualKeys) {
    EXPECT_EQ(VirtualKeyToPlatformKey({97, 0, kVstModifierShift}), 65);
    EXPECT_EQ(VirtualKeyToPlatformKey({97, 0, 0}), 97);
    // Shifted characters other than lower-case letters come as typed.
    EXPECT_EQ(VirtualKeyToPlatformKey({'A', 0, kVstModifierShift}), 'A');
    EXPECT_EQ(VirtualKeyToPlatformKey({'-', 0, kVstModifierShift}), '-');
    EXPECT_EQ(VirtualKeyToPlatformKey({'0', 0, kVstModifierShift}), '0');
    EXPECT_EQ(VirtualKeyToPlatformKey({'1', 0, kVstModifierShift | kVstModifierControl}), '1');
    EXPECT_EQ(VirtualKeyToPlatformKey({0, 15, 0}), 33);   // page up
    EXPECT_EQ(VirtualKeyToPlatformKey({0, 16, 0}), 34);   // page down
    EXPECT_EQ(VirtualKeyToPlatformKey({0, 24, 0}), 96);   // numeric pad 0
    EXPECT_EQ(VirtualKeyToPlatformKey({0, 51, 0}), 123);  // F12
    EXPECT_EQ(VirtualKeyToPlatformKey({0, 57, 0}), 187);  // equals
    EXPECT_EQ(VirtualKeyToPlatformKey({0, 58, 0}), 0);
    EXPECT_EQ(VirtualKeyToPlatformKey({0, 255, 0}), 0);
}

TEST_F(EditorHosting, KeysAreForwardedOnlyWhenWanted) {
    EXPECT_EQ(Dispatch(effEditKeyDown, 'a', 0), -1);  // keys not required
    module->SetKeysRequired(true);
    EXPECT_EQ(Dispatch(effEditKeyDown, 'a', 0), 0);  // no editor
    Dispatch(effEditOpen, 0, 0, parent);
    log.clear();
    EXPECT_EQ(Dispatch(effEditKeyDown, 'a', 0, nullptr, kVstModifierShift), -1);
    EXPECT_EQ(Dispatch(effEditKeyDown, 0, 11), -1);  // left arrow: extended
    EXPECT_EQ(Dispatch(effEditKeyDown, 'x', 0, nullptr, kVstModifierAlt), -1);
    EXPECT_EQ(Dispatch(effEditKeyUp, 0, 11), -1);
    EXPECT_EQ(Dispatch(effEditKeyDown, '=', 57), -1);  // both character and virtual key: the character
    EXPECT_EQ(log, (std::vector<std::string>{"down 65 0", "char 65 0", "down 37 256", "char 37 256", "sysdown 120 8192",
                                             "char 120 0", "up 37 256", "down 61 0", "char 61 0"}));
}

TEST_F(EditorHosting, CheckKeyDecidesWhetherTheKeyWasTaken) {
    module->SetKeysRequired(true);
    Dispatch(effEditOpen, 0, 0, parent);
    std::vector<int> seen;
    module->OnEditorKeyDown = [&](TBasicVSTModule&, const VstKeyCode& key) { seen.push_back(key.character); };
    module->OnCheckKey = [](TBasicVSTModule&, char key) { return key == '5'; };
    EXPECT_EQ(Dispatch(effEditKeyDown, '5', 0), 1);
    EXPECT_EQ(Dispatch(effEditKeyDown, '6', 0), -1);
    EXPECT_EQ(Dispatch(effEditKeyDown, '7', 0, nullptr, std::nanf("")), -1);  // odd modifiers: none
    EXPECT_EQ(seen, (std::vector<int>{'5', '6', '7'}));
}

}  // namespace
}  // namespace tessel
