#pragma once
// The per-channel band path, run on the audio thread once per processed sample: the
// silence hold, the band splitter and, per band, the compressor with its lookahead
// line, makeup, the alignment delay, the transient shaper and the band gain.

#include <cstdint>

#include "effect/dsp_variables.h"
#include "runtime/memory.h"

// Values every band of a frame reads, loaded once per frame.
struct FrameConstants {
    double attack0005;
    double release002;
    double attack005;
    double release01;
    double dbFactor;
    double meanSquareCoef;
    double silenceLimit;
    double punchCoef[kBandCount];
    bool punchOn;
    // The shared sample counter's pacing of the detectors.
    bool everySecond;
    bool everyFourth;
};

// The linear level under which a band cannot be over the effective threshold T (dB),
// for the compressor's shortcut past the logarithm.
double LevelBelowThreshold(double threshold) noexcept;

// True when |fmod(counter, n)| < 0.00001. The counter is a whole number (it starts at 0,
// steps by 1 and wraps to 0), so the remainder is taken in integers; anything else
// takes the floating-point remainder.
bool IsCounterMultipleSlow(double counter, int n) noexcept;
inline bool IsCounterMultiple(double counter, int n) noexcept
{
    if (counter >= 0.0 && counter < 2147483648.0) {
        const auto whole = static_cast<int32_t>(counter);
        if (static_cast<double>(whole) == counter) return whole % n == 0;
    }
    return IsCounterMultipleSlow(counter, n);
}

// The delay lines' slots as the audio thread addresses them. A line's length + 1 slots
// normally lie in one block of script memory; a pointer to the first is taken once per
// init (the init section has made the blocks), so a step costs no lookup. A line that
// straddles two blocks (at odd rates), positions outside the mapped slots, and lines
// that could not be mapped go through MemoryCell exactly as the script addresses them.
class DelayLineMemory {
public:
    explicit DelayLineMemory(ScriptMemory& memory) noexcept : memory_(memory) {}

    // Takes the slot pointers for every line under the given epoch; epoch 0 (memory
    // reset, no init since) maps no line. Never allocates.
    void Map(const DelayLine (&lines)[kDelayLineCount], double epoch) noexcept;
    double Epoch() const noexcept { return epoch_; }

    // Writes x at the line's position, advances it (wrapping past length to 0) and
    // answers the slot now under it: x comes back length steps later.
    double Step(int line, DelayLine& state, double x) noexcept
    {
        const Mapping& m = mappings_[line];
        const double length = state.length;
        double position = state.position;
        // Only this class moves the position: it starts at 0 and steps by 1 or back to
        // 0, so it is a small whole number and converts exactly. Beyond the mapped slots
        // (just after a change of rate) the general path takes over.
        const auto slot = static_cast<uint64_t>(static_cast<int64_t>(position));
        if (slot >= m.count) return StepThroughMemory(state, x);
        m.slots[slot] = x;
        position = position + 1.0;
        const bool wrapped = position > length;
        if (wrapped) position = 0.0;
        state.position = position;
        const uint64_t next = wrapped ? 0 : slot + 1;
        if (next >= m.count) return memory_.Cell(ToIndex(state.readBase + position));
        return m.slots[next];
    }

private:
    struct Mapping {
        double* slots = nullptr; // the slot of position 0
        uint64_t count = 0;      // positions 0 .. count - 1 are mapped; none when 0
    };

    double StepThroughMemory(DelayLine& state, double x) noexcept;

    ScriptMemory& memory_;
    double epoch_ = 0.0;
    Mapping mappings_[kDelayLineCount];
};

// One channel's band path for one sample x; answers the sum of its four bands. Channel
// 0 uses lines 0-3 and 8-11, channel 1 lines 4-7 and 12-15.
double RunBandPath(int channelIndex, BandPathChannel& channel, DspVariables& dsp, DelayLineMemory& lines,
                   const FrameConstants& k, double x) noexcept;
