#pragma once
// The host's bypass, kept in time and without a step. While bypassed, the output is the input
// delayed by the plug-in's latency, so a host's delay compensation holds; the processing runs
// on beneath it, so switching back finds its detectors and delay lines warm. Each switch
// crossfades over about 10 ms. The two gains add up to one at every frame: the processed and
// the delayed input are the same music in time with each other, so their sum keeps its level
// (a linear crossfade, not an equal-power one). The gains move along a half cosine, so the fade
// starts and ends without a kink.
//
// The delay line holds the samples as the host gave them, 32-bit or 64-bit, and nothing passes
// through arithmetic, so the bypassed output is the input bit for bit, denormals included.

#include <atomic>
#include <bit>
#include <cstdint>
#include <memory>
#include <mutex>
#include <type_traits>
#include <vector>

class SoftBypass {
public:
    SoftBypass() = default;
    SoftBypass(const SoftBypass&) = delete;
    SoftBypass& operator=(const SoftBypass&) = delete;

    // Room for a delay of `delay` frames, and a fade of about 10 ms at `rate`. A larger line
    // replaces the old one, which stays alive for an audio thread that may still hold it. When
    // memory runs out, or for a delay only an absurd rate gives, the old line stays, and a
    // bypass it is too short for is not heard: the processing plays. Off the audio thread.
    void Prepare(int32_t delay, double rate) noexcept;

    // The bypass a host asked for; the audio thread takes it at the start of its next block.
    // Any thread.
    void Set(bool bypassed) noexcept { requested_.store(bypassed, std::memory_order_relaxed); }
    bool Requested() const noexcept { return requested_.load(std::memory_order_relaxed); }
    // The next block starts afresh: the line silent, the fade at its end. Any thread.
    void RequestCleanStart() noexcept { cleanStarts_.fetch_add(1, std::memory_order_relaxed); }

    // The audio thread, at the start of each processing call: takes the bypass, a clean start,
    // the delay the plug-in reports now and the sample size of the call.
    void BeginBlock(int32_t delay, bool doubles) noexcept;
    // What the block took: true while bypassed or fading into it.
    bool Bypassing() const noexcept { return target_; }
    // Neither bypassed nor fading: the output is the processed frame as it is, and the
    // frames' input only goes into the line (Feed, before the processing may overwrite it).
    bool Resting() const noexcept { return !target_ && position_ == 0; }
    template <typename Sample> void Feed(const Sample* left, const Sample* right, int32_t frames) noexcept;

    // The audio thread, once per frame in order: the frame's input as the host gave it and the
    // processed frame in, the frame's output out.
    template <typename Sample>
    void Frame(Sample inLeft, Sample inRight, double wetLeft, double wetRight, Sample& outLeft,
               Sample& outRight) noexcept;

private:
    struct Line {
        int32_t capacity = 0;
        // Two cells a frame, left then right: a float's or a double's bits.
        std::unique_ptr<uint64_t[]> cells;
    };

    template <typename Sample> static uint64_t Cell(Sample s) noexcept
    {
        if constexpr (std::is_same_v<Sample, float>)
            return std::bit_cast<uint32_t>(s);
        else
            return std::bit_cast<uint64_t>(s);
    }
    template <typename Sample> static Sample FromCell(uint64_t cell) noexcept
    {
        if constexpr (std::is_same_v<Sample, float>)
            return std::bit_cast<float>(static_cast<uint32_t>(cell));
        else
            return std::bit_cast<double>(cell);
    }
    // The dry gain at `position` frames into a fade of `fade_` frames, strictly between 0 and 1.
    double DryGain() const noexcept;
    void ClearLine() noexcept;

    // Written off the audio thread.
    std::atomic<bool> requested_{false};
    std::atomic<uint64_t> cleanStarts_{0};
    std::atomic<Line*> line_{nullptr};
    std::atomic<int32_t> fadeFrames_{1};
    // Every line made, and the turn of the threads that make them.
    std::vector<std::unique_ptr<Line>> lines_;
    std::mutex prepareTurn_;

    // The audio thread's own.
    uint64_t cleanStartsTaken_ = 0;
    Line* lineTaken_ = nullptr;
    uint64_t* cells_ = nullptr;
    int32_t length_ = 0;
    int32_t next_ = 0;
    bool doubles_ = false;
    bool target_ = false;
    int32_t fade_ = 1;
    // Frames into the fade: 0 is all processed, fade_ all bypassed.
    int32_t position_ = 0;
};

template <typename Sample>
inline void SoftBypass::Frame(Sample inLeft, Sample inRight, double wetLeft, double wetRight, Sample& outLeft,
                              Sample& outRight) noexcept
{
    Sample dryLeft = inLeft;
    Sample dryRight = inRight;
    if (length_ > 0) {
        uint64_t* cell = cells_ + 2 * next_;
        dryLeft = FromCell<Sample>(cell[0]);
        dryRight = FromCell<Sample>(cell[1]);
        cell[0] = Cell(inLeft);
        cell[1] = Cell(inRight);
        if (++next_ == length_) next_ = 0;
    }
    if (position_ != (target_ ? fade_ : 0)) position_ += target_ ? 1 : -1;
    if (position_ == 0) {
        outLeft = static_cast<Sample>(wetLeft);
        outRight = static_cast<Sample>(wetRight);
    } else if (position_ == fade_) {
        outLeft = dryLeft;
        outRight = dryRight;
    } else {
        const double g = DryGain();
        outLeft = static_cast<Sample>(wetLeft + g * (static_cast<double>(dryLeft) - wetLeft));
        outRight = static_cast<Sample>(wetRight + g * (static_cast<double>(dryRight) - wetRight));
    }
}

template <typename Sample>
inline void SoftBypass::Feed(const Sample* left, const Sample* right, int32_t frames) noexcept
{
    if (length_ <= 0) return;
    for (int32_t j = 0; j < frames; ++j) {
        uint64_t* cell = cells_ + 2 * next_;
        cell[0] = Cell(left[j]);
        cell[1] = Cell(right[j]);
        if (++next_ == length_) next_ = 0;
    }
}
