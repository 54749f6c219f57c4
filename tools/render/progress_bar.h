#pragma once
// One progress bar on standard error for the whole run: files done and time left, shown only
// when standard error is a terminal and there is enough audio for the wait to be noticed.
// Jobs count their work from their own threads; the main thread draws.

#include <atomic>
#include <chrono>
#include <cstdint>

namespace render {

class ProgressBar {
public:
    // `totalWork` in frames over every pass of every file.
    ProgressBar(int64_t totalWork, int files, double audioSeconds);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Any thread.
    void AddWork(int64_t frames) { done_.fetch_add(frames, std::memory_order_relaxed); }
    void FileDone() { files_.fetch_add(1, std::memory_order_relaxed); }

    // The main thread: redraws the bar; Finish clears its line.
    void Draw();
    void Finish();

private:
    int64_t total_;
    int fileCount_;
    bool shown_;
    bool drawn_ = false;
    std::atomic<int64_t> done_{0};
    std::atomic<int> files_{0};
    std::chrono::steady_clock::time_point start_;
};

} // namespace render
