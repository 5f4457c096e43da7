// The scripted host callback on its own: answers, scripting and recording.
#include "host/ScriptedHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace tessel::host {
namespace {

class ScriptedHostTest : public ::testing::Test {
protected:
    ScriptedHostTest() { host.Bind(record); }

    intptr_t Ask(int32_t opcode, void* ptr = nullptr, int32_t index = 0, intptr_t value = 0, float opt = 0.0f) {
        return TScriptedHost::Callback(&record, opcode, index, value, ptr, opt);
    }

    TScriptedHost host;
    AEffect record{};
};

TEST_F(ScriptedHostTest, BuiltInAnswersAreThoseOfAnOrdinaryHost) {
    EXPECT_EQ(Ask(audioMasterVersion), 2400);
    EXPECT_EQ(Ask(audioMasterGetSampleRate), 44100);
    EXPECT_EQ(Ask(audioMasterGetBlockSize), 1024);
    EXPECT_EQ(Ask(audioMasterCurrentId), 0);
    EXPECT_EQ(Ask(audioMasterCanDo, const_cast<char*>("anything")), 0);
    EXPECT_EQ(Ask(audioMasterGetCurrentProcessLevel), 1);
    {
        TScriptedHost::TAudioThreadScope audio;
        EXPECT_EQ(Ask(audioMasterGetCurrentProcessLevel), 2);
    }
    char product[kVstMaxProductStrLen];
    std::memset(product, 'x', sizeof product);
    EXPECT_EQ(Ask(audioMasterGetProductString, product), 1);
    EXPECT_STREQ(product, "tessel-host");
    EXPECT_EQ(Ask(audioMasterGetProductString, nullptr), 0);  // no buffer, nothing written
}

TEST_F(ScriptedHostTest, ProfileShapesTheBuiltInAnswers) {
    host.SetVersion(0);
    host.SetSampleRate(48000.4);
    host.SetBlockSize(256);
    host.SetCurrentId(TESSEL_FOURCC('S', 'u', 'b', '2'));
    host.SetCanDo("shellCategory", 1);
    host.SetCanDo("sizeWindow", -1);
    host.SetVendorString("Acme");
    host.SetVendorVersion(7);
    EXPECT_EQ(Ask(audioMasterVersion), 0);
    EXPECT_EQ(Ask(audioMasterGetSampleRate), 48000);
    EXPECT_EQ(Ask(audioMasterGetBlockSize), 256);
    EXPECT_EQ(Ask(audioMasterCurrentId), TESSEL_FOURCC('S', 'u', 'b', '2'));
    EXPECT_EQ(Ask(audioMasterCanDo, const_cast<char*>("shellCategory")), 1);
    EXPECT_EQ(Ask(audioMasterCanDo, const_cast<char*>("sizeWindow")), -1);
    EXPECT_EQ(Ask(audioMasterCanDo, const_cast<char*>("ShellCategory")), 0);  // texts match exactly
    char vendor[kVstMaxVendorStrLen] = {};
    Ask(audioMasterGetVendorString, vendor);
    EXPECT_STREQ(vendor, "Acme");
    EXPECT_EQ(Ask(audioMasterGetVendorVersion), 7);
}

TEST_F(ScriptedHostTest, ProductStringIsCutToTheBufferTheInterfaceGuarantees) {
    host.SetProductString(std::string(100, 'p'));
    char buffer[kVstMaxProductStrLen + 16];
    std::memset(buffer, 'x', sizeof buffer);
    Ask(audioMasterGetProductString, buffer);
    EXPECT_EQ(std::strlen(buffer), static_cast<size_t>(kVstMaxProductStrLen - 1));
    EXPECT_EQ(buffer[kVstMaxProductStrLen], 'x');  // nothing written past the 64 bytes
}

TEST_F(ScriptedHostTest, FixedAnswersAndHandlersOverrideAndCanBeCleared) {
    host.SetProductString("energyXT");
    host.SetAnswer(audioMasterGetProductString, 0);
    char product[kVstMaxProductStrLen] = "untouched";
    EXPECT_EQ(Ask(audioMasterGetProductString, product), 0);
    EXPECT_STREQ(product, "untouched");  // a fixed answer writes nothing

    THostRequest seen;
    host.SetHandler(audioMasterGetProductString, [&seen](const THostRequest& request) {
        seen = request;
        return intptr_t{5};
    });
    EXPECT_EQ(Ask(audioMasterGetProductString, product, 3, 4, 0.5f), 5);
    EXPECT_EQ(seen.effect, &record);
    EXPECT_EQ(seen.ptr, product);
    EXPECT_EQ(seen.index, 3);
    EXPECT_EQ(seen.value, 4);
    EXPECT_EQ(seen.opt, 0.5f);

    host.ClearScript(audioMasterGetProductString);
    EXPECT_EQ(Ask(audioMasterGetProductString, product), 1);
    EXPECT_STREQ(product, "energyXT");
}

TEST_F(ScriptedHostTest, AFailingHandlerAnswersZeroInsteadOfUnwindingIntoThePlugIn) {
    host.SetHandler(audioMasterIdle, [](const THostRequest&) -> intptr_t { throw std::runtime_error("boom"); });
    EXPECT_EQ(Ask(audioMasterIdle), 0);
    EXPECT_EQ(host.HandlerFailures(), 1u);
    EXPECT_EQ(host.CountOf(audioMasterIdle), 1u);
}

TEST_F(ScriptedHostTest, RecordsEveryArgumentTheAnswerAndACopyOfCanDoTexts) {
    char query[] = "receiveVstTimeInfo";
    host.SetCanDo(query, 1);
    Ask(audioMasterAutomate, nullptr, 3, 7, 0.25f);
    Ask(audioMasterCanDo, query);
    std::strcpy(query, "overwritten");  // the plug-in reuses its buffer after the call

    const auto calls = host.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].effect, &record);
    EXPECT_EQ(calls[0].opcode, audioMasterAutomate);
    EXPECT_EQ(calls[0].index, 3);
    EXPECT_EQ(calls[0].value, 7);
    EXPECT_EQ(calls[0].opt, 0.25f);
    EXPECT_EQ(calls[0].thread, std::this_thread::get_id());
    EXPECT_EQ(calls[1].opcode, audioMasterCanDo);
    EXPECT_EQ(calls[1].text, "receiveVstTimeInfo");
    EXPECT_EQ(calls[1].answer, 1);
    EXPECT_LT(calls[0].sequence, calls[1].sequence);
    EXPECT_EQ(host.CallsTo(audioMasterCanDo).size(), 1u);
    EXPECT_TRUE(host.Received(audioMasterAutomate));
    EXPECT_FALSE(host.Received(audioMasterVersion));

    const std::string dump = host.DumpCalls();
    EXPECT_NE(dump.find("audioMasterAutomate"), std::string::npos);
    EXPECT_NE(dump.find("text=\"receiveVstTimeInfo\" -> 1"), std::string::npos);
}

