// tessel-host tone, render, response and bench, run as a user runs them,
// with ZamEQ2 (mono, takes no parameter text) and the fake plug-in (stereo,
// passes audio through unchanged).
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "tests/host/ToolRun.h"
#include "tests/host/ZamEq2.h"

namespace {

namespace fs = std::filesystem;

using tessel::test::Contains;
using tessel::test::RunTool;
using TRun = tessel::test::TToolRun;

struct TSound {
    SF_INFO info{};
    std::vector<double> samples;  // interleaved
    bool ok = false;

    double At(sf_count_t frame, int channel) const {
        return samples[static_cast<size_t>(frame * info.channels + channel)];
    }
};

TSound ReadSound(const fs::path& path) {
    TSound sound;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &sound.info);
    if (file == nullptr) return sound;
    sound.samples.resize(static_cast<size_t>(sound.info.frames * sound.info.channels));
    sound.ok = sf_readf_double(file, sound.samples.data(), sound.info.frames) == sound.info.frames;
    sf_close(file);
    return sound;
}

double RmsDb(const TSound& sound, int channel) {
    double sum = 0.0;
    for (sf_count_t frame = 0; frame < sound.info.frames; ++frame)
        sum += sound.At(frame, channel) * sound.At(frame, channel);
    return 10.0 * std::log10(sum / static_cast<double>(sound.info.frames));
}

// The "Hz  dB" rows of a response table.
double TableDb(const std::string& output, const std::string& hz) {
    std::smatch match;
    const std::regex row("\\n +" + hz + " +([-+][0-9.]+)\\n");
    if (!std::regex_search(output, match, row)) return NAN;
    return std::stod(match[1].str());
}

class PlayTool : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ =
            fs::temp_directory_path() / ("tessel-play-" + std::string(test->name()) + "-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

const std::string kZam = TESSEL_ZAMEQ2_PLUGIN;
const std::string kFake = TESSEL_FAKE_PLUGIN;
const std::string kZamPeak = " --param 'Boost/Cut 1=6' --param 'Frequency 1=1000'";

TEST_F(PlayTool, RenderKeepsFormatRateAndLengthAndMixesStereoIntoAMonoPlugIn) {
    TESSEL_SKIP_WITHOUT_ZAMEQ2();
    ASSERT_EQ(RunTool("tone " + Path("in.wav") +
                      " --kind noise --channels 2 --format pcm16 --rate 44100 "
                      "--seconds 0.37")
                  .status,
              0);
    const TRun run = RunTool("render " + kZam + " " + Path("in.wav") + " " + Path("out.wav") + " --block 100");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "average")) << run.output;

    const TSound in = ReadSound(Path("in.wav"));
    const TSound out = ReadSound(Path("out.wav"));
    ASSERT_TRUE(in.ok && out.ok);
    EXPECT_EQ(out.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(out.info.samplerate, 44100);
    EXPECT_EQ(out.info.frames, in.info.frames);  // 16317 frames: not a whole number of blocks
    EXPECT_EQ(out.info.channels, 1);             // ZamEQ2 has one output
    // Flat settings: the output is the average of the input's channels, within 16-bit rounding.
    double worst = 0.0;
    for (sf_count_t frame = 0; frame < in.info.frames; ++frame)
        worst = std::max(worst, std::abs(out.At(frame, 0) - 0.5 * (in.At(frame, 0) + in.At(frame, 1))));
    EXPECT_LT(worst, 3.0 / 32768.0);
}

