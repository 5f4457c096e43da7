// A minimal VST 2 plug-in for testing the host. Variants (compile definitions):
//   FAKE_RETURNS_NULL   the entry point answers null after the version check
//   FAKE_BAD_MAGIC      the entry point returns a record without 'VstP'
//   FAKE_MAIN_ONLY      the entry point is exported as "main" only
// While connecting it asks the host what a plug-in framework typically asks:
// version (null effect), product string, can-do "shellCategory", current ID.
#include <cstring>

#include "tests/host/FakePluginProtocol.h"

namespace {

using namespace tessel::host::test;

struct TFake {
    AEffect record{};
    audioMasterCallback host = nullptr;
    float parameters[kFakeParameterCount] = {0.5f, 0.25f};
    float gain = 1.0f;
};

TFake* FakeOf(AEffect* effect) { return static_cast<TFake*>(effect->object); }

void CopyText(void* ptr, const char* text) { std::strcpy(static_cast<char*>(ptr), text); }

intptr_t Dispatch(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float) {
    TFake* fake = FakeOf(effect);
    switch (opcode) {
        case effOpen:
            fake->host(effect, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f);
            return 0;
        case effClose:
            delete fake;
            return 1;
        case effGetParamName:
            CopyText(ptr, index == 0 ? "Gain" : "Pan");
            return 0;
        case effGetEffectName:
            CopyText(ptr, "Fake");
            return 1;
        case effCanDo:
            return std::strcmp(static_cast<char*>(ptr), "plugAsSend") == 0 ? 1 : -1;
        case effGetChunk:
            *static_cast<const void**>(ptr) = kFakeChunk;
            return sizeof kFakeChunk;
        case effSetChunk:  // the chunk's first byte sets the gain in tenths
            return (value > 0 && ptr) ? (fake->gain = static_cast<unsigned char*>(ptr)[0] / 10.0f, value) : 0;
        case effGetInputProperties:
            if (index != 0) return 0;
            CopyText(ptr, "Fake In");
            static_cast<VstPinProperties*>(ptr)->flags = kVstPinIsActive;
            return 1;
        case effProcessEvents:
            return static_cast<VstEvents*>(ptr)->numEvents;
        case effVendorSpecific: {
            if (index != kForwardToHost) return 0;
            const auto* request = static_cast<TForwardedRequest*>(ptr);
            return fake->host(effect, request->opcode, request->index, request->value, request->ptr, request->opt);
        }
        default:
            return 0;
    }
}

void SetParameter(AEffect* effect, int32_t index, float value) {
    if (index < 0 || index >= kFakeParameterCount) return;
    FakeOf(effect)->parameters[index] = value;
    FakeOf(effect)->host(effect, audioMasterAutomate, index, 0, nullptr, value);
}

float GetParameter(AEffect* effect, int32_t index) {
    return (index >= 0 && index < kFakeParameterCount) ? FakeOf(effect)->parameters[index] : 0.0f;
}

void ProcessReplacing(AEffect* effect, float** inputs, float** outputs, int32_t frames) {
    for (int32_t channel = 0; channel < effect->numOutputs; ++channel)
        for (int32_t i = 0; i < frames; ++i) outputs[channel][i] = inputs[channel][i] * FakeOf(effect)->gain;
}

#ifdef FAKE_RETURNS_NULL
constexpr bool kReturnsNull = true;
#else
constexpr bool kReturnsNull = false;
#endif
#ifdef FAKE_BAD_MAGIC
constexpr bool kBadMagic = true;
#else
constexpr bool kBadMagic = false;
#endif

AEffect* BadRecord() {
    static AEffect bad{};
    bad.magic = TESSEL_FOURCC('B', 'a', 'd', '!');
    return &bad;
}

AEffect* MakeRecord(audioMasterCallback host) {
    auto* fake = new TFake;
    AEffect& record = fake->record;
    record.magic = kEffectMagic;
    record.dispatcher = Dispatch;
    record.setParameter = SetParameter;
    record.getParameter = GetParameter;
    record.processReplacing = ProcessReplacing;
    record.numParams = kFakeParameterCount;
    record.numInputs = 2;
    record.numOutputs = 2;
    record.flags = effFlagsCanReplacing;
    record.uniqueID = kFakeUniqueId;
    record.ioRatio = 1.0f;
    record.object = fake;
    fake->host = host;
    char product[kVstMaxProductStrLen] = {};
    host(&record, audioMasterGetProductString, 0, 0, product, 0.0f);
    host(&record, audioMasterCanDo, 0, 0, const_cast<char*>("shellCategory"), 0.0f);
    host(&record, audioMasterCurrentId, 0, 0, nullptr, 0.0f);
    return &record;
}

AEffect* MakeInstance(audioMasterCallback host) {
    if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    if constexpr (kReturnsNull) return nullptr;
    if constexpr (kBadMagic) return BadRecord();
    return MakeRecord(host);
}

}  // namespace

#ifdef FAKE_MAIN_ONLY
// "main" cannot be declared with this signature in C++; name the symbol directly.
extern "C" __attribute__((visibility("default"))) AEffect* FakeMain(audioMasterCallback host) __asm__("main");
extern "C" AEffect* FakeMain(audioMasterCallback host) { return MakeInstance(host); }
#else
extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
    return MakeInstance(host);
}
#endif
