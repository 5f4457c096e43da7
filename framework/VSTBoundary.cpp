#include "framework/VSTBoundary.h"

#include <cstring>
#include <exception>

#include "framework/BasicVSTModule.h"
#include "framework/ModuleOwner.h"

namespace tessel {

namespace {

TBasicVSTModule* ModuleOf(AEffect* effect) noexcept {
    return effect ? static_cast<TBasicVSTModule*>(effect->object) : nullptr;
}

// The dispatcher: observe, route, and on effClose end the instance.
// A failure anywhere answers 0; nothing is thrown into the host.
intptr_t Dispatcher(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    auto* module = ModuleOf(effect);
    if (!module) return 0;
    try {
        module->BeforeDispatch(opcode, index, value, ptr, opt);
        if (opcode != effClose) return module->RouteOpcode(opcode, index, value, ptr, opt);
        module->HandleClose(index, value, ptr, opt);
        TModuleOwner::Instance().Destroy(module);  // the record goes with it
        return 1;
    } catch (...) {
        return 0;
    }
}

// Runs one module call; a failure stops at this boundary.
template <class TCall>
void Guarded(AEffect* effect, TCall&& call) noexcept {
    auto* module = ModuleOf(effect);
    if (!module) return;
    try {
        call(*module);
    } catch (...) {
    }
}

// [audio-thread] The direct routines only fetch the module and make one call.
void ProcessAccumulating(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames) {
    Guarded(effect, [&](TBasicVSTModule& m) { m.Process(inputs, outputs, sampleFrames); });
}

void ProcessReplacing(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames) {
    Guarded(effect, [&](TBasicVSTModule& m) { m.ProcessReplacing(inputs, outputs, sampleFrames); });
}

void ProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs, int32_t sampleFrames) {
    Guarded(effect, [&](TBasicVSTModule& m) { m.ProcessDoubleReplacing(inputs, outputs, sampleFrames); });
}

void SetParameter(AEffect* effect, int32_t index, float value) {
    Guarded(effect, [&](TBasicVSTModule& m) { m.SetParameter(index, value); });
}

float GetParameter(AEffect* effect, int32_t index) {
    float value = 0.0f;
    Guarded(effect, [&](TBasicVSTModule& m) { value = m.GetParameter(index); });
    return value;
}

}  // namespace

void AttachRecord(AEffect& effect, TBasicVSTModule& module) {
    effect.dispatcher = &Dispatcher;
    effect.process = &ProcessAccumulating;
    effect.setParameter = &SetParameter;
    effect.getParameter = &GetParameter;
    effect.processReplacing = &ProcessReplacing;
    effect.processDoubleReplacing = &ProcessDoubleReplacing;
    effect.object = &module;
}

AEffect* CreateEffect(audioMasterCallback hostCallback, TModuleFactory factory) noexcept {
    if (!hostCallback || !factory) return nullptr;
    TBasicVSTModule* module = nullptr;
    try {
        module = factory();
        TModuleOwner::Instance().Adopt(module);
        module->GetEffectRecord()->user = module;
        module->ConnectHost(hostCallback);
        return module->GetEffectRecord();
    } catch (...) {
        // The host never saw this instance: release it now rather than at unload.
        try {
            TModuleOwner::Instance().Destroy(module);
        } catch (...) {
        }
        return nullptr;
    }
}

bool CopyTextToHost(void* buffer, std::string_view text, std::size_t capacity) noexcept {
    if (!buffer || capacity == 0) return false;
    auto length = text.size() < capacity ? text.size() : capacity - 1;
    // Texts are UTF-8: a cut backs off to the start of the character that does not fit whole.
    if (length < text.size())
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0u) == 0x80u) --length;
    auto* out = static_cast<char*>(buffer);
    if (length > 0) std::memcpy(out, text.data(), length);  // an empty view may have no data at all
    out[length] = '\0';
    return true;
}

std::string_view TextFromHost(const void* text) noexcept {
    return text ? std::string_view(static_cast<const char*>(text)) : std::string_view();
}

VstPinProperties* HostPinProperties(void* ptr) noexcept { return static_cast<VstPinProperties*>(ptr); }
VstParameterProperties* HostParameterProperties(void* ptr) noexcept {
    return static_cast<VstParameterProperties*>(ptr);
}
VstEvents* HostEvents(void* ptr) noexcept { return static_cast<VstEvents*>(ptr); }
VstEvent* HostEventAt(const VstEvents* block, std::int32_t index) noexcept {
    if (!block || index < 0) return nullptr;
    // The addresses run past the two the declaration names, so they are reached
    // from the start of the array rather than through its declared bound.
    const auto* slots =
        reinterpret_cast<VstEvent* const*>(reinterpret_cast<const char*>(block) + offsetof(VstEvents, events));
    return slots[index];
}
const VstMidiEvent* HostMidiEvent(const VstEvent* event) noexcept {
    return event && event->type == kVstMidiType ? reinterpret_cast<const VstMidiEvent*>(event) : nullptr;
}
VstPatchChunkInfo* HostPatchChunkInfo(void* ptr) noexcept { return static_cast<VstPatchChunkInfo*>(ptr); }
void** HostAddressSlot(void* ptr) noexcept { return static_cast<void**>(ptr); }

}  // namespace tessel
