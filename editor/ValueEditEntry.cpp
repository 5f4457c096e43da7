#include "editor/ValueEditEntry.h"

#include <algorithm>
#include <cmath>

namespace tessel {

namespace {

constexpr float kMinGainDb = -15.0f, kMaxGainDb = 15.0f;
constexpr float kMinFrequencyHz = 20.0f, kMaxFrequencyHz = 20000.0f;
constexpr float kMinOctaves = 0.1f, kMaxOctaves = 10.0f;
// Bandwidth parameter v means 2^(6.644·v − 3.322) octaves.
constexpr double kOctaveSpan = 6.644, kOctaveOffset = 3.322;

std::int32_t ParameterIndex(const TValueEditTarget& target) {
    return 4 * target.Band + static_cast<std::int32_t>(target.Field) + 1;  // after the band's kind
}

}  // namespace

std::optional<TValueEditTarget> ValueEditTargetFromTag(std::intptr_t tag) {
    if (tag < 10 || tag >= 40) return std::nullopt;
    const auto field = static_cast<TBandValue>(tag / 10 - 1);
    const int band = static_cast<int>(tag % 10);
    if (band >= kOrvaneBands) return std::nullopt;
    return TValueEditTarget{field, band};
}

TParameterWrite TypedValueToParameter(const TValueEditTarget& target, float typed) {
    const std::int32_t index = ParameterIndex(target);
    switch (target.Field) {
        case TBandValue::Gain:
            return {index, std::clamp(typed, kMinGainDb, kMaxGainDb)};
        case TBandValue::Frequency:
            return {index, std::clamp(typed, kMinFrequencyHz, kMaxFrequencyHz)};
        case TBandValue::Bandwidth: {
            const double octaves = std::clamp(typed, kMinOctaves, kMaxOctaves);
            return {index, static_cast<float>((std::log2(octaves) + kOctaveOffset) / kOctaveSpan)};
        }
    }
    return {index, typed};
}

TValueEditDecision EvaluateValueEdit(std::intptr_t tag, std::string_view text, const TNumberConventions& conventions) {
    TValueEditDecision decision;
    const auto target = ValueEditTargetFromTag(tag);
    if (!target) return decision;  // NoTarget
    decision.TrimmedText = TrimValueText(text);
    const TTypedValue typed = ReadTypedValue(decision.TrimmedText, conventions);
    switch (typed.Status) {
        case TTypedValueStatus::Empty:
            decision.Outcome = TValueEditOutcome::Empty;
            break;
        case TTypedValueStatus::Unreadable:
            decision.Outcome = TValueEditOutcome::Unreadable;
            break;
        case TTypedValueStatus::Number:
            decision.Outcome = TValueEditOutcome::Applied;
            decision.Write = TypedValueToParameter(*target, typed.Value);
            break;
    }
    return decision;
}

}  // namespace tessel
