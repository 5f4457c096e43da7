#include "host/OpcodeNames.h"

#include <array>

#include "framework/VSTAbi.h"

namespace tessel::host {
namespace {

constexpr int kHostOpcodeSlots = kHostOpcodeLimit;

// Both tables come from the opcode lists in the ABI header, so a name can
// never drift from its number.
constexpr std::array<const char*, kDispatcherOpcodeCount> MakeDispatcherNames() {
    std::array<const char*, kDispatcherOpcodeCount> names{};
#define TESSEL_NAME_ITEM(number, name) names[number] = "eff" #name;
    TESSEL_DISPATCHER_OPCODES(TESSEL_NAME_ITEM)
#undef TESSEL_NAME_ITEM
    return names;
}

constexpr std::array<const char*, kHostOpcodeSlots> MakeHostNames() {
    std::array<const char*, kHostOpcodeSlots> names{};
#define TESSEL_NAME_ITEM(number, name) names[number] = "audioMaster" #name;
    TESSEL_HOST_OPCODES(TESSEL_NAME_ITEM)
#undef TESSEL_NAME_ITEM
    return names;
}

constexpr auto kDispatcherNames = MakeDispatcherNames();
constexpr auto kHostNames = MakeHostNames();

static_assert(kDispatcherNames[0] != nullptr && kDispatcherNames[kDispatcherOpcodeCount - 1] != nullptr,
              "every dispatcher opcode has a name");

}  // namespace

const char* DispatcherOpcodeName(int32_t opcode) noexcept {
    if (opcode < 0 || opcode >= kDispatcherOpcodeCount) return nullptr;
    return kDispatcherNames[static_cast<size_t>(opcode)];
}

const char* HostOpcodeName(int32_t opcode) noexcept {
    if (opcode < 0 || opcode >= kHostOpcodeSlots) return nullptr;
    return kHostNames[static_cast<size_t>(opcode)];
}

std::string DescribeDispatcherOpcode(int32_t opcode) {
    const char* name = DispatcherOpcodeName(opcode);
    return name ? std::string(name) : "opcode " + std::to_string(opcode);
}

std::string DescribeHostOpcode(int32_t opcode) {
    const char* name = HostOpcodeName(opcode);
    return name ? std::string(name) : "host opcode " + std::to_string(opcode);
}

}  // namespace tessel::host
