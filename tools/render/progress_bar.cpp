#include "tools/render/progress_bar.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace render {
namespace {

constexpr double kShownFromSeconds = 5.0;
constexpr int kWidth = 40;

} // namespace

ProgressBar::ProgressBar(int64_t totalFrames, int sampleRate)
    : total_(totalFrames), sampleRate_(sampleRate),
      shown_(isatty(STDERR_FILENO) && sampleRate > 0 &&
             static_cast<double>(totalFrames) / sampleRate > kShownFromSeconds)
{
}

ProgressBar::~ProgressBar() { Finish(); }

void ProgressBar::Update(int64_t framesDone)
{
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    if (drawn_ && now - lastDraw_ < std::chrono::milliseconds(100)) return;
    lastDraw_ = now;
    Draw(framesDone);
}

void ProgressBar::Draw(int64_t framesDone)
{
    const double fraction = total_ > 0 ? static_cast<double>(framesDone) / static_cast<double>(total_) : 1.0;
    const int filled = static_cast<int>(fraction * kWidth);
    const std::string bar = std::string(static_cast<std::size_t>(filled), '#') +
                            std::string(static_cast<std::size_t>(kWidth - filled), '-');
    std::fprintf(stderr, "\r[%s] %3d%%  %.1f of %.1f s", bar.c_str(), static_cast<int>(fraction * 100.0),
                 static_cast<double>(framesDone) / sampleRate_, static_cast<double>(total_) / sampleRate_);
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
