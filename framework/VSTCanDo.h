#pragma once
// The can-do query texts of the VST 2 interface (effCanDo), each with the
// member of a module's can-do set that answers it. One list for both sides:
// the framework answers these texts, our host asks them.

#include <array>
#include <string_view>

namespace tessel {

// Member number = bit number in the can-do set.
enum class TVstCanDo {
    vcdSendVstEvents,
    vcdSendVstMidiEvent,
    vcdSendVstTimeInfo,
    vcdReceiveVstEvents,
    vcdReceiveVstMidiEvent,
    vcdReceiveVstTimeInfo,
    vcdOffline,
    vcdPlugAsChannelInsert,
    vcdPlugAsSend,
    vcdMixDryWet,
    vcdNoRealTime,
    vcdMultipass,
    vcdMetapass,
    vcd1in1out,
    vcd1in2out,
    vcd2in1out,
    vcd2in2out,
    vcd2in4out,
    vcd4in2out,
    vcd4in4out,
    vcd4in8out,
    vcd8in4out,
    vcd8in8out,
    vcdMidiProgramNames,
    vcdLiveWithoutToolbar,
    vcdConformsToWindowRules,
    vcdBypass
};

struct TVstCanDoText {
    std::string_view text;  // compared exactly, case-sensitive
    TVstCanDo member;
};

// In the order plug-ins compare them and hosts usually ask them.
inline constexpr std::array<TVstCanDoText, 27> kVstCanDoTexts = {{
    {"receiveVstEvents", TVstCanDo::vcdReceiveVstEvents},
    {"receiveVstMidiEvent", TVstCanDo::vcdReceiveVstMidiEvent},
    {"receiveVstTimeInfo", TVstCanDo::vcdReceiveVstTimeInfo},
    {"sendVstEvents", TVstCanDo::vcdSendVstEvents},
    {"sendVstMidiEvent", TVstCanDo::vcdSendVstMidiEvent},
    {"sendVstTimeInfo", TVstCanDo::vcdSendVstTimeInfo},
    {"offline", TVstCanDo::vcdOffline},
    {"plugAsChannelInsert", TVstCanDo::vcdPlugAsChannelInsert},
    {"plugAsSend", TVstCanDo::vcdPlugAsSend},
    {"mixDryWet", TVstCanDo::vcdMixDryWet},
    {"noRealTime", TVstCanDo::vcdNoRealTime},
    {"multipass", TVstCanDo::vcdMultipass},
    {"metapass", TVstCanDo::vcdMetapass},
    {"1in1out", TVstCanDo::vcd1in1out},
    {"1in2out", TVstCanDo::vcd1in2out},
    {"2in1out", TVstCanDo::vcd2in1out},
    {"2in2out", TVstCanDo::vcd2in2out},
    {"2in4out", TVstCanDo::vcd2in4out},
    {"4in2out", TVstCanDo::vcd4in2out},
    {"4in4out", TVstCanDo::vcd4in4out},
    {"4in8out", TVstCanDo::vcd4in8out},
    {"8in4out", TVstCanDo::vcd8in4out},
    {"8in8out", TVstCanDo::vcd8in8out},
    {"midiProgramNames", TVstCanDo::vcdMidiProgramNames},
    {"conformsToWindowRules", TVstCanDo::vcdConformsToWindowRules},
    {"LiveWithoutToolbar", TVstCanDo::vcdLiveWithoutToolbar},
    {"bypass", TVstCanDo::vcdBypass},
}};

}  // namespace tessel
