#pragma once
// The band path of one frame, written once for any vector of doubles V. Each source
// that includes this header first defines its V (band_kernel_sse2.cpp, ..._avx2.cpp)
// with these operations, all found by argument-dependent lookup:
//
//   V::kWidth, V::Splat(double), V::SplatBits(uint64_t), V::Load(const double*),
//   Store(double*, V), + - * / (also with a double on either side), MulAdd(a, b, c)
//   = a b + c (fused where the instruction set has it), Max(a, b) and Min(a, b) as
//   the instructions define them (b when either is NaN), Abs, Sqrt, the comparisons
//   Lt, Gt, NotLt, NotLe (all bits set where true), And, Select(mask, a, b), Any, All,
//   the bit operations AndBits, OrBits, AddBits (64-bit lanes) and ShiftRightBits<n>,
//   ShiftLeftBits<n>, and ExchangeLanes(v, slots, at, from), which stores lane i at
//   slots[i][at] and answers lane i from slots[i][from].
//
// Everything here lives in an unnamed namespace, so each instruction set gets its own
// copy and nothing compiled for a wider set can stand in for the baseline one. The
// code calls nothing but V's operations, builtins and out-of-line runtime functions.
//
// The arithmetic follows the band path step for step, in the same order: without fused
// multiply-adds, only the compressor's gain computer (dB level, knee, divisor) rounds
// differently from the plain transcription.

#include <cstddef>
#include <cstdint>

#include "effect/band_state.h"

