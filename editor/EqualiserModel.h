#pragma once
// TEqualiserModel: what the equaliser's editor reads from its module and asks
// of it. The module implements it; the editor knows nothing else of the
// module, so the editor depends on the module only through this header.
//
// Threads: [ui-thread] (the editor thread), every function; those that read
// or change the bands wait for the parameter store.

#include <array>
#include <cstdint>
#include <string>

#include "dsp/BiquadCoefficients.h"

namespace tessel {

class TAnalyserTap;
class TOrvaneEditor;

// The bands' coefficients as they were at one moment, to evaluate the
// response without holding the store: the editor draws a whole curve from
// one snapshot, taken in one short hold.
struct TEqualiserResponse {
    static constexpr int kBandCount = 7;
    struct TBand {
        TBiquadCoefficients coefficients;
        double sampleRateReciprocal = 0.0;  // s
        bool present = false;
    };
    std::array<TBand, kBandCount> bands;
    // Half the combined gain of the bands in dB at a frequency in Hz.
    double TotalResponseDb(double frequencyHz) const noexcept;
};

class TEqualiserModel {
public:
    static constexpr int kParametersPerBand = 4;  // Type, Gain, Frequency, Bandwidth

    virtual ~TEqualiserModel() = default;

    // Parameter values, as the host sees them (normalised 0..1), and the
    // edits the editor makes: each automated, inside begin and end gestures.
    virtual float ReadValue(std::int32_t index) = 0;
    virtual void AutomateValue(std::int32_t index, float value) = 0;
    virtual void BeginValueEdit(std::int32_t index) = 0;
    virtual void EndValueEdit(std::int32_t index) = 0;
    // The text the module displays for a parameter; empty for an unknown index.
    virtual std::string ValueText(std::int32_t index) = 0;

    virtual std::string ProgramName() = 0;
    virtual std::string PlugInName() = 0;
    // Whether hosts should forward keys to the editor.
    virtual void SetEditorWantsKeys(bool wanted) = 0;

    virtual TEqualiserResponse ResponseSnapshot() = 0;
    // Snapshot slots 0..5.
    virtual int CurrentSnapshot() const = 0;
    virtual void StoreSnapshot(int slot) = 0;
    virtual void SelectSnapshot(int slot) = 0;
    // Brings a band's frequency text and knob in the editor up to date.
    virtual void UpdateEditorFrequency(int band, TOrvaneEditor* editor) = 0;
    // The output the process calls copy for the spectrum analyser.
    virtual TAnalyserTap& AnalyserTap() = 0;

    // The host's content scale in percent; 0 while the host has sent none.
    virtual int HostContentScale() const { return 0; }
    // The editor's window has taken another size (screen pixels): the host
    // is asked to fit its window to it. On the editor thread this queues
    // the request for the host's UI thread.
    virtual void RequestEditorSize(int width, int height) {
        static_cast<void>(width);
        static_cast<void>(height);
    }
};

}  // namespace tessel
