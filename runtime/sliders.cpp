#include "runtime/sliders.h"

#include <bit>

namespace {
constexpr int kMarkWords = kSliderCount / 64;
bool ValidNumber(int32_t number) { return number >= 0 && number < kSliderCount; }
} // namespace

// The value's store releases before the mark does, so whoever takes the mark reads this
// value or a later one.
void CVexlSliders::StoreSlider(int32_t number, double value) noexcept
{
    if (!ValidNumber(number)) return;
    sliderValues[number] = value;
    Mark(number);
}

void CVexlSliders::Mark(int32_t number) noexcept
{
    marks_[number / 64].fetch_or(uint64_t{1} << (number % 64), std::memory_order_release);
}

void CVexlSliders::MarkAllSliders() noexcept
{
    for (auto& word : marks_)
        word.store(~uint64_t{0}, std::memory_order_release);
}

// The odd sequence is stored before the first value of the load; each value's release
// store carries it along, so a block that reads any loaded value finds the sequence moved.
void CVexlSliders::BeginLoad()
{
    loadTurn_.lock();
    loadSequence_.fetch_add(1, std::memory_order_acq_rel);
}

void CVexlSliders::EndLoad() noexcept
{
    loadSequence_.fetch_add(1, std::memory_order_release);
    loadTurn_.unlock();
}

bool CVexlSliders::TakeSliderChanges() noexcept
{
    const uint64_t before = loadSequence_.load(std::memory_order_acquire);
    if (before & 1) return false;
    uint64_t taken[kMarkWords];
    bool any = false;
    for (int w = 0; w < kMarkWords; ++w) {
        taken[w] = marks_[w].load(std::memory_order_relaxed) ? marks_[w].exchange(0, std::memory_order_acq_rel) : 0;
        any = any || taken[w] != 0;
    }
    if (!any) return false;

    double values[kSliderCount];
    for (int w = 0; w < kMarkWords; ++w)
        for (uint64_t bits = taken[w]; bits; bits &= bits - 1) {
            const int number = w * 64 + std::countr_zero(bits);
            values[number] = sliderValues[number];
        }
    if (loadSequence_.load(std::memory_order_acquire) != before) {
        // A load began meanwhile: what was read may be part of it. The marks go back.
        for (int w = 0; w < kMarkWords; ++w)
            if (taken[w]) marks_[w].fetch_or(taken[w], std::memory_order_release);
        return false;
    }
    for (int w = 0; w < kMarkWords; ++w)
        for (uint64_t bits = taken[w]; bits; bits &= bits - 1) {
            const int number = w * 64 + std::countr_zero(bits);
            appliedValues[number] = values[number];
        }
    return true;
}

bool CVexlSliders::SliderChangesPending() const noexcept
{
    for (const auto& word : marks_)
        if (word.load(std::memory_order_relaxed)) return true;
    return false;
}
