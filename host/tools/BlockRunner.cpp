#include "host/tools/BlockRunner.h"

#include <algorithm>
#include <string>
#include <type_traits>

namespace tessel::host::tool {
namespace {

constexpr intptr_t kProcessPrecision64 = 1;  // effSetProcessPrecision: 0 = 32-bit, 1 = 64-bit

int32_t CheckedPins(int32_t pins, const char* what) {
    if (pins < 0 || pins > TBlockRunner<float>::kMaxPins)
        throw TRunError(std::string("the plug-in claims ") + std::to_string(pins) + " " + what);
    return pins;
}

}  // namespace

template <typename TSample>
TBlockRunner<TSample>::TBlockRunner(TPluginInstance& plugin, int32_t blockFrames)
    : plugin_(plugin),
      blockFrames_(blockFrames),
      usedInputs_(std::min(CheckedPins(plugin.Record().numInputs, "inputs"), kMaxUsedChannels)),
      usedOutputs_(std::min(CheckedPins(plugin.Record().numOutputs, "outputs"), kMaxUsedChannels)),
      inputs_(static_cast<size_t>(plugin.Record().numInputs), static_cast<size_t>(std::max(blockFrames, 1))),
      outputs_(static_cast<size_t>(plugin.Record().numOutputs), static_cast<size_t>(std::max(blockFrames, 1))) {
    if (blockFrames < 1) throw TRunError("the block size must be at least 1 frame");
    if (usedOutputs_ == 0) throw TRunError("the plug-in has no outputs");
    const AEffect& record = plugin.Record();
    if constexpr (std::is_same_v<TSample, double>) {
        if (record.processDoubleReplacing == nullptr)
            throw TRunError("the plug-in has no 64-bit processing (processDoubleReplacing); run without --double");
    } else {
        accumulating_ = record.processReplacing == nullptr;
        if (accumulating_ && record.process == nullptr)
            throw TRunError("the plug-in has neither processReplacing nor process");
    }
}

template <typename TSample>
TBlockRunner<TSample>::~TBlockRunner() {
    if (!running_) return;
    try {
        Stop();
    } catch (...) {
        // The instance closed under us; nothing left to stop.
    }
}

template <typename TSample>
const char* TBlockRunner<TSample>::RoutineName() const noexcept {
    if constexpr (std::is_same_v<TSample, double>) return "processDoubleReplacing";
    return accumulating_ ? "process (accumulating)" : "processReplacing";
}

template <typename TSample>
void TBlockRunner<TSample>::Start() {
    if (running_) return;
    if constexpr (std::is_same_v<TSample, double>) plugin_.SetProcessPrecision(kProcessPrecision64);
    plugin_.MainsChanged(true);
    plugin_.StartProcess();
    running_ = true;
}

template <typename TSample>
void TBlockRunner<TSample>::Stop() {
    if (!running_) return;
    running_ = false;
    plugin_.StopProcess();
    plugin_.MainsChanged(false);
}

template <typename TSample>
void TBlockRunner<TSample>::Run(int32_t frames) {
    frames = std::clamp(frames, 1, blockFrames_);
    // Extra inputs stay silent even if the plug-in wrote into them last time.
    for (size_t channel = static_cast<size_t>(usedInputs_); channel < inputs_.Channels(); ++channel) {
        const std::span<TSample> samples = inputs_.Channel(channel);
        std::fill(samples.begin(), samples.begin() + frames, TSample(0));
    }
    const TScriptedHost::TAudioThreadScope audioThread;
    if constexpr (std::is_same_v<TSample, double>) {
        plugin_.ProcessDoubleReplacing(inputs_.Pointers(), outputs_.Pointers(), frames);
    } else if (accumulating_) {
        for (size_t channel = 0; channel < outputs_.Channels(); ++channel) {
            const std::span<TSample> samples = outputs_.Channel(channel);
            std::fill(samples.begin(), samples.begin() + frames, TSample(0));
        }
        plugin_.Process(inputs_.Pointers(), outputs_.Pointers(), frames);
    } else {
        plugin_.ProcessReplacing(inputs_.Pointers(), outputs_.Pointers(), frames);
    }
}

template class TBlockRunner<float>;
template class TBlockRunner<double>;

}  // namespace tessel::host::tool
