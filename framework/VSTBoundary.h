#pragma once
// The C boundary between a VST 2 host and our modules.
//
// This is the only place that turns the host's raw pointers into C++ objects:
// the record's routine trampolines, the entry-point routine and the typed
// views of the dispatcher's untyped pointer argument. No C++ exception ever
// leaves these functions towards the host.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "framework/VSTAbi.h"

namespace tessel {

class TBasicVSTModule;

// Puts the six routines and the object field into a module's record. [ui-thread]
void AttachRecord(AEffect& effect, TBasicVSTModule& module);

// Builds a ready module (constructed and initialised), or throws.
using TModuleFactory = TBasicVSTModule* (*)();

// The entry point's algorithm: create, record the user field, connect the
// host, hand out the record. Null for a null callback and on any failure. [ui-thread]
AEffect* CreateEffect(audioMasterCallback hostCallback, TModuleFactory factory) noexcept;

// ---- Typed views of the dispatcher's pointer argument [any-thread, lock-free] ----

// Copies text into a host buffer of capacity bytes, cutting it so that the
// terminating zero always fits, between UTF-8 characters, never inside one.
// False (nothing written) for a null buffer.
bool CopyTextToHost(void* buffer, std::string_view text, std::size_t capacity) noexcept;
// Reads a zero-terminated text the host passed; empty view for null.
std::string_view TextFromHost(const void* text) noexcept;
// The host's record behind ptr, or null.
VstPinProperties* HostPinProperties(void* ptr) noexcept;
VstParameterProperties* HostParameterProperties(void* ptr) noexcept;
VstEvents* HostEvents(void* ptr) noexcept;
// Event address number index of a host events block. The block is
// variable-length and carries no size of its own: the caller bounds index by
// the block's count, which is all a host promises.
VstEvent* HostEventAt(const VstEvents* block, std::int32_t index) noexcept;
// The event as a MIDI event record when its type says it is one, else null.
const VstMidiEvent* HostMidiEvent(const VstEvent* event) noexcept;
VstPatchChunkInfo* HostPatchChunkInfo(void* ptr) noexcept;
// Where the host wants an address stored (effEditGetRect, effGetChunk).
void** HostAddressSlot(void* ptr) noexcept;

}  // namespace tessel
