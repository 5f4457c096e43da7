#include "editor/FileSettingsStore.h"

#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

namespace tessel {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kKeyPrefix = "Software\\";
constexpr std::string_view kFileSuffix = ".conf";
// A settings file holds a handful of short lines; anything much larger is
// not ours and is not read into memory.
constexpr std::uintmax_t kMaxFileBytes = 64 * 1024;

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

struct TLine {
    std::string text;  // the line as stored
    std::string name;  // empty: a comment or a line that is not Name=integer
    std::optional<std::int32_t> value;
};

TLine ParseLine(std::string text) {
    TLine line{std::move(text), {}, {}};
    const std::string_view view = Trim(line.text);
    if (view.empty() || view.front() == '#' || view.front() == ';') return line;
    const auto eq = view.find('=');
    if (eq == std::string_view::npos) return line;
    const std::string_view name = Trim(view.substr(0, eq));
    if (name.empty()) return line;
    line.name = name;
    const std::string_view number = Trim(view.substr(eq + 1));
    const char* first = number.data() + (number.starts_with('+') ? 1 : 0);
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(first, number.data() + number.size(), value);
    if (ec == std::errc() && end == number.data() + number.size() && first != end) line.value = value;
    return line;
}

// Every line of the file, or nothing when it cannot be read.
std::optional<std::vector<TLine>> ReadLines(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return std::nullopt;
    const auto size = fs::file_size(file, ec);
    if (ec || size > kMaxFileBytes) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<TLine> lines;
    std::string text;
    while (std::getline(in, text)) lines.push_back(ParseLine(std::move(text)));
    if (in.bad()) return std::nullopt;
    return lines;
}

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Writes the text to a new file beside `file` and renames it over `file`.
bool ReplaceFile(const fs::path& file, const std::string& text) {
    // A hidden name beside the file, unique through mkstemp.
    std::string temporary = file.parent_path().string();
    temporary.append("/.").append(file.filename().string()).append(".XXXXXX");
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    const bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), file.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool EnsureFolder(const fs::path& root, const fs::path& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return true;
    // Never create the root's parent (a home folder that does not exist).
    const fs::path parent = root.parent_path();
    if (!parent.empty() && !fs::is_directory(parent, ec)) return false;
    fs::create_directories(folder, ec);
    return !ec && fs::is_directory(folder, ec);
}

}  // namespace

std::optional<fs::path> TFileSettingsStore::UserConfigRoot() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && fs::path(xdg).is_absolute()) return fs::path(xdg);
    if (const char* home = std::getenv("HOME"); home && fs::path(home).is_absolute()) return fs::path(home) / ".config";
    return std::nullopt;
}

TFileSettingsStore::TFileSettingsStore(std::optional<fs::path> root) : FRoot(std::move(root)) {}

std::optional<fs::path> TFileSettingsStore::KeyFile(std::string_view key) const {
    if (!FRoot) return std::nullopt;
    if (key.starts_with(kKeyPrefix)) key.remove_prefix(kKeyPrefix.size());
    fs::path file = *FRoot;
    while (true) {
        const auto slash = key.find('\\');
        const std::string_view part = key.substr(0, slash);
        if (part.empty() || part == "." || part == ".." || part.find('/') != std::string_view::npos ||
            part.find('\0') != std::string_view::npos)
            return std::nullopt;
        if (slash == std::string_view::npos) return file / (std::string(part) + std::string(kFileSuffix));
        file /= std::string(part);
        key.remove_prefix(slash + 1);
    }
}

std::optional<TSettingsValues> TFileSettingsStore::ReadKey(std::string_view key) {
    const auto file = KeyFile(key);
    if (!file) return std::nullopt;
    const auto lines = ReadLines(*file);
    if (!lines) return std::nullopt;
    TSettingsValues values;
    for (const auto& line : *lines)
        if (line.value) values.Set(line.name, *line.value);
    return values;
}

bool TFileSettingsStore::WriteKey(std::string_view key, const TSettingsValues& values) {
    const auto file = KeyFile(key);
    if (!file || !EnsureFolder(*FRoot, file->parent_path())) return false;
    for (const auto& [name, value] : values.Entries())
        if (name.empty() || name.find_first_of("=\n\r") != std::string::npos || Trim(name) != name) return false;
    // Other values and comments stay; each written value replaces the first
    // line of its name, and further lines of that name go. A file that is
    // there but cannot be read is not replaced: its contents would be lost.
    std::error_code ec;
    auto existing = ReadLines(*file);
    if (!existing && fs::exists(*file, ec)) return false;
    const std::vector<TLine> lines = existing.value_or(std::vector<TLine>{});
    std::vector<bool> placed(values.Entries().size(), false);
    std::ostringstream out;
    for (const auto& line : lines) {
        std::size_t i = 0;
        while (i < values.Entries().size() && values.Entries()[i].first != line.name) ++i;
        if (line.name.empty() || i == values.Entries().size()) {
            out << line.text << '\n';
        } else if (!placed[i]) {
            out << values.Entries()[i].first << '=' << values.Entries()[i].second << '\n';
            placed[i] = true;
        }
    }
    for (std::size_t i = 0; i < values.Entries().size(); ++i)
        if (!placed[i]) out << values.Entries()[i].first << '=' << values.Entries()[i].second << '\n';
    return ReplaceFile(*file, out.str());
}

}  // namespace tessel
