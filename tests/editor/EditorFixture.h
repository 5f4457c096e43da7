#pragma once
// The equaliser with its editor shown in a headless window: the real module
// and form, the form's own editor thread, and what the window shows.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include "editor/BackgroundImage.h"
#include "editor/FmOrvane.h"
#include "editor/OrvaneScale.h"
#include "editor/SettingsStore.h"
#include "gui/controls/FormWindow.h"
#include "gui/surface/RandomSource.h"
#include "gui/window/HeadlessWindow.h"
#include "plugin/OrvaneModule.h"

namespace tessel::testing {

// Settings kept in memory, as one key's values.
class TMemorySettingsStore final : public TSettingsStore {
public:
    std::optional<TSettingsValues> ReadKey(std::string_view) override {
        std::lock_guard guard(FLock);
        return FValues;
    }
    bool WriteKey(std::string_view, const TSettingsValues& values) override {
        std::lock_guard guard(FLock);
        if (!FValues) FValues.emplace();
        for (const auto& [name, value] : values.Entries()) FValues->Set(name, value);
        return true;
    }
    std::optional<TSettingsValues> Values() {
        std::lock_guard guard(FLock);
        return FValues;
    }
    void Set(std::string_view name, std::int32_t value) {
        std::lock_guard guard(FLock);
        if (!FValues) FValues.emplace();
        FValues->Set(name, value);
    }

private:
    std::mutex FLock;
    std::optional<TSettingsValues> FValues;
};

// The module, its editor form shown in a headless window.
class THeadlessOrvane : public TOrvaneModule {
public:
    std::shared_ptr<TSettingsStore> Settings = std::make_shared<TMemorySettingsStore>();
    TRandomSource* Noise = nullptr;
    // The desktop's scale in percent (0: it says nothing), instead of the display's.
    std::function<int()> DesktopScale = [] { return 0; };
    TFormWindow* Window = nullptr;
    THeadlessWindow* Screen = nullptr;
    TFmOrvane* Form = nullptr;

    std::intptr_t Dispatch(std::int32_t opcode, void* ptr = nullptr) {
        AEffect* e = GetEffectRecord();
        return e->dispatcher(e, opcode, 0, 0, ptr, 0.0f);
    }
    std::intptr_t Open() { return Dispatch(effEditOpen, reinterpret_cast<void*>(std::uintptr_t{7})); }
    void Close() {
        Dispatch(effEditClose);
        Window = nullptr;
        Screen = nullptr;
        Form = nullptr;
    }
    void OnEditorThread(const std::function<void()>& fn) { Window->RunOnEditorThread(fn); }

    // Waits until every mark left so far is drawn and the frame is shown.
    bool WaitForFrame() {
        using namespace std::chrono_literals;
        OnEditorThread([] {});  // the loop's next pass takes what is marked now
        for (auto deadline = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < deadline;) {
            bool shown = false;
            OnEditorThread([&] { shown = !Form->FrameDue() && Screen->PresentCount() > 0; });
            if (shown) return true;
            std::this_thread::sleep_for(2ms);
        }
        return false;
    }
    // A copy of what the window shows.
    void CopyScreen(TBitmap32& copy) {
        OnEditorThread([&] { copy.Assign(Screen->Screen()); });
    }

protected:
    int EditorScaleBeforeOpen() const override {
        return OrvaneScaleBeforeOpen(*Settings, HostContentScale(), DesktopScale);
    }
    std::unique_ptr<TEditorWindow> CreateEditorForm(std::uintptr_t) override {
        auto headless = std::make_unique<THeadlessWindow>();
        auto form = std::make_unique<TFmOrvane>(*this, Settings, Noise, DesktopScale);
        Screen = headless.get();
        Form = form.get();
        auto window = std::make_unique<TFormWindow>(std::move(form), std::move(headless));
        Window = window.get();
        return window;
    }
};

using THeadlessOrvanePtr = std::unique_ptr<THeadlessOrvane, TModuleDeleter>;

inline THeadlessOrvanePtr MakeHeadlessOrvane() {
    THeadlessOrvanePtr m = CreateModule<THeadlessOrvane>();
    m->SetSampleRate(44100.0f);
    return m;
}

// Stored settings an editor opens with: name and value.
using TStoredSettings = std::initializer_list<std::pair<std::string_view, std::int32_t>>;

// An editor at the start-up values (then `prepare`), opened with these
// stored settings and its texture from `noise`.
inline THeadlessOrvanePtr OpenEditorWith(TStoredSettings settings, TRandomSource& noise,
                                         const std::function<void(THeadlessOrvane&)>& prepare = {}) {
    auto m = MakeHeadlessOrvane();
    auto store = std::make_shared<TMemorySettingsStore>();
    for (const auto& [name, value] : settings) store->Set(name, value);
    m->Settings = store;
    m->Noise = &noise;
    if (prepare) prepare(*m);
    EXPECT_EQ(m->Open(), 1);
    EXPECT_TRUE(m->WaitForFrame());
    return m;
}

// What such an editor shows, its background rendered anew from a fixed texture.
inline void ShowEditorWith(TStoredSettings settings, TBitmap32& shown,
                           const std::function<void(THeadlessOrvane&)>& prepare = {}) {
    TBackgroundImages::Shared().Reset();
    TXorShiftRandom noise(1);
    auto m = OpenEditorWith(settings, noise, prepare);
    m->CopyScreen(shown);
    m->Close();
}

}  // namespace tessel::testing
