#include "host/OpcodeNames.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/VSTAbi.h"

namespace tessel::host {
namespace {

TEST(OpcodeNames, DispatcherNamesFollowTheirNumbers) {
    EXPECT_STREQ(DispatcherOpcodeName(effOpen), "effOpen");
    EXPECT_STREQ(DispatcherOpcodeName(effCanDo), "effCanDo");
    EXPECT_STREQ(DispatcherOpcodeName(79), "effGetNumMidiOutputChannels");
    for (int32_t opcode = 0; opcode < kDispatcherOpcodeCount; ++opcode)
        EXPECT_NE(DispatcherOpcodeName(opcode), nullptr) << opcode;
    EXPECT_EQ(DispatcherOpcodeName(80), nullptr);
    EXPECT_EQ(DispatcherOpcodeName(-1), nullptr);
    EXPECT_EQ(DescribeDispatcherOpcode(256), "opcode 256");
}

TEST(OpcodeNames, HostNamesLeaveTheUnusedNumbersOut) {
    EXPECT_STREQ(HostOpcodeName(audioMasterVersion), "audioMasterVersion");
    EXPECT_STREQ(HostOpcodeName(37), "audioMasterCanDo");
    EXPECT_STREQ(HostOpcodeName(49), "audioMasterGetInputSpeakerArrangement");
    for (const int32_t unused : {5, 36, 46, 47, 48, 50, -3}) EXPECT_EQ(HostOpcodeName(unused), nullptr) << unused;
    EXPECT_EQ(DescribeHostOpcode(audioMasterGetTime), "audioMasterGetTime");
    EXPECT_EQ(DescribeHostOpcode(5), "host opcode 5");
}

}  // namespace
}  // namespace tessel::host
