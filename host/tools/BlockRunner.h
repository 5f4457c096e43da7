// Plays audio through a plug-in block by block, the way a host does, for
// the render, bench and response subcommands.
//
// Channels: the runner offers at most two inputs and two outputs. A plug-in
// with more inputs gets silence on the others; outputs past the second are
// processed into buffers nobody reads.
//
// Routines: 32-bit runs use processReplacing, or the accumulating process
// into cleared outputs when the plug-in has only that; 64-bit runs need
// processDoubleReplacing. A plug-in that offers neither cannot be run.
//
// Host call order: Start sends effSetProcessPrecision (64-bit only),
// effMainsChanged(1) and effStartProcess; Stop sends effStopProcess and
// effMainsChanged(0), and runs from the destructor when Start was the last.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>

#include "host/AudioBuffers.h"
#include "host/PluginInstance.h"

namespace tessel::host::tool {

// Thrown when a plug-in cannot be run as asked (its message says why).
class TRunError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

template <typename TSample>
class TBlockRunner {
public:
    static constexpr int32_t kMaxUsedChannels = 2;
    // More pins than any real plug-in has: a record claiming them is broken.
    static constexpr int32_t kMaxPins = 256;

    // Throws TRunError. `blockFrames` >= 1 is the largest block Run takes.
    TBlockRunner(TPluginInstance& plugin, int32_t blockFrames);
    ~TBlockRunner();
    TBlockRunner(const TBlockRunner&) = delete;
    TBlockRunner& operator=(const TBlockRunner&) = delete;

    int32_t UsedInputs() const noexcept { return usedInputs_; }    // 0..2
    int32_t UsedOutputs() const noexcept { return usedOutputs_; }  // 1..2
    int32_t BlockFrames() const noexcept { return blockFrames_; }
    // "processReplacing", "process (accumulating)" or "processDoubleReplacing".
    const char* RoutineName() const noexcept;

    // The block's input samples of a used input channel, to be filled before Run.
    std::span<TSample> Input(int32_t channel) { return inputs_.Channel(static_cast<size_t>(channel)); }
    // The samples the last Run wrote to a used output channel.
    std::span<const TSample> Output(int32_t channel) const { return outputs_.Channel(static_cast<size_t>(channel)); }

    void Start();
    void Stop();
    bool Running() const noexcept { return running_; }

    // Processes the first `frames` (1..BlockFrames) of the inputs. [audio-thread
    // for the plug-in; the host side allocates nothing]
    void Run(int32_t frames);

private:
    TPluginInstance& plugin_;
    int32_t blockFrames_;
    int32_t usedInputs_;
    int32_t usedOutputs_;
    bool accumulating_ = false;
    bool running_ = false;
    TAudioBuffers<TSample> inputs_;
    TAudioBuffers<TSample> outputs_;
};

extern template class TBlockRunner<float>;
extern template class TBlockRunner<double>;

}  // namespace tessel::host::tool
