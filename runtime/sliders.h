#pragma once
// The slider values: 128 script values indexed by slider number, and the one way changes
// reach the audio thread.
//
// `sliderValues` is what the host reads back: every change from any thread (a host's set
// call, an editor edit, a state load, a format's parameter event) stores its value there
// and marks the slider. Nothing else derives from it. The audio thread takes the marked
// values at the start of a block into `appliedValues` and runs the slider section itself,
// so the settings it derives have one writer and no block hears half of them.
//
// A state load is one change of many values: it stores them between BeginLoad and EndLoad
// (loads take turns on a mutex; they never come from the audio thread). EndLoad hands the
// audio thread a copy of all the values at once (a three-slot exchange: the loader fills a
// free slot and swaps it in, the audio thread swaps the newest one out; neither waits), and
// then stores that copy as the values read back, so what the host reads and what the audio
// hears agree. A block takes the newest load whole, and single changes on top of it; it
// takes no single change read while a load stores its values (those marks stay for the next
// block), so it never hears part of a load, and a stream of loads cannot hold it back.

#include <atomic>
#include <cstdint>
#include <mutex>

#include "runtime/host_link.h"
#include "runtime/shared_value.h"

constexpr int kSliderCount = 128;

class CVexlSliders : public CVexlVeST {
public:
    virtual void DoSlider() {}

    // Any thread: the value is stored; the audio thread takes it at its next block.
    void StoreSlider(int32_t number, double value) noexcept;
    // Marks every slider, as if each had changed (switching on, a new instance).
    void MarkAllSliders() noexcept;
    // A change of many values at once (from any thread but the audio thread).
    void BeginLoad();
    void EndLoad() noexcept;

    // The audio thread: the values marked since the last take into `appliedValues`; false
    // when none was marked or a load is under way (then nothing is taken). Never waits.
    bool TakeSliderChanges() noexcept;
    // True while some change has not been taken (any thread, as a hint).
    bool SliderChangesPending() const noexcept;

    SharedValue sliderValues[kSliderCount];
    // What the audio thread took last: the values its slider section derives from.
    SharedValue appliedValues[kSliderCount];

protected:
    CVexlSliders() = default;
    ~CVexlSliders() = default;

private:
    void Mark(int32_t number) noexcept;
    bool TakeMarked(const uint64_t (&taken)[kSliderCount / 64], uint64_t sequence) noexcept;

    // One bit per slider number.
    std::atomic<uint64_t> marks_[kSliderCount / 64] = {};
    // Odd while a load stores its values.
    std::atomic<uint64_t> loadSequence_{0};
    std::mutex loadTurn_;

    // The loads' copies: three slots, one the loader fills (its own), one the audio thread
    // reads (its own), and one between them; `between_` names that one, with kFresh set while
    // the audio thread has not taken it.
    static constexpr int kFresh = 4;
    SharedValue loadSlots_[3][kSliderCount];
    int loaderSlot_ = 0;
    int audioSlot_ = 1;
    std::atomic<int> between_{2};
};
