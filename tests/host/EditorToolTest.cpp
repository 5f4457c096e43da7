// tessel-host editor: screenshots of plug-in editors in a window of the
// tool's own, on a private Xvfb when there is no display, and a clear
// failure when there is no X server at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "gui/surface/Bitmap32.h"
#include "gui/surface/PngFile.h"
#include "tests/host/ToolRun.h"

namespace tessel {
namespace {

using test::Contains;
using test::RunTool;

std::string TempPng(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("tessel_editor_tool_" + name + ".png")).string();
}

std::size_t DistinctColours(const TBitmap32& image) {
    std::set<TColor32> colours;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) colours.insert(image.Pixel(x, y));
    return colours.size();
}

// Processes the Xvfb we start: it must be gone again when the tool exits.
int PrivateServers() {
    const auto run = test::RunShell("pgrep -c -f '^[^ ]*Xvfb -displayfd'");
    return run.output.empty() ? 0 : std::stoi(run.output);
}

TEST(EditorTool, ScreenshotsZamEq2sOpenGlEditorOnAPrivateServer) {
    const std::string png = TempPng("zameq2");
    std::filesystem::remove(png);
    const int serversBefore = PrivateServers();
    // Mesa's GL driver keeps strings for the life of the process on purpose;
    // they are not ours to free, so leak checking is off for this run only.
    const auto run = RunTool(
        "editor " + std::string(TESSEL_ZAMEQ2_PLUGIN) + " --png " + png + " --param 'Boost/Cut 1=12' --wait 1500",
        "env -u DISPLAY ASAN_OPTIONS=detect_leaks=0");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "the editor of ZamEQ2")) << run.output;
    TBitmap32 image;
    ASSERT_TRUE(LoadPng(image, png));
    EXPECT_GE(image.Width(), 200);
    EXPECT_GE(image.Height(), 100);
    // A black or blank window has one or two colours; the editor's knobs,
    // text and curve, all drawn with OpenGL, have hundreds.
    EXPECT_GT(DistinctColours(image), 200u);
    EXPECT_EQ(PrivateServers(), serversBefore) << "the private Xvfb was left running";
}

TEST(EditorTool, ScreenshotsOurOwnEditor) {
    const std::string png = TempPng("tessel");
    const auto config = std::filesystem::temp_directory_path() / "tessel_editor_tool_config";
    std::filesystem::remove_all(config);
    std::filesystem::remove(png);
    const auto run =
        RunTool("editor " + std::string(TESSEL_PLUGIN_PATH) + " --png " + png + " --param 'Filter 3 Gain=9' --wait 500",
                "env -u DISPLAY XDG_CONFIG_HOME=" + config.string());
    ASSERT_EQ(run.status, 0) << run.output;
    TBitmap32 image;
    ASSERT_TRUE(LoadPng(image, png));
    EXPECT_EQ(image.Width(), 718);
    EXPECT_EQ(image.Height(), 381);
    EXPECT_GT(DistinctColours(image), 200u);
    // Closing the editor wrote its settings where the user's configuration lives.
    EXPECT_TRUE(std::filesystem::exists(config / "Dravik" / "TesselEQ.conf"));
    std::filesystem::remove_all(config);
}

TEST(EditorTool, WithoutAnyXServerItFailsClearly) {
    const auto run = RunTool("editor " + std::string(TESSEL_ZAMEQ2_PLUGIN) + " --png " + TempPng("none"),
                             "env -u DISPLAY PATH=/nonexistent");
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_TRUE(Contains(run.output, "no X display: DISPLAY is not set and Xvfb is not installed")) << run.output;
}

TEST(EditorTool, UsageErrors) {
    EXPECT_EQ(RunTool("editor " + std::string(TESSEL_ZAMEQ2_PLUGIN)).status, 1);  // no --png
    EXPECT_EQ(RunTool("editor x.so --png a.png --wait forever").status, 1);
}

}  // namespace
}  // namespace tessel
