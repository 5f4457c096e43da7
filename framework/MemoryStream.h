#pragma once
// A growable block of bytes with a read/write position: a program's chunk data.
//
// Writing at the position overwrites and extends; reading stops at the end.
// Nothing ever reads or writes outside the bytes held.
//
// Threads: [ui-thread], every function (chunks come and go with dispatcher requests).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessel {

class TMemoryStream {
public:
    std::size_t Size() const noexcept { return FBytes.size(); }
    std::size_t Position() const noexcept { return FPosition; }
    // A position past the end is allowed; the next write fills the gap with zeros.
    void SetPosition(std::size_t position) noexcept { FPosition = position; }

    // Empties the stream and rewinds it.
    void Clear() noexcept;
    // Writes count bytes at the position and advances past them.
    void Write(const void* data, std::size_t count);
    // Reads up to count bytes from the position; returns how many were read.
    std::size_t Read(void* data, std::size_t count) noexcept;

    // The bytes held; valid until the next write or Clear.
    const std::uint8_t* Data() const noexcept { return FBytes.data(); }
    std::uint8_t* Data() noexcept { return FBytes.data(); }

private:
    std::vector<std::uint8_t> FBytes;
    std::size_t FPosition = 0;
};

}  // namespace tessel