TEST_F(PlayTool, RenderFeedsMonoIntoBothChannelsOfAStereoPlugInInAnyFormat) {
    ASSERT_EQ(RunTool("tone " + Path("in.flac") + " --channels 1 --freq 440 --seconds 0.2").status, 0);
    const TRun run = RunTool("render " + kFake + " " + Path("in.flac") + " " + Path("out.wav") + " --double");
    // The fake has no 64-bit processing: a clear refusal, and no output left behind.
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_TRUE(Contains(run.output, "no 64-bit processing")) << run.output;
    EXPECT_FALSE(fs::exists(Path("out.wav")));

    const TRun stereo = RunTool("render " + kFake + " " + Path("in.flac") + " " + Path("out.wav"));
    ASSERT_EQ(stereo.status, 0) << stereo.output;
    const TSound in = ReadSound(Path("in.flac"));
    const TSound out = ReadSound(Path("out.wav"));  // named .wav, written as FLAC like the input
    ASSERT_TRUE(in.ok && out.ok);
    EXPECT_EQ(out.info.format, in.info.format);
    EXPECT_EQ(out.info.channels, 2);
    EXPECT_EQ(out.info.frames, in.info.frames);
    for (sf_count_t frame = 0; frame < in.info.frames; frame += 97) {
        EXPECT_EQ(out.At(frame, 0), in.At(frame, 0)) << frame;
        EXPECT_EQ(out.At(frame, 1), in.At(frame, 0)) << frame;
    }
}

TEST_F(PlayTool, RenderAppliesNaturalValuesToAPlugInThatTakesNoText) {
    TESSEL_SKIP_WITHOUT_ZAMEQ2();
    ASSERT_EQ(RunTool("tone " + Path("in.wav") + " --channels 1 --freq 1000 --format float --seconds 1").status, 0);
    const TRun run = RunTool("render " + kZam + " " + Path("in.wav") + " " + Path("out.wav") + kZamPeak);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "\"Boost/Cut 1\" = 6.0")) << run.output;
    const TSound in = ReadSound(Path("in.wav"));
    const TSound out = ReadSound(Path("out.wav"));
    ASSERT_TRUE(in.ok && out.ok);
    EXPECT_NEAR(RmsDb(out, 0) - RmsDb(in, 0), 6.0, 0.3);
}

TEST_F(PlayTool, RenderFailuresSayWhatWentWrongAndLeaveFilesAlone) {
    TESSEL_SKIP_WITHOUT_ZAMEQ2();
    // Unreadable input: exit 3, whatever the plug-in.
    std::ofstream(Path("junk.wav")) << "not a sound file";
    TRun run = RunTool("render " + kZam + " " + Path("junk.wav") + " " + Path("out.wav"));
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(Contains(run.output, "cannot read " + Path("junk.wav") + ": ")) << run.output;
    run = RunTool("render /no/such/plugin.so " + Path("missing.wav") + " " + Path("out.wav"));
    EXPECT_EQ(run.status, 3) << run.output;
    EXPECT_FALSE(fs::exists(Path("out.wav")));

    ASSERT_EQ(RunTool("tone " + Path("in.wav") + " --seconds 0.05").status, 0);
    run = RunTool("render " + kZam + " " + Path("in.wav") + " " + Path("no/such/dir/out.wav"));
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(Contains(run.output, "cannot write")) << run.output;
    EXPECT_EQ(RunTool("render /no/such/plugin.so " + Path("in.wav") + " " + Path("out.wav")).status, 2);

    // A refused setting leaves an existing OUT as it was.
    std::ofstream(Path("keep.wav")) << "keep";
    run = RunTool("render " + kZam + " " + Path("in.wav") + " " + Path("keep.wav") + " --param 'Warp Drive=9'");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.output, "no parameter named \"Warp Drive\"")) << run.output;
    std::string kept;
    std::getline(std::ifstream(Path("keep.wav")), kept);
    EXPECT_EQ(kept, "keep");
}

