#pragma once
// The band path of a block of frames, written once for any vector of doubles V. Each
// source that includes this header first defines its V (band_kernel_sse2.cpp,
// ..._avx2.cpp, ..._avx512.cpp) with these operations, all found by argument-dependent
// lookup:
//
//   V::kWidth, V::Mask (what the comparisons answer), V::Narrow (a vector of at most
//   four lanes for frames that run one channel alone), V::Splat(double),
//   V::SplatBits(uint64_t), V::Load(const double*), Store(double*, V), + - * (also
//   with a double on either side), MulAdd(a, b, c) = a b + c (fused where the
//   instruction set has it), Div(a, b), Reciprocal(b) and Sqrt(a) (correctly rounded,
//   or within a few ulps where the set has a faster way), Max(a, b) and Min(a, b) as
//   the instructions define them (b when either is NaN), Abs, the comparisons Lt, Gt,
//   NotLt, NotLe, And(Mask, Mask), Select(Mask, a, b), Any, All, V::LoadMask(const
//   double*) (lanes with all bits set), the bit operations AndBits, OrBits, AddBits
//   (64-bit lanes) and ShiftRightBits<n>, ShiftLeftBits<n>, and ExchangeLanes(v, slots,
//   at, from), which stores lane i at slots[i][at] and answers lane i from
//   slots[i][from] (for V::Narrow), V::LoadFirst(p, n) and StoreFirst(p, v, n) (lanes
//   0 .. n - 1 alone, the others 0 and untouched), and Transpose(V (&rows)[kWidth])
//   (lane j of row i to lane i of row j). A V wider than one channel's four bands also has
//   V::SplatHalves(a, b) and SumQuarters(v, y) (each four lanes' sum). Where V::kExponentOps is
//   true it splits and scales exponents itself: SplitExponent(x, k, m) (x = 2^k m, m
//   in [0.75, 1.5)), RoundToWhole and ScaleByPowerOfTwo(p, n) = p 2^n.
//
// Everything here lives in an unnamed namespace, so each instruction set gets its own
// copy and nothing compiled for a wider set can stand in for the baseline one. The
// code calls nothing but V's operations, builtins and out-of-line runtime functions.
//
// A block runs in two ways. While both channels sound and their delay lines are reached
// by pointer (nearly always), the states that carry from frame to frame stay in local
// variables across the frames, in vectors of V, the settings are taken once, and the
// delay lines are read and written a run of frames at a time (LineWindow). Any other
// frame (a channel held silent, a mono input, lines stepped cell by cell) puts the
// states back into BandPathState and runs there on V::Narrow, a channel at a time.
//
// The arithmetic follows the band path step for step, in the same order: without fused
// multiply-adds, only the compressor's gain computer (dB level, knee, divisor) and the
// sum of the four bands round differently from the plain transcription.

#include <cstddef>
#include <cstdint>

#include "effect/band_path.h"
#include "effect/band_state.h"