namespace {

// 20 / ln 10: decibels per neper.
constexpr double kDbPerNeper = 8.685889638065036553;

// ln x for x >= 1e-7, +infinity and NaN (the compressor's level): x = 2^k (1 + f) with
// 1 + f in [sqrt(2)/2, sqrt(2)), ln(1 + f) = 2 atanh(f / (2 + f)) by a polynomial in
// its square. Within an ulp or so of the correctly rounded result.
template <class V> inline V NaturalLog(V x)
{
    constexpr double ln2Hi = 6.93147180369123816490e-01, ln2Lo = 1.90821492927058770002e-10;
    constexpr double lg1 = 6.666666666666735130e-01, lg2 = 3.999999999940941908e-01, lg3 = 2.857142874366239149e-01,
                     lg4 = 2.222219843214978396e-01, lg5 = 1.818357216161805012e-01, lg6 = 1.531383769920937332e-01,
                     lg7 = 1.479819860511658591e-01;
    // Moves the mantissas from sqrt(2)/2 up into the next exponent.
    const V u = AddBits(x, 0x3ff0000000000000ULL - 0x3fe6a09e00000000ULL);
    // The exponent as a double: its biased value written under 2^52, less 2^52 + 1023.
    const V k = OrBits(ShiftRightBits<52>(u), 0x4330000000000000ULL) - (4503599627370496.0 + 1023.0);
    const V m = AddBits(AndBits(u, 0x000fffffffffffffULL), 0x3fe6a09e00000000ULL);
    const V f = m - 1.0;
    const V halfSquare = 0.5 * f * f;
    const V s = f / (2.0 + f);
    const V z = s * s;
    const V w = z * z;
    const V t1 = w * MulAdd(w, MulAdd(w, V::Splat(lg6), V::Splat(lg4)), V::Splat(lg2));
    const V t2 = z * MulAdd(w, MulAdd(w, MulAdd(w, V::Splat(lg7), V::Splat(lg5)), V::Splat(lg3)), V::Splat(lg1));
    const V r = t2 + t1;
    const V result = MulAdd(k, V::Splat(ln2Hi), MulAdd(s, halfSquare + r, k * ln2Lo) - halfSquare + f);
    // Infinity and NaN stand for themselves.
    return Select(NotLe(x, V::Splat(1.7976931348623157e308)), x, result);
}

// e^y for any y: y = n ln 2 + r with |r| <= ln 2 / 2, e^r by its Taylor polynomial to
// the 12th power (evaluated in Estrin's scheme), 2^n built in the exponent field.
// Within a few ulps wherever the result is normal; +infinity above the range, NaN for
// NaN, and about 3e-308 below e^-708 (the compressor never goes there).
template <class V> inline V Exponential(V y)
{
    constexpr double log2e = 1.4426950408889634074;
    constexpr double ln2Hi = 6.93147180369123816490e-01, ln2Lo = 1.90821492927058770002e-10;
    constexpr double shifter = 6755399441055744.0; // 1.5 * 2^52: adding it rounds to a whole number
    const V yc = Min(Max(y, V::Splat(-708.0)), V::Splat(709.78));
    const V t = MulAdd(yc, V::Splat(log2e), V::Splat(shifter));
    const V n = t - shifter;
    const V r = MulAdd(n, V::Splat(-ln2Lo), MulAdd(n, V::Splat(-ln2Hi), yc));
    const V r2 = r * r;
    const V r4 = r2 * r2;
    const V r8 = r4 * r4;
    const V p01 = r + 1.0;
    const V p23 = MulAdd(r, V::Splat(1.0 / 6), V::Splat(0.5));
    const V p45 = MulAdd(r, V::Splat(1.0 / 120), V::Splat(1.0 / 24));
    const V p67 = MulAdd(r, V::Splat(1.0 / 5040), V::Splat(1.0 / 720));
    const V p89 = MulAdd(r, V::Splat(1.0 / 362880), V::Splat(1.0 / 40320));
    const V p1011 = MulAdd(r, V::Splat(1.0 / 39916800), V::Splat(1.0 / 3628800));
    const V q0 = MulAdd(p23, r2, p01);
    const V q1 = MulAdd(p67, r2, p45);
    const V q2 = MulAdd(p1011, r2, p89);
    const V s0 = MulAdd(q1, r4, q0);
    const V s1 = MulAdd(V::Splat(1.0 / 479001600), r4, q2);
    const V p = MulAdd(s1, r8, s0);
    // 2^(n - 1), so that n = 1024 (just below the largest double) still has an exponent.
    const V half = ShiftLeftBits<52>(AddBits(t, 1022));
    const V result = (p + p) * half;
    return Select(NotLe(y, V::Splat(709.782712893384)), y * __builtin_inf(), result);
}

template <class V> inline V Zero() { return V::Splat(0.0); }

// The lanes of a group that take the residue poles (LM, HM) and the HI band.
alignas(64) constexpr uint64_t kResidueLanes[kLaneCount] = {0, ~0ULL, ~0ULL, 0, 0, ~0ULL, ~0ULL, 0};
alignas(64) constexpr uint64_t kHighLanes[kLaneCount] = {0, 0, 0, ~0ULL, 0, 0, 0, ~0ULL};

template <class V> inline V LoadMask(const uint64_t* bits) { return V::Load(reinterpret_cast<const double*>(bits)); }

// One frame's step of a channel's delay lines: each takes its input at `position` and
// answers from `next`; at and from are the same as slot numbers when the lines are
// reached by pointer.
struct LineStep {
    double position, next;
    size_t at, from;
    bool direct;
};

inline LineStep StepOf(const BandPathState& s, const DelayLineSlots& lines, int c)
{
    LineStep step;
    step.position = s.linePosition[c];
    const double n = step.position + 1.0;
    step.next = n > lines.length[c] ? 0.0 : n;
    // Mapped positions are whole numbers below 65537, and so is the next one.
    step.direct = step.position < lines.mapped[c];
    step.at = step.direct ? static_cast<size_t>(static_cast<int64_t>(step.position)) : 0;
    step.from = step.direct ? static_cast<size_t>(static_cast<int64_t>(step.next)) : 0;
    return step;
}

// The band paths of channels first .. first + channels - 1 for one frame; `direct`
// when their delay lines are reached by pointer (always so when both channels run).
template <class V, int first, int channels, bool direct>
inline __attribute__((always_inline)) void
RunChannels(BandPathState& __restrict s, const BandBlockSettings& __restrict k, const DelayLineSlots& __restrict lines,
            MemoryView memory, const LineStep* steps, const double* x, double* y, unsigned flags)
{
    constexpr int kWidth = V::kWidth;
    constexpr int kGroupsPerChannel = kBandCount / kWidth;
    constexpr int kGroups = channels * kGroupsPerChannel;
    constexpr int kFirstLane = first * kBandCount;
    static_assert(kBandCount % kWidth == 0);

    V band[kGroups], ahead[kGroups], compressed[kGroups], aligned[kGroups];

    // The splitter: z1, z2, z4 and z6 follow the input, z3 and z5 the residues x - z2
    // and x - z4; LO = z1, LM = z3, HM = z5, HI = x - z6.
#pragma GCC unroll 4
    for (int g = 0; g < kGroups; ++g) {
        const int o = kFirstLane + g * kWidth;
        const V in = V::Splat(x[first + g / kGroupsPerChannel]);
        const V z0 = V::Load(s.inputPoles + o);
        const V z = MulAdd(V::Load(k.inputCoef + o), in - z0, z0);
        Store(s.inputPoles + o, z);
        const V residue = in - z;
        const V r0 = V::Load(s.residuePoles + o);
        const V r = MulAdd(V::Load(k.residueCoef + o), residue - r0, r0);
        Store(s.residuePoles + o, r);
        band[g] = Select(LoadMask<V>(kResidueLanes + o), r, Select(LoadMask<V>(kHighLanes + o), residue, z));
    }

    // One delay step for a group: in goes in at the position, the answer comes from the
    // next one. Lines 0-7 are the alignment lines, 8-15 the lookahead lines.
    auto step = [&](double* const* slots, int lineOffset, int g, V in) -> V {
        const LineStep& at = steps[first + g / kGroupsPerChannel];
        const int o = kFirstLane + g * kWidth;
        if constexpr (direct) {
            return ExchangeLanes(in, slots + o, at.at, at.from);
        } else {
            double values[kWidth], out[kWidth];
            Store(values, in);
            StepLinesThroughMemory(memory, lines, lineOffset + o, kWidth, at.position, at.next, values, out);
            return V::Load(out);
        }
    };

#pragma GCC unroll 4
    for (int g = 0; g < kGroups; ++g)
        ahead[g] = step(lines.lookahead, 8, g, band[g]);

    // The compressors, on the undelayed band; the lookahead line's output is divided.
    const bool everyFourth = (flags & kEveryFourth) != 0;
#pragma GCC unroll 4
    for (int g = 0; g < kGroups; ++g) {
        const int o = kFirstLane + g * kWidth;
        const V active = V::Load(k.compressorMask + o);
        const V makeup = V::Load(k.makeupGain + o);
        if (!Any(active)) {
            Store(s.gainDivisor + o, V::Splat(1.0));
            compressed[g] = ahead[g] * makeup;
            continue;
        }
        const V level = Max(V::Splat(0.0000001), Abs(band[g]));
        // Below the bound the level in dB is at most the threshold: no reduction, d = 1.
        const V over = And(active, NotLt(level, V::Load(k.belowThreshold + o)));
        V d = V::Splat(1.0);
        if (Any(over)) {
            const V levelDb = NaturalLog(level) * kDbPerNeper;
            const V threshold = V::Load(k.threshold + o);
            V excess = Select(Gt(levelDb, threshold), levelDb - threshold, Zero<V>());
            excess = excess * excess / (excess + V::Load(k.knee + o)); // soft knee
            d = Select(over, Exponential(excess * V::Load(k.reductionScale + o)), d);
        }
        V peak = Max(d, V::Load(s.peakGain + o));
        V hold = V::Load(s.holdGain + o);
        V release = V::Load(s.releaseNow + o);
        if (everyFourth) {
            hold = Select(Gt(peak, hold), peak, MulAdd(V::Splat(k.release002), hold - peak, peak));
            const V inverse = 1.0 / hold;
            // Deeper held reduction leans the release towards 100 ms.
            release = MulAdd(1.0 - inverse, V::Splat(k.release01), inverse * V::Load(k.release + o));
            peak = Zero<V>();
        }
        const V slowPeak = V::Load(s.slowPeak + o);
        const V e = Select(Lt(d, slowPeak), MulAdd(V::Splat(k.release002), slowPeak - d, d), d);
        const V smoothed = V::Load(s.smoothGain + o);
        const V towards = Select(Gt(e, smoothed), V::Load(k.attack + o), release);
        const V smoothGain = MulAdd(towards, smoothed - e, e);
        V g1 = Max(V::Splat(1.0), smoothGain);
        V punch = V::Load(s.punchGain + o);
        if (k.punchOn) {
            punch = MulAdd(g1 - punch, V::Load(k.punchCoef + o), punch);
            g1 = punch;
        }
        // Bands whose compressor is off keep their detector states.
        const bool all = All(active);
        auto keep = [&](double* to, V value) { Store(to, all ? value : Select(active, value, V::Load(to))); };
        keep(s.peakGain + o, peak);
        if (everyFourth) {
            keep(s.holdGain + o, hold);
            keep(s.releaseNow + o, release);
        }
        keep(s.slowPeak + o, e);
        keep(s.smoothGain + o, smoothGain);
        if (k.punchOn) keep(s.punchGain + o, punch);
        Store(s.gainDivisor + o, Select(active, g1, V::Splat(1.0)));
        compressed[g] = Select(active, ahead[g] / g1, ahead[g]) * makeup;
    }

#pragma GCC unroll 4
    for (int g = 0; g < kGroups; ++g)
        aligned[g] = step(lines.align, 0, g, compressed[g]);

    // The transient shapers, on the compressed band before its alignment delay; their
    // gain offset applies to the aligned band. Then the band gains, summed per channel.
    const bool everySecond = (flags & kEverySecond) != 0;
    double weighted[kLaneCount];
#pragma GCC unroll 4
    for (int g = 0; g < kGroups; ++g) {
        const int o = kFirstLane + g * kWidth;
        const V on = V::Load(k.shaperMask + o);
        V shaped = aligned[g];
        if (!Any(on)) {
            Store(s.transientGain + o, Zero<V>());
        } else {
            const V in = compressed[g];
            V meanSquare = V::Load(s.meanSquare + o);
            V rmsTwice = V::Load(s.rmsTwice + o);
            if (everySecond) {
                meanSquare = MulAdd(V::Splat(k.meanSquareCoef), in * in - meanSquare, meanSquare);
                rmsTwice = 2.0 * Sqrt(Abs(meanSquare));
            }
            const V level = Max(rmsTwice, Abs(in));
            const V holdEnv = V::Load(s.holdEnv + o);
            const V r = Select(Lt(level, holdEnv), MulAdd(V::Splat(k.release002), holdEnv - level, level), level);
            const V fast0 = V::Load(s.fastEnv + o);
            const V fastCoef = Select(Gt(r, fast0), V::Splat(k.attack0005), V::Splat(k.release01));
            const V fastEnv = MulAdd(fastCoef, fast0 - r, r);
            const V slow0 = V::Load(s.slowEnv + o);
            const V slowEnv =
                Select(Gt(fastEnv, slow0), MulAdd(V::Splat(k.attack005), slow0 - fastEnv, fastEnv), fastEnv);
            const V q = Sqrt(Abs(fastEnv - slowEnv));
            const V gain = V::Load(k.halfAmount + o) * (1.0 - 1.0 / (q + 1.0));
            const bool all = All(on);
            auto keep = [&](double* to, V value) { Store(to, all ? value : Select(on, value, V::Load(to))); };
            if (everySecond) {
                keep(s.meanSquare + o, meanSquare);
                keep(s.rmsTwice + o, rmsTwice);
            }
            keep(s.holdEnv + o, r);
            keep(s.fastEnv + o, fastEnv);
            keep(s.slowEnv + o, slowEnv);
            const V t = Select(on, gain, Zero<V>());
            Store(s.transientGain + o, t);
            shaped = MulAdd(t, shaped, shaped);
        }
        Store(s.band + o, shaped);
        Store(weighted + o, shaped * V::Load(k.eqGain + o));
    }

    for (int i = 0; i < channels; ++i) {
        const int c = first + i;
        const double* w = weighted + c * kBandCount;
        y[c] = w[0] + w[1] + w[2] + w[3];
        s.linePosition[c] = steps[c].next;
    }
}

// Both channels side by side when both run and their lines are reached by pointer,
// else one after the other.
template <class V>
inline __attribute__((always_inline)) void RunBands(BandPathState& __restrict s, const BandBlockSettings& __restrict k,
                                                    const DelayLineSlots& __restrict lines, MemoryView memory,
                                                    const double* x, double* y, unsigned flags)
{
    const bool one = (flags & kRunChannel1) != 0, two = (flags & kRunChannel2) != 0;
    LineStep steps[kChannelCount];
    if (one) steps[0] = StepOf(s, lines, 0);
    if (two) steps[1] = StepOf(s, lines, 1);
    if (one && two && steps[0].direct && steps[1].direct) {
        RunChannels<V, 0, 2, true>(s, k, lines, memory, steps, x, y, flags);
        return;
    }
    if (one) {
        if (steps[0].direct)
            RunChannels<V, 0, 1, true>(s, k, lines, memory, steps, x, y, flags);
        else
            RunChannels<V, 0, 1, false>(s, k, lines, memory, steps, x, y, flags);
    }
    if (two) {
        if (steps[1].direct)
            RunChannels<V, 1, 1, true>(s, k, lines, memory, steps, x, y, flags);
        else
            RunChannels<V, 1, 1, false>(s, k, lines, memory, steps, x, y, flags);
    }
}

// The silence hold of channel c for input x: false while the channel is held, its
// bands then 0, its divisors 1 and its transient gains 0.
inline bool Sounding(BandPathState& s, double limit, int c, double x)
{
    double count = s.silentCount[c];
    if (__builtin_fabs(x) < 0.00000001) {
        if (count < limit) count = count + 1.0;
    } else {
        count = 0.0;
    }
    s.silentCount[c] = count;
    if (count < limit) return true;
    for (int b = 0; b < kBandCount; ++b) {
        s.band[c * kBandCount + b] = 0.0;
        s.gainDivisor[c * kBandCount + b] = 1.0;
        s.transientGain[c * kBandCount + b] = 0.0;
    }
    return false;
}

// The stereo frame in sample values 0 and 1: input gain and mix level, the encoding
// with its balance, the band paths, the decoding and the output gain.
template <class V>
void RunStereoFrame(BandPathState& __restrict s, const BandBlockSettings& __restrict k,
                    const DelayLineSlots& __restrict lines, MemoryView memory, double* samples, unsigned flags)
{
    const double a = samples[0] * k.inputGain * k.mixLevelIn;
    const double b = samples[1] * k.inputGain * k.mixLevelIn;
    double x[kChannelCount];
    if (k.msMode) {
        x[0] = (a + b) * 0.5 * k.balanceGain;
        x[1] = (a - b) * k.balanceInverse; // the side is not halved; decoding halves it
    } else {
        x[0] = a * k.balanceGain;
        x[1] = b * k.balanceInverse;
    }
    // With a mono input, channel 2 stands still, silence hold included.
    if (Sounding(s, k.silenceLimit, 0, x[0])) flags |= kRunChannel1;
    if (!k.monoInput && Sounding(s, k.silenceLimit, 1, x[1])) flags |= kRunChannel2;
    double y[kChannelCount] = {0.0, 0.0};
    if (flags & (kRunChannel1 | kRunChannel2)) RunBands<V>(s, k, lines, memory, x, y, flags);

    // The balance only weights how hard each channel drives its dynamics: it is undone
    // right after the band path.
    const double ch1 = y[0] * k.balanceInverse;
    double ch2 = k.monoInput ? x[1] : y[1] * k.balanceGain;
    const double gain = k.outputScale;
    if (!k.msMode) {
        if (k.monoInput) ch2 = ch1;
        samples[0] = ch1 * gain;
        samples[1] = ch2 * gain;
    } else {
        const double side = 0.5 * ch2;
        samples[0] = (ch1 + side) * gain;
        samples[1] = (ch1 - side) * gain;
    }
}

} // namespace
