// The can-do query texts a VST 2 host may ask a plug-in (effCanDo), in the
// order plug-in frameworks usually test them.
#pragma once

#include <array>

namespace tessel::host {

inline constexpr std::array<const char*, 27> kPluginCanDoTexts = {
    "receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo", "sendVstEvents",
    "sendVstMidiEvent", "sendVstTimeInfo",     "offline",            "plugAsChannelInsert",
    "plugAsSend",       "mixDryWet",           "noRealTime",         "multipass",
    "metapass",         "1in1out",             "1in2out",            "2in1out",
    "2in2out",          "2in4out",             "4in2out",            "4in4out",
    "4in8out",          "8in4out",             "8in8out",            "midiProgramNames",
    "conformsToWindowRules", "LiveWithoutToolbar", "bypass"};

}  // namespace tessel::host
