#include "editor/DialActions.h"

#include <algorithm>
#include <array>

#include "editor/FrequencyPosition.h"

namespace tessel {

namespace {

constexpr double kGainRangeDb = 15.0;
constexpr float kCentrePosition = 0.5f;  // 0 dB and one octave
constexpr std::array<double, 7> kDefaultFrequenciesHz = {40.0, 100.0, 500.0, 1500.0, 4000.0, 8000.0, 16000.0};

}  // namespace

std::int32_t DialParameterIndex(TBandValue kind, int band) {
    switch (kind) {
        case TBandValue::Gain:
            return 4 * band + 1;
        case TBandValue::Frequency:
            return 4 * band + 2;
        case TBandValue::Bandwidth:
            return 4 * band + 3;
    }
    return 4 * band + 1;
}

float DialValueFromPosition(TBandValue kind, float position, TFrequencySnap snap, bool noteDisplay) {
    switch (kind) {
        case TBandValue::Gain:
            return static_cast<float>((2.0 * static_cast<double>(position) - 1.0) * kGainRangeDb);
        case TBandValue::Frequency:
            return SnapFrequency(FrequencyFromPosition(position), snap, noteDisplay);
        case TBandValue::Bandwidth:
            return position;
    }
    return position;
}

float DialDefaultPosition(TBandValue kind, int band) {
    if (kind != TBandValue::Frequency) return kCentrePosition;
    const auto b = static_cast<std::size_t>(std::clamp(band, 0, static_cast<int>(kDefaultFrequenciesHz.size()) - 1));
    return static_cast<float>(PositionFromFrequency(kDefaultFrequenciesHz[b]));
}

}  // namespace tessel
