// tessel-host editor: screenshots of plug-in editors in a window of the
// tool's own, on a private Xvfb when there is no display, and a clear
// failure when there is no X server at all; our editor's analyser showing
// a sine played through the plug-in.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "editor/FrequencyPosition.h"
#include "editor/OrvaneLayout.h"
#include "editor/SpectrumAnalyser.h"
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

// The brushed background is random in each run: a pixel differs by up to
// 25 levels between runs, but rarely by 15 three times in a column. The
// analyser's translucent grey darkens all it covers by about 30.
constexpr int kDrawnDarker = 15;
constexpr int kDrawnRun = 3;  // pixels down a column

int Brightness(TColor32 colour) {
    return static_cast<int>(((colour >> 16) & 0xFF) + ((colour >> 8) & 0xFF) + (colour & 0xFF)) / 3;
}

// The highest point in `display` from which `shown` is darker than
// `reference` for kDrawnRun pixels down: x (pixels, mean of the columns
// reaching it) and its level (dBFS on the analyser's axis, 0 at the top
// edge, kFloorDb at the bottom).
std::pair<double, double> SpectrumPeak(const TBitmap32& shown, const TBitmap32& reference, const TRect& display) {
    int top = display.Bottom, sum = 0, count = 0;
    for (int x = display.Left; x < display.Right; ++x)
        for (int y = display.Top; y + kDrawnRun <= display.Bottom; ++y) {
            int run = 0;
            while (run < kDrawnRun &&
                   Brightness(reference.Pixel(x, y + run)) - Brightness(shown.Pixel(x, y + run)) >= kDrawnDarker)
                ++run;
            if (run < kDrawnRun) continue;
            if (y < top) top = y, sum = 0, count = 0;
            if (y == top) sum += x, ++count;
            break;
        }
    if (count == 0) return {-1.0, -200.0};
    return {static_cast<double>(sum) / count,
            (top + 0.5 - display.Top) * TSpectrumAnalyser::kFloorDb / display.Height()};
}

TEST(EditorTool, OurAnalyserShowsASinePlayedThroughThePlugIn) {
    const auto config = std::filesystem::temp_directory_path() / "tessel_editor_tool_analyser";
    std::filesystem::remove_all(config);
    std::filesystem::create_directories(config / "Dravik");
    std::ofstream(config / "Dravik" / "TesselEQ.conf") << "GUI Style=1\nAnalyser=1\n";
    const std::string environment = "env -u DISPLAY XDG_CONFIG_HOME=" + config.string();
    const std::string editor = "editor " + std::string(TESSEL_PLUGIN_PATH) + " --wait 1500 --png ";
    const TRect display = CalculateOrvaneLayout(TGuiStyle::Display).GraphRect;

    const std::string silencePng = TempPng("analyser_silence");
    ASSERT_EQ(RunTool(editor + silencePng, environment).status, 0);
    TBitmap32 reference;
    ASSERT_TRUE(LoadPng(reference, silencePng));

    constexpr int kLevelDbfs = -12;  // the tone's peak
    for (int hz : {100, 1000, 10000}) {
        SCOPED_TRACE(::testing::Message() << hz << " Hz");
        const std::string wav = (config / ("sine" + std::to_string(hz) + ".wav")).string();
        const std::string png = TempPng("analyser_" + std::to_string(hz));
        ASSERT_EQ(RunTool("tone " + wav + " --freq " + std::to_string(hz) + " --seconds 2 --level " +
                          std::to_string(kLevelDbfs))
                      .status,
                  0);
        const auto run = RunTool(editor + png + " --input " + wav, environment);
        ASSERT_EQ(run.status, 0) << run.output;
        TBitmap32 shown;
        ASSERT_TRUE(LoadPng(shown, png));
        const auto [x, db] = SpectrumPeak(shown, reference, display);
        EXPECT_NEAR(x, display.Left + PositionFromFrequency(hz) * (display.Width() - 1), 2.0);
        EXPECT_NEAR(db, kLevelDbfs, 3.0);
    }
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
