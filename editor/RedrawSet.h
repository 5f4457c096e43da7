#pragma once
// What the editor must redraw at its next frame, as one 32-bit set, and the
// table of which drawings each event asks for ("what redraws what").

#include <cstdint>

#include "editor/OrvaneLayout.h"

namespace tessel {

class TRedrawSet {
public:
    constexpr TRedrawSet() = default;
    constexpr explicit TRedrawSet(std::uint32_t bits) : FBits(bits) {}

    static constexpr TRedrawSet FilterType(int band) { return Band(kTypeShift, band); }
    static constexpr TRedrawSet Gain(int band) { return Band(kGainShift, band); }
    static constexpr TRedrawSet Frequency(int band) { return Band(kFrequencyShift, band); }
    static constexpr TRedrawSet Bandwidth(int band) { return Band(kBandwidthShift, band); }
    static constexpr TRedrawSet SnapshotButtons() { return TRedrawSet(1u << kSnapshotBit); }
    static constexpr TRedrawSet Response() { return TRedrawSet(1u << kResponseBit); }
    // RenderBackground(255): the background, snapshot buttons and response.
    static constexpr TRedrawSet Background() { return TRedrawSet(1u << kBackgroundBit); }
    // RedrawAll: snapshot buttons and every band's four texts.
    static constexpr TRedrawSet All() { return TRedrawSet(kAllBandBits | (1u << kSnapshotBit)); }

    constexpr std::uint32_t Bits() const { return FBits; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr bool Has(TRedrawSet s) const { return s.FBits != 0 && (FBits & s.FBits) == s.FBits; }
    constexpr TRedrawSet operator|(TRedrawSet s) const { return TRedrawSet(FBits | s.FBits); }
    friend constexpr bool operator==(TRedrawSet, TRedrawSet) = default;

private:
    static constexpr int kTypeShift = 0;
    static constexpr int kGainShift = kOrvaneBands;
    static constexpr int kFrequencyShift = 2 * kOrvaneBands;
    static constexpr int kBandwidthShift = 3 * kOrvaneBands;
    static constexpr int kSnapshotBit = 4 * kOrvaneBands;
    static constexpr int kResponseBit = kSnapshotBit + 1;
    static constexpr int kBackgroundBit = kResponseBit + 1;
    static constexpr std::uint32_t kAllBandBits = (1u << kSnapshotBit) - 1;
    static_assert(kBackgroundBit < 32);

    // A band outside 0..6 marks nothing.
    static constexpr TRedrawSet Band(int shift, int band) {
        return band >= 0 && band < kOrvaneBands ? TRedrawSet(1u << (shift + band)) : TRedrawSet();
    }

    std::uint32_t FBits = 0;
};

// Events and the drawings they cause. Knob positions and enabling travel
// beside these marks (the form's knobs); snapshot selection additionally
// sets every parameter, whose own rows apply.
enum class TRedrawEvent {
    BandKind,  // a band filled in or its kind changed
    BandGain,  // a band's gain, frequency or bandwidth changed
    BandFrequency,
    BandBandwidth,
    SnapshotSelected,
    ColorOrStyle,         // colour scheme or GUI style chosen
    ShadowOrFontQuality,  // Shadow toggled, font quality chosen
    MagnitudeToggled,
    FrequencyNoteDisplay,  // frequency or note display chosen: every band's frequency
};

constexpr TRedrawSet RedrawFor(TRedrawEvent event, int band = 0) {
    switch (event) {
        case TRedrawEvent::BandKind:
            return TRedrawSet::FilterType(band) | TRedrawSet::Gain(band) | TRedrawSet::Frequency(band) |
                   TRedrawSet::Bandwidth(band) | TRedrawSet::Response();
        case TRedrawEvent::BandGain:
            return TRedrawSet::Gain(band) | TRedrawSet::Response();
        case TRedrawEvent::BandFrequency:
            return TRedrawSet::Frequency(band) | TRedrawSet::Response();
        case TRedrawEvent::BandBandwidth:
            return TRedrawSet::Bandwidth(band) | TRedrawSet::Response();
        case TRedrawEvent::SnapshotSelected:
            return TRedrawSet::SnapshotButtons();
        case TRedrawEvent::ColorOrStyle:
            return TRedrawSet::Background() | TRedrawSet::All();
        case TRedrawEvent::ShadowOrFontQuality:
            return TRedrawSet::All();
        case TRedrawEvent::MagnitudeToggled:
            return TRedrawSet::Response();
        case TRedrawEvent::FrequencyNoteDisplay: {
            TRedrawSet s = TRedrawSet::Response();
            for (int b = 0; b < kOrvaneBands; ++b) s = s | TRedrawSet::Frequency(b);
            return s;
        }
    }
    return {};
}

}  // namespace tessel