namespace {

// 20 / ln 10: decibels per neper.
constexpr double kDbPerNeper = 8.685889638065036553;

// ln x for x >= 1e-7, +infinity and NaN (the compressor's level): x = 2^k m with m in
// [sqrt(2)/2, sqrt(2)) (or [0.75, 1.5) where the set splits exponents itself),
// ln m = 2 atanh(f / (2 + f)), f = m - 1, by a polynomial in its square. Within an ulp
// or so of the correctly rounded result on the first range, within 3e-15 on the second.
template <class V> inline V NaturalLog(V x)
{
    constexpr double ln2Hi = 6.93147180369123816490e-01, ln2Lo = 1.90821492927058770002e-10;
    constexpr double lg1 = 6.666666666666735130e-01, lg2 = 3.999999999940941908e-01, lg3 = 2.857142874366239149e-01,
                     lg4 = 2.222219843214978396e-01, lg5 = 1.818357216161805012e-01, lg6 = 1.531383769920937332e-01,
                     lg7 = 1.479819860511658591e-01;
    V k, m;
    if constexpr (V::kExponentOps) {
        SplitExponent(x, k, m);
    } else {
        // Moves the mantissas from sqrt(2)/2 up into the next exponent.
        const V u = AddBits(x, 0x3ff0000000000000ULL - 0x3fe6a09e00000000ULL);
        // The exponent as a double: its biased value written under 2^52, less 2^52 + 1023.
        k = OrBits(ShiftRightBits<52>(u), 0x4330000000000000ULL) - (4503599627370496.0 + 1023.0);
        m = AddBits(AndBits(u, 0x000fffffffffffffULL), 0x3fe6a09e00000000ULL);
    }
    const V f = m - 1.0;
    const V halfSquare = 0.5 * f * f;
    const V s = Div(f, 2.0 + f);
    const V z = s * s;
    const V w = z * z;
    const V t1 = w * MulAdd(w, MulAdd(w, V::Splat(lg6), V::Splat(lg4)), V::Splat(lg2));
    const V t2 = z * MulAdd(w, MulAdd(w, MulAdd(w, V::Splat(lg7), V::Splat(lg5)), V::Splat(lg3)), V::Splat(lg1));
    const V r = t2 + t1;
    const V result = MulAdd(k, V::Splat(ln2Hi), MulAdd(s, halfSquare + r, k * ln2Lo) - halfSquare + f);
    // Infinity and NaN stand for themselves.
    return Select(NotLe(x, V::Splat(1.7976931348623157e308)), x, result);
}

// e^y for any y: y = n ln 2 + r with |r| <= ln 2 / 2 (or a hair more), e^r by its
// Taylor polynomial to the 12th power (evaluated in Estrin's scheme), 2^n built in the
// exponent field. Within a few ulps wherever the result is normal; +infinity above the
// range, NaN for NaN, and about 3e-308 below e^-708 (the compressor never goes there).
template <class V> inline V Exponential(V y)
{
    constexpr double log2e = 1.4426950408889634074;
    constexpr double ln2Hi = 6.93147180369123816490e-01, ln2Lo = 1.90821492927058770002e-10;
    constexpr double shifter = 6755399441055744.0; // 1.5 * 2^52: adding it rounds to a whole number
    const V yc = Min(Max(y, V::Splat(-708.0)), V::Splat(709.78));
    V t, n;
    if constexpr (V::kExponentOps) {
        n = RoundToWhole(yc * log2e);
    } else {
        t = MulAdd(yc, V::Splat(log2e), V::Splat(shifter));
        n = t - shifter;
    }
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
    V result;
    if constexpr (V::kExponentOps) {
        result = ScaleByPowerOfTwo(p, n);
    } else {
        // 2^(n - 1), so that n = 1024 (just below the largest double) still has an exponent.
        const V half = ShiftLeftBits<52>(AddBits(t, 1022));
        result = (p + p) * half;
    }
    return Select(NotLe(y, V::Splat(709.782712893384)), y * __builtin_inf(), result);
}

template <class V> inline V Zero() { return V::Splat(0.0); }

// The lanes of a group that take the residue poles (LM, HM) and the HI band.
alignas(64) constexpr uint64_t kResidueLanes[kLaneCount] = {0, ~0ULL, ~0ULL, 0, 0, ~0ULL, ~0ULL, 0};
alignas(64) constexpr uint64_t kHighLanes[kLaneCount] = {0, 0, 0, ~0ULL, 0, 0, 0, ~0ULL};

// One frame's step of a channel's delay lines: each takes its input at `position` and
// answers from `next`; at and from are the same as slot numbers when the lines are
// reached by pointer.
struct LineStep {
    double position, next;
    size_t at, from;
    bool direct;
};

inline LineStep StepOf(double position, const DelayLineSlots& lines, int c)
{
    LineStep step;
    step.position = position;
    const double n = position + 1.0;
    step.next = n > lines.length[c] ? 0.0 : n;
    // Mapped positions are whole numbers below 65537, and so is the next one.
    step.direct = position < lines.mapped[c];
    step.at = step.direct ? static_cast<size_t>(static_cast<int64_t>(position)) : 0;
    step.from = step.direct ? static_cast<size_t>(static_cast<int64_t>(step.next)) : 0;
    return step;
}

// The detectors' pacing for a sample counter, every second and every fourth frame, as
// IsCounterMultiple (band_path.h) gives it: a copy of its own, since the linker may take
// any one build's copy of a shared inline function for all of them.
inline unsigned Pacing(double counter)
{
    if (counter >= 0.0 && counter < 2147483648.0) {
        const auto whole = static_cast<int32_t>(counter);
        if (static_cast<double>(whole) == counter)
            return ((whole & 1) == 0 ? kEverySecond : 0u) | ((whole & 3) == 0 ? kEveryFourth : 0u);
    }
    return (IsCounterMultipleSlow(counter, 2) ? kEverySecond : 0u) |
           (IsCounterMultipleSlow(counter, 4) ? kEveryFourth : 0u);
}

// The settings of a block as vectors of V: masks and the one-pole constants taken once,
// and whether each group's compressors and shapers are on in any or all lanes.
template <class V> struct BlockConstants {
    static constexpr int kGroups = kLaneCount / V::kWidth;
    using Mask = typename V::Mask;
    Mask residueLanes[kGroups], highLanes[kGroups], compressor[kGroups], shaper[kGroups];
    bool anyCompressor[kGroups], allCompressor[kGroups], anyShaper[kGroups], allShaper[kGroups];
    V release002, release01, attack0005, attack005, meanSquareCoef;

    explicit BlockConstants(const BandBlockSettings& k)
    {
        for (int g = 0; g < kGroups; ++g) {
            const int o = g * V::kWidth;
            residueLanes[g] = V::LoadMask(reinterpret_cast<const double*>(kResidueLanes + o));
            highLanes[g] = V::LoadMask(reinterpret_cast<const double*>(kHighLanes + o));
            compressor[g] = V::LoadMask(k.compressorMask + o);
            shaper[g] = V::LoadMask(k.shaperMask + o);
            anyCompressor[g] = Any(compressor[g]);
            allCompressor[g] = All(compressor[g]);
            anyShaper[g] = Any(shaper[g]);
            allShaper[g] = All(shaper[g]);
        }
        release002 = V::Splat(k.release002);
        release01 = V::Splat(k.release01);
        attack0005 = V::Splat(k.attack0005);
        attack005 = V::Splat(k.attack005);
        meanSquareCoef = V::Splat(k.meanSquareCoef);
    }
};

// The states that carry from frame to frame, as vectors of V (band, gainDivisor and
// transientGain are results the block section and the tests read).
template <class V> struct Carried {
    static constexpr int kGroups = kLaneCount / V::kWidth;
    V inputPoles[kGroups], residuePoles[kGroups], band[kGroups], gainDivisor[kGroups], peakGain[kGroups],
        holdGain[kGroups], releaseNow[kGroups], slowPeak[kGroups], smoothGain[kGroups], punchGain[kGroups],
        meanSquare[kGroups], rmsTwice[kGroups], holdEnv[kGroups], fastEnv[kGroups], slowEnv[kGroups],
        transientGain[kGroups];
};

// Calls visit(vectors, lanes) for each carried array and its BandPathState lanes.
template <class C, class S, class Visit> inline __attribute__((always_inline)) void ForEachCarried(C& c, S& s, Visit visit)
{
    visit(c.inputPoles, s.inputPoles);
    visit(c.residuePoles, s.residuePoles);
    visit(c.band, s.band);
    visit(c.gainDivisor, s.gainDivisor);
    visit(c.peakGain, s.peakGain);
    visit(c.holdGain, s.holdGain);
    visit(c.releaseNow, s.releaseNow);
    visit(c.slowPeak, s.slowPeak);
    visit(c.smoothGain, s.smoothGain);
    visit(c.punchGain, s.punchGain);
    visit(c.meanSquare, s.meanSquare);
    visit(c.rmsTwice, s.rmsTwice);
    visit(c.holdEnv, s.holdEnv);
    visit(c.fastEnv, s.fastEnv);
    visit(c.slowEnv, s.slowEnv);
    visit(c.transientGain, s.transientGain);
}

template <class V> inline __attribute__((always_inline)) void LoadCarried(Carried<V>& c, const BandPathState& s)
{
    ForEachCarried(c, s, [](V* to, const double* from) {
#pragma GCC unroll 4
        for (int g = 0; g < Carried<V>::kGroups; ++g)
            to[g] = V::Load(from + g * V::kWidth);
    });
}

template <class V> inline __attribute__((always_inline)) void StoreCarried(BandPathState& s, const Carried<V>& c)
{
    ForEachCarried(c, s, [](const V* from, double* to) {
#pragma GCC unroll 4
        for (int g = 0; g < Carried<V>::kGroups; ++g)
            Store(to + g * V::kWidth, from[g]);
    });
}

// How a frame reaches its delay lines: through rows of a LineWindow (below), by
// pointer, or through script memory cell by cell.
enum class LineAccess { kRows, kDirect, kThroughMemory };

// One frame's rows of a LineWindow: what each line answers, and where what goes into it waits.
struct FrameRows {
    const double* aheadIn;
    double* aheadOut;
    const double* alignIn;
    double* alignOut;
};

// The band paths of channels first .. first + channels - 1 for one frame, on the
// carried states c. Groups of other channels are left as they are.
template <class V, int first, int channels, LineAccess access>
inline __attribute__((always_inline)) void
RunChannels(Carried<V>& c, const BandBlockSettings& __restrict k, const BlockConstants<V>& kc,
            const DelayLineSlots& __restrict lines, MemoryView memory, const LineStep* steps, FrameRows rows,
            const double* x, double* y, unsigned flags)
{
    constexpr int kWidth = V::kWidth;
    constexpr bool kSpansChannels = kWidth > kBandCount;
    static_assert(kSpansChannels ? (first == 0 && channels == 2 && access == LineAccess::kRows)
                                 : kBandCount % kWidth == 0);
    constexpr int kFirstGroup = first * kBandCount / kWidth;
    constexpr int kGroups = kSpansChannels ? 1 : channels * kBandCount / kWidth;
    using Mask = typename V::Mask;

    V ahead[kGroups], compressed[kGroups], aligned[kGroups];

    // The splitter: z1, z2, z4 and z6 follow the input, z3 and z5 the residues x - z2
    // and x - z4; LO = z1, LM = z3, HM = z5, HI = x - z6.
#pragma GCC unroll 4
    for (int i = 0; i < kGroups; ++i) {
        const int g = kFirstGroup + i, o = g * kWidth;
        V in;
        if constexpr (kSpansChannels)
            in = V::SplatHalves(x[0], x[1]);
        else
            in = V::Splat(x[o / kBandCount]);
        const V z0 = c.inputPoles[g];
        const V z = MulAdd(V::Load(k.inputCoef + o), in - z0, z0);
        c.inputPoles[g] = z;
        const V residue = in - z;
        const V r0 = c.residuePoles[g];
        const V r = MulAdd(V::Load(k.residueCoef + o), residue - r0, r0);
        c.residuePoles[g] = r;
        c.band[g] = Select(kc.residueLanes[g], r, Select(kc.highLanes[g], residue, z));
    }

    // One delay step for a group: in goes in at the position, the answer comes from the
    // next one. Lines 0-7 are the alignment lines, 8-15 the lookahead lines.
    auto step = [&](double* const* slots, int lineOffset, int g, V in) -> V {
        const int o = g * kWidth;
        if constexpr (access == LineAccess::kRows) {
            const bool ahead = lineOffset != 0;
            Store((ahead ? rows.aheadOut : rows.alignOut) + o, in);
            return V::Load((ahead ? rows.aheadIn : rows.alignIn) + o);
        } else if constexpr (access == LineAccess::kDirect) {
            const LineStep& at = steps[o / kBandCount];
            return ExchangeLanes(in, slots + o, at.at, at.from);
        } else {
            const LineStep& at = steps[o / kBandCount];
            double values[kWidth], out[kWidth];
            Store(values, in);
            StepLinesThroughMemory(memory, lines, lineOffset + o, kWidth, at.position, at.next, values, out);
            return V::Load(out);
        }
    };

#pragma GCC unroll 4
    for (int i = 0; i < kGroups; ++i)
        ahead[i] = step(lines.lookahead, 8, kFirstGroup + i, c.band[kFirstGroup + i]);

    // The compressors, on the undelayed band; the lookahead line's output is divided.
    const bool everyFourth = (flags & kEveryFourth) != 0;
#pragma GCC unroll 4
    for (int i = 0; i < kGroups; ++i) {
        const int g = kFirstGroup + i, o = g * kWidth;
        const Mask active = kc.compressor[g];
        const V makeup = V::Load(k.makeupGain + o);
        if (!kc.anyCompressor[g]) {
            c.gainDivisor[g] = V::Splat(1.0);
            compressed[i] = ahead[i] * makeup;
            continue;
        }
        const V band = c.band[g];
        const V level = Max(V::Splat(0.0000001), Abs(band));
        // Below the bound the level in dB is at most the threshold: no reduction, d = 1.
        const Mask over = And(active, NotLt(level, V::Load(k.belowThreshold + o)));
        V d = V::Splat(1.0);
        if (Any(over)) {
            const V levelDb = NaturalLog(level) * kDbPerNeper;
            const V threshold = V::Load(k.threshold + o);
            V excess = Select(Gt(levelDb, threshold), levelDb - threshold, Zero<V>());
            excess = Div(excess * excess, excess + V::Load(k.knee + o)); // soft knee
            d = Select(over, Exponential(excess * V::Load(k.reductionScale + o)), d);
        }
        V peak = Max(d, c.peakGain[g]);
        V hold = c.holdGain[g];
        V release = c.releaseNow[g];
        if (everyFourth) {
            hold = Select(Gt(peak, hold), peak, MulAdd(kc.release002, hold - peak, peak));
            const V inverse = Reciprocal(hold);
            // Deeper held reduction leans the release towards 100 ms.
            release = MulAdd(1.0 - inverse, kc.release01, inverse * V::Load(k.release + o));
            peak = Zero<V>();
        }
        const V slowPeak = c.slowPeak[g];
        const V e = Select(Lt(d, slowPeak), MulAdd(kc.release002, slowPeak - d, d), d);
        const V smoothed = c.smoothGain[g];
        const V towards = Select(Gt(e, smoothed), V::Load(k.attack + o), release);
        const V smoothGain = MulAdd(towards, smoothed - e, e);
        V g1 = Max(V::Splat(1.0), smoothGain);
        V punch = c.punchGain[g];
        if (k.punchOn) {
            punch = MulAdd(g1 - punch, V::Load(k.punchCoef + o), punch);
            g1 = punch;
        }
        // Bands whose compressor is off keep their detector states.
        const bool all = kc.allCompressor[g];
        auto keep = [&](V& to, V value) { to = all ? value : Select(active, value, to); };
        keep(c.peakGain[g], peak);
        if (everyFourth) {
            keep(c.holdGain[g], hold);
            keep(c.releaseNow[g], release);
        }
        keep(c.slowPeak[g], e);
        keep(c.smoothGain[g], smoothGain);
        if (k.punchOn) keep(c.punchGain[g], punch);
        if (all) {
            c.gainDivisor[g] = g1;
            compressed[i] = Div(ahead[i], g1) * makeup;
        } else {
            c.gainDivisor[g] = Select(active, g1, V::Splat(1.0));
            compressed[i] = Select(active, Div(ahead[i], g1), ahead[i]) * makeup;
        }
    }

#pragma GCC unroll 4
    for (int i = 0; i < kGroups; ++i)
        aligned[i] = step(lines.align, 0, kFirstGroup + i, compressed[i]);

    // The transient shapers, on the compressed band before its alignment delay; their
    // gain offset applies to the aligned band. Then the band gains, summed per channel.
    const bool everySecond = (flags & kEverySecond) != 0;
    V weighted[kGroups];
#pragma GCC unroll 4
    for (int i = 0; i < kGroups; ++i) {
        const int g = kFirstGroup + i, o = g * kWidth;
        const Mask on = kc.shaper[g];
        V shaped = aligned[i];
        if (!kc.anyShaper[g]) {
            c.transientGain[g] = Zero<V>();
        } else {
            const V in = compressed[i];
            V meanSquare = c.meanSquare[g];
            V rmsTwice = c.rmsTwice[g];
            if (everySecond) {
                meanSquare = MulAdd(kc.meanSquareCoef, in * in - meanSquare, meanSquare);
                rmsTwice = 2.0 * Sqrt(Abs(meanSquare));
            }
            const V level = Max(rmsTwice, Abs(in));
            const V holdEnv = c.holdEnv[g];
            const V r = Select(Lt(level, holdEnv), MulAdd(kc.release002, holdEnv - level, level), level);
            const V fast0 = c.fastEnv[g];
            const V fastCoef = Select(Gt(r, fast0), kc.attack0005, kc.release01);
            const V fastEnv = MulAdd(fastCoef, fast0 - r, r);
            const V slow0 = c.slowEnv[g];
            const V slowEnv = Select(Gt(fastEnv, slow0), MulAdd(kc.attack005, slow0 - fastEnv, fastEnv), fastEnv);
            const V q = Sqrt(Abs(fastEnv - slowEnv));
            const V gain = V::Load(k.halfAmount + o) * (1.0 - Reciprocal(q + 1.0));
            const bool all = kc.allShaper[g];
            auto keep = [&](V& to, V value) { to = all ? value : Select(on, value, to); };
            if (everySecond) {
                keep(c.meanSquare[g], meanSquare);
                keep(c.rmsTwice[g], rmsTwice);
            }
            keep(c.holdEnv[g], r);
            keep(c.fastEnv[g], fastEnv);
            keep(c.slowEnv[g], slowEnv);
            const V t = all ? gain : Select(on, gain, Zero<V>());
            c.transientGain[g] = t;
            shaped = MulAdd(t, shaped, shaped);
        }
        c.band[g] = shaped;
        weighted[i] = shaped * V::Load(k.eqGain + o);
    }

    if constexpr (kSpansChannels) {
        SumQuarters(weighted[0], y);
    } else {
        double w[kGroups * kWidth];
#pragma GCC unroll 4
        for (int i = 0; i < kGroups; ++i)
            Store(w + i * kWidth, weighted[i]);
        for (int i = 0; i < channels; ++i) {
            const double* b = w + i * kBandCount;
            y[first + i] = b[0] + b[1] + b[2] + b[3];
        }
    }
}

// The silence hold of a channel for input x: false while the channel is held.
inline bool Sounding(double& count, double limit, double x)
{
    if (__builtin_fabs(x) < 0.00000001) {
        if (count < limit) count = count + 1.0;
    } else {
        count = 0.0;
    }
    return count < limit;
}

// A held channel's bands are 0, its divisors 1 and its transient gains 0.
inline void Hold(BandPathState& s, int c)
{
    for (int b = 0; b < kBandCount; ++b) {
        s.band[c * kBandCount + b] = 0.0;
        s.gainDivisor[c * kBandCount + b] = 1.0;
        s.transientGain[c * kBandCount + b] = 0.0;
    }
}

// A frame that does not run both channels through a LineWindow: through
// BandPathState, one channel after the other on N. Positions and silence holds are in s.
template <class N>
__attribute__((noinline)) void RunFrameApart(BandPathState& s, const BandBlockSettings& k,
                                             const BlockConstants<N>& kc, const DelayLineSlots& lines,
                                             MemoryView memory, const double* x, double* y, unsigned flags)
{
    if (!(flags & kRunChannel1)) Hold(s, 0);
    if (!k.monoInput && !(flags & kRunChannel2)) Hold(s, 1);
    if (!(flags & (kRunChannel1 | kRunChannel2))) return;
    Carried<N> c;
    LoadCarried(c, s);
    LineStep steps[kChannelCount];
    constexpr LineAccess kDirect = LineAccess::kDirect, kCells = LineAccess::kThroughMemory;
    if (flags & kRunChannel1) {
        steps[0] = StepOf(s.linePosition[0], lines, 0);
        if (steps[0].direct)
            RunChannels<N, 0, 1, kDirect>(c, k, kc, lines, memory, steps, {}, x, y, flags);
        else
            RunChannels<N, 0, 1, kCells>(c, k, kc, lines, memory, steps, {}, x, y, flags);
        s.linePosition[0] = steps[0].next;
    }
    if (flags & kRunChannel2) {
        steps[1] = StepOf(s.linePosition[1], lines, 1);
        if (steps[1].direct)
            RunChannels<N, 1, 1, kDirect>(c, k, kc, lines, memory, steps, {}, x, y, flags);
        else
            RunChannels<N, 1, 1, kCells>(c, k, kc, lines, memory, steps, {}, x, y, flags);
        s.linePosition[1] = steps[1].next;
    }
    StoreCarried(s, c);
}

// The delay lines of both channels over a run of frames, when both are reached by
// pointer. A line of length L answers at each frame what it took L frames before, so
// over at most L frames everything it answers is in place before the first of them,
// and what the frames put in is not asked for until after the last: the answers are
// read out into rows (a frame's eight lanes side by side) ahead of the frames, and
// their inputs written back from rows after them, kWidth frames of kWidth lines at a
// time, turned about in registers.
template <class V> class LineWindow {
public:
    static constexpr int kFrames = 32;

    // Whether both channels' lines are reached by pointer from their positions on.
    static bool Opens(const DelayLineSlots& lines, const double* position)
    {
        for (int c = 0; c < kChannelCount; ++c)
            if (!(position[c] < lines.mapped[c] && lines.mapped[c] >= 2.0)) return false;
        return true;
    }

    // Reads what the lines answer over the next `frames` frames (at most kFrames, and
    // fewer than the slots).
    void Open(const DelayLineSlots& lines, const double* position, int frames)
    {
        int limit = frames < kFrames ? frames : kFrames;
        int from[kChannelCount];
        for (int c = 0; c < kChannelCount; ++c) {
            size_[c] = static_cast<int>(lines.mapped[c]);
            at_[c] = static_cast<int>(position[c]);
            from[c] = at_[c] + 1 == size_[c] ? 0 : at_[c] + 1;
            if (size_[c] - 1 < limit) limit = size_[c] - 1;
        }
        open_ = limit;
        used_ = 0;
        Copy<true>(lines.lookahead, from, aheadIn_);
        Copy<true>(lines.align, from, alignIn_);
    }

    bool Full() const { return used_ == open_; }

    // The next frame's rows.
    FrameRows Next()
    {
        const int o = used_++ * kLaneCount;
        return {aheadIn_ + o, aheadOut_ + o, alignIn_ + o, alignOut_ + o};
    }

    // Writes what the frames put in and moves the positions past them.
    void Close(const DelayLineSlots& lines, double* position)
    {
        if (open_ == 0) return;
        open_ = used_;
        Copy<false>(lines.lookahead, at_, aheadOut_);
        Copy<false>(lines.align, at_, alignOut_);
        for (int c = 0; c < kChannelCount; ++c) {
            int p = at_[c] + used_;
            if (p >= size_[c]) p -= size_[c];
            position[c] = p;
        }
        open_ = used_ = 0;
    }

private:
    static constexpr int kWidth = V::kWidth;

    // Lane l of row t and slot (start[c] + t) mod size of line l, c = l / 4, for the
    // open_ rows: read into the rows or written from them, kWidth frames at a time
    // between the points where a line of the group's lanes wraps.
    template <bool read> void Copy(double* const* slots, const int* start, double* rows)
    {
#pragma GCC unroll 4
        for (int o = 0; o < kLaneCount; o += kWidth) {
            const int c0 = o / kBandCount, c1 = (o + kWidth - 1) / kBandCount;
            int at0 = start[c0], at1 = start[c1];
            for (int t = 0; t < open_;) {
                int end = open_;
                if (t + size_[c0] - at0 < end) end = t + size_[c0] - at0;
                if (t + size_[c1] - at1 < end) end = t + size_[c1] - at1;
                double* line[kWidth];
#pragma GCC unroll 8
                for (int i = 0; i < kWidth; ++i)
                    line[i] = slots[o + i] + ((o + i) / kBandCount == c0 ? at0 : at1) - t;
                const int n = end - t;
                for (; t + kWidth <= end; t += kWidth)
                    Block<read, kWidth>(line, t, rows + t * kLaneCount + o);
                if (t < end) {
                    Block<read, 0>(line, t, rows + t * kLaneCount + o, end - t);
                    t = end;
                }
                at0 += n;
                if (at0 == size_[c0]) at0 = 0;
                at1 = c1 == c0 ? at0 : at1 + n;
                if (at1 == size_[c1]) at1 = 0;
            }
        }
    }

    // kWidth frames from t on (the first n of them when `full` is 0), of the lines whose
    // slot for frame t' is line[i][t'].
    template <bool read, int full>
    static inline __attribute__((always_inline)) void Block(double* const* line, int t, double* rows, int n = full)
    {
        V r[kWidth];
        if constexpr (read) {
#pragma GCC unroll 8
            for (int i = 0; i < kWidth; ++i)
                r[i] = full ? V::Load(line[i] + t) : V::LoadFirst(line[i] + t, n);
            Transpose(r);
#pragma GCC unroll 8
            for (int i = 0; i < kWidth; ++i)
                Store(rows + i * kLaneCount, r[i]);
        } else {
#pragma GCC unroll 8
            for (int i = 0; i < kWidth; ++i)
                r[i] = full || i < n ? V::Load(rows + i * kLaneCount) : Zero<V>();
            Transpose(r);
#pragma GCC unroll 8
            for (int i = 0; i < kWidth; ++i) {
                if (full)
                    Store(line[i] + t, r[i]);
                else
                    StoreFirst(line[i] + t, r[i], n);
            }
        }
    }

    int size_[kChannelCount] = {}, at_[kChannelCount] = {};
    int open_ = 0, used_ = 0;
    // A block of frames may run kWidth - 1 rows past the last one it fills.
    static constexpr int kRows = (kFrames + kWidth) * kLaneCount;
    alignas(64) double aheadIn_[kRows];
    alignas(64) double aheadOut_[kRows];
    alignas(64) double alignIn_[kRows];
    alignas(64) double alignOut_[kRows];
};

// The stereo frames of a block: per frame the sample counter and the detectors' pacing,
// input gain and mix level, the encoding with its balance, the band paths, the decoding
// and the output gain.
template <class V, class Sample>
void RunStereoBlock(BandPathState& __restrict s, const BandBlockSettings& __restrict k,
                    const DelayLineSlots& __restrict lines, MemoryView memory, const Sample* const* in,
                    Sample* const* out, int32_t frames, FrameRun& run)
{
    using N = typename V::Narrow;
    if (frames <= 0) return;
    const Sample* const in0 = in[0];
    const Sample* const in1 = in[1];
    Sample* const out0 = out[0];
    Sample* const out1 = out[1];
    const BlockConstants<V> kc(k);
    const BlockConstants<N> kn(k);
    Carried<V> c;
    LoadCarried(c, s);
    // Two lanes to a register leave too few registers for the rows to pay: there each
    // frame exchanges its lanes with the lines itself.
    constexpr bool kWindowed = V::kWidth >= 4;
    LineWindow<V> window;
    double counter = run.counter;
    // A whole counter stays whole: the pacing then comes from its last two bits.
    const bool whole =
        counter >= 0.0 && counter < 2147483648.0 && static_cast<double>(static_cast<int32_t>(counter)) == counter;
    int32_t phase = whole ? static_cast<int32_t>(counter) : 0;
    double silent[kChannelCount] = {s.silentCount[0], s.silentCount[1]};
    double position[kChannelCount] = {s.linePosition[0], s.linePosition[1]};
    double a0 = 0.0, b0 = 0.0, left = 0.0, right = 0.0;
    for (int32_t j = 0; j < frames; ++j) {
        a0 = static_cast<double>(in0[j]);
        b0 = static_cast<double>(in1[j]);
        counter = counter + 1.0;
        ++phase;
        if (counter >= k.sampleRate) counter = 0.0, phase = 0;
        unsigned flags;
        if (whole)
            flags = ((phase & 1) == 0 ? kEverySecond : 0u) | ((phase & 3) == 0 ? kEveryFourth : 0u);
        else
            flags = Pacing(counter);

        const double a = a0 * k.inputGain * k.mixLevelIn;
        const double b = b0 * k.inputGain * k.mixLevelIn;
        double x[kChannelCount];
        if (k.msMode) {
            x[0] = (a + b) * 0.5 * k.balanceGain;
            x[1] = (a - b) * k.balanceInverse; // the side is not halved; decoding halves it
        } else {
            x[0] = a * k.balanceGain;
            x[1] = b * k.balanceInverse;
        }
        // With a mono input, channel 2 stands still, silence hold included.
        if (Sounding(silent[0], k.silenceLimit, x[0])) flags |= kRunChannel1;
        if (!k.monoInput && Sounding(silent[1], k.silenceLimit, x[1])) flags |= kRunChannel2;
        double y[kChannelCount] = {0.0, 0.0};
        const bool both = (flags & kRunChannel1) && (flags & kRunChannel2);
        bool fast = false;
        if constexpr (kWindowed) {
            if (both && window.Full()) {
                window.Close(lines, position);
                if (LineWindow<V>::Opens(lines, position)) window.Open(lines, position, frames - j);
            }
            if (both && !window.Full()) {
                RunChannels<V, 0, 2, LineAccess::kRows>(c, k, kc, lines, memory, nullptr, window.Next(), x, y, flags);
                fast = true;
            }
        } else if (both) {
            LineStep steps[kChannelCount] = {StepOf(position[0], lines, 0), StepOf(position[1], lines, 1)};
            if (steps[0].direct && steps[1].direct) {
                RunChannels<V, 0, 2, LineAccess::kDirect>(c, k, kc, lines, memory, steps, {}, x, y, flags);
                position[0] = steps[0].next;
                position[1] = steps[1].next;
                fast = true;
            }
        }
        if (!fast) {
            window.Close(lines, position);
            StoreCarried(s, c);
            s.silentCount[0] = silent[0];
            s.silentCount[1] = silent[1];
            s.linePosition[0] = position[0];
            s.linePosition[1] = position[1];
            RunFrameApart<N>(s, k, kn, lines, memory, x, y, flags);
            LoadCarried(c, s);
            position[0] = s.linePosition[0];
            position[1] = s.linePosition[1];
        }

        // The balance only weights how hard each channel drives its dynamics: it is undone
        // right after the band path.
        const double ch1 = y[0] * k.balanceInverse;
        double ch2 = k.monoInput ? x[1] : y[1] * k.balanceGain;
        const double gain = k.outputScale;
        if (!k.msMode) {
            if (k.monoInput) ch2 = ch1;
            left = ch1 * gain;
            right = ch2 * gain;
        } else {
            const double side = 0.5 * ch2;
            left = (ch1 + side) * gain;
            right = (ch1 - side) * gain;
        }
        out0[j] = static_cast<Sample>(left);
        out1[j] = static_cast<Sample>(right);
    }
    window.Close(lines, position);
    StoreCarried(s, c);
    s.silentCount[0] = silent[0];
    s.silentCount[1] = silent[1];
    s.linePosition[0] = position[0];
    s.linePosition[1] = position[1];
    run.counter = counter;
    run.lastInput[0] = a0;
    run.lastInput[1] = b0;
    run.lastOutput[0] = left;
    run.lastOutput[1] = right;
}

} // namespace
