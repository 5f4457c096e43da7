// Shell sub-plug-ins: the stored collection, enumeration by the host and the
// identity a shell module takes on when the host loads one of them.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/CustomVstShellPlugin.h"
#include "framework/FourCC.h"
#include "tests/framework/ModuleFixtures.h"

namespace tessel {
namespace {

std::vector<TStoredProperty> Item(const std::string& name, const std::string& id,
                                  std::vector<TStoredProperty> more = {}) {
    std::vector<TStoredProperty> p{stored::Text("DisplayName", name), stored::Text("UniqueID", id)};
    p.insert(p.end(), more.begin(), more.end());
    return p;
}

// A shell of three sub-plug-ins; the second has its own pin counts and an
// instantiation handler.
class TShellModule : public TVSTModule {
public:
    std::string_view ClassName() const override { return "TShellModule"; }
    std::vector<std::string> instantiated;

protected:
    void PublishMethods(TMethodTable& methods) override {
        methods.Publish("SubInstanciate", TUIDInstantiateEvent([this](TBasicVSTModule& sender, const std::string& uid) {
                            EXPECT_EQ(&sender, this);
                            instantiated.push_back(uid);
                        }));
    }
};

const bool kShellRegistered = TStoredDescriptions::Register(
    {"TShellModule",
     {stored::Ident("PlugCategory", "vpcShell"),
      stored::Collection(
          "ShellPlugins",
          {TStoredItem{Item("Alpha", "ABCD")},
           TStoredItem{Item(
               "Beta", "Bbbb",
               {stored::Integer("numInputs", 1), stored::Integer("numOutputs", 6), stored::Integer("numPrograms", 3),
                stored::Ident("PlugCategory", "vpcSynth"), stored::Method("OnInstanciate", "SubInstanciate")})},
           TStoredItem{Item(std::string(70, 'g'), "Gggg")}})}});

TEST(ShellPluginItem, UniqueIdIsFourBytesMostSignificantFirst) {
    auto module = CreateModule<test::TBareModule>();
    auto& item = module->ShellPlugins().Add();
    EXPECT_EQ(item.DisplayName(), "Init");
    EXPECT_EQ(item.numParams(), -1);
    EXPECT_EQ(&item.VSTModule(), module.get());
    item.SetUniqueID("ABCD");
    EXPECT_EQ(item.UniqueIDValue(), 1094861636);
    EXPECT_EQ(item.UniqueID(), "ABCD");
    EXPECT_THROW(item.SetUniqueID("AB"), EVSTError);
    EXPECT_EQ(item.UniqueID(), "ABCD");
    item.SetDisplayName(std::string(60, 'x'));
    EXPECT_EQ(item.DisplayName().size(), 50u);
}

TEST(ShellEnumeration, EveryItemOnceThenZeroThenAgain) {
    ASSERT_TRUE(kShellRegistered);
    auto module = CreateModule<TShellModule>();
    AEffect* e = module->GetEffectRecord();
    std::vector<std::intptr_t> ids;
    std::vector<std::string> names;
    for (int i = 0; i < 5; ++i) {
        char name[kVstMaxShellNameLen + 8];
        std::fill(std::begin(name), std::end(name), '#');
        name[sizeof name - 1] = '\0';
        ids.push_back(e->dispatcher(e, effShellGetNextPlugin, 0, 0, name, 0.0f));
        names.emplace_back(name);
        EXPECT_EQ(name[kVstMaxShellNameLen], '#') << "wrote past the 64-byte name";
    }
    EXPECT_EQ(ids, (std::vector<std::intptr_t>{PackFourCC("ABCD"), PackFourCC("Bbbb"), PackFourCC("Gggg"), 0,
                                               PackFourCC("ABCD")}));
    EXPECT_EQ(names[0], "Alpha");
    EXPECT_EQ(names[2], std::string(50, 'g'));  // cut when assigned
    EXPECT_EQ(names[3].substr(0, 3), "###");    // the end leaves the buffer alone
}

struct TShellHost {
    std::shared_ptr<host::TScriptedHost> scripted = std::make_shared<host::TScriptedHost>();
    std::unique_ptr<TShellModule, TModuleDeleter> module = CreateModule<TShellModule>();
    void Connect() { test::Connect(*module, *scripted); }
};

TEST(ShellSelection, TheLoadedSubPluginsIdentityIsTakenOn) {
    TShellHost h;
    h.scripted->SetCanDo("shellCategory", 1);
    h.scripted->SetCurrentId(PackFourCC("Bbbb"));
    const std::int32_t params = h.module->GetEffectRecord()->numParams;
    h.Connect();
    const AEffect& r = *h.module->GetEffectRecord();
    EXPECT_EQ(r.uniqueID, PackFourCC("Bbbb"));
    EXPECT_EQ(r.numInputs, 1);
    EXPECT_EQ(r.numOutputs, 6);
    EXPECT_EQ(r.numPrograms, 3);
    EXPECT_EQ(r.numParams, params);  // -1 keeps the module's count
    EXPECT_EQ(h.module->PlugCategory(), TVstPluginCategory::vpcSynth);
    EXPECT_EQ(h.module->instantiated, std::vector<std::string>{"Bbbb"});
    EXPECT_TRUE(h.scripted->Received(audioMasterIOChanged));

    // The accumulating fallback's scratch follows the new pin counts.
    h.module->SetOnProcessReplacing([](float* const*, float* const* out, std::int32_t frames) {
        for (int c = 0; c < 6; ++c) std::fill_n(out[c], frames, 1.0f);
    });
    std::vector<std::vector<float>> outs(6, std::vector<float>(8));
    std::vector<float> input(8);
    std::vector<float*> in{input.data()}, out;
    for (auto& o : outs) out.push_back(o.data());
    AEffect* e = h.module->GetEffectRecord();
    e->process(e, in.data(), out.data(), 8);
    EXPECT_EQ(outs[5][7], 1.0f);
}

TEST(ShellSelection, AnUnknownOrMissingIdChangesNothing) {
    for (std::intptr_t id : {std::intptr_t{0}, std::intptr_t{-5}, std::intptr_t{PackFourCC("Zzzz")}}) {
        TShellHost h;
        h.scripted->SetCanDo("shellCategory", 1);
        h.scripted->SetCurrentId(id);
        h.Connect();
        EXPECT_EQ(h.module->UniqueID(), "NoEf");
        EXPECT_EQ(h.module->PlugCategory(), TVstPluginCategory::vpcShell);
        EXPECT_TRUE(h.module->instantiated.empty());
    }
}

TEST(ShellSelection, HostsWithoutShellsMakeTheCategoryUnknown) {
    {
        TShellHost h;  // a host that cannot do shells
        h.scripted->SetCanDo("shellCategory", -1);
        h.Connect();
        EXPECT_EQ(h.module->PlugCategory(), TVstPluginCategory::vpcUnknown);
        EXPECT_FALSE(h.scripted->Received(audioMasterCurrentId));
    }
    {
        TShellHost h;  // WaveLab is not even asked
        h.scripted->SetProductString("WaveLab");
        h.scripted->SetCanDo("shellCategory", 1);
        h.scripted->SetCurrentId(PackFourCC("ABCD"));
        h.Connect();
        EXPECT_EQ(h.module->PlugCategory(), TVstPluginCategory::vpcUnknown);
        EXPECT_FALSE(h.scripted->Received(audioMasterCanDo));
        EXPECT_EQ(h.module->UniqueID(), "NoEf");
    }
}

}  // namespace
}  // namespace tessel
