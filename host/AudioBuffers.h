// Channels of audio samples in the shape the process routines take:
// an array of channel pointers, each to `frames` contiguous samples.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace tessel::host {

template <typename TSample>
class TAudioBuffers {
public:
    TAudioBuffers(size_t channels, size_t frames, TSample fill = TSample(0))
        : samples_(channels, std::vector<TSample>(frames, fill)), frames_(frames) {
        pointers_.reserve(channels);
        for (std::vector<TSample>& channel : samples_) pointers_.push_back(channel.data());
    }

    // Copying would leave the pointer array aimed at the original.
    TAudioBuffers(const TAudioBuffers&) = delete;
    TAudioBuffers& operator=(const TAudioBuffers&) = delete;
    TAudioBuffers(TAudioBuffers&&) noexcept = default;
    TAudioBuffers& operator=(TAudioBuffers&&) noexcept = default;

    size_t Channels() const noexcept { return samples_.size(); }
    size_t Frames() const noexcept { return frames_; }

    // The array handed to the plug-in; null when there are no channels.
    TSample** Pointers() noexcept { return pointers_.empty() ? nullptr : pointers_.data(); }

    std::span<TSample> Channel(size_t channel) { return samples_.at(channel); }
    std::span<const TSample> Channel(size_t channel) const { return samples_.at(channel); }

    void Fill(TSample value) {
        for (std::vector<TSample>& channel : samples_) std::fill(channel.begin(), channel.end(), value);
    }

private:
    std::vector<std::vector<TSample>> samples_;
    std::vector<TSample*> pointers_;
    size_t frames_;
};

}  // namespace tessel::host