TEST_F(PlayTool, UsageErrorsExitWithOne) {
    TESSEL_SKIP_WITHOUT_ZAMEQ2();
    ASSERT_EQ(RunTool("tone " + Path("in.wav") + " --seconds 0.05").status, 0);
    const std::string files = " " + Path("in.wav") + " " + Path("out.wav");
    for (const std::string& arguments : {
             "render " + kZam + files + " --bogus",
             "render " + kZam + " " + Path("in.wav"),
             "render " + kZam + " " + Path("in.wav") + " " + Path("in.wav"),  // would overwrite its input
             "render " + kZam + files + " --set 0=1.5",
             "render " + kZam + files + " --set 12=0.5",  // ZamEQ2 has 12 parameters
             "render " + kZam + files + " --set x=0.5",
             "render " + kZam + files + " --param nothing",
             "render " + kZam + files + " --param 'Boost/Cut 1=loud'",
             "render " + kZam + files + " --program 3",
             "render " + kZam + files + " --block 0",
             "response " + kZam + " --size 10x10",
             "response " + kZam + " --frames 12",
             "response " + kZam + " --rate fast",
             "bench " + kZam + " --seconds 0",
             "bench " + kZam + " --runs",
             "tone " + Path("t.wav") + " --kind square",
             "tone " + Path("t.wav") + " --freq 30000",
         }) {
        const TRun run = RunTool(arguments);
        EXPECT_EQ(run.status, 1) << arguments << "\n" << run.output;
        EXPECT_TRUE(Contains(run.output, "usage: tessel-host") || Contains(run.output, "tessel-host: "))
            << arguments << "\n"
            << run.output;
    }
    const TRun help = RunTool("render --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(Contains(help.output, "mono IN is fed to both inputs")) << help.output;
}

TEST_F(PlayTool, ResponseOfAFlatSettingIsZeroDecibelsAndThePngHasTheAskedSize) {
    TESSEL_SKIP_WITHOUT_ZAMEQ2();
    const TRun run = RunTool("response " + kZam + " --png " + Path("flat.png") + " --size 640x360");
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char* hz : {"20", "100", "1000", "10000", "20000"})
        EXPECT_NEAR(TableDb(run.output, hz), 0.0, 0.05) << hz;

    std::ifstream png(Path("flat.png"), std::ios::binary);
    std::array<unsigned char, 24> header{};
    ASSERT_TRUE(png.read(reinterpret_cast<char*>(header.data()), header.size()));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(header.data()) + 1, 3), "PNG");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(header.data()) + 12, 4), "IHDR");
    const auto bigEndian = [&](size_t at) {
        return (header[at] << 24) | (header[at + 1] << 16) | (header[at + 2] << 8) | header[at + 3];
    };
    EXPECT_EQ(bigEndian(16), 640);
    EXPECT_EQ(bigEndian(20), 360);
}

TEST_F(PlayTool, ResponseMeasuresAPeakWhereItWasSet) {
    TESSEL_SKIP_WITHOUT_ZAMEQ2();
    const TRun run = RunTool("response " + kZam + kZamPeak + " --at 1000 --at 100 --at 8000 --at 30000 --rate 44100");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NEAR(TableDb(run.output, "1000"), 6.0, 0.3) << run.output;
    EXPECT_NEAR(TableDb(run.output, "100"), 0.0, 0.2) << run.output;
    EXPECT_NEAR(TableDb(run.output, "8000"), 0.0, 0.2) << run.output;
    EXPECT_TRUE(Contains(run.output, "30000   (at or above half the sample rate)")) << run.output;
    const TRun unwritable = RunTool("response " + kZam + " --png " + Path("no/dir/r.png"));
    EXPECT_EQ(unwritable.status, 3) << unwritable.output;
}

TEST_F(PlayTool, BenchPrintsTimesForMonoAndStereoPlugIns) {
    TESSEL_SKIP_WITHOUT_ZAMEQ2();
    TRun run = RunTool("bench " + kZam + " --seconds 0.05 --runs 3 --block 64");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "mono plug-in: figures are per instance")) << run.output;
    std::smatch match;
    ASSERT_TRUE(std::regex_search(run.output, match, std::regex("ns per mono frame +([0-9.]+) median"))) << run.output;
    EXPECT_GT(std::stod(match[1].str()), 0.0);

    run = RunTool("bench " + kFake + " --seconds 0.05 --terse");
    ASSERT_EQ(run.status, 0) << run.output;
    ASSERT_TRUE(std::regex_match(run.output, match, std::regex("([0-9.]+) ([0-9.]+) 2\n"))) << run.output;
    EXPECT_GT(std::stod(match[1].str()), 0.0);
    EXPECT_GT(std::stod(match[2].str()), 0.0);
}

// The witness's account of the host's calls: "open rate=... close dirty=N".
std::string Witnessed(const std::string& output) {
    std::smatch match;
    if (!std::regex_search(output, match, std::regex("witness: ([^\n]*)"))) return "(no witness line)";
    return match[1].str();
}

