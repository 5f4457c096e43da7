// The module root and host identity: record fields, versions, IDs, flags,
// host requests and their answers.

#include <gtest/gtest.h>

#include "framework/FourCC.h"
#include "framework/VSTBoundary.h"
#include "tests/framework/ModuleFixtures.h"

namespace tessel {
namespace {

using test::TBareModule;

TEST(ModuleRecord, WithoutDescriptionKeepsTheDefaults) {
    auto module = CreateModule<TBareModule>();
    const AEffect& r = *module->GetEffectRecord();
    EXPECT_EQ(r.magic, kEffectMagic);
    EXPECT_EQ(r.uniqueID, PackFourCC("NoEf"));
    EXPECT_EQ(r.numInputs, 2);
    EXPECT_EQ(r.numOutputs, 2);
    EXPECT_EQ(r.flags, 0);
    EXPECT_EQ(r.numPrograms, 0);
    EXPECT_EQ(r.numParams, 0);
    EXPECT_EQ(r.version, 65536);
    EXPECT_EQ(r.object, module.get());
    EXPECT_EQ(module->EffectName(), "");
    EXPECT_EQ(module->Version(), "0.0");
    EXPECT_EQ(module->SampleRate(), 44100.0f);
    EXPECT_EQ(module->BlockSize(), 1024);
}

TEST(ModuleRecord, VersionPartsAreNotMasked) {
    auto module = CreateModule<TBareModule>();
    module->SetVersionMajor(1);
    module->SetVersionMinor(2);
    module->SetVersionRelease(3);
    EXPECT_EQ(module->GetEffectRecord()->version, 66051);
    module->SetVersionRelease(0);
    module->SetVersionMinor(256);
    EXPECT_EQ(module->GetEffectRecord()->version, 131072);
}

TEST(ModuleRecord, UniqueIdPacksFourCharacters) {
    auto module = CreateModule<TBareModule>();
    module->SetUniqueID("Tssl");
    EXPECT_EQ(module->GetEffectRecord()->uniqueID, 0x5473736C);
    EXPECT_EQ(module->UniqueID(), "Tssl");
    module->SetUniqueID("ABCDEF");
    EXPECT_EQ(module->UniqueID(), "ABCD");
    EXPECT_EQ(module->GetEffectRecord()->uniqueID, 1094861636);
}

TEST(ModuleRecord, FlagsLiveInTheLowHalf) {
    auto module = CreateModule<TBareModule>();
    module->SetFlags({TEffFlag::effFlagsHasEditor, TEffFlag::effFlagsCanDoubleReplacing});
    EXPECT_EQ(module->GetEffectRecord()->flags, 0x1001);
    EXPECT_TRUE(module->Flags().Contains(TEffFlag::effFlagsHasEditor));
    module->SetFlags({});
    EXPECT_EQ(module->GetEffectRecord()->flags, 0);
}

TEST(ModuleRecord, IoRatioIsStoredAsFloat) {
    auto module = CreateModule<TBareModule>();
    module->SetIORatio(3);
    EXPECT_EQ(module->GetEffectRecord()->ioRatio, 3.0f);
}

TEST(HostRequests, NeutralAnswersWithoutACallback) {
    auto module = CreateModule<TBareModule>();
    EXPECT_EQ(module->HostVersion(), 1);
    EXPECT_TRUE(module->HostInputConnected(0));
    EXPECT_TRUE(module->HostOutputConnected(0));
    EXPECT_EQ(module->HostSampleRate(), 0.0);
    EXPECT_EQ(module->HostBlockSize(), 0);
    EXPECT_FALSE(module->HostIOChanged());
    EXPECT_FALSE(module->HostProcessEvents(nullptr));
    EXPECT_EQ(module->HostProduct(), "Unknown");
}

class HostRequestsConnected : public ::testing::Test {
protected:
    void SetUp() override { test::Connect(*module, *scripted); }
    std::shared_ptr<host::TScriptedHost> scripted = std::make_shared<host::TScriptedHost>();
    std::unique_ptr<TBareModule, TModuleDeleter> module = CreateModule<TBareModule>();
};

TEST_F(HostRequestsConnected, AnswersAreTurnedIntoTheCallersTypes) {
    scripted->SetAnswer(audioMasterVersion, 0);
    EXPECT_EQ(module->HostVersion(), 1);
    scripted->SetAnswer(audioMasterPinConnected, 1);
    EXPECT_FALSE(module->HostInputConnected(0));
    scripted->SetAnswer(audioMasterPinConnected, 0);
    EXPECT_TRUE(module->HostOutputConnected(3));
    const auto pin = scripted->CallsTo(audioMasterPinConnected).back();
    EXPECT_EQ(pin.index, 3);
    EXPECT_EQ(pin.value, 1);
    scripted->SetAnswer(audioMasterProcessEvents, 2);
    EXPECT_FALSE(module->HostProcessEvents(nullptr));
    scripted->SetAnswer(audioMasterProcessEvents, 1);
    EXPECT_TRUE(module->HostProcessEvents(nullptr));
}

TEST_F(HostRequestsConnected, ArgumentsGoWhereTheInterfacePutsThem) {
    module->HostSizeWindow(640, 480);
    const auto size = scripted->CallsTo(audioMasterSizeWindow).at(0);
    EXPECT_EQ(size.index, 640);
    EXPECT_EQ(size.value, 480);
    EXPECT_EQ(size.effect, module->GetEffectRecord());

    module->TBasicVSTModule::AutomateParameter(7, 0.25f);  // the plain request, without parameter mapping
    const auto automate = scripted->CallsTo(audioMasterAutomate).at(0);
    EXPECT_EQ(automate.index, 7);
    EXPECT_EQ(automate.opt, 0.25f);

    scripted->SetCanDo("shellCategory", 1);
    EXPECT_EQ(module->HostCanDo("shellCategory"), 1);
    EXPECT_EQ(scripted->CallsTo(audioMasterCanDo).at(0).text, "shellCategory");

    EXPECT_FALSE(module->HostOpenFileSelector(nullptr));
    EXPECT_FALSE(scripted->Received(audioMasterOpenFileSelector));
}

TEST_F(HostRequestsConnected, HostSampleRateUpdatesTheModule) {
    std::vector<float> changes;
    module->OnSampleRateChange = [&](TBasicVSTModule&, float rate) { changes.push_back(rate); };
    scripted->SetSampleRate(48000.0);
    EXPECT_EQ(module->HostSampleRate(), 48000.0);
    EXPECT_EQ(changes, std::vector<float>{48000.0f});
    EXPECT_EQ(module->SampleRate(), 48000.0f);

    scripted->SetAnswer(audioMasterGetSampleRate, 0);
    EXPECT_EQ(module->HostSampleRate(), 0.0);
    EXPECT_EQ(changes.size(), 1u);
    EXPECT_EQ(module->SampleRate(), 48000.0f);
}

TEST_F(HostRequestsConnected, ProductIsCachedOnceTheHostAnswers) {
    scripted->SetProductString("energyXT");
    // Connecting asked already and got the default product; a new module asks afresh.
    auto other = CreateModule<TBareModule>();
    test::Connect(*other, *scripted);
    EXPECT_EQ(other->HostProduct(), "energyXT");
    const auto asked = scripted->CountOf(audioMasterGetProductString);
    EXPECT_EQ(other->HostProduct(), "energyXT");
    EXPECT_EQ(scripted->CountOf(audioMasterGetProductString), asked);
}

TEST_F(HostRequestsConnected, UnansweredProductIsAskedOnlyOnce) {
    auto other = CreateModule<TBareModule>();
    scripted->SetAnswer(audioMasterGetProductString, 0);
    const auto before = scripted->CountOf(audioMasterGetProductString);
    test::Connect(*other, *scripted);
    EXPECT_EQ(scripted->CountOf(audioMasterGetProductString), before + 1);
    EXPECT_EQ(other->HostProduct(), "Unknown");
    other->HostProduct();
    EXPECT_EQ(scripted->CountOf(audioMasterGetProductString), before + 1);
}

TEST(InitialDelay, EnergyXtIsNotToldAboutIoChanges) {
    for (const char* product : {"energyXT", "Ardour"}) {
        auto scripted = std::make_shared<host::TScriptedHost>();
        scripted->SetProductString(product);
        auto module = CreateModule<TBareModule>();
        test::Connect(*module, *scripted);
        module->SetInitialDelay(64);
        EXPECT_EQ(module->GetEffectRecord()->initialDelay, 64);
        EXPECT_EQ(scripted->Received(audioMasterIOChanged), std::string(product) != "energyXT") << product;
        // Assigning the same delay again does nothing.
        scripted->ClearCalls();
        module->SetInitialDelay(64);
        EXPECT_FALSE(scripted->Received(audioMasterIOChanged));
    }
}

}  // namespace
}  // namespace tessel
