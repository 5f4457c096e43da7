#include "framework/MemoryStream.h"

#include <cstring>

namespace tessel {

void TMemoryStream::Clear() noexcept {
    FBytes.clear();
    FPosition = 0;
}

void TMemoryStream::Write(const void* data, std::size_t count) {
    if (count == 0 || !data) return;
    if (FPosition + count > FBytes.size()) FBytes.resize(FPosition + count);
    std::memcpy(FBytes.data() + FPosition, data, count);
    FPosition += count;
}

std::size_t TMemoryStream::Read(void* data, std::size_t count) noexcept {
    if (!data || FPosition >= FBytes.size()) return 0;
    const std::size_t available = FBytes.size() - FPosition;
    const std::size_t n = count < available ? count : available;
    std::memcpy(data, FBytes.data() + FPosition, n);
    FPosition += n;
    return n;
}

}  // namespace tessel
