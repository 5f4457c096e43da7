#pragma once
// A set of natural parameter values, one 32-bit float per parameter.
//
// The host reads values (getParameter) from any thread while the store writes
// them from another; each value is a relaxed atomic so a read never tears and
// never races. Resizing happens only when parameter descriptions are added or
// removed (loading and teardown), never while the host is using the values.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tessel {

class TParameterValues {
public:
    TParameterValues() = default;
    explicit TParameterValues(std::size_t count);  // [ui-thread]

    std::size_t Count() const noexcept { return FCount; }  // [any-thread, lock-free]
    // 0.0 for an index outside the set. [any-thread, lock-free]
    float Get(std::int32_t index) const noexcept;
    // Ignored (false) for an index outside the set. [any-thread, lock-free]
    bool Set(std::int32_t index, float value) noexcept;

    // Keeps the existing values; new entries are 0.0. [ui-thread]
    void Resize(std::size_t count);
    // Drops one entry, later ones move down. [ui-thread]
    void EraseAt(std::size_t index);
    // Takes the source's length and values. [ui-thread]
    void Assign(const TParameterValues& source);

private:
    std::unique_ptr<std::atomic<float>[]> FValues;
    std::size_t FCount = 0;
};

}  // namespace tessel
