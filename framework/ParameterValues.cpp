#include "framework/ParameterValues.h"

namespace tessel {

TParameterValues::TParameterValues(std::size_t count) { Resize(count); }

float TParameterValues::Get(std::int32_t index) const noexcept {
    if (index < 0 || static_cast<std::size_t>(index) >= FCount) return 0.0f;
    return FValues[static_cast<std::size_t>(index)].load(std::memory_order_relaxed);
}

bool TParameterValues::Set(std::int32_t index, float value) noexcept {
    if (index < 0 || static_cast<std::size_t>(index) >= FCount) return false;
    FValues[static_cast<std::size_t>(index)].store(value, std::memory_order_relaxed);
    return true;
}

void TParameterValues::Resize(std::size_t count) {
    if (count == FCount) return;
    auto values = std::make_unique<std::atomic<float>[]>(count);
    for (std::size_t i = 0; i < count; ++i)
        values[i].store(i < FCount ? FValues[i].load(std::memory_order_relaxed) : 0.0f, std::memory_order_relaxed);
    FValues = std::move(values);
    FCount = count;
}

void TParameterValues::EraseAt(std::size_t index) {
    if (index >= FCount) return;
    for (std::size_t i = index + 1; i < FCount; ++i)
        FValues[i - 1].store(FValues[i].load(std::memory_order_relaxed), std::memory_order_relaxed);
    Resize(FCount - 1);
}

void TParameterValues::Assign(const TParameterValues& source) {
    if (&source == this) return;
    auto values = std::make_unique<std::atomic<float>[]>(source.FCount);
    for (std::size_t i = 0; i < source.FCount; ++i)
        values[i].store(source.FValues[i].load(std::memory_order_relaxed), std::memory_order_relaxed);
    FValues = std::move(values);
    FCount = source.FCount;
}

}  // namespace tessel
