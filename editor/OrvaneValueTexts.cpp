#include "editor/OrvaneValueTexts.h"

#include <array>
#include <cmath>
#include <string_view>

#include "framework/NumberText.h"

namespace tessel {
namespace {

constexpr int kGainDigits = 4;  // significant digits
constexpr int kFrequencyDigits = 5;
constexpr int kBandwidthDigits = 4;
constexpr int kDecimals = 2;
constexpr double kKiloHertz = 1000.0;
constexpr double kHertzToKiloHertz = 0.001;

constexpr std::array<std::string_view, 12> kNoteNames = {"C",  "C#", "D",  "Eb", "E",  "F",
                                                         "F#", "G",  "G#", "A",  "Bb", "B"};
constexpr long double kConcertA = 440.0L;  // Hz, MIDI note 69
constexpr int kConcertANote = 69;
constexpr long double kHighestNote = 1e6L;  // beyond any audible note; keeps the note number an integer
constexpr std::size_t kNoteTextWidth = 7;   // label and cents, when they fit

std::string NoteText(double frequencyHz) {
    if (!(frequencyHz > 0.0) || !std::isfinite(frequencyHz)) return "-";
    const long double n = 12.0L * std::log2(static_cast<long double>(frequencyHz) / kConcertA) + kConcertANote;
    if (std::fabs(n) > kHighestNote) return "-";
    const long double k = std::nearbyint(n);  // ties to even
    const auto note = static_cast<long long>(k);
    // Floor division keeps names and octaves right below C0 (8.2 Hz) too.
    const long long octave = (note >= 0 ? note / 12 : (note - 11) / 12) - 1;
    const auto name = kNoteNames[static_cast<std::size_t>(((note % 12) + 12) % 12)];
    std::string label = std::string(name) + std::to_string(octave);
    const std::string cents = std::to_string(static_cast<long long>(std::nearbyint((k - n) * 100.0L)));
    if (label.size() + cents.size() < kNoteTextWidth) label.append(kNoteTextWidth - label.size() - cents.size(), ' ');
    return label + cents;
}

}  // namespace

std::string GainText(double gainDb) { return FormatFixed(gainDb, kGainDigits, kDecimals) + " dB"; }

std::string FrequencyToText(double frequencyHz, bool noteDisplay) {
    if (noteDisplay) return NoteText(frequencyHz);
    if (frequencyHz < kKiloHertz) return FormatFixed(frequencyHz, kFrequencyDigits, kDecimals) + " Hz";
    return FormatFixed(frequencyHz * kHertzToKiloHertz, kFrequencyDigits, kDecimals) + " kHz";
}

double OctavesFromBandwidth(double value) {
    return static_cast<double>(std::exp2(6.644L * static_cast<long double>(value) - 3.322L));
}

std::string BandwidthText(double value) {
    return FormatFixed(OctavesFromBandwidth(value), kBandwidthDigits, kDecimals) + " Oct";
}

}  // namespace tessel
