// Plays a sound file through a plug-in in real time, over and over, on a
// thread of its own (the host's audio thread), for as long as it runs; so
// that an open editor shows the plug-in at work.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/PluginInstance.h"

namespace tessel::host::tool {

class TLoopPlayer {
public:
    static constexpr int32_t kBlockFrames = 512;

    // Reads the whole file (its first two channels). Null, with the reason
    // in `error`, when it cannot be read or holds no frames.
    static std::unique_ptr<TLoopPlayer> Load(const std::string& path, std::string& error);
    ~TLoopPlayer();
    TLoopPlayer(const TLoopPlayer&) = delete;
    TLoopPlayer& operator=(const TLoopPlayer&) = delete;

    double SampleRateHz() const { return sampleRateHz_; }
    // Starts playing through `plugin` (which must outlive Stop). Throws
    // TRunError when the plug-in cannot be run.
    void Start(TPluginInstance& plugin);
    // Returns once the player's thread has ended and the plug-in is stopped.
    void Stop();

private:
    TLoopPlayer() = default;

    std::vector<float> left_, right_;
    double sampleRateHz_ = 44100.0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace tessel::host::tool
