#pragma once
// The editor's in-place value box: which parameter a box edits, and what
// confirming its text does. The form opens the box with a Tag naming the
// value — 10 + band for a gain, 20 + band for a frequency, 30 + band for a
// bandwidth (bands 0..6) — and calls EvaluateValueEdit when Enter is
// pressed, the form is clicked or a knob turns.
//
// Typed values are natural units: dB for a gain, Hz for a frequency, octaves
// for a bandwidth (turned into the 0..1 parameter, which means
// 2^(6.644·v − 3.322) octaves). Values beyond a parameter's range are
// limited to it without a message.
//
// Threads: the editor thread.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "editor/OrvaneLayout.h"
#include "editor/OrvanePainter.h"
#include "editor/TypedValue.h"

namespace tessel {

struct TValueEditTarget {
    TBandValue Field = TBandValue::Gain;
    int Band = 0;  // 0..6
};

// The Tag a box is opened with for a band's value.
constexpr std::intptr_t ValueEditTag(TBandValue field, int band) { return 10 * (static_cast<int>(field) + 1) + band; }
// The value a Tag names; nothing for a Tag that names none.
std::optional<TValueEditTarget> ValueEditTargetFromTag(std::intptr_t tag);

// A natural value to store through AutomateParameter.
struct TParameterWrite {
    std::int32_t Index = 0;
    float Value = 0.0f;
    friend bool operator==(const TParameterWrite&, const TParameterWrite&) = default;
};

// A typed value (dB, Hz or octaves) limited to its parameter and mapped to it.
TParameterWrite TypedValueToParameter(const TValueEditTarget& target, float typed);

enum class TValueEditOutcome {
    Applied,     // Write holds the parameter change; hide the box
    NoTarget,    // the Tag names no value: hide the box, change nothing
    Empty,       // nothing typed: the box stays open, nothing changes
    Unreadable,  // not a number: the box stays open, shows the failure, nothing changes
};

struct TValueEditDecision {
    TValueEditOutcome Outcome = TValueEditOutcome::NoTarget;
    std::string TrimmedText;  // the box shows this from now on (unless NoTarget)
    std::optional<TParameterWrite> Write;
    bool HideBox() const { return Outcome == TValueEditOutcome::Applied || Outcome == TValueEditOutcome::NoTarget; }
};

TValueEditDecision EvaluateValueEdit(std::intptr_t tag, std::string_view text, const TNumberConventions& conventions);

// The character that confirms the box (carriage return).
inline constexpr char32_t kValueEditConfirmKey = 13;

}  // namespace tessel
