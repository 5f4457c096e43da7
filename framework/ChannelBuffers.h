#pragma once
// TChannelBuffers: module-owned audio channels of one sample type, laid out
// like a host buffer set (an array of channel pointers, each to `Frames()`
// contiguous samples) so that audio handlers cannot tell them apart.
//
// Resizing and releasing allocate and free: UI thread only. Reading the
// channels and zeroing them are fit for the audio thread.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessel {

template <class T>
class TChannelBuffers {
public:
    // channels x frames samples (negative counts mean 0). Samples that lie
    // inside both the old and the new shape keep their values; new ones are 0. [ui-thread]
    void Resize(std::int32_t channels, std::int32_t frames) {
        const auto newChannels = static_cast<std::size_t>(std::max(0, channels));
        const auto newFrames = static_cast<std::size_t>(std::max(0, frames));
        const auto oldFrames = static_cast<std::size_t>(FFrames);
        std::vector<T> samples(newChannels * newFrames, T{0});
        const std::size_t keepChannels = std::min(newChannels, FChannels.size());
        const std::size_t keepFrames = std::min(newFrames, oldFrames);
        for (std::size_t c = 0; c < keepChannels; ++c)
            std::copy_n(FSamples.begin() + static_cast<std::ptrdiff_t>(c * oldFrames), keepFrames,
                        samples.begin() + static_cast<std::ptrdiff_t>(c * newFrames));
        FSamples = std::move(samples);
        FFrames = static_cast<std::int32_t>(newFrames);
        FChannels.resize(newChannels);
        for (std::size_t c = 0; c < newChannels; ++c) FChannels[c] = FSamples.data() + c * newFrames;
    }

    // No channels and no samples left. [ui-thread]
    void Release() {
        std::vector<T>().swap(FSamples);
        std::vector<T*>().swap(FChannels);
        FFrames = 0;
    }

    // Clears frames [0, frames) of every channel. [audio-thread]
    void Zero(std::int32_t frames) noexcept {
        const auto count = static_cast<std::size_t>(std::clamp(frames, 0, FFrames));
        for (T* channel : FChannels) std::fill_n(channel, count, T{0});
    }

    // ---- Reading [audio-thread] ----
    std::int32_t ChannelCount() const noexcept { return static_cast<std::int32_t>(FChannels.size()); }
    std::int32_t Frames() const noexcept { return FFrames; }
    T* const* Channels() const noexcept { return FChannels.data(); }
    T* Channel(std::int32_t c) const noexcept { return FChannels[static_cast<std::size_t>(c)]; }

private:
    std::vector<T> FSamples;    // channel after channel
    std::vector<T*> FChannels;  // into FSamples
    std::int32_t FFrames = 0;
};

}  // namespace tessel