const std::string kWitness = TESSEL_WITNESS_PLUGIN;

TEST_F(PlayTool, RenderDrivesThePlugInInTheHostCallOrderAndSilencesExtraInputs) {
    ASSERT_EQ(RunTool("tone " + Path("in.wav") +
                      " --channels 2 --kind noise --format float --seconds 0.1 "
                      "--rate 32000")
                  .status,
              0);  // 3200 frames: 50 blocks of 64
    const TRun run = RunTool("render " + kWitness + " " + Path("in.wav") + " " + Path("out.wav") +
                             " --block 64 --program 2 --param Level=1.5");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(Witnessed(run.output),
              "open rate=32000 block=64 program=2 text mains=1 start process*50 stop mains=0 close dirty=0");
    EXPECT_FALSE(Contains(run.output, "found by its display")) << run.output;  // it took the text

    const TSound in = ReadSound(Path("in.wav"));
    const TSound out = ReadSound(Path("out.wav"));
    ASSERT_TRUE(in.ok && out.ok);
    ASSERT_EQ(out.info.channels, 2);  // four outputs, the first two written
    ASSERT_EQ(out.info.frames, in.info.frames);
    for (sf_count_t frame = 0; frame < in.info.frames; frame += 31)
        for (int channel = 0; channel < 2; ++channel)
            EXPECT_FLOAT_EQ(static_cast<float>(out.At(frame, channel)),
                            static_cast<float>(1.5 * in.At(frame, channel)));
}

TEST_F(PlayTool, DoublePrecisionIsAnnouncedBeforeTheMainsGoOn) {
    ASSERT_EQ(RunTool("tone " + Path("in.wav") + " --seconds 0.01").status, 0);  // 480 frames
    const TRun run = RunTool("render " + kWitness + " " + Path("in.wav") + " " + Path("out.wav") + " --double");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(Witnessed(run.output),
              "open rate=48000 block=512 precision=1 mains=1 start process64 stop mains=0 close dirty=0");
}

TEST_F(PlayTool, AnAccumulatingOnlyPlugInGetsClearedOutputsEveryBlock) {
    ASSERT_EQ(RunTool("tone " + Path("in.wav") + " --channels 1 --format float --seconds 0.05").status, 0);
    const TRun run = RunTool(std::string("render ") + TESSEL_WITNESS_ACCUMULATING_PLUGIN + " " + Path("in.wav") + " " +
                             Path("out.wav") + " --block 100 --set 0=0.5");  // level 1
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "process (accumulating)")) << run.output;
    const TSound in = ReadSound(Path("in.wav"));
    const TSound out = ReadSound(Path("out.wav"));
    ASSERT_TRUE(in.ok && out.ok);
    for (sf_count_t frame = 0; frame < in.info.frames; ++frame) {
        ASSERT_EQ(out.At(frame, 0), in.At(frame, 0)) << frame;
        ASSERT_EQ(out.At(frame, 1), in.At(frame, 0)) << frame;
    }
}

TEST_F(PlayTool, ResponseAndBenchPlayThroughTheSameHostCalls) {
    const TRun response = RunTool("response " + kWitness + " --param Level=0.5 --at 1000 --frames 1000 --block 256");
    ASSERT_EQ(response.status, 0) << response.output;
    EXPECT_NEAR(TableDb(response.output, "1000"), 20.0 * std::log10(0.5), 0.01) << response.output;
    EXPECT_EQ(Witnessed(response.output),
              "open rate=48000 block=256 text mains=1 start process*4 stop mains=0 close dirty=0");

    const TRun bench = RunTool("bench " + kWitness + " --seconds 0.05 --runs 2 --rate 44100 --block 441");
    ASSERT_EQ(bench.status, 0) << bench.output;
    EXPECT_TRUE(Contains(bench.output, "ns per stereo frame")) << bench.output;
    // 0.05 s of warm-up and two runs of 0.05 s: 5 + 2 x 5 blocks.
    EXPECT_EQ(Witnessed(bench.output), "open rate=44100 block=441 mains=1 start process*15 stop mains=0 close dirty=0");
}

}  // namespace
