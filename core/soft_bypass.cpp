#include "core/soft_bypass.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

namespace {
// Above any rate a host runs at; keeps the fade's frame count an int32.
constexpr double kHighestRate = 1e8;
constexpr double kFadeSeconds = 0.01;
// The latency at 90 MHz; an absurd rate gets no line rather than gigabytes.
constexpr int32_t kLongestDelay = 1 << 18;
} // namespace

void SoftBypass::Prepare(int32_t delay, double rate) noexcept
{
    const double fade = std::isfinite(rate) && rate > 0.0 ? std::round(std::min(rate, kHighestRate) * kFadeSeconds) : 0;
    fadeFrames_.store(std::max(1, static_cast<int32_t>(fade)), std::memory_order_relaxed);
    const std::lock_guard turn(prepareTurn_);
    const Line* current = line_.load(std::memory_order_relaxed);
    if (delay <= 0 || delay > kLongestDelay || (current && current->capacity >= delay)) return;
    auto line = std::unique_ptr<Line>(new (std::nothrow) Line);
    if (!line) return;
    line->cells.reset(new (std::nothrow) uint64_t[2 * static_cast<size_t>(delay)]());
    if (!line->cells) return;
    line->capacity = delay;
    try {
        lines_.reserve(lines_.size() + 1);
    } catch (...) {
        return;
    }
    // Release: the audio thread that takes the new line sees its cells cleared.
    line_.store(line.get(), std::memory_order_release);
    lines_.push_back(std::move(line));
}

void SoftBypass::BeginBlock(int32_t delay, bool doubles) noexcept
{
    bool restart = false;
    const uint64_t cleans = cleanStarts_.load(std::memory_order_relaxed);
    if (cleans != cleanStartsTaken_) {
        cleanStartsTaken_ = cleans;
        restart = true;
    }
    Line* line = line_.load(std::memory_order_acquire);
    const int32_t capacity = line ? line->capacity : 0;
    // A line too short for the delay cannot keep the bypass in time: the processing plays.
    const bool usable = delay <= capacity;
    const int32_t length = usable ? std::max(delay, 0) : 0;
    if (line != lineTaken_ || length != length_) {
        lineTaken_ = line;
        cells_ = line ? line->cells.get() : nullptr;
        length_ = length;
        restart = true;
    }
    if (restart) ClearLine();
    // The samples in the line become the new call's size; only a host that changes sizes
    // between calls gets here, and the exact bits of the old ones are no longer needed.
    if (doubles != doubles_ && !restart) {
        for (int32_t i = 0; i < 2 * length_; ++i)
            cells_[i] = doubles ? Cell(static_cast<double>(FromCell<float>(cells_[i])))
                                : Cell(static_cast<float>(FromCell<double>(cells_[i])));
    }
    doubles_ = doubles;

    target_ = usable && requested_.load(std::memory_order_relaxed);
    const int32_t fade = fadeFrames_.load(std::memory_order_relaxed);
    if (fade != fade_ || restart) {
        fade_ = fade;
        position_ = target_ ? fade_ : 0;
    }
}

void SoftBypass::ClearLine() noexcept
{
    if (cells_) std::fill_n(cells_, 2 * static_cast<size_t>(length_), uint64_t{0});
    next_ = 0;
}

double SoftBypass::DryGain() const noexcept
{
    return 0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(position_) / static_cast<double>(fade_));
}
