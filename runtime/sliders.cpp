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

// The whole set goes to the audio thread first, and only then becomes what is read back: a
// change made meanwhile either went into the copy or is stored (and marked) after it.
void CVexlSliders::EndLoad() noexcept
{
    SharedValue (&slot)[kSliderCount] = loadSlots_[loaderSlot_];
    for (int n = 0; n < kSliderCount; ++n)
        slot[n] = sliderValues[n];
    loaderSlot_ = between_.exchange(loaderSlot_ | kFresh, std::memory_order_acq_rel) & ~kFresh;
    for (int n = 0; n < kSliderCount; ++n)
        sliderValues[n] = slot[n];
    loadSequence_.fetch_add(1, std::memory_order_release);
    loadTurn_.unlock();
}

// Marks first, then the newest load, then the marked values: a mark taken here belongs to a
// value stored after the load it follows was handed over, or is overwritten by that load's
// copy in the values read back as well.
bool CVexlSliders::TakeSliderChanges() noexcept
{
    uint64_t taken[kMarkWords];
    bool marked = false;
    for (int w = 0; w < kMarkWords; ++w) {
        taken[w] = marks_[w].load(std::memory_order_relaxed) ? marks_[w].exchange(0, std::memory_order_acq_rel) : 0;
        marked = marked || taken[w] != 0;
    }
    const uint64_t sequence = loadSequence_.load(std::memory_order_acquire);
    bool loaded = false;
    if (between_.load(std::memory_order_acquire) & kFresh) {
        audioSlot_ = between_.exchange(audioSlot_, std::memory_order_acq_rel) & ~kFresh;
        const SharedValue (&slot)[kSliderCount] = loadSlots_[audioSlot_];
        for (int n = 0; n < kSliderCount; ++n)
            appliedValues[n] = slot[n];
        loaded = true;
    }
    return (marked && TakeMarked(taken, sequence)) || loaded;
}

// The marked values, unless a load is storing its own meanwhile: then the marks go back for
// the next block, whose load copy (or these values) the audio thread takes instead.
bool CVexlSliders::TakeMarked(const uint64_t (&taken)[kMarkWords], uint64_t sequence) noexcept
{
    double values[kSliderCount];
    bool whole = (sequence & 1) == 0;
    if (whole) {
        for (int w = 0; w < kMarkWords; ++w)
            for (uint64_t bits = taken[w]; bits; bits &= bits - 1) {
                const int number = w * 64 + std::countr_zero(bits);
                values[number] = sliderValues[number];
            }
        whole = loadSequence_.load(std::memory_order_acquire) == sequence;
    }
    if (!whole) {
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
    return (between_.load(std::memory_order_relaxed) & kFresh) != 0;
}
