#include "tools/render/progress_bar.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace render {
namespace {

constexpr double kShownFromSeconds = 5.0;
constexpr int kWidth = 30;

} // namespace

ProgressBar::ProgressBar(int64_t totalWork, int files, double audioSeconds)
    : total_(totalWork), fileCount_(files), shown_(isatty(STDERR_FILENO) && audioSeconds > kShownFromSeconds),
      start_(std::chrono::steady_clock::now())
{
}

ProgressBar::~ProgressBar() { Finish(); }

void ProgressBar::Draw()
{
    if (!shown_) return;
    const int64_t done = std::min(done_.load(std::memory_order_relaxed), total_);
    const double fraction = total_ > 0 ? static_cast<double>(done) / static_cast<double>(total_) : 1.0;
    const int filled = static_cast<int>(fraction * kWidth);
    const std::string bar = std::string(static_cast<std::size_t>(filled), '#') +
                            std::string(static_cast<std::size_t>(kWidth - filled), '-');
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    char left[32] = "";
    if (fraction > 0.02) std::snprintf(left, sizeof left, ", %.0f s left", elapsed * (1.0 - fraction) / fraction);
    std::fprintf(stderr, "\r[%s] %3d%%  %d of %d files done%s\033[K", bar.c_str(), static_cast<int>(fraction * 100.0),
                 files_.load(std::memory_order_relaxed), fileCount_, left);
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressBar::Finish()
{
    if (!drawn_) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    drawn_ = false;
    shown_ = false;
}

} // namespace render
