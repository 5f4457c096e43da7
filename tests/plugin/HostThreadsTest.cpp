// The built plug-in driven from several host threads at once, as DAWs and
// scanners do: names and displays read while other threads rename programs,
// switch them and automate; automation from the audio thread while the UI
// thread stores. Runs under AddressSanitizer and ThreadSanitizer.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "host/PluginInstance.h"

namespace tessel {
namespace {

constexpr int kRounds = 2000;
constexpr int32_t kParameters = 29;

std::string Read(AEffect* e, int32_t opcode, int32_t index = 0) {
    char text[256] = {};
    e->dispatcher(e, opcode, index, 0, text, 0.0f);
    return text;
}

TEST(HostThreads, NamesAndDisplaysReadWhileOtherThreadsChangeThem) {
    host::TPluginInstance plugin(TESSEL_PLUGIN_PATH);
    plugin.Host().SetRecordLimit(0);
    plugin.Open();
    AEffect* e = plugin.Effect();
    // Longer than a short-string buffer, so every rename frees the old text.
    const std::array<const char*, 3> names = {"Init", "Bright and airy top end", "A warm, round low end"};

    std::atomic<int> writersDone{0};
    std::thread renamer([&] {
        for (int k = 0; k < kRounds; ++k) {
            char name[32];
            std::snprintf(name, sizeof name, "%s", names[static_cast<std::size_t>(1 + k % 2)]);
            e->dispatcher(e, effSetProgramName, 0, 0, name, 0.0f);
            if (k % 50 == 0) e->dispatcher(e, effSetProgram, 0, (k / 50) % 4, nullptr, 0.0f);
            if (k % 200 == 0) e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, k % 400 ? 48000.0f : 44100.0f);
        }
        ++writersDone;
    });
    std::thread automation([&] {  // a host automating from its audio thread
        for (int k = 0; k < kRounds; ++k) e->setParameter(e, k % kParameters, static_cast<float>(k % 97) / 96.0f);
        ++writersDone;
    });

    const std::set<std::string> programNames(names.begin(), names.end());
    const auto reader = [&] {
        int wrong = 0;
        while (writersDone.load() < 2) {
            wrong += programNames.count(Read(e, effGetProgramName)) == 0;
            for (int32_t p = 0; p < 4; ++p) wrong += programNames.count(Read(e, effGetProgramNameIndexed, p)) == 0;
            for (int32_t i = 0; i < kParameters; ++i) {
                wrong += Read(e, effGetParamName, i).empty();
                Read(e, effGetParamLabel, i);
                wrong += Read(e, effGetParamDisplay, i).empty();
            }
            wrong += Read(e, effGetEffectName) != "Tessel EQ";
            wrong += Read(e, effGetVendorString) != "Dravik";
            wrong += Read(e, effGetProductString) != "Tessel EQ";
        }
        return wrong;
    };
    int wrongA = 0, wrongB = 0;
    std::thread readerA([&] { wrongA = reader(); });
    std::thread readerB([&] { wrongB = reader(); });
    renamer.join();
    automation.join();
    readerA.join();
    readerB.join();
    EXPECT_EQ(wrongA, 0);
    EXPECT_EQ(wrongB, 0);
}

// The audio thread automates every parameter between blocks while the UI
// thread keeps storing and reading displays: each value the audio thread set
// last is the one that holds afterwards, none lost in a queue.
TEST(HostThreads, AudioThreadAutomationIsNeverLost) {
    host::TPluginInstance plugin(TESSEL_PLUGIN_PATH);
    plugin.Host().SetRecordLimit(0);
    plugin.SetBlockSize(64);
    plugin.Open();
    plugin.MainsChanged(true);
    AEffect* e = plugin.Effect();
    // The UI edits the Frequency parameters; the audio thread automates the others.
    const auto audioOwns = [](int32_t index) { return index % 4 != 2; };
    std::array<float, kParameters> last{};

    std::atomic<bool> stop{false};
    std::thread ui([&] {
        char text[32];
        for (unsigned k = 0; !stop.load(); ++k) {
            const auto index = static_cast<int32_t>(4 * (k % 7) + 2);
            std::snprintf(text, sizeof text, "%u", 100 + k % 9000);
            e->dispatcher(e, effString2Parameter, index, 0, text, 0.0f);
            Read(e, effGetParamDisplay, index + 1);  // a Bandwidth display reads the filters
        }
    });
    std::vector<float> in(64, 0.1f), out(64);
    float* inputs[] = {in.data(), in.data()};
    float* outputs[] = {out.data(), out.data()};
    bool finite = true;
    for (int k = 0; k < kRounds; ++k) {
        for (int32_t index = 0; index < kParameters; ++index) {
            if (!audioOwns(index)) continue;
            const float value = static_cast<float>((k * 31 + index * 7) % 101) / 100.0f;
            e->setParameter(e, index, value);
            last[static_cast<std::size_t>(index)] = value;
        }
        e->processReplacing(e, inputs, outputs, 64);
        for (float s : out) finite = finite && std::isfinite(s);
    }
    stop.store(true);
    ui.join();

    EXPECT_TRUE(finite);
    for (int32_t index = 0; index < kParameters; ++index) {
        if (!audioOwns(index)) continue;
        EXPECT_NEAR(e->getParameter(e, index), last[static_cast<std::size_t>(index)], 2e-6) << index;
    }
}

}  // namespace
}  // namespace tessel
