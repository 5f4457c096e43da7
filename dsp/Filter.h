#pragma once

#include <cstdint>
#include <span>

namespace tessel {

// A sample that a chain of filters passes along in the processor's widest
// float format (x87 extended precision on x86-64).
using TWideSample = long double;

// What every filter has: a gain in dB, a frequency in Hz, a sample rate in Hz
// and the angular frequency W0 (radians per sample) derived from them.
//
// The virtual operations are declared in one fixed order, numbered below;
// subclasses give them bodies but never reorder them. Setters recompute what
// depends on the value at once, so callers never recompute anything
// themselves. Setters, processing and the response functions allocate nothing
// and may run on the audio thread; the owner serialises calls (a filter is
// used by one thread at a time).
class TFilter {
public:
    TFilter(const TFilter&) = delete;
    TFilter& operator=(const TFilter&) = delete;

protected:
    TFilter() = default;

    // 1. W0 := 2 pi f / fs and SinW0 := sin(W0); then W0 is limited to
    //    kMaxW0 while SinW0 keeps the sine of the unlimited angle.
    virtual void ComputeW0() noexcept;

public:
    // 2. Gain in dB; derives GainFactor = 10^(dB/40), rounded through 32 bits.
    virtual void SetGain(double gainDb) noexcept;
    // 3. Frequency in Hz; values <= 0 (and NaN) become 1 Hz.
    virtual void SetFrequency(double frequencyHz) noexcept;
    // 4. Sample rate in Hz; a rate that is not a positive normal number is
    //    ignored. Recomputes nothing at this level.
    virtual void SetSampleRate(double sampleRateHz) noexcept;
    // 5.
    [[nodiscard]] virtual int Order() const noexcept = 0;

protected:
    // 6. Derives the filter's coefficients from the current fields.
    virtual void ComputeCoefficients() noexcept = 0;

public:
    // 7. (Construction sits at this place in the list.)
    virtual ~TFilter() = default;

    // 8. [audio thread]
    virtual double ProcessSample(double x) noexcept = 0;
    // 9. The same recursion on integers, every product rounded to nearest even.
    virtual std::int64_t ProcessSampleInt(std::int64_t x) noexcept = 0;
    // 10. [audio thread] For a caller that keeps the sample in the wide format
    //     between chained filters.
    virtual TWideSample ProcessSample(TWideSample x) noexcept = 0;

    // 11-17. Response at a frequency in Hz; nothing is cached or changed.
    [[nodiscard]] virtual double Magnitude(double frequencyHz) const noexcept = 0;
    [[nodiscard]] virtual double MagnitudeDb(double frequencyHz) const noexcept = 0;
    // -arg H, radians.
    [[nodiscard]] virtual double Phase(double frequencyHz) const noexcept = 0;
    [[nodiscard]] virtual double RealPart(double frequencyHz) const noexcept = 0;
    // -Im H: with RealPart it gives the complex conjugate of H.
    [[nodiscard]] virtual double ImaginaryPart(double frequencyHz) const noexcept = 0;
    virtual void ComplexResponse(double frequencyHz, double& re, double& im) const noexcept = 0;
    virtual void ComplexResponse(double frequencyHz, float& re, float& im) const noexcept = 0;

    // 18-20.
    virtual void ResetStates() noexcept = 0;
    virtual void ResetStatesInt() noexcept = 0;
    virtual void Reset() noexcept = 0;

    // 21-22. Fills the buffer with the response to a unit impulse, starting from
    //        the current states, and leaves the states as they were.
    //        Allocates (saved-state stack): not for the audio thread.
    virtual void ImpulseResponse(std::span<float> buffer) = 0;
    virtual void ImpulseResponse(std::span<double> buffer) = 0;

    // 23-24. A stack of saved states; restoring from an empty stack does nothing.
    //        SaveStates allocates: not for the audio thread.
    virtual void SaveStates() = 0;
    virtual void RestoreStates() noexcept = 0;

    [[nodiscard]] double Gain() const noexcept { return FGain; }              // dB
    [[nodiscard]] double GainFactor() const noexcept { return FGainFactor; }  // linear, 10^(dB/40)
    [[nodiscard]] double Frequency() const noexcept { return FFrequency; }    // Hz
    [[nodiscard]] double SinW0() const noexcept { return FSinW0; }
    [[nodiscard]] double W0() const noexcept { return FW0; }                                      // radians per sample
    [[nodiscard]] double SampleRate() const noexcept { return FSampleRate; }                      // Hz
    [[nodiscard]] double SampleRateReciprocal() const noexcept { return FSampleRateReciprocal; }  // s

    // W0 never exceeds this (radians per sample, just below pi); at 44100 Hz
    // the limit starts at about 21758 Hz.
    static constexpr double kMaxW0 = 3.1;

private:
    double FGain = 0.0;
    double FGainFactor = 1.0;
    double FFrequency = 1000.0;
    double FSinW0 = 0.0;
    double FW0 = 0.0;
    double FSampleRate = 44100.0;
    double FSampleRateReciprocal = 1.0 / 44100.0;
};

}  // namespace tessel
