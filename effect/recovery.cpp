#include <cmath>

#include "effect/effect.h"

// One NaN or infinity from the host would otherwise stay in the filter and envelope
// states for good (z <- z + a(x - z) never forgets it) and the channel would never sound
// again. A channel whose state has gone non-finite is put back, at the start of the next
// block, to what a freshly opened and started instance holds. Finite states are never
// touched, so finite input gives exactly the output it always did.

namespace {

// v * 0 is 0 for every finite v and NaN otherwise, so the sum is finite exactly when
// every value is, with no overflow from large finite values.
struct FiniteCheck {
    double sum = 0.0;
    void Add(double v) { sum += v * 0.0; }
    bool Finite() const { return sum == 0.0; }
};

bool ChannelIsFinite(const BandPathChannel& channel)
{
    FiniteCheck check;
    for (const SharedValue& z : channel.splitter.z)
        check.Add(z);
    for (const SharedValue& band : channel.band)
        check.Add(band);
    for (const BandCompressor& c : channel.compressor) {
        check.Add(c.gainDivisor);
        check.Add(c.peakGain);
        check.Add(c.holdGain);
        check.Add(c.releaseNow);
        check.Add(c.slowPeak);
        check.Add(c.smoothGain);
        check.Add(c.punchGain);
    }
    for (const TransientShaper& s : channel.shaper) {
        check.Add(s.meanSquare);
        check.Add(s.rmsTwice);
        check.Add(s.holdEnv);
        check.Add(s.fastEnv);
        check.Add(s.slowEnv);
        check.Add(s.transientGain);
    }
    return check.Finite();
}

} // namespace

void TVexlEffect::RecoverNonFiniteChannels() noexcept
{
    for (int c = 0; c < kChannelCount; ++c) {
        BandPathChannel& channel = dsp.channel[c];
        if (ChannelIsFinite(channel)) continue;
        for (SharedValue& z : channel.splitter.z)
            z = 0.0;
        channel.silentCount = 0.0;
        for (SharedValue& band : channel.band)
            band = 0.0;
        for (BandCompressor& compressor : channel.compressor) {
            compressor.gainDivisor = 0.0;
            compressor.peakGain = 0.0;
            compressor.holdGain = 0.0;
            compressor.releaseNow = 0.0;
            compressor.slowPeak = 0.0;
            compressor.smoothGain = 0.0;
            compressor.punchGain = 1.0;
        }
        for (TransientShaper& shaper : channel.shaper) {
            shaper.meanSquare = 0.0;
            shaper.rmsTwice = 0.0;
            shaper.holdEnv = 0.0;
            shaper.fastEnv = 0.0;
            shaper.slowEnv = 0.0;
            shaper.transientGain = 0.0;
        }
        // The channel's alignment lines (0-3 or 4-7) and lookahead lines (8-11 or 12-15):
        // their slots were made by the init section, so clearing them allocates nothing.
        for (int b = 0; b < kBandCount; ++b) {
            for (int line : {c * kBandCount + b, 2 * kBandCount + c * kBandCount + b}) {
                DelayLine& l = dsp.lines[line];
                const double length = l.length;
                for (int p = 0; p <= length && p < 1000000; ++p) {
                    if (MemoryBlock* block = Memory().FindBlock(ToIndex(l.readBase + p)))
                        block->cells[ToIndex(l.readBase + p) & 0xFFFF] = 0.0;
                }
                l.position = 0.0;
            }
        }
    }
}
