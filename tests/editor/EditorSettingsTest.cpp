// The editor's per-user settings: the file that holds the key, defaults when
// anything is missing or malformed, the GUI Style rule, and writes that
// never lose what was stored before.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "editor/FileSettingsStore.h"
#include "editor/OrvaneSettings.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;

class EditorSettings : public ::testing::Test {
protected:
    void SetUp() override {
        FRoot = fs::temp_directory_path() / ("tessel_settings_" + std::to_string(::getpid()) + "_" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(FRoot);
        fs::create_directories(FRoot);
        fs::permissions(FRoot, fs::perms::all);  // reachable for the unprivileged writer below
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(FRoot / "config" / "Dravik", fs::perms::owner_all, ec);
        fs::remove_all(FRoot, ec);
    }
    fs::path Config() const { return FRoot / "config"; }
    fs::path File() const { return Config() / "Dravik" / "TesselEQ.conf"; }
    void WriteFile(const std::string& text) {
        fs::create_directories(File().parent_path());
        std::ofstream(File()) << text;
    }
    std::string ReadFile() const {
        std::ifstream in(File());
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path FRoot;
};

void ExpectDefaults(const TOrvaneSettings& s) {
    EXPECT_EQ(s.FontQuality, kFontQualityMiddle);
    EXPECT_TRUE(s.Magnitude);
    EXPECT_TRUE(s.Shadow);
    EXPECT_EQ(s.ColorScheme, 13489624);
    EXPECT_EQ(s.GuiStyle, 0);
    EXPECT_FALSE(s.KeysRequired);
    EXPECT_FALSE(s.Analyser);  // off until a user turns it on
}

TEST_F(EditorSettings, KeyFileFollowsXdgConfigHomeThenHome) {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string savedXdg = xdg ? xdg : "", savedHome = home ? home : "";
    ::setenv("XDG_CONFIG_HOME", Config().c_str(), 1);
    EXPECT_EQ(TFileSettingsStore().KeyFile(kOrvaneSettingsKey), File());
    ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    ::setenv("HOME", FRoot.c_str(), 1);
    EXPECT_EQ(TFileSettingsStore().KeyFile(kOrvaneSettingsKey), FRoot / ".config" / "Dravik" / "TesselEQ.conf");
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("HOME");
    TFileSettingsStore homeless;  // no home folder at all: defaults, and writes go nowhere
    ExpectDefaults(ReadOrvaneSettings(homeless));
    EXPECT_FALSE(WriteOrvaneSettings(homeless, {}));
    savedXdg.empty() ? ::unsetenv("XDG_CONFIG_HOME") : ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    savedHome.empty() ? ::unsetenv("HOME") : ::setenv("HOME", savedHome.c_str(), 1);
    // A home folder that does not exist is not created.
    TFileSettingsStore missingHome(FRoot / "nobody" / ".config");
    EXPECT_FALSE(WriteOrvaneSettings(missingHome, {}));
    EXPECT_FALSE(fs::exists(FRoot / "nobody"));
    // Keys that would leave the root name no file.
    TFileSettingsStore store(Config());
    EXPECT_FALSE(store.KeyFile("Software\\..\\x"));
    EXPECT_FALSE(store.KeyFile("Software\\Dravik\\"));
}

TEST_F(EditorSettings, FirstOpenHasTheDefaultsAndARoundTripKeepsEveryValue) {
    TFileSettingsStore store(Config());
    const TOrvaneSettings first = ReadOrvaneSettings(store);
    ExpectDefaults(first);
    EXPECT_FALSE(first.KeyFound);

    TOrvaneSettings changed;
    changed.FontQuality = kFontQualityClearType;
    changed.Magnitude = false;
    changed.Shadow = false;
    changed.ColorScheme = 5662832;
    changed.GuiStyle = 1;
    changed.KeysRequired = true;
    changed.Analyser = true;
    ASSERT_TRUE(WriteOrvaneSettings(store, changed));  // creates Dravik/
    EXPECT_EQ(ReadFile(),
              "Font Quality=255\nMagnitude=0\nShadow=0\nGUI Style=1\nColor Scheme=5662832\nKeysRequired=1\n"
              "Analyser=1\nScale=0\n");
    const TOrvaneSettings back = ReadOrvaneSettings(*std::make_unique<TFileSettingsStore>(Config()));
    EXPECT_TRUE(back.KeyFound);
    EXPECT_EQ(back.FontQuality, 255);
    EXPECT_FALSE(back.Magnitude);
    EXPECT_FALSE(back.Shadow);
    EXPECT_EQ(back.ColorScheme, 5662832);
    EXPECT_EQ(back.GuiStyle, 1);
    EXPECT_TRUE(back.KeysRequired);
    EXPECT_TRUE(back.Analyser);
}

TEST_F(EditorSettings, MalformedValuesKeepTheirDefaultsAndOtherLinesSurviveAWrite) {
    WriteFile(
        "# written by hand\nFont Quality = 4\nMagnitude=yes\nShadow=99999999999\nGUI Style=7\n"
        "garbage line\nColor Scheme=\nOther=12\n");
    TFileSettingsStore store(Config());
    TOrvaneSettings s = ReadOrvaneSettings(store);
    EXPECT_EQ(s.FontQuality, 4);
    EXPECT_TRUE(s.Magnitude);  // "yes" is not an integer
    EXPECT_TRUE(s.Shadow);     // beyond 32 bits
    EXPECT_EQ(s.ColorScheme, 13489624);
    EXPECT_EQ(s.GuiStyle, 1);  // any non-zero style is Display, and is written back as 1
    ASSERT_TRUE(WriteOrvaneSettings(store, s));
    EXPECT_EQ(ReadFile(),
              "# written by hand\nFont Quality=4\nMagnitude=1\nShadow=1\nGUI Style=1\ngarbage line\n"
              "Color Scheme=13489624\nOther=12\nKeysRequired=0\nAnalyser=0\nScale=0\n");

    WriteFile(std::string("\x89PNG\r\n\x1a\n\0\0\0", 11));  // not a settings file at all
    ExpectDefaults(ReadOrvaneSettings(store));
}

TEST_F(EditorSettings, AWriteThatCannotHappenLeavesTheStoredFileIntact) {
    const std::string stored = "Font Quality=0\nColor Scheme=1540328\nOther=1\n";
    WriteFile(stored);
    fs::permissions(File().parent_path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                              fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    TOrvaneSettings s;
    s.FontQuality = 4;
    // Root writes into read-only folders, so the writer runs as an ordinary user.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        TFileSettingsStore store(Config());
        ::_exit(WriteOrvaneSettings(store, s) ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write should have failed (1) and not crashed";
    EXPECT_EQ(ReadFile(), stored);
    EXPECT_EQ(std::distance(fs::directory_iterator(File().parent_path()), fs::directory_iterator()), 1)
        << "no temporary file left behind";

    // A folder that cannot be made (a file in its place) fails as quietly.
    fs::permissions(File().parent_path(), fs::perms::owner_all);
    fs::remove_all(Config());
    fs::create_directories(Config());
    std::ofstream(Config() / "Dravik") << "not a folder";
    TFileSettingsStore store(Config());
    EXPECT_FALSE(WriteOrvaneSettings(store, s));
    ExpectDefaults(ReadOrvaneSettings(store));
}

}  // namespace
}  // namespace tessel
