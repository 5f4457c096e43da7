// A real third-party plug-in (Debian's zam-plugins) through our host.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "host/LoadError.h"
#include "host/PluginInstance.h"
#include "tests/host/ZamEq2.h"

namespace tessel::host {
namespace {

class ZamEq2Test : public ::testing::Test {
protected:
    void SetUp() override {
        TESSEL_SKIP_WITHOUT_ZAMEQ2();
        plugin = std::make_unique<TPluginInstance>(TESSEL_ZAMEQ2_PLUGIN, host);
        plugin->Open();
        plugin->SetSampleRate(48000.0f);
        plugin->SetBlockSize(256);
    }

    std::shared_ptr<TScriptedHost> host = std::make_shared<TScriptedHost>();
    std::unique_ptr<TPluginInstance> plugin;
};

bool Printable(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x20; });
}

TEST_F(ZamEq2Test, IdentifiesItselfWithReadableTexts) {
    EXPECT_EQ(plugin->Record().magic, kEffectMagic);
    EXPECT_EQ(plugin->Library().EntryName(), "main");  // Debian's build exports only main
    EXPECT_FALSE(plugin->GetEffectName().empty());
    EXPECT_FALSE(plugin->GetProductString().empty());
    const int32_t count = plugin->Record().numParams;
    ASSERT_GT(count, 0);
    for (int32_t index = 0; index < count; ++index) {
        const std::string name = plugin->GetParamName(index);
        EXPECT_FALSE(name.empty()) << index;
        EXPECT_TRUE(Printable(name)) << index;
    }
}

TEST_F(ZamEq2Test, AskedForTheHostVersionBeforeAnythingElse) {
    const auto calls = host->Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().opcode, audioMasterVersion);
    EXPECT_EQ(calls.front().effect, nullptr);
}

TEST_F(ZamEq2Test, ParameterValuesRoundTrip) {
    // Gain and frequency of band 1: continuous (the last one, "Peaks ON", is a toggle).
    for (const int32_t index : {0, 2}) {
        const float before = plugin->GetParameter(index);
        const float wanted = before < 0.5f ? 0.75f : 0.25f;
        plugin->SetParameter(index, wanted);
        EXPECT_NEAR(plugin->GetParameter(index), wanted, 1e-3f) << index;
    }
}

TEST_F(ZamEq2Test, ProcessesABlockOfAudio) {
    const AEffect& record = plugin->Record();
    TAudioBuffers<float> in(static_cast<size_t>(record.numInputs), 256);
    for (size_t i = 0; i < in.Frames(); ++i) in.Channel(0)[i] = 0.5f * std::sin(0.05f * static_cast<float>(i));
    TAudioBuffers<float> out(static_cast<size_t>(record.numOutputs), 256);
    plugin->MainsChanged(true);
    plugin->ProcessReplacing(in, out);
    plugin->MainsChanged(false);
    float energy = 0.0f;
    for (const float sample : out.Channel(0)) {
        ASSERT_TRUE(std::isfinite(sample));
        energy += sample * sample;
    }
    EXPECT_GT(energy, 0.0f);  // flat by default: the sine comes through
}

TEST(ZamEq2Refusal, AHostAnsweringNoVersionGetsNoInstance) {
    TESSEL_SKIP_WITHOUT_ZAMEQ2();
    auto host = std::make_shared<TScriptedHost>();
    host->SetVersion(0);
    try {
        TPluginInstance plugin(TESSEL_ZAMEQ2_PLUGIN, host);
        FAIL() << "instance made despite a refused version check";
    } catch (const TLoadError& error) {
        EXPECT_EQ(error.Failure(), TLoadFailure::EntryReturnedNull);
    }
    EXPECT_EQ(host->CountOf(audioMasterVersion), 1u);
}

}  // namespace
}  // namespace tessel::host
