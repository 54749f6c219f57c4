#include "effect/band_path.h"

#include <algorithm>
#include <cmath>

// 10^(T/20) less one part in 10^9: a margin of 8.7e-9 dB, far beyond the rounding of
// 20 log10 (under 1e-13 dB for levels from 1e-7 up). Below it the dB level compares
// <= T, gives no reduction and a divisor of exactly exp(0) = 1, so the logarithm and
// the exponential can be skipped there without changing a bit.
double LevelBelowThreshold(double threshold) noexcept { return std::pow(10.0, threshold / 20.0) * (1.0 - 1e-9); }

bool IsCounterMultipleSlow(double counter, int n) noexcept
{
    return std::fabs(std::fmod(counter, static_cast<double>(n))) < 0.00001;
}

void DelayLineMemory::Map(const DelayLine (&lines)[kDelayLineCount], double epoch) noexcept
{
    epoch_ = epoch;
    for (int i = 0; i < kDelayLineCount; ++i) {
        Mapping& m = mappings_[i];
        m = Mapping{};
        if (epoch == 0.0) continue;
        const double length = std::floor(lines[i].length);
        const double base = lines[i].writeBase;
        if (!(lines[i].readBase == base) || !(length >= 0.0 && length < kMemoryBlockSize)) continue;
        // Slot p of the line is ToIndex(base + p); the direct addressing below is
        // ToIndex(base) + p within one block, so the two must agree over the whole line.
        const int32_t baseIndex = ToIndex(base);
        const int64_t lastIndex = static_cast<int64_t>(baseIndex) + static_cast<int64_t>(length);
        if (lastIndex > INT32_MAX || (lastIndex >> 16) != (baseIndex >> 16)) continue;
        bool linear = true;
        for (int p = 0; p <= length && linear; ++p)
            linear = static_cast<int64_t>(ToIndex(base + p)) == static_cast<int64_t>(baseIndex) + p;
        MemoryBlock* block = memory_.FindBlock(baseIndex);
        if (!linear || !block) continue;
        m.slots = block->cells + (baseIndex & 0xFFFF);
        m.count = static_cast<uint64_t>(length) + 1;
    }
}

double DelayLineMemory::StepThroughMemory(DelayLine& state, double x) noexcept
{
    double position = state.position;
    memory_.Cell(ToIndex(state.writeBase + position)) = x;
    position = position + 1.0;
    if (position > state.length) position = 0.0;
    state.position = position;
    return memory_.Cell(ToIndex(state.readBase + position));
}

