#include "host/tools/ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace tessel::host::tool {
namespace {

constexpr int kBarWidth = 40;  // characters
constexpr int kHundred = 100;

}  // namespace

TProgressBar::TProgressBar(int64_t total, int64_t showFrom)
    : total_(std::max<int64_t>(total, 1)), shown_(total >= showFrom && isatty(STDERR_FILENO) != 0) {}

TProgressBar::~TProgressBar() { Finish(); }

void TProgressBar::Update(int64_t done) {
    if (!shown_) return;
    const int percent = static_cast<int>(std::clamp<int64_t>(done * kHundred / total_, 0, kHundred));
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    const int filled = percent * kBarWidth / kHundred;
    const std::string bar =
        std::string(static_cast<size_t>(filled), '#') + std::string(static_cast<size_t>(kBarWidth - filled), '.');
    std::fprintf(stderr, "\r[%s] %3d%%", bar.c_str(), percent);
    std::fflush(stderr);
}

void TProgressBar::Finish() {
    if (!shown_) return;
    shown_ = false;
    std::fprintf(stderr, "\r%*s\r", kBarWidth + 8, "");
    std::fflush(stderr);
}

}  // namespace tessel::host::tool
