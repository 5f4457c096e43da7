#include "host/tools/MagnitudeResponse.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

namespace tessel::host::tool {
namespace {

// The rotating phasor is recomputed exactly this often (samples) so that
// rounding in the recurrence cannot build up over long responses.
constexpr size_t kPhasorRefresh = 1024;
constexpr size_t kTailDivisor = 8;

}  // namespace

double MagnitudeDb(std::span<const double> impulse, double hz, double rateHz) {
    const double radiansPerSample = 2.0 * std::numbers::pi * hz / rateHz;
    const std::complex<double> step = std::polar(1.0, -radiansPerSample);
    std::complex<double> sum;
    std::complex<double> phasor;
    for (size_t n = 0; n < impulse.size(); ++n) {
        if (n % kPhasorRefresh == 0) phasor = std::polar(1.0, -radiansPerSample * static_cast<double>(n));
        sum += impulse[n] * phasor;
        phasor *= step;
    }
    const double magnitude = std::abs(sum);
    if (!std::isfinite(magnitude)) return std::numeric_limits<double>::quiet_NaN();
    if (magnitude == 0.0) return kMagnitudeFloorDb;
    return std::max(20.0 * std::log10(magnitude), kMagnitudeFloorDb);
}

std::vector<double> LogSpacedFrequencies(double lowHz, double highHz, size_t count) {
    std::vector<double> frequencies;
    frequencies.reserve(count);
    const double ratio = std::log(highHz / lowHz);
    for (size_t i = 0; i < count; ++i) {
        const double position = count > 1 ? static_cast<double>(i) / static_cast<double>(count - 1) : 0.0;
        frequencies.push_back(lowHz * std::exp(ratio * position));
    }
    if (count > 1) frequencies.back() = highHz;  // exactly, not exp's rounding of it
    return frequencies;
}

double TailEnergyShare(std::span<const double> impulse) {
    double total = 0.0;
    double tail = 0.0;
    const size_t tailStart = impulse.size() - impulse.size() / kTailDivisor;
    for (size_t n = 0; n < impulse.size(); ++n) {
        const double energy = impulse[n] * impulse[n];
        total += energy;
        if (n >= tailStart) tail += energy;
    }
    return total > 0.0 ? tail / total : 0.0;
}

}  // namespace tessel::host::tool
