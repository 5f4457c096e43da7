// Programs: loading, switching, names and the host's program requests.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/FourCC.h"
#include "host/ScriptedHost.h"
#include "tests/framework/ParameterFixtures.h"

namespace tessel {
namespace {

using Log = std::vector<std::string>;
using namespace test;

class Programs : public ::testing::Test {
protected:
    void SetUp() override {
        module = CreateModule<TParameterModule>();
        Connect(*module, host);
        // The display request joins the module's log so that its place in the order shows.
        host.SetHandler(audioMasterUpdateDisplay, [this](const host::THostRequest&) {
            module->log.push_back("display");
            return intptr_t{1};
        });
        module->log.clear();
    }
    host::TScriptedHost host;
    std::unique_ptr<TParameterModule, TModuleDeleter> module;
};

TEST_F(Programs, LoadingLeavesFourInitProgramsOfZeros) {
    EXPECT_EQ(module->Effect().numPrograms, 4);
    EXPECT_EQ(module->CurrentProgram(), 0);
    EXPECT_EQ(module->CurrentProgramName(), "Init");
    for (int32_t p = 0; p < 4; ++p) {
        EXPECT_EQ(module->Programs()[p].DisplayName(), "Init");
        ASSERT_EQ(module->Programs()[p].ParameterValues().Count(), 4u);
        for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(module->Programs()[p].Parameter(i), 0.0f);
    }
    module->SetNumPrograms(12);  // recounts instead
    EXPECT_EQ(module->numPrograms(), 4);
    EXPECT_EQ(module->Dispatch(effGetNumProgramCategories), 1);
}

TEST_F(Programs, SwitchFiresEventsThenReplaysThenAsksForDisplay) {
    module->StoreParameter(kGain, 2.0f);
    module->log.clear();
    EXPECT_EQ(module->Dispatch(effSetProgram, 0, 1), 0);
    const Log switched{"before",   "after",   "param 0",  "module 0", "param 1",
                       "module 1", "param 2", "module 2", "module 3", "display"};
    EXPECT_EQ(module->log, switched);
    EXPECT_EQ(module->Dispatch(effGetProgram), 1);
    EXPECT_EQ(module->ReadParameter(kGain), 0.0f);

    module->log.clear();
    for (intptr_t ignored : {1, 7, -1}) module->Dispatch(effSetProgram, 0, ignored);
    EXPECT_TRUE(module->log.empty());

    module->seen.clear();
    module->Dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(module->ReadParameter(kGain), 2.0f);
    EXPECT_EQ(module->seen.at(2), 2.0f);  // the gain handler saw program 0's value
    module->log.clear();
    module->SetCurrentProgram(0);  // assigning the current index re-applies
    EXPECT_EQ(module->log, switched);
    module->log.clear();
    module->SetCurrentProgram(9);
    EXPECT_EQ(module->log, (Log{"display"}));
}

TEST_F(Programs, FailingStoreEndsTheReplayButNotTheSwitch) {
    module->onModule = [](int32_t i, float&) {
        if (i == kGain) throw std::runtime_error("handler");
    };
    module->SetCurrentProgram(2);
    EXPECT_EQ(module->CurrentProgram(), 2);
    EXPECT_EQ(module->log, (Log{"before", "after", "param 0", "module 0", "param 1", "module 1", "display"}));
}

TEST_F(Programs, NamesAreCutWhenAssignedAndWhenCopied) {
    std::string name(60, 'n');
    EXPECT_EQ(module->Dispatch(effSetProgramName, 0, 0, name.data()), 0);
    EXPECT_EQ(module->CurrentProgramName(), std::string(50, 'n'));
    EXPECT_TRUE(module->log.empty());  // a rename from the host asks for no display update

    TGuardedBuffer buffer;
    EXPECT_EQ(module->Dispatch(effGetProgramName, 0, 0, buffer.bytes), 0);
    EXPECT_EQ(buffer.Text(), std::string(kVstMaxProgNameLen - 1, 'n'));
    EXPECT_TRUE(buffer.UntouchedFrom(kVstMaxProgNameLen));

    TGuardedBuffer indexed, untouched;
    EXPECT_EQ(module->Dispatch(effGetProgramNameIndexed, 3, 0, indexed.bytes), 1);
    EXPECT_EQ(indexed.Text(), "Init");
    EXPECT_EQ(module->Dispatch(effGetProgramNameIndexed, 4, 0, untouched.bytes), 0);
    EXPECT_TRUE(untouched.UntouchedFrom(0));

    module->SetCurrentProgramName("Bright");
    EXPECT_EQ(module->Programs()[0].DisplayName(), "Bright");
    EXPECT_EQ(module->log, (Log{"display"}));
}

TEST(ProgramNames, WithoutProgramsTheNameIsEmpty) {
    auto module = CreateModule<TProgramlessModule>();
    EXPECT_EQ(module->CurrentProgram(), -1);
    TGuardedBuffer buffer;
    module->Dispatch(effGetProgramName, 0, 0, buffer.bytes);
    EXPECT_EQ(buffer.Text(), "");
}

// Programs that exist before the description is read are initialised first,
// in list order; the description's programs then replace them.
class TPreloadedModule : public TParameterModule {
public:
    std::string_view ClassName() const override { return "TPreloadedModule"; }
    TPreloadedModule() {
        for (int i = 0; i < 2; ++i)
            Programs().Add().OnInitialize = [this](TCustomVstProgram& p) {
                log.push_back("init " + std::to_string(p.Index()));
            };
    }
};
const bool kPreloadedRegistered = TStoredDescriptions::Register(ParameterDescription("TPreloadedModule", 3));

TEST(ProgramLoading, ExistingProgramsAreInitialisedBeforeTheDescription) {
    auto module = CreateModule<TPreloadedModule>();
    ASSERT_GE(module->log.size(), 2u);
    EXPECT_EQ(Log(module->log.begin(), module->log.begin() + 2), (Log{"init 0", "init 1"}));
    EXPECT_EQ(module->numPrograms(), 3);
    EXPECT_EQ(module->CurrentProgram(), 0);
}

TEST_F(Programs, BeginRequests) {
    EXPECT_EQ(module->Dispatch(effBeginSetProgram), 0);
    module->OnEndSetProgram = [&](TBasicVSTModule&) { module->log.push_back("end"); };
    EXPECT_EQ(module->Dispatch(effEndSetProgram), 1);

    int fired = 0;
    module->OnBeginLoadBank = module->OnBeginLoadProgram = [&](TBasicVSTModule&, VstPatchChunkInfo&) { ++fired; };
    VstPatchChunkInfo info{};
    info.pluginUniqueID = PackFourCC("Tpar");
    EXPECT_EQ(module->Dispatch(effBeginLoadBank, 0, 0, &info), 0);
    info.pluginUniqueID = PackFourCC("Othr");
    EXPECT_EQ(module->Dispatch(effBeginLoadBank, 0, 0, &info), -1);
    EXPECT_EQ(module->Dispatch(effBeginLoadProgram, 0, 0, &info), -1);
    EXPECT_EQ(module->Dispatch(effBeginLoadBank, 0, 0, nullptr), 0);
    EXPECT_EQ(fired, 3);
    EXPECT_EQ(module->log, (Log{"end"}));
}

}  // namespace
}  // namespace tessel
