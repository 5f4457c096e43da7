#include "host/tools/SoundFile.h"

namespace tessel::host::tool {
namespace {

// libsndfile's name for the container (SF_FORMAT_TYPEMASK) or the sample
// encoding (SF_FORMAT_SUBMASK) of `format`, found by walking its format list.
std::string FormatField(int format, int mask) {
    const bool major = mask == SF_FORMAT_TYPEMASK;
    int count = 0;
    sf_command(nullptr, major ? SFC_GET_FORMAT_MAJOR_COUNT : SFC_GET_FORMAT_SUBTYPE_COUNT, &count, sizeof count);
    for (int entry = 0; entry < count; ++entry) {
        SF_FORMAT_INFO candidate{};
        candidate.format = entry;  // in: the list position; out: the format code
        if (sf_command(nullptr, major ? SFC_GET_FORMAT_MAJOR : SFC_GET_FORMAT_SUBTYPE, &candidate, sizeof candidate) ==
                0 &&
            candidate.format == (format & mask) && candidate.name != nullptr)
            return candidate.name;
    }
    return "format " + std::to_string(format & mask);
}

}  // namespace

std::unique_ptr<TSoundFile> TSoundFile::OpenForReading(const std::string& path, std::string& error) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        error = sf_strerror(nullptr);
        return nullptr;
    }
    if (info.channels < 1 || info.samplerate < 1) {
        sf_close(file);
        error = "the file declares " + std::to_string(info.channels) + " channels at " +
                std::to_string(info.samplerate) + " Hz";
        return nullptr;
    }
    return std::unique_ptr<TSoundFile>(new TSoundFile(file, info));
}

std::unique_ptr<TSoundFile> TSoundFile::OpenForWriting(const std::string& path, const SF_INFO& info,
                                                       std::string& error) {
    SF_INFO wanted = info;
    wanted.frames = 0;
    if (!sf_format_check(&wanted)) {
        error = FormatName(info.format) + " cannot hold " + std::to_string(info.channels) + " channels at " +
                std::to_string(info.samplerate) + " Hz";
        return nullptr;
    }
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &wanted);
    if (file == nullptr) {
        error = sf_strerror(nullptr);
        return nullptr;
    }
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return std::unique_ptr<TSoundFile>(new TSoundFile(file, wanted));
}

TSoundFile::~TSoundFile() { Close(); }

sf_count_t TSoundFile::Read(float* frames, sf_count_t count) { return sf_readf_float(file_, frames, count); }

sf_count_t TSoundFile::Read(double* frames, sf_count_t count) { return sf_readf_double(file_, frames, count); }

bool TSoundFile::Write(const float* frames, sf_count_t count) { return sf_writef_float(file_, frames, count) == count; }

bool TSoundFile::Write(const double* frames, sf_count_t count) {
    return sf_writef_double(file_, frames, count) == count;
}

bool TSoundFile::Close() {
    if (file_ == nullptr) return true;
    SNDFILE* file = file_;
    file_ = nullptr;
    return sf_close(file) == 0;
}

std::string TSoundFile::ErrorText() const { return sf_strerror(file_); }

std::string TSoundFile::FormatName(int format) {
    return FormatField(format, SF_FORMAT_TYPEMASK) + ", " + FormatField(format, SF_FORMAT_SUBMASK);
}

}  // namespace tessel::host::tool