TEST_F(ScriptedHostTest, RecordLimitBoundsMemoryButCountsEverything) {
    host.SetRecordLimit(2);
    for (int i = 0; i < 5; ++i) Ask(audioMasterIdle);
    EXPECT_EQ(host.Calls().size(), 2u);
    EXPECT_EQ(host.CountOf(audioMasterIdle), 5u);
    EXPECT_EQ(host.DroppedCalls(), 3u);
    EXPECT_NE(host.DumpCalls().find("3 further calls"), std::string::npos);
    host.ClearCalls();
    EXPECT_EQ(host.CountOf(audioMasterIdle), 0u);
    EXPECT_EQ(host.DroppedCalls(), 0u);
}

TEST(ScriptedHostLookup, UnboundCallsReachTheHostBeingConstructedOnThisThread) {
    TScriptedHost outer;
    TScriptedHost inner;
    AEffect unbound{};
    const uint64_t unattributedBefore = TScriptedHost::UnattributedCalls();
    {
        TScriptedHost::TConstructionScope outerScope(outer);
        TScriptedHost::Callback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f);
        {
            TScriptedHost::TConstructionScope innerScope(inner);
            TScriptedHost::Callback(&unbound, audioMasterIdle, 0, 0, nullptr, 0.0f);
        }
        TScriptedHost::Callback(&unbound, audioMasterIdle, 0, 0, nullptr, 0.0f);
    }
    EXPECT_EQ(outer.CountOf(audioMasterVersion), 1u);
    EXPECT_EQ(outer.CountOf(audioMasterIdle), 1u);
    EXPECT_EQ(inner.CountOf(audioMasterIdle), 1u);

    // With no scope and no binding nobody answers; the call is counted, not lost silently.
    EXPECT_EQ(TScriptedHost::Callback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(TScriptedHost::UnattributedCalls(), unattributedBefore + 1);

    // A bound record wins over the scope.
    inner.Bind(unbound);
    TScriptedHost::TConstructionScope scope(outer);
    TScriptedHost::Callback(&unbound, audioMasterIdle, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(inner.CountOf(audioMasterIdle), 2u);
    EXPECT_EQ(outer.CountOf(audioMasterIdle), 1u);
}

}  // namespace
}  // namespace tessel::host
