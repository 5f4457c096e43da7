// Printable names of the VST 2 opcodes, for dumps and error messages.
#pragma once

#include <cstdint>
#include <string>

namespace tessel::host {

// "effOpen" ... "effGetNumMidiOutputChannels"; null for a number outside 0..79.
const char* DispatcherOpcodeName(int32_t opcode) noexcept;

// "audioMasterAutomate" ... ; null for numbers no host request uses (5, 36, 46..48, >= 50).
const char* HostOpcodeName(int32_t opcode) noexcept;

// The name when known, otherwise "opcode N" so that every value prints.
std::string DescribeDispatcherOpcode(int32_t opcode);
std::string DescribeHostOpcode(int32_t opcode);

}  // namespace tessel::host
