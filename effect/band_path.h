#pragma once
// The band path's side of the block section: the copy of the shared settings each
// processing call takes, the addressing of the delay lines, and the shortcuts the
// sample section relies on. The per-sample work itself is the frame kernel
// (band_kernel.h), chosen per processor (band_dispatch.cpp).

#include <cstdint>

#include "effect/band_state.h"
#include "effect/dsp_variables.h"
#include "runtime/memory.h"

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

// Takes the lines' layout and, where the layout allows, a pointer to each line's first
// slot. Epoch 0 (memory reset, no init since) gives no pointers. Never allocates.
void MapDelayLines(const DelayLine (&lines)[kDelayLineCount], double epoch, MemoryView memory,
                   DelayLineSlots& slots) noexcept;

// Copies what the frame kernel and the stereo frame read this block from the shared
// variables into plain values.
void LoadBlockSettings(const DspVariables& dsp, double sampleRate, BandBlockSettings& k) noexcept;
