#include <cmath>

#include "effect/effect.h"

// One NaN or infinity from the host would otherwise stay in the filter and envelope
// states for good (z <- z + a(x - z) never forgets it) and the channel would never sound
// again. A channel whose state has gone non-finite is put back, at the start of the next
// block, to what a freshly opened and started instance holds. Finite states are never
// touched, so finite input gives exactly the output it always did.

namespace {

// Every per-lane array of the band-path state that carries over from one sample to the next.
template <typename State, typename Visit> void ForEachLaneArray(State& s, Visit visit)
{
    for (auto* values :
         {s.inputPoles, s.residuePoles, s.band, s.gainDivisor, s.peakGain, s.holdGain, s.releaseNow, s.slowPeak,
          s.smoothGain, s.punchGain, s.meanSquare, s.rmsTwice, s.holdEnv, s.fastEnv, s.slowEnv, s.transientGain})
        visit(values);
}

// Whether each channel's states are finite, from the summary the frame kernel leaves
// after every block (BandPathState::finiteCheck) and the silence hold.
void FiniteChannels(const BandPathState& s, bool (&finite)[kChannelCount])
{
    for (int c = 0; c < kChannelCount; ++c) {
        const double* lanes = s.finiteCheck + Lane(c, 0);
        finite[c] = s.silentCount[c] * 0.0 + (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]) == 0.0;
    }
}

} // namespace

void TVexlEffect::RecoverNonFiniteChannels() noexcept
{
    bool finite[kChannelCount];
    FiniteChannels(band, finite);
    for (int c = 0; c < kChannelCount; ++c) {
        if (finite[c]) continue;
        ForEachLaneArray(band, [&](double* values) {
            for (int b = 0; b < kBandCount; ++b)
                values[Lane(c, b)] = 0.0;
        });
        band.silentCount[c] = 0.0;
        for (int b = 0; b < kBandCount; ++b)
            band.finiteCheck[Lane(c, b)] = 0.0;
        for (int b = 0; b < kBandCount; ++b)
            band.punchGain[Lane(c, b)] = 1.0;
        // The channel's alignment lines (0-3 or 4-7) and lookahead lines (8-11 or 12-15):
        // the init section gave their slots a home, and the view only finds it.
        const MemoryView memory = Memory().View();
        for (int b = 0; b < kBandCount; ++b) {
            for (int line : {c * kBandCount + b, 2 * kBandCount + c * kBandCount + b}) {
                const DelayLine& l = dsp.lines[line];
                const double length = l.length;
                for (int p = 0; p <= length && p < 1000000; ++p)
                    if (double* cell = memory.Find(ToIndex(l.readBase + p))) *cell = 0.0;
            }
        }
        band.linePosition[c] = 0.0;
    }
}
