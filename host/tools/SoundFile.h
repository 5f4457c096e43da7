// A sound file opened through libsndfile, closed when the object goes.
#pragma once

#include <sndfile.h>

#include <memory>
#include <string>

namespace tessel::host::tool {

class TSoundFile {
public:
    // Any format libsndfile reads. On failure: null, with the reason in `error`.
    static std::unique_ptr<TSoundFile> OpenForReading(const std::string& path, std::string& error);
    // Writes in info.format with info.channels and info.samplerate. Floating
    // samples beyond ±1 are clipped when the format stores integers, instead
    // of wrapping round.
    static std::unique_ptr<TSoundFile> OpenForWriting(const std::string& path, const SF_INFO& info, std::string& error);

    ~TSoundFile();
    TSoundFile(const TSoundFile&) = delete;
    TSoundFile& operator=(const TSoundFile&) = delete;

    const SF_INFO& Info() const noexcept { return info_; }
    // Interleaved frames; the number read (0 at the end, negative on error).
    sf_count_t Read(float* frames, sf_count_t count);
    sf_count_t Read(double* frames, sf_count_t count);
    // False unless every frame was written.
    bool Write(const float* frames, sf_count_t count);
    bool Write(const double* frames, sf_count_t count);
    // Flushes and closes; false when the file could not be completed.
    bool Close();
    std::string ErrorText() const;

    // "WAV, 24-bit PCM" and the like.
    static std::string FormatName(int format);

private:
    TSoundFile(SNDFILE* file, const SF_INFO& info) : file_(file), info_(info) {}

    SNDFILE* file_;
    SF_INFO info_;
};

}  // namespace tessel::host::tool
