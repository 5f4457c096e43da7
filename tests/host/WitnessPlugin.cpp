// A plug-in that tells how a host drove it, for testing tessel-host's
// playing subcommands. Four inputs and four outputs; the first two outputs
// carry the first two inputs times "Level" (natural 0..2, takes text through
// effString2Parameter), the others a constant the host must ignore.
//
// On effClose it prints to stderr one line,
//   witness: open rate=48000 block=64 mains=1 start process*N stop mains=0 close dirty=0
// naming the host's calls in order (text queries left out, runs of process
// calls counted) and how many blocks arrived with a non-silent extra input.
// It scribbles on its extra inputs after every block, so the host has to
// silence them again.
//
// Variants: WITNESS_ACCUMULATING leaves processReplacing out, so hosts must
// use the accumulating process routine.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/VSTAbi.h"

namespace {

constexpr int32_t kChannels = 4;
constexpr int32_t kPassedChannels = 2;
constexpr float kIgnoredOutput = 0.7f;
constexpr float kScribble = 0.3f;
constexpr float kMaxLevel = 2.0f;
constexpr size_t kTextBytes = 8;  // the historic parameter text limit, terminator included
#ifdef WITNESS_ACCUMULATING
constexpr bool kAccumulatingOnly = true;
#else
constexpr bool kAccumulatingOnly = false;
#endif

struct TWitness {
    AEffect record{};
    float level = 0.5f;  // normalised; natural = 2 x normalised
    std::string calls;
    std::string lastToken;
    int repeats = 0;
    int dirtyBlocks = 0;
};

TWitness* WitnessOf(AEffect* effect) { return static_cast<TWitness*>(effect->object); }

void Note(TWitness& witness, const std::string& token) {
    if (token == witness.lastToken) {
        ++witness.repeats;
        return;
    }
    if (witness.repeats > 1) witness.calls += "*" + std::to_string(witness.repeats);
    witness.calls += (witness.calls.empty() ? "" : " ") + token;
    witness.lastToken = token;
    witness.repeats = 1;
}

void CopyText(void* ptr, const char* text) { std::strcpy(static_cast<char*>(ptr), text); }

intptr_t Dispatch(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    TWitness& witness = *WitnessOf(effect);
    switch (opcode) {
        case effOpen:
            Note(witness, "open");
            return 0;
        case effClose:
            Note(witness, "close");
            std::fprintf(stderr, "witness: %s dirty=%d\n", witness.calls.c_str(), witness.dirtyBlocks);
            delete &witness;
            return 1;
        case effSetProgram:
            Note(witness, "program=" + std::to_string(value));
            return 0;
        case effSetSampleRate:
            Note(witness, "rate=" + std::to_string(static_cast<int>(opt)));
            return 0;
        case effSetBlockSize:
            Note(witness, "block=" + std::to_string(value));
            return 0;
        case effMainsChanged:
            Note(witness, "mains=" + std::to_string(value));
            return 0;
        case effStartProcess:
            Note(witness, "start");
            return 0;
        case effStopProcess:
            Note(witness, "stop");
            return 0;
        case effSetProcessPrecision:
            Note(witness, "precision=" + std::to_string(value));
            return 1;
        case effGetParamName:
            CopyText(ptr, "Level");
            return 0;
        case effGetParamDisplay:
            std::snprintf(static_cast<char*>(ptr), kTextBytes, "%.2f", static_cast<double>(witness.level * kMaxLevel));
            return 0;
        case effGetEffectName:
            CopyText(ptr, "Witness");
            return 1;
        case effString2Parameter: {
            if (ptr == nullptr || index != 0) return 0;
            char* end = nullptr;
            const float natural = std::strtof(static_cast<const char*>(ptr), &end);
            if (end == ptr || natural < 0.0f || natural > kMaxLevel) return 0;
            Note(witness, "text");
            witness.level = natural / kMaxLevel;
            return 1;
        }
        default:
            return 0;
    }
}

void SetParameter(AEffect* effect, int32_t index, float value) {
    if (index == 0) WitnessOf(effect)->level = value;
}

float GetParameter(AEffect* effect, int32_t index) { return index == 0 ? WitnessOf(effect)->level : 0.0f; }

template <typename TSample>
void Play(AEffect* effect, TSample** inputs, TSample** outputs, int32_t frames, bool accumulate) {
    TWitness& witness = *WitnessOf(effect);
    bool dirty = false;
    for (int32_t channel = kPassedChannels; channel < kChannels; ++channel)
        for (int32_t i = 0; i < frames; ++i) {
            dirty = dirty || inputs[channel][i] != TSample(0);
            inputs[channel][i] = TSample(kScribble);
            outputs[channel][i] = TSample(kIgnoredOutput);
        }
    witness.dirtyBlocks += dirty ? 1 : 0;
    const auto gain = static_cast<TSample>(witness.level * kMaxLevel);
    for (int32_t channel = 0; channel < kPassedChannels; ++channel)
        for (int32_t i = 0; i < frames; ++i)
            outputs[channel][i] = (accumulate ? outputs[channel][i] : TSample(0)) + inputs[channel][i] * gain;
}

void ProcessAccumulating(AEffect* effect, float** inputs, float** outputs, int32_t frames) {
    Note(*WitnessOf(effect), "process");
    Play(effect, inputs, outputs, frames, true);
}

void ProcessReplacing(AEffect* effect, float** inputs, float** outputs, int32_t frames) {
    Note(*WitnessOf(effect), "process");
    Play(effect, inputs, outputs, frames, false);
}

void ProcessDouble(AEffect* effect, double** inputs, double** outputs, int32_t frames) {
    Note(*WitnessOf(effect), "process64");
    Play(effect, inputs, outputs, frames, false);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
    if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    auto* witness = new TWitness;
    AEffect& record = witness->record;
    record.magic = kEffectMagic;
    record.dispatcher = Dispatch;
    record.setParameter = SetParameter;
    record.getParameter = GetParameter;
    record.process = ProcessAccumulating;
    record.processReplacing = kAccumulatingOnly ? nullptr : ProcessReplacing;
    record.processDoubleReplacing = kAccumulatingOnly ? nullptr : ProcessDouble;
    record.flags = kAccumulatingOnly ? 0 : effFlagsCanReplacing | effFlagsCanDoubleReplacing;
    record.numPrograms = 3;
    record.numParams = 1;
    record.numInputs = kChannels;
    record.numOutputs = kChannels;
    record.uniqueID = TESSEL_FOURCC('W', 't', 'n', 's');
    record.object = witness;
    return &record;
}
