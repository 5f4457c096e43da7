#include "editor/FrequencySnap.h"

#include <cmath>

namespace tessel {

namespace {

constexpr long double kA4Hz = 440.0L;
constexpr long double kA4Note = 69.0L;  // MIDI note number of A4
constexpr long double kSemitonesPerOctave = 12.0L;

long double NoteFromFrequency(long double hz) { return kSemitonesPerOctave * std::log2(hz / kA4Hz) + kA4Note; }
long double FrequencyFromNote(long double note) { return kA4Hz * std::exp2((note - kA4Note) / kSemitonesPerOctave); }

// Round to nearest, ties to even (the default floating-point rounding mode).
long double RoundEven(long double x) { return std::nearbyint(x); }

// f on a grid of `stepsPerSemitone` points per semitone, kept inside the range.
long double SnapToNotes(long double f, long double stepsPerSemitone) {
    long double m = RoundEven(stepsPerSemitone * NoteFromFrequency(f));
    const auto at = [&](long double step) { return FrequencyFromNote(step / stepsPerSemitone); };
    if (at(m) < kMinFrequencyHz) m += 1.0L;
    if (at(m) > kMaxFrequencyHz) m -= 1.0L;
    return at(m);
}

}  // namespace

float SnapFrequency(double frequencyHz, TFrequencySnap snap, bool noteDisplay) {
    const long double f = frequencyHz;
    switch (snap) {
        case TFrequencySnap::None:
            return static_cast<float>(f);
        case TFrequencySnap::Fine:
            return static_cast<float>(noteDisplay ? SnapToNotes(f, 10.0L) : RoundEven(10.0L * f) * 0.1L);
        case TFrequencySnap::Coarse:
            return static_cast<float>(noteDisplay ? SnapToNotes(f, 1.0L) : RoundEven(f));
    }
    return static_cast<float>(f);
}

}  // namespace tessel