namespace {

// The script's truth test, |v| >= 0.00001, in the form that compiles to one comparison.
inline bool On(double v) noexcept { return std::fabs(v) >= 0.00001; }

struct Bands {
    double value[kBandCount];
};

Bands Split(BandSplitter& s, double x) noexcept
{
    double z1 = s.z[0], z2 = s.z[1], z3 = s.z[2], z4 = s.z[3], z5 = s.z[4], z6 = s.z[5];
    const double a80 = s.a80, a600 = s.a600, a6000 = s.a6000;
    Bands b;
    z1 = z1 + a80 * (x - z1);
    b.value[0] = z1;
    z2 = z2 + a80 * (x - z2);
    const double r1 = x - z2;
    z3 = z3 + a600 * (r1 - z3);
    b.value[1] = z3;
    z4 = z4 + a600 * (x - z4);
    const double r2 = x - z4;
    z5 = z5 + a6000 * (r2 - z5);
    b.value[2] = z5;
    z6 = z6 + a6000 * (x - z6);
    b.value[3] = x - z6;
    s.z[0] = z1;
    s.z[1] = z2;
    s.z[2] = z3;
    s.z[3] = z4;
    s.z[4] = z5;
    s.z[5] = z6;
    return b;
}

// One band's compressor: x is the undelayed band, delayed the lookahead line's output.
double Compress(BandCompressor& c, const BandCompSettings& settings, const FrameConstants& k, double punchCoef,
                double x, double delayed) noexcept
{
    if (!On(settings.active)) {
        c.gainDivisor = 1.0;
        return delayed;
    }

    double d = 1.0;
    const double level = std::max(std::fabs(x), 0.0000001);
    if (!(level < settings.belowThreshold)) {
        const double threshold = settings.threshold;
        const double levelDb = 20.0 * std::log10(level);
        double over = levelDb > threshold ? levelDb - threshold : 0.0;
        const double knee = settings.knee;
        over = over * over / (over + knee); // soft knee; knee >= 0.1 keeps the sum positive
        const double reduction = over * settings.ratioFactor;
        d = std::exp(reduction * k.dbFactor);
    }

    double peakGain = std::max(static_cast<double>(c.peakGain), d);
    double releaseNow;
    if (k.everyFourth) {
        const double held = c.holdGain;
        const double holdGain = peakGain > held ? peakGain : peakGain + k.release002 * (held - peakGain);
        // Deeper held reduction leans the release towards 100 ms.
        releaseNow = (1.0 - 1.0 / holdGain) * k.release01 + (1.0 / holdGain) * settings.release;
        peakGain = 0.0;
        c.holdGain = holdGain;
        c.releaseNow = releaseNow;
    } else {
        releaseNow = c.releaseNow;
    }
    c.peakGain = peakGain;

    // Falling below the held peak, e decays from it over 20 ms.
    const double slowPeak = c.slowPeak;
    const double e = d < slowPeak ? d + k.release002 * (slowPeak - d) : d;
    c.slowPeak = e;
    const double smoothed = c.smoothGain;
    const double attack = settings.attack;
    const double towards = e > smoothed ? attack : releaseNow;
    const double smoothGain = e + towards * (smoothed - e);
    c.smoothGain = smoothGain;
    double g = std::max(smoothGain, 1.0);
    if (k.punchOn) {
        const double punchGain = c.punchGain + (g - c.punchGain) * punchCoef;
        c.punchGain = punchGain;
        g = punchGain;
    }
    c.gainDivisor = g;
    return delayed / g;
}

// One band's transient shaper on the compressed band x; answers the gain offset.
double ShapeTransient(TransientShaper& t, const FrameConstants& k, double amount, double x) noexcept
{
    if (!On(amount)) {
        t.transientGain = 0.0;
        return 0.0;
    }
    double rmsTwice;
    if (k.everySecond) {
        const double meanSquare = t.meanSquare + k.meanSquareCoef * (x * x - t.meanSquare);
        rmsTwice = 2.0 * std::sqrt(std::fabs(meanSquare));
        t.meanSquare = meanSquare;
        t.rmsTwice = rmsTwice;
    } else {
        rmsTwice = t.rmsTwice;
    }
    const double level = std::max(std::fabs(x), rmsTwice);
    const double holdEnv = t.holdEnv;
    const double r = level < holdEnv ? level + k.release002 * (holdEnv - level) : level;
    t.holdEnv = r;
    const double previousFast = t.fastEnv;
    const double fastCoef = r > previousFast ? k.attack0005 : k.release01;
    const double fastEnv = r + fastCoef * (previousFast - r);
    t.fastEnv = fastEnv;
    const double previousSlow = t.slowEnv;
    const double rising = fastEnv + k.attack005 * (previousSlow - fastEnv);
    const double slowEnv = fastEnv > previousSlow ? rising : fastEnv;
    t.slowEnv = slowEnv;
    const double q = std::sqrt(std::fabs(fastEnv - slowEnv));
    const double gain = amount * 0.5 * (1.0 - 1.0 / (q + 1.0));
    t.transientGain = gain;
    return gain;
}

} // namespace

double RunBandPath(int channelIndex, BandPathChannel& channel, DspVariables& dsp, DelayLineMemory& lines,
                   const FrameConstants& k, double x) noexcept
{
    double silentCount = channel.silentCount;
    if (std::fabs(x) < 0.00000001) {
        if (silentCount < k.silenceLimit) silentCount = silentCount + 1.0;
    } else {
        silentCount = 0.0;
    }
    channel.silentCount = silentCount;
    if (silentCount >= k.silenceLimit) {
        // Held silent: every state stays as it was, and the delay lines' tail is dropped.
        for (int b = 0; b < kBandCount; ++b) {
            channel.band[b] = 0.0;
            channel.compressor[b].gainDivisor = 1.0;
            channel.shaper[b].transientGain = 0.0;
        }
        return 0.0;
    }

    const Bands bands = Split(channel.splitter, x);

    // Each band runs start to finish in the order LO..HI. A band's stages touch only its
    // own state and its own two delay lines, whose slots lie apart from every other
    // line's (i fs upward, far less than fs long), so this is the same as running each
    // stage across the four bands in turn.
    const int alignLine = 4 * channelIndex;
    const int lookaheadLine = 8 + 4 * channelIndex;
    double weighted[kBandCount];
#pragma GCC unroll 4
    for (int b = 0; b < kBandCount; ++b) {
        const double band = bands.value[b];
        const double ahead = lines.Step(lookaheadLine + b, dsp.lines[lookaheadLine + b], band);
        const double compressed =
            Compress(channel.compressor[b], channel.compSettings[b], k, k.punchCoef[b], band, ahead) *
            dsp.makeupGain[b];
        const double aligned = lines.Step(alignLine + b, dsp.lines[alignLine + b], compressed);
        const double t = ShapeTransient(channel.shaper[b], k, channel.transientAmount[b], compressed);
        const double shaped = aligned + t * aligned;
        channel.band[b] = shaped;
        weighted[b] = shaped * dsp.eqGain[b];
    }
    return weighted[0] + weighted[1] + weighted[2] + weighted[3];
}
