// Loading: entry-point lookup and every way it can fail.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "host/LoadError.h"
#include "host/PluginInstance.h"
#include "host/PluginLibrary.h"

namespace tessel::host {
namespace {

// Runs `load` and returns the failure it reports.
template <typename TLoad>
TLoadFailure FailureOf(TLoad load) {
    try {
        load();
    } catch (const TLoadError& error) {
        EXPECT_NE(std::string(error.what()), "");
        return error.Failure();
    }
    ADD_FAILURE() << "loading succeeded";
    return TLoadFailure::FileMissing;
}

std::string SystemMathLibrary() {
    Dl_info info{};
    double (*cosine)(double) = &std::cos;
    if (dladdr(reinterpret_cast<void*>(cosine), &info) == 0 || info.dli_fname == nullptr) return {};
    return info.dli_fname;
}

TEST(PluginLoader, FindsVSTPluginMainAndFallsBackToMain) {
    EXPECT_EQ(TPluginLibrary::Open(TESSEL_FAKE_PLUGIN)->EntryName(), "VSTPluginMain");
    auto library = TPluginLibrary::Open(TESSEL_FAKE_PLUGIN_MAIN_ONLY);
    EXPECT_EQ(library->EntryName(), "main");
    TPluginInstance plugin(library, nullptr);
    EXPECT_EQ(plugin.Record().uniqueID, TESSEL_FOURCC('F', 'a', 'k', 'e'));
}

TEST(PluginLoader, ReportsMissingFilesAndNeverSearchesTheLibraryPath) {
    EXPECT_EQ(FailureOf([] { TPluginLibrary::Open("/no/such/plugin.so"); }), TLoadFailure::FileMissing);
    // A bare name means a file here, not the system's libm.
    EXPECT_EQ(FailureOf([] { TPluginLibrary::Open("libm.so.6"); }), TLoadFailure::FileMissing);
}

TEST(PluginLoader, RejectsFilesThatAreNotSharedObjects) {
    const auto path = std::filesystem::temp_directory_path() / "tessel_not_a_plugin.so";
    std::ofstream(path) << "plain text, not ELF\n";
    EXPECT_EQ(FailureOf([&] { TPluginLibrary::Open(path.string()); }), TLoadFailure::NotLoadable);
    std::filesystem::remove(path);
    EXPECT_EQ(FailureOf([] { TPluginLibrary::Open("/tmp"); }), TLoadFailure::NotLoadable);
}

TEST(PluginLoader, LibrariesThatAreNoPlugInsHaveNoEntryPoint) {
    const std::string libm = SystemMathLibrary();
    ASSERT_FALSE(libm.empty());
    EXPECT_EQ(FailureOf([&] { TPluginLibrary::Open(libm); }), TLoadFailure::NoEntryPoint);
    // Its dependency's entry point is not its own.
    EXPECT_EQ(FailureOf([] { TPluginLibrary::Open(TESSEL_NOT_A_PLUGIN); }), TLoadFailure::NoEntryPoint);
}

TEST(PluginLoader, EntryPointReturningNullIsReported) {
    EXPECT_EQ(FailureOf([] { TPluginInstance plugin(TESSEL_FAKE_PLUGIN_NULL); }), TLoadFailure::EntryReturnedNull);
}

TEST(PluginLoader, RefusedVersionCheckIsRecordedAndYieldsNoInstance) {
    auto host = std::make_shared<TScriptedHost>();
    host->SetVersion(0);
    EXPECT_EQ(FailureOf([&] { TPluginInstance plugin(TESSEL_FAKE_PLUGIN, host); }), TLoadFailure::EntryReturnedNull);
    const auto calls = host->Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].opcode, audioMasterVersion);
    EXPECT_EQ(calls[0].effect, nullptr);
    EXPECT_EQ(calls[0].answer, 0);
}

TEST(PluginLoader, WrongMagicIsReportedAndTheLibraryIsKeptMapped) {
    auto library = TPluginLibrary::Open(TESSEL_FAKE_PLUGIN_BAD_MAGIC);
    EXPECT_EQ(FailureOf([&] { TPluginInstance plugin(library, nullptr); }), TLoadFailure::BadMagic);
    EXPECT_TRUE(library->IsPinned());
}

}  // namespace
}  // namespace tessel::host
