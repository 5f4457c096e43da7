#pragma once
// TFileSettingsStore: settings keys as small text files under the user's
// configuration folder. The key "Software\Dravik\TesselEQ" lives in
// <root>/Dravik/TesselEQ.conf, where root is $XDG_CONFIG_HOME or, when that
// is unset or not absolute, ~/.config. One "Name=value" line per value, the
// value a decimal 32-bit integer; blank lines and lines starting with # or ;
// are comments.
//
// Reading is forgiving: a line that is not Name=integer is skipped, a file
// that cannot be read (or is implausibly large) counts as a missing key.
// Writing keeps every other line of the file, writes a temporary file in the
// same folder and renames it over the old one, so a crash or a full disk
// never leaves a half-written key. Missing folders are created below the
// root's parent, never above it: with HOME naming a folder that does not
// exist, nothing is created anywhere.

#include <filesystem>
#include <optional>

#include "editor/SettingsStore.h"

namespace tessel {

class TFileSettingsStore final : public TSettingsStore {
public:
    // The configuration root from the environment, or nothing when neither
    // XDG_CONFIG_HOME nor HOME names a usable folder.
    static std::optional<std::filesystem::path> UserConfigRoot();

    // Keys under the given root; without one, every read finds nothing and
    // every write fails.
    explicit TFileSettingsStore(std::optional<std::filesystem::path> root = UserConfigRoot());

    std::optional<TSettingsValues> ReadKey(std::string_view key) override;
    bool WriteKey(std::string_view key, const TSettingsValues& values) override;

    // The file that holds a key, or nothing for a key that names no file
    // ("Software\" prefix dropped; empty, "." and ".." parts refused).
    std::optional<std::filesystem::path> KeyFile(std::string_view key) const;

private:
    std::optional<std::filesystem::path> FRoot;
};

}  // namespace tessel
