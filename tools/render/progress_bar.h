#pragma once
// A progress bar on standard error, shown only when that is a terminal and the file is
// long enough for the wait to be noticed.

#include <chrono>
#include <cstdint>

namespace render {

class ProgressBar {
public:
    ProgressBar(int64_t totalFrames, int sampleRate);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Redraws at most ten times a second.
    void Update(int64_t framesDone);
    // Clears the bar's line.
    void Finish();

private:
    void Draw(int64_t framesDone);

    int64_t total_;
    int sampleRate_;
    bool shown_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point lastDraw_{};
};

} // namespace render
