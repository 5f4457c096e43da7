// A one-line progress bar on stderr for long jobs, drawn only when stderr is
// a terminal (never into logs or pipes), and wiped when the job ends.
#pragma once

#include <cstdint>

namespace tessel::host::tool {

class TProgressBar {
public:
    // Shown when stderr is a terminal and `total` reaches `showFrom`.
    TProgressBar(int64_t total, int64_t showFrom);
    ~TProgressBar();
    TProgressBar(const TProgressBar&) = delete;
    TProgressBar& operator=(const TProgressBar&) = delete;

    // Redraws when the shown percentage changes.
    void Update(int64_t done);
    void Finish();

private:
    int64_t total_;
    bool shown_;
    int lastPercent_ = -1;
};

}  // namespace tessel::host::tool
