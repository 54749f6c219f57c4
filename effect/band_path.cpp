#include "effect/band_path.h"

#include <bit>
#include <cmath>

// 10^(T/20) less one part in 10^9: a margin of 8.7e-9 dB, far beyond the rounding of
// the dB level (under 1e-13 dB for levels from 1e-7 up). Below it the dB level compares
// <= T, gives no reduction and a divisor of exactly exp(0) = 1, so the logarithm and
// the exponential can be skipped there.
double LevelBelowThreshold(double threshold) noexcept { return std::pow(10.0, threshold / 20.0) * (1.0 - 1e-9); }

bool IsCounterMultipleSlow(double counter, int n) noexcept
{
    return std::fabs(std::fmod(counter, static_cast<double>(n))) < 0.00001;
}

namespace {

// The line of lane l: its alignment line l, or its lookahead line 8 + l.
constexpr int AlignLine(int lane) { return lane; }
constexpr int LookaheadLine(int lane) { return kLaneCount + lane; }

// The first and last index of a line's slots, when every slot p is ToIndex(base) + p;
// false otherwise. Longer lines than any rate below 45 MHz makes go cell by cell, which
// bounds the audio thread's work here.
bool LinearSlots(double base, double length, int32_t& first, int32_t& last) noexcept
{
    if (!(length >= 0.0 && length < kMemoryBlockSize)) return false;
    first = ToIndex(base);
    const int64_t end = static_cast<int64_t>(first) + static_cast<int64_t>(length);
    if (end > INT32_MAX) return false;
    for (int p = 0; p <= length; ++p)
        if (static_cast<int64_t>(ToIndex(base + p)) != static_cast<int64_t>(first) + p) return false;
    last = static_cast<int32_t>(end);
    return true;
}

} // namespace

void MapDelayLines(const DelayLine (&lines)[kDelayLineCount], double epoch, MemoryView memory,
                   DelayLineSlots& slots) noexcept
{
    slots = DelayLineSlots{};
    for (int i = 0; i < kDelayLineCount; ++i) {
        slots.writeBase[i] = lines[i].writeBase;
        slots.readBase[i] = lines[i].readBase;
    }
    // The init section makes every line alike, so a channel's first line speaks for its
    // eight (they share one position).
    for (int c = 0; c < kChannelCount; ++c)
        slots.length[c] = lines[AlignLine(Lane(c, 0))].length;
    if (epoch == 0.0) return;

    int32_t first[kDelayLineCount], last[kDelayLineCount];
    bool linear[kDelayLineCount];
    for (int i = 0; i < kDelayLineCount; ++i) {
        const double length = std::floor(slots.length[i % kLaneCount / kBandCount]);
        linear[i] =
            slots.readBase[i] == slots.writeBase[i] && LinearSlots(slots.writeBase[i], length, first[i], last[i]);
    }
    // Lines that share slots must step one after another, as the script orders them:
    // then every line goes cell by cell.
    for (int i = 0; i < kDelayLineCount; ++i)
        for (int j = i + 1; j < kDelayLineCount; ++j)
            if (linear[i] && linear[j] && first[i] <= last[j] && first[j] <= last[i]) return;

    for (int c = 0; c < kChannelCount; ++c) {
        bool direct = true;
        double* align[kBandCount] = {};
        double* lookahead[kBandCount] = {};
        for (int b = 0; b < kBandCount && direct; ++b) {
            const int a = AlignLine(Lane(c, b)), l = LookaheadLine(Lane(c, b));
            // Each line's slots must have one home, in a row.
            align[b] = linear[a] ? memory.Run(first[a], last[a] - first[a] + 1) : nullptr;
            lookahead[b] = linear[l] ? memory.Run(first[l], last[l] - first[l] + 1) : nullptr;
            direct = align[b] && lookahead[b];
        }
        if (!direct) continue;
        for (int b = 0; b < kBandCount; ++b) {
            slots.align[Lane(c, b)] = align[b];
            slots.lookahead[Lane(c, b)] = lookahead[b];
        }
        slots.mapped[c] = std::floor(slots.length[c]) + 1.0;
    }
}

void StepLinesThroughMemory(MemoryView memory, const DelayLineSlots& slots, int firstLine, int count,
                            double position, double next, const double* in, double* out) noexcept
{
    for (int i = 0; i < count; ++i) {
        const int line = firstLine + i;
        if (double* cell = memory.Find(ToIndex(slots.writeBase[line] + position))) *cell = in[i];
        const double* from = memory.Find(ToIndex(slots.readBase[line] + next));
        out[i] = from ? *from : 0.0;
    }
}

void LoadBlockSettings(const DspVariables& dsp, double sampleRate, BandBlockSettings& k) noexcept
{
    const double on = std::bit_cast<double>(~uint64_t{0});
    const double dbFactor = dsp.dbFactor;
    for (int c = 0; c < kChannelCount; ++c) {
        const BandPathChannel& channel = dsp.channel[c];
        const double a80 = channel.splitter.a80, a600 = channel.splitter.a600, a6000 = channel.splitter.a6000;
        const double inputCoef[kBandCount] = {a80, a80, a600, a6000};
        const double residueCoef[kBandCount] = {0.0, a600, a6000, 0.0};
        for (int b = 0; b < kBandCount; ++b) {
            const int l = Lane(c, b);
            const BandCompSettings& settings = channel.compSettings[b];
            k.inputCoef[l] = inputCoef[b];
            k.residueCoef[l] = residueCoef[b];
            k.threshold[l] = settings.threshold;
            k.belowThreshold[l] = settings.belowThreshold;
            k.attack[l] = settings.attack;
            k.release[l] = settings.release;
            k.reductionScale[l] = settings.ratioFactor * dbFactor;
            k.knee[l] = settings.knee;
            k.compressorMask[l] = IsOn(settings.active) ? on : 0.0;
            k.punchCoef[l] = dsp.punchCoef[b];
            k.makeupGain[l] = dsp.makeupGain[b];
            const double amount = channel.transientAmount[b];
            k.halfAmount[l] = amount * 0.5;
            k.shaperMask[l] = IsOn(amount) ? on : 0.0;
            k.eqGain[l] = dsp.eqGain[b];
        }
    }
    k.attack0005 = dsp.attack0005;
    k.release002 = dsp.release002;
    k.attack005 = dsp.attack005;
    k.release01 = dsp.release01;
    k.meanSquareCoef = dsp.meanSquareCoef;
    k.punchOn = IsOn(dsp.punchOn);
    k.silenceLimit = dsp.silenceLimit;
    k.sampleRate = sampleRate;
    k.inputGain = dsp.inputGain;
    k.mixLevelIn = dsp.mixLevelIn;
    k.outputScale = dsp.outputGain * dsp.mixLevelOut;
    k.balanceGain = dsp.balanceGain;
    k.balanceInverse = dsp.balanceInverse;
    k.msMode = IsOn(dsp.msMode);
    k.monoInput = IsOn(dsp.monoInput);
}
