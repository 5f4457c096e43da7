// Building modules from stored descriptions: order, handler binding by name,
// failures while reading, and the create event.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/StoredDescription.h"
#include "tests/framework/ModuleFixtures.h"

namespace tessel {
namespace {

using namespace stored;

// Records what the description did to it, in order.
class TDescribedModule : public TVSTModule {
public:
    std::string_view ClassName() const override { return "TDescribedModule"; }
    std::vector<std::string> log;

protected:
    void PublishMethods(TMethodTable& methods) override {
        methods.Publish<TSampleRateChangeEvent>("RateChanged", [this](TBasicVSTModule&, float hz) {
            log.push_back("rate " + std::to_string(static_cast<int>(hz)));
        });
        methods.Publish<TNotifyEvent>("Initialized", [this](TBasicVSTModule&) { log.push_back("initialize"); });
        methods.Publish<TNotifyEvent>("Created", [this](TBasicVSTModule&) { log.push_back("create"); });
        methods.Publish<TNotifyEvent>("Failing", [](TBasicVSTModule&) { throw EVSTError("create failed"); });
    }
};

const bool kRegistered =
    TStoredDescriptions::Register({"TDescribedModule",
                                   {
                                       Method("OnCreate", "Created"),
                                       Method("OnSampleRateChange", "RateChanged"),
                                       Float("SampleRate", 48000.0),  // fires the handler bound just before
                                       Method("OnInitialize", "Initialized"),
                                       Set("Flags", {"effFlagsHasEditor", "effFlagsCanReplacing"}),
                                       Text("EffectName", "Described"),
                                       Ident("PlugCategory", "vpcAnalysis"),
                                       Set("CanDos", {"vcdBypass"}),
                                       Text("UniqueID", "Dscr"),
                                       Integer("VersionMinor", 2),
                                   }});

TEST(StoredDescription, IsAppliedInOrderThroughTheSetters) {
    ASSERT_TRUE(kRegistered);
    auto module = CreateModule<TDescribedModule>();
    EXPECT_EQ(module->log, (std::vector<std::string>{"rate 48000", "initialize", "create"}));
    EXPECT_EQ(module->GetEffectRecord()->flags, 0x11);
    EXPECT_EQ(module->EffectName(), "Described");
    EXPECT_EQ(module->PlugCategory(), TVstPluginCategory::vpcAnalysis);
    EXPECT_TRUE(module->CanDos().Contains(TVstCanDo::vcdBypass));
    EXPECT_EQ(module->UniqueID(), "Dscr");
    EXPECT_EQ(module->GetEffectRecord()->version, 65536 + 512);
}

// The same class name with a broken row: everything before it stays applied.
class TBrokenModule : public TDescribedModule {
public:
    std::string_view ClassName() const override { return "TBrokenModule"; }
};

const bool kBrokenRegistered = TStoredDescriptions::Register(
    {"TBrokenModule",
     {
         Text("EffectName", "Broken"),
         Method("OnSampleRateChange", "Initialized"),  // wrong event type: reading stops here
         Text("VendorName", "never applied"),
     }});

// A row that fails is reported on standard error with the row and the
// reason, once per class however many instances a host builds.
TEST(StoredDescription, AFailureWhileReadingKeepsWhatWasAppliedAndIsReportedOnce) {
    ASSERT_TRUE(kBrokenRegistered);
    testing::internal::CaptureStderr();
    auto module = CreateModule<TBrokenModule>();
    auto another = CreateModule<TBrokenModule>();
    const std::string reported = testing::internal::GetCapturedStderr();
    EXPECT_EQ(module->EffectName(), "Broken");
    EXPECT_EQ(module->VendorName(), "");
    EXPECT_FALSE(module->OnSampleRateChange);
    const std::string failure = "OnSampleRateChange: Method Initialized has the wrong signature";
    EXPECT_EQ(module->DescriptionFailure(), failure);
    EXPECT_EQ(another->DescriptionFailure(), failure);
    EXPECT_EQ(reported, "Tessel EQ: stored description of TBrokenModule, row " + failure + "\n");
}

// Inside a collection the row names the item.
class TBrokenItemModule : public TDescribedModule {
public:
    std::string_view ClassName() const override { return "TBrokenItemModule"; }
};

const bool kBrokenItemRegistered = TStoredDescriptions::Register(
    {"TBrokenItemModule",
     {Collection("ParameterProperties",
                 {TStoredItem{{Float("Max", 2.0)}}, TStoredItem{{Float("Max", 2.0), Ident("Curve", "ctSideways")}}})}});

TEST(StoredDescription, AFailingRowInsideACollectionNamesItsItem) {
    ASSERT_TRUE(kBrokenItemRegistered);
    auto module = CreateModule<TBrokenItemModule>();
    EXPECT_EQ(module->DescriptionFailure(), "ParameterProperties[1].Curve: Invalid property value ctSideways");
    EXPECT_EQ(module->ParameterProperties()[1].Max(), 2.0f);
}

class TUnknownPropertyModule : public TDescribedModule {
public:
    std::string_view ClassName() const override { return "TUnknownPropertyModule"; }
};

const bool kUnknownRegistered = TStoredDescriptions::Register(
    {"TUnknownPropertyModule",
     {Text("EffectName", "Partial"), Integer("NoSuchProperty", 1), Text("UniqueID", "Nope")}});

TEST(StoredDescription, AnUnknownPropertyStopsReading) {
    ASSERT_TRUE(kUnknownRegistered);
    auto module = CreateModule<TUnknownPropertyModule>();
    EXPECT_EQ(module->EffectName(), "Partial");
    EXPECT_EQ(module->UniqueID(), "NoEf");
    EXPECT_EQ(module->DescriptionFailure(), "NoSuchProperty: Property NoSuchProperty does not exist");
}

TEST(StoredDescription, MissingDescriptionLeavesDefaultsSilently) {
    testing::internal::CaptureStderr();
    auto module = CreateModule<test::TBareModule>();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(module->UniqueID(), "NoEf");
    EXPECT_FALSE(module->OnCreate);
    EXPECT_EQ(module->DescriptionFailure(), "");
}

TEST(StoredDescription, PlainTVSTModuleReadsNothing) {
    // Even with a description registered under its own name.
    TStoredDescriptions::Register({"TVSTModule", {Text("EffectName", "should not load")}});
    auto module = CreateModule<TVSTModule>();
    EXPECT_EQ(module->EffectName(), "");
}

class TFailingCreateModule : public TDescribedModule {
public:
    std::string_view ClassName() const override { return "TFailingCreateModule"; }
};

const bool kFailingRegistered = TStoredDescriptions::Register(
    {"TFailingCreateModule", {Method("OnCreate", "Failing"), Text("EffectName", "Still built")}});

TEST(StoredDescription, ACreateHandlerFailureIsReportedAndConstructionCompletes) {
    ASSERT_TRUE(kFailingRegistered);
    testing::internal::CaptureStderr();
    auto module = CreateModule<TFailingCreateModule>();
    const std::string reported = testing::internal::GetCapturedStderr();
    EXPECT_NE(reported.find("create failed"), std::string::npos);
    EXPECT_EQ(module->EffectName(), "Still built");
}

}  // namespace
}  // namespace tessel
