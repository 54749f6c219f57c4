#include <cmath>

#include "effect/effect.h"

// One NaN or infinity from the host would otherwise stay in the filter and envelope
// states for good (z <- z + a(x - z) never forgets it) and the channel would never sound
// again. A channel whose state has gone non-finite is put back, at the start of the next
// block, to what a freshly opened and started instance holds. Finite states are never
// touched, so finite input gives exactly the output it always did.

namespace {

// Every value of a channel's band-path state that carries over from one sample to the next.
template <typename Visit> void ForEachState(BandPathChannel& channel, Visit visit)
{
    for (SharedValue& z : channel.splitter.z)
        visit(z);
    for (SharedValue& band : channel.band)
        visit(band);
    visit(channel.silentCount);
    for (BandCompressor& c : channel.compressor)
        for (SharedValue* v :
             {&c.gainDivisor, &c.peakGain, &c.holdGain, &c.releaseNow, &c.slowPeak, &c.smoothGain, &c.punchGain})
            visit(*v);
    for (TransientShaper& s : channel.shaper)
        for (SharedValue* v : {&s.meanSquare, &s.rmsTwice, &s.holdEnv, &s.fastEnv, &s.slowEnv, &s.transientGain})
            visit(*v);
}

// v * 0 is 0 for every finite v and NaN otherwise, so the sum is finite exactly when
// every value is, with no overflow from large finite values.
bool ChannelIsFinite(BandPathChannel& channel)
{
    double sum = 0.0;
    ForEachState(channel, [&](const SharedValue& v) { sum += v * 0.0; });
    return sum == 0.0;
}

} // namespace

void TVexlEffect::RecoverNonFiniteChannels() noexcept
{
    for (int c = 0; c < kChannelCount; ++c) {
        BandPathChannel& channel = dsp.channel[c];
        if (ChannelIsFinite(channel)) continue;
        ForEachState(channel, [](SharedValue& v) { v = 0.0; });
        for (BandCompressor& compressor : channel.compressor)
            compressor.punchGain = 1.0;
        // The channel's alignment lines (0-3 or 4-7) and lookahead lines (8-11 or 12-15):
        // their slots were made by the init section, so clearing them allocates nothing.
        for (int b = 0; b < kBandCount; ++b) {
            for (int line : {c * kBandCount + b, 2 * kBandCount + c * kBandCount + b}) {
                DelayLine& l = dsp.lines[line];
                const double length = l.length;
                for (int p = 0; p <= length && p < 1000000; ++p) {
                    const int32_t index = ToIndex(l.readBase + p);
                    if (MemoryBlock* block = Memory().FindBlock(index)) block->cells[index & 0xFFFF] = 0.0;
                }
                l.position = 0.0;
            }
        }
    }
}
