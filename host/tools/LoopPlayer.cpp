#include "host/tools/LoopPlayer.h"

#include <algorithm>
#include <chrono>
#include <memory>

#include "host/tools/BlockRunner.h"
#include "host/tools/SoundFile.h"

namespace tessel::host::tool {

std::unique_ptr<TLoopPlayer> TLoopPlayer::Load(const std::string& path, std::string& error) {
    std::unique_ptr<TSoundFile> file = TSoundFile::OpenForReading(path, error);
    if (!file) return nullptr;
    const SF_INFO& info = file->Info();
    std::unique_ptr<TLoopPlayer> player(new TLoopPlayer);
    player->sampleRateHz_ = info.samplerate;
    const auto channels = static_cast<size_t>(info.channels);
    std::vector<float> frames(static_cast<size_t>(TLoopPlayer::kBlockFrames) * channels);
    for (;;) {
        const sf_count_t read = file->Read(frames.data(), kBlockFrames);
        if (read < 0) {
            error = file->ErrorText();
            return nullptr;
        }
        if (read == 0) break;
        for (sf_count_t f = 0; f < read; ++f) {
            const float* frame = &frames[static_cast<size_t>(f) * channels];
            player->left_.push_back(frame[0]);
            player->right_.push_back(channels > 1 ? frame[1] : frame[0]);  // mono feeds both
        }
    }
    if (player->left_.empty()) {
        error = "it holds no frames";
        return nullptr;
    }
    return player;
}

TLoopPlayer::~TLoopPlayer() { Stop(); }

void TLoopPlayer::Start(TPluginInstance& plugin) {
    Stop();
    auto runner = std::make_shared<TBlockRunner<float>>(plugin, kBlockFrames);
    runner->Start();
    stop_ = false;
    thread_ = std::thread([this, runner] {
        using TClock = std::chrono::steady_clock;
        const auto blockTime =
            std::chrono::duration_cast<TClock::duration>(std::chrono::duration<double>(kBlockFrames / sampleRateHz_));
        auto next = TClock::now();
        size_t at = 0;
        while (!stop_.load(std::memory_order_relaxed)) {
            for (int32_t channel = 0; channel < runner->UsedInputs(); ++channel) {
                const std::vector<float>& source = channel == 0 ? left_ : right_;
                const std::span<float> input = runner->Input(channel);
                for (size_t i = 0; i < input.size(); ++i) input[i] = source[(at + i) % source.size()];
            }
            runner->Run(kBlockFrames);
            at = (at + kBlockFrames) % left_.size();
            next += blockTime;
            std::this_thread::sleep_until(next);
        }
        runner->Stop();
    });
}

void TLoopPlayer::Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

}  // namespace tessel::host::tool
