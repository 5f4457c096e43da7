#include "host/PluginInstance.h"

#include <cstdio>
#include <stdexcept>
#include <utility>

#include "host/LoadError.h"

namespace tessel::host {
namespace {

std::string Hex32(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<uint32_t>(value));
    return text;
}

}  // namespace

TPluginInstance::TPluginInstance(std::shared_ptr<TPluginLibrary> library, std::shared_ptr<TScriptedHost> host)
    : library_(std::move(library)), host_(host ? std::move(host) : std::make_shared<TScriptedHost>()) {
    if (!library_) throw std::invalid_argument("TPluginInstance: no library");
    Instantiate();
}

TPluginInstance::TPluginInstance(const std::string& path, std::shared_ptr<TScriptedHost> host)
    : TPluginInstance(TPluginLibrary::Open(path), std::move(host)) {}

TPluginInstance::~TPluginInstance() {
    // effClose first; library_ is released after this body, never before.
    if (effect_ != nullptr) effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
}

void TPluginInstance::Instantiate() {
    AEffect* effect = nullptr;
    {
        TScriptedHost::TConstructionScope scope(*host_);
        effect = library_->EntryPoint()(&TScriptedHost::Callback);
    }
    const std::string where = library_->Path() + ": " + library_->EntryName();
    if (effect == nullptr) throw TLoadError(TLoadFailure::EntryReturnedNull, where + " returned no instance");
    if (effect->magic != kEffectMagic) {
        // Whatever the entry point made cannot be closed through this record:
        // keep its code mapped rather than pull it out from under it.
        library_->Pin();
        throw TLoadError(TLoadFailure::BadMagic, where + " returned a record with magic " + Hex32(effect->magic) +
                                                     ", expected " + Hex32(kEffectMagic));
    }
    host_->Bind(*effect);
    effect_ = effect;
}

AEffect& TPluginInstance::Live() const {
    if (effect_ == nullptr) throw std::logic_error("plug-in instance is closed");
    return *effect_;
}

const AEffect& TPluginInstance::Record() const { return Live(); }

// ---- Raw access ----

intptr_t TPluginInstance::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    AEffect& effect = Live();
    if (effect.dispatcher == nullptr) throw std::logic_error("plug-in record has no dispatcher");
    const intptr_t answer = effect.dispatcher(&effect, opcode, index, value, ptr, opt);
    // The record is gone once effClose returns, whatever it answered.
    if (opcode == effClose) effect_ = nullptr;
    return answer;
}

float TPluginInstance::GetParameter(int32_t index) {
    AEffect& effect = Live();
    if (effect.getParameter == nullptr) throw std::logic_error("plug-in record has no getParameter");
    return effect.getParameter(&effect, index);
}

void TPluginInstance::SetParameter(int32_t index, float value) {
    AEffect& effect = Live();
    if (effect.setParameter == nullptr) throw std::logic_error("plug-in record has no setParameter");
    effect.setParameter(&effect, index, value);
}

// ---- Process calls ----

void TPluginInstance::Process(float** inputs, float** outputs, int32_t frames) {
    AEffect& effect = Live();
    if (effect.process == nullptr) throw std::logic_error("plug-in record has no process routine");
    TScriptedHost::TAudioThreadScope audio;
    effect.process(&effect, inputs, outputs, frames);
}

void TPluginInstance::ProcessReplacing(float** inputs, float** outputs, int32_t frames) {
    AEffect& effect = Live();
    if (effect.processReplacing == nullptr) throw std::logic_error("plug-in record has no processReplacing");
    TScriptedHost::TAudioThreadScope audio;
    effect.processReplacing(&effect, inputs, outputs, frames);
}

void TPluginInstance::ProcessDoubleReplacing(double** inputs, double** outputs, int32_t frames) {
    AEffect& effect = Live();
    if (effect.processDoubleReplacing == nullptr)
        throw std::logic_error("plug-in record has no processDoubleReplacing");
    TScriptedHost::TAudioThreadScope audio;
    effect.processDoubleReplacing(&effect, inputs, outputs, frames);
}

template <typename TSample>
void TPluginInstance::CheckBuffers(const TAudioBuffers<TSample>& inputs, const TAudioBuffers<TSample>& outputs,
                                   int32_t& frames) const {
    const AEffect& effect = Live();
    if (effect.numInputs < 0 || inputs.Channels() < static_cast<size_t>(effect.numInputs))
        throw std::invalid_argument("fewer input channels than the plug-in's numInputs");
    if (effect.numOutputs < 0 || outputs.Channels() < static_cast<size_t>(effect.numOutputs))
        throw std::invalid_argument("fewer output channels than the plug-in's numOutputs");
    const size_t available = std::min(inputs.Channels() ? inputs.Frames() : outputs.Frames(),
                                      outputs.Channels() ? outputs.Frames() : inputs.Frames());
    if (frames < 0) frames = static_cast<int32_t>(std::min<size_t>(available, INT32_MAX));
    if (static_cast<size_t>(frames) > available) throw std::invalid_argument("more frames than the buffers hold");
}

void TPluginInstance::Process(TAudioBuffers<float>& inputs, TAudioBuffers<float>& outputs, int32_t frames) {
    CheckBuffers(inputs, outputs, frames);
    Process(inputs.Pointers(), outputs.Pointers(), frames);
}

void TPluginInstance::ProcessReplacing(TAudioBuffers<float>& inputs, TAudioBuffers<float>& outputs, int32_t frames) {
    CheckBuffers(inputs, outputs, frames);
    ProcessReplacing(inputs.Pointers(), outputs.Pointers(), frames);
}

void TPluginInstance::ProcessDoubleReplacing(TAudioBuffers<double>& inputs, TAudioBuffers<double>& outputs,
                                             int32_t frames) {
    CheckBuffers(inputs, outputs, frames);
    ProcessDoubleReplacing(inputs.Pointers(), outputs.Pointers(), frames);
}

}  // namespace tessel::host
