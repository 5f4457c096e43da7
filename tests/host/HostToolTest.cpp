// The tessel-host program: exit codes and the info report.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/host/ToolRun.h"
#include "tests/host/ZamEq2.h"

namespace {

using tessel::test::Contains;
using tessel::test::RunTool;
using TRun = tessel::test::TToolRun;

TEST(HostTool, InfoReportsTheFakePlugIn) {
    const TRun run = RunTool(std::string("info --calls ") + TESSEL_FAKE_PLUGIN);
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char* expected :
         {"magic                  'VstP' (0x56737450)", "flags                  0x00000010 (CanReplacing)",
          "uniqueID               'Fake' (0x46616B65)", "effect name            \"Fake\"",
          "vendor                 (not answered)", "plugAsSend             1 (yes)", "offline                -1 (no)",
          "#0                     label \"Fake In\", short \"\", flags 1 (IsActive)",
          "#1                     (no pin properties)", "name \"Pan\"", "audioMasterVersion", "text=\"shellCategory\""})
        EXPECT_TRUE(Contains(run.output, expected)) << expected << "\n" << run.output;
}

TEST(HostTool, InfoReportsZamEq2) {
    TESSEL_SKIP_WITHOUT_ZAMEQ2();
    const TRun run = RunTool(std::string("info ") + TESSEL_ZAMEQ2_PLUGIN);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "effect name            \"ZamEQ2\"")) << run.output;
    EXPECT_TRUE(Contains(run.output, "Parameters (")) << run.output;
}

TEST(HostTool, UsageErrorsExitWithOne) {
    EXPECT_EQ(RunTool("").status, 1);
    EXPECT_EQ(RunTool("render-nothing").status, 1);
    EXPECT_EQ(RunTool("info").status, 1);
    EXPECT_EQ(RunTool("info --bogus x.so").status, 1);
    EXPECT_EQ(RunTool("info a.so b.so").status, 1);
    const TRun help = RunTool("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(Contains(help.output, "info [--calls]"));
}

// Usage lines, option lists and value checks all come from each command's option table.
TEST(HostTool, EveryCommandExplainsItsOptionsAndNamesTheOneItRefuses) {
    for (const auto& [command, option] : {std::pair{"info", "--host-product TEXT"},
                                          {"tone", "--format pcm16|pcm24|float"},
                                          {"render", "--param NAME=TEXT"},
                                          {"response", "--rate HZ"},
                                          {"bench", "--runs N"}}) {
        const TRun help = RunTool(std::string(command) + " --help");
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_TRUE(Contains(help.output, std::string("usage: tessel-host ") + command)) << help.output;
        EXPECT_TRUE(Contains(help.output, std::string("\n  ") + option)) << command << "\n" << help.output;
    }
    const TRun refused = RunTool("bench x.so --runs 1001");
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(Contains(refused.output, "--runs takes 1 to 1000 runs, not '1001'")) << refused.output;
    const TRun missing = RunTool("render x.so in.wav");
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(Contains(missing.output, "no output file given")) << missing.output;
}

TEST(HostTool, LoadFailuresExitWithTwoAndSayWhy) {
    const TRun missing = RunTool("info /no/such/plugin.so");
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(Contains(missing.output, "file missing")) << missing.output;
    const TRun refused = RunTool(std::string("info ") + TESSEL_FAKE_PLUGIN_NULL);
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(Contains(refused.output, "entry point returned no instance")) << refused.output;
}

}  // namespace
