#pragma once
// TSettingsStore: the per-user settings store the editor keeps its
// appearance in — named 32-bit integer values grouped under a key such as
// "Software\Dravik\TesselEQ". Narrow on purpose: the editor reads a key's
// values when it opens and writes them when it closes; where they live is
// the backend's business (TFileSettingsStore keeps one file per key).
//
// Threads: any; a backend serialises nothing itself, so two editors closing
// at once rely on the backend's atomic replacement of the whole key.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessel {

// Values in the order they were read or are to be written.
class TSettingsValues {
public:
    std::optional<std::int32_t> Find(std::string_view name) const;
    // Replaces the value of that name, or appends it.
    void Set(std::string_view name, std::int32_t value);
    const std::vector<std::pair<std::string, std::int32_t>>& Entries() const { return FEntries; }
    bool Empty() const { return FEntries.empty(); }

private:
    std::vector<std::pair<std::string, std::int32_t>> FEntries;
};

class TSettingsStore {
public:
    virtual ~TSettingsStore() = default;
    // The key's values, or nothing when the key does not exist or cannot be
    // read. Values that are not 32-bit integers are left out.
    virtual std::optional<TSettingsValues> ReadKey(std::string_view key) = 0;
    // Stores the values under the key, creating it when missing and keeping
    // the key's other values. False when nothing could be written; a failed
    // write leaves what was stored before intact.
    virtual bool WriteKey(std::string_view key, const TSettingsValues& values) = 0;
};

}  // namespace tessel
