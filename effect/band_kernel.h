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
//   (64-bit lanes) and ShiftRightBits<n>, ShiftLeftBits<n>, SplitBands(g, z, r,
//   residue) (group g's bands from the splitter: z in LO, r in LM and HM, the residue
//   in HI), ExchangeLanes(v, slots, at, from), which stores lane i at slots[i][at] and
//   answers lane i from slots[i][from] (for V::Narrow), V::LoadFirst(p, n) and
//   StoreFirst(p, v, n) (lanes 0 .. n - 1 alone, the others 0 and untouched), and
//   Transpose(V (&rows)[kWidth]) (lane j of row i to lane i of row j). A V wider than
//   one channel's four bands also has V::SplatHalves(a, b) and SumQuarters(v, y) (each
//   four lanes' sum). Where V::kExponentOps is true it splits and scales exponents
//   itself: SplitExponent(x, k, m) (x = 2^k m, m in [0.75, 1.5)), RoundToWhole and
//   ScaleByPowerOfTwo(p, n) = p 2^n.
//
// Everything here lives in an unnamed namespace, so each instruction set gets its own
// copy and nothing compiled for a wider set can stand in for the baseline one. The
// code calls nothing but V's operations, builtins and out-of-line runtime functions.
//
// A block runs in two ways. While the channels sound and their delay lines are reached
// by pointer (nearly always), runs of frames go through the band path in passes
// (RunBlock), the states that carry from frame to frame stay in local variables, in
// vectors of V (of V::Narrow for a mono input, which runs channel 1 alone), the settings
// are taken once, and with both channels the delay lines are read and written a run at
// a time (LineWindow). Any other frame (a channel held silent, lines stepped cell by
// cell) puts the states back into BandPathState and runs there on V::Narrow, a channel
// at a time.
//
// The arithmetic follows the band path step for step, in the same order, except that
// fused multiply-adds, the compressor's gain computer (dB level, knee, divisor), AVX-512's
// divisions and square roots and its sum of the four bands (in pairs) round differently
// from the plain transcription.

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

// Two vectors of V stepped side by side, for long chains of dependent steps: written as
// one, the two chains' steps alternate in the instruction stream, and the processor
// works on one while the other waits.
template <class M> struct TwinMask {
    M a, b;
};

template <class V> struct Twin {
    static constexpr bool kExponentOps = V::kExponentOps;
    using Mask = TwinMask<typename V::Mask>;
    V a, b;
    static Twin Splat(double x)
    {
        const V v = V::Splat(x);
        return {v, v};
    }
};

#define TOLVANGER_TWIN inline __attribute__((always_inline))
template <class V> TOLVANGER_TWIN Twin<V> operator+(Twin<V> x, Twin<V> y) { return {x.a + y.a, x.b + y.b}; }
template <class V> TOLVANGER_TWIN Twin<V> operator-(Twin<V> x, Twin<V> y) { return {x.a - y.a, x.b - y.b}; }
template <class V> TOLVANGER_TWIN Twin<V> operator*(Twin<V> x, Twin<V> y) { return {x.a * y.a, x.b * y.b}; }
template <class V> TOLVANGER_TWIN Twin<V> operator+(Twin<V> x, double y) { return {x.a + y, x.b + y}; }
template <class V> TOLVANGER_TWIN Twin<V> operator-(Twin<V> x, double y) { return {x.a - y, x.b - y}; }
template <class V> TOLVANGER_TWIN Twin<V> operator*(Twin<V> x, double y) { return {x.a * y, x.b * y}; }
template <class V> TOLVANGER_TWIN Twin<V> operator+(double x, Twin<V> y) { return {x + y.a, x + y.b}; }
template <class V> TOLVANGER_TWIN Twin<V> operator*(double x, Twin<V> y) { return {x * y.a, x * y.b}; }
template <class V> TOLVANGER_TWIN Twin<V> MulAdd(Twin<V> x, Twin<V> y, Twin<V> z)
{
    return {MulAdd(x.a, y.a, z.a), MulAdd(x.b, y.b, z.b)};
}
template <class V> TOLVANGER_TWIN Twin<V> Div(Twin<V> x, Twin<V> y) { return {Div(x.a, y.a), Div(x.b, y.b)}; }
template <class V> TOLVANGER_TWIN Twin<V> Max(Twin<V> x, Twin<V> y) { return {Max(x.a, y.a), Max(x.b, y.b)}; }
template <class V> TOLVANGER_TWIN Twin<V> Min(Twin<V> x, Twin<V> y) { return {Min(x.a, y.a), Min(x.b, y.b)}; }
template <class V> TOLVANGER_TWIN Twin<V> Abs(Twin<V> x) { return {Abs(x.a), Abs(x.b)}; }
template <class V> TOLVANGER_TWIN typename Twin<V>::Mask Gt(Twin<V> x, Twin<V> y)
{
    return {Gt(x.a, y.a), Gt(x.b, y.b)};
}
template <class V> TOLVANGER_TWIN typename Twin<V>::Mask NotLe(Twin<V> x, Twin<V> y)
{
    return {NotLe(x.a, y.a), NotLe(x.b, y.b)};
}
template <class V> TOLVANGER_TWIN typename Twin<V>::Mask NotLt(Twin<V> x, Twin<V> y)
{
    return {NotLt(x.a, y.a), NotLt(x.b, y.b)};
}
template <class M> TOLVANGER_TWIN TwinMask<M> And(TwinMask<M> x, TwinMask<M> y)
{
    return {And(x.a, y.a), And(x.b, y.b)};
}
template <class M> TOLVANGER_TWIN bool Any(TwinMask<M> x) { return Any(x.a) || Any(x.b); }
template <class V, class M> TOLVANGER_TWIN Twin<V> Select(TwinMask<M> m, Twin<V> x, Twin<V> y)
{
    return {Select(m.a, x.a, y.a), Select(m.b, x.b, y.b)};
}
template <class V> TOLVANGER_TWIN Twin<V> AddBits(Twin<V> x, uint64_t bits)
{
    return {AddBits(x.a, bits), AddBits(x.b, bits)};
}
template <class V> TOLVANGER_TWIN Twin<V> AndBits(Twin<V> x, uint64_t bits)
{
    return {AndBits(x.a, bits), AndBits(x.b, bits)};
}
template <class V> TOLVANGER_TWIN Twin<V> OrBits(Twin<V> x, uint64_t bits)
{
    return {OrBits(x.a, bits), OrBits(x.b, bits)};
}
template <int n, class V> TOLVANGER_TWIN Twin<V> ShiftRightBits(Twin<V> x)
{
    return {ShiftRightBits<n>(x.a), ShiftRightBits<n>(x.b)};
}
template <int n, class V> TOLVANGER_TWIN Twin<V> ShiftLeftBits(Twin<V> x)
{
    return {ShiftLeftBits<n>(x.a), ShiftLeftBits<n>(x.b)};
}
template <class V> TOLVANGER_TWIN void SplitExponent(Twin<V> x, Twin<V>& k, Twin<V>& m)
{
    SplitExponent(x.a, k.a, m.a);
    SplitExponent(x.b, k.b, m.b);
}
template <class V> TOLVANGER_TWIN Twin<V> RoundToWhole(Twin<V> x) { return {RoundToWhole(x.a), RoundToWhole(x.b)}; }
template <class V> TOLVANGER_TWIN Twin<V> ScaleByPowerOfTwo(Twin<V> p, Twin<V> n)
{
    return {ScaleByPowerOfTwo(p.a, n.a), ScaleByPowerOfTwo(p.b, n.b)};
}
#undef TOLVANGER_TWIN

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
    Mask compressor[kGroups], shaper[kGroups];
    bool anyCompressor[kGroups], allCompressor[kGroups], anyShaper[kGroups], allShaper[kGroups];
    V release002, release01, attack0005, attack005, meanSquareCoef;

    BlockConstants() = default;
    explicit BlockConstants(const BandBlockSettings& k) { Take(k); }

    void Take(const BandBlockSettings& k)
    {
        for (int g = 0; g < kGroups; ++g) {
            const int o = g * V::kWidth;
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
template <class C, class S, class Visit>
inline __attribute__((always_inline)) void ForEachCarried(C& c, S& s, Visit visit)
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

// The band path's steps for one group of lanes g, on the carried states c. The frame
// runs them in this order per group, each group's lanes on their own.

// The splitter: z1, z2, z4 and z6 follow the input, z3 and z5 the residues x - z2 and
// x - z4; LO = z1, LM = z3, HM = z5, HI = x - z6.
template <class V>
inline __attribute__((always_inline)) V Split(Carried<V>& c, const BandBlockSettings& __restrict k, int g, V in)
{
    const int o = g * V::kWidth;
    const V z0 = c.inputPoles[g];
    const V z = MulAdd(V::Load(k.inputCoef + o), in - z0, z0);
    c.inputPoles[g] = z;
    const V residue = in - z;
    const V r0 = c.residuePoles[g];
    const V r = MulAdd(V::Load(k.residueCoef + o), residue - r0, r0);
    c.residuePoles[g] = r;
    return SplitBands(g, z, r, residue);
}

// The compressor's gain divisor for the undelayed band before smoothing, over vectors
// T (V or Twin<V>) of bands whose compressors are on: 1 below the threshold.
template <class T>
inline __attribute__((always_inline)) T GainComputer(T band, typename T::Mask active, T below, T threshold, T knee,
                                                     T scale)
{
    const T level = Max(T::Splat(0.0000001), Abs(band));
    // Below the bound the level in dB is at most the threshold: no reduction, d = 1.
    const auto over = And(active, NotLt(level, below));
    T d = T::Splat(1.0);
    if (Any(over)) {
        const T levelDb = NaturalLog(level) * kDbPerNeper;
        T excess = Select(Gt(levelDb, threshold), levelDb - threshold, T::Splat(0.0));
        excess = Div(excess * excess, excess + knee); // soft knee
        d = Select(over, Exponential(excess * scale), d);
    }
    return d;
}

// The same for group g, 1 where the compressor is off.
template <class V>
inline __attribute__((always_inline)) V Reduction(const BandBlockSettings& __restrict k, const BlockConstants<V>& kc,
                                                  int g, V band)
{
    const int o = g * V::kWidth;
    if (!kc.anyCompressor[g]) return V::Splat(1.0);
    return GainComputer(band, kc.compressor[g], V::Load(k.belowThreshold + o), V::Load(k.threshold + o),
                        V::Load(k.knee + o), V::Load(k.reductionScale + o));
}

// The same for two vectors of bands side by side, of groups g and h.
template <class V>
inline __attribute__((always_inline)) void ReductionTwin(const BandBlockSettings& __restrict k,
                                                         const BlockConstants<V>& kc, int g, int h, const double* band,
                                                         const double* band2, double* d, double* d2)
{
    using T = Twin<V>;
    const int o = g * V::kWidth, o2 = h * V::kWidth;
    auto pair = [&](const double* lanes) -> T { return {V::Load(lanes + o), V::Load(lanes + o2)}; };
    const T out = GainComputer(T{V::Load(band), V::Load(band2)}, typename T::Mask{kc.compressor[g], kc.compressor[h]},
                               pair(k.belowThreshold), pair(k.threshold), pair(k.knee), pair(k.reductionScale));
    Store(d, out.a);
    Store(d2, out.b);
}

// The compressor's detectors from d, and the lookahead line's output divided by their
// gain and raised by the makeup gain. kAllOn: every compressor of the block is on.
template <class V, bool kAllOn = false>
inline __attribute__((always_inline)) V Compress(Carried<V>& c, const BandBlockSettings& __restrict k,
                                                 const BlockConstants<V>& kc, int g, V d, V ahead, bool everyFourth)
{
    const int o = g * V::kWidth;
    const V makeup = V::Load(k.makeupGain + o);
    if (!kAllOn && !kc.anyCompressor[g]) {
        c.gainDivisor[g] = V::Splat(1.0);
        return ahead * makeup;
    }
    const auto active = kc.compressor[g];
    V peak = Max(d, c.peakGain[g]);
    V hold = c.holdGain[g];
    V release = c.releaseNow[g];
    if (everyFourth) {
        hold = MulAdd(kc.release002, Max(Zero<V>(), hold - peak), peak); // peak when above
        const V inverse = Reciprocal(hold);
        // Deeper held reduction leans the release towards 100 ms.
        release = MulAdd(1.0 - inverse, kc.release01, inverse * V::Load(k.release + o));
        peak = Zero<V>();
    }
    const V slowPeak = c.slowPeak[g];
    // d + c (slowPeak - d) while d is below, else d; one multiply-add either way (also
    // with NaN and infinities as the comparison had it).
    const V e = MulAdd(kc.release002, Max(slowPeak - d, Zero<V>()), d);
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
    const bool all = kAllOn || kc.allCompressor[g];
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
        return Div(ahead, g1) * makeup;
    }
    c.gainDivisor[g] = Select(active, g1, V::Splat(1.0));
    return Select(active, Div(ahead, g1), ahead) * makeup;
}

// The transient shaper's envelopes, on the compressed band before its alignment delay:
// answers |fast - slow|, from which Shape takes the gain. Only where a shaper is on.
template <class V>
inline __attribute__((always_inline)) V Envelopes(Carried<V>& c, const BlockConstants<V>& kc, int g, V in,
                                                  bool everySecond)
{
    V meanSquare = c.meanSquare[g];
    V rmsTwice = c.rmsTwice[g];
    if (everySecond) {
        meanSquare = MulAdd(kc.meanSquareCoef, in * in - meanSquare, meanSquare);
        rmsTwice = 2.0 * Sqrt(Abs(meanSquare));
    }
    const V level = Max(rmsTwice, Abs(in));
    const V holdEnv = c.holdEnv[g];
    const V r = MulAdd(kc.release002, Max(holdEnv - level, Zero<V>()), level); // level when above
    const V fast0 = c.fastEnv[g];
    const V fastCoef = Select(Gt(r, fast0), kc.attack0005, kc.release01);
    const V fastEnv = MulAdd(fastCoef, fast0 - r, r);
    const V slow0 = c.slowEnv[g];
    const V slowEnv = MulAdd(kc.attack005, Min(slow0 - fastEnv, Zero<V>()), fastEnv); // fast when below
    const bool all = kc.allShaper[g];
    const auto on = kc.shaper[g];
    auto keep = [&](V& to, V value) { to = all ? value : Select(on, value, to); };
    if (everySecond) {
        keep(c.meanSquare[g], meanSquare);
        keep(c.rmsTwice[g], rmsTwice);
    }
    keep(c.holdEnv[g], r);
    keep(c.fastEnv[g], fastEnv);
    keep(c.slowEnv[g], slowEnv);
    return Abs(fastEnv - slowEnv);
}

// The shaper's gain offset from the envelopes' spread, applied to the aligned band: the
// band's result, weighted by its band gain. kShaping: some shaper of the block is on.
template <class V, bool kShaping = true>
inline __attribute__((always_inline)) V Shape(Carried<V>& c, const BandBlockSettings& __restrict k,
                                              const BlockConstants<V>& kc, int g, V spread, V aligned)
{
    const int o = g * V::kWidth;
    V shaped = aligned;
    if (!kShaping || !kc.anyShaper[g]) {
        c.transientGain[g] = Zero<V>();
    } else {
        const V q = Sqrt(spread);
        const V gain = V::Load(k.halfAmount + o) * (1.0 - Reciprocal(q + 1.0));
        const V t = kc.allShaper[g] ? gain : Select(kc.shaper[g], gain, Zero<V>());
        c.transientGain[g] = t;
        shaped = MulAdd(t, shaped, shaped);
    }
    c.band[g] = shaped;
    return shaped * V::Load(k.eqGain + o);
}

// Each channel's sum of its four weighted bands, for the groups of channels first ..
// first + channels - 1 in w.
template <class V, int first, int channels> inline __attribute__((always_inline)) void SumBands(const V* w, double* y)
{
    constexpr int kWidth = V::kWidth;
    if constexpr (kWidth > kBandCount) {
        SumQuarters(w[0], y);
    } else {
        constexpr int kGroups = channels * kBandCount / kWidth;
        double lanes[kGroups * kWidth];
#pragma GCC unroll 4
        for (int i = 0; i < kGroups; ++i)
            Store(lanes + i * kWidth, w[i]);
        for (int i = 0; i < channels; ++i) {
            const double* b = lanes + i * kBandCount;
            y[first + i] = b[0] + b[1] + b[2] + b[3];
        }
    }
}

// How a frame reaches its delay lines: by pointer, or through script memory cell by cell.
enum class LineAccess { kDirect, kThroughMemory };

// The band path of one channel c for one frame, on the carried states (V at most one
// channel wide).
template <class V, int ch, LineAccess access>
inline __attribute__((always_inline)) void RunChannel(Carried<V>& c, const BandBlockSettings& __restrict k,
                                                      const BlockConstants<V>& kc,
                                                      const DelayLineSlots& __restrict lines, MemoryView memory,
                                                      const LineStep& at, const double* x, double* y, unsigned flags)
{
    constexpr int kWidth = V::kWidth;
    static_assert(kBandCount % kWidth == 0);
    constexpr int kFirstGroup = ch * kBandCount / kWidth;
    constexpr int kGroups = kBandCount / kWidth;

    // One delay step for a group: in goes in at the position, the answer comes from the
    // next one. Lines 0-7 are the alignment lines, 8-15 the lookahead lines.
    auto step = [&](double* const* slots, int lineOffset, int g, V in) -> V {
        const int o = g * kWidth;
        if constexpr (access == LineAccess::kDirect) {
            return ExchangeLanes(in, slots + o, at.at, at.from);
        } else {
            double values[kWidth], out[kWidth];
            Store(values, in);
            StepLinesThroughMemory(memory, lines, lineOffset + o, kWidth, at.position, at.next, values, out);
            return V::Load(out);
        }
    };

    V w[kGroups];
#pragma GCC unroll 4
    for (int i = 0; i < kGroups; ++i) {
        const int g = kFirstGroup + i;
        const V band = Split(c, k, g, V::Splat(x[ch]));
        const V ahead = step(lines.lookahead, 8, g, band);
        const V compressed = Compress(c, k, kc, g, Reduction(k, kc, g, band), ahead, (flags & kEveryFourth) != 0);
        const V aligned = step(lines.align, 0, g, compressed);
        const V spread = kc.anyShaper[g] ? Envelopes(c, kc, g, compressed, (flags & kEverySecond) != 0) : Zero<V>();
        w[i] = Shape(c, k, kc, g, spread, aligned);
    }
    SumBands<V, ch, 1>(w, y);
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

// A frame that does not run both channels side by side: through BandPathState, one
// channel after the other on N. Positions and silence holds are in s.
template <class N>
__attribute__((noinline)) void RunFrameApart(BandPathState& s, const BandBlockSettings& k, const BlockConstants<N>& kc,
                                             const DelayLineSlots& lines, MemoryView memory, const double* x, double* y,
                                             unsigned flags)
{
    if (!(flags & kRunChannel1)) Hold(s, 0);
    if (!k.monoInput && !(flags & kRunChannel2)) Hold(s, 1);
    if (!(flags & (kRunChannel1 | kRunChannel2))) return;
    Carried<N> c;
    LoadCarried(c, s);
    constexpr LineAccess kDirect = LineAccess::kDirect, kCells = LineAccess::kThroughMemory;
    if (flags & kRunChannel1) {
        const LineStep at = StepOf(s.linePosition[0], lines, 0);
        if (at.direct)
            RunChannel<N, 0, kDirect>(c, k, kc, lines, memory, at, x, y, flags);
        else
            RunChannel<N, 0, kCells>(c, k, kc, lines, memory, at, x, y, flags);
        s.linePosition[0] = at.next;
    }
    if (flags & kRunChannel2) {
        const LineStep at = StepOf(s.linePosition[1], lines, 1);
        if (at.direct)
            RunChannel<N, 1, kDirect>(c, k, kc, lines, memory, at, x, y, flags);
        else
            RunChannel<N, 1, kCells>(c, k, kc, lines, memory, at, x, y, flags);
        s.linePosition[1] = at.next;
    }
    StoreCarried(s, c);
}

// What the frames of a run hand from one pass to the next, a row of eight lanes per
// frame: the delay lines' inputs and outputs, the compressors' d and the shapers'
// envelope spread, and each frame's pacing. A pass may run kWidth - 1 rows past the
// last frame it fills.
constexpr int kRunFrames = 32;
struct alignas(64) RunRows {
    static constexpr int kRows = (kRunFrames + 8) * kLaneCount;
    double aheadIn[kRows], aheadOut[kRows], alignIn[kRows], alignOut[kRows], reduction[kRows], spread[kRows];
    unsigned flags[kRunFrames];
    double x[kRunFrames]; // channel 2's input, which a mono input passes by the band path
};

// The delay lines of both channels over a run of frames. A line of length L answers at
// each frame what it took L frames before, so over at most L frames everything it
// answers is in place before the first of them, and what the frames put in is not asked
// for until after the last: the answers are read out into rows ahead of the frames, and
// their inputs written back from rows after them, kWidth frames of kWidth lines at a
// time, turned about in registers.
template <class V> class LineWindow {
public:
    // Whether both channels' lines are reached by pointer from their positions on, and
    // how many frames a run may take.
    static int Frames(const DelayLineSlots& lines, const double* position)
    {
        int limit = kRunFrames;
        for (int c = 0; c < kChannelCount; ++c) {
            if (!(position[c] < lines.mapped[c] && lines.mapped[c] >= 2.0)) return 0;
            if (lines.mapped[c] - 1.0 < limit) limit = static_cast<int>(lines.mapped[c]) - 1;
        }
        return limit;
    }

    // Reads what the lines answer over the next `frames` frames.
    static inline __attribute__((always_inline)) void Read(const DelayLineSlots& lines, const double* position,
                                                           int frames, RunRows& rows)
    {
        int size[kChannelCount], from[kChannelCount];
        for (int c = 0; c < kChannelCount; ++c) {
            size[c] = static_cast<int>(lines.mapped[c]);
            const int at = static_cast<int>(position[c]);
            from[c] = at + 1 == size[c] ? 0 : at + 1;
        }
        Copy<true>(lines.lookahead, from, size, frames, rows.aheadIn);
        Copy<true>(lines.align, from, size, frames, rows.alignIn);
    }

    // Writes what `frames` frames put in and moves the positions past them.
    static inline __attribute__((always_inline)) void Write(const DelayLineSlots& lines, double* position, int frames,
                                                            RunRows& rows)
    {
        int size[kChannelCount], at[kChannelCount];
        for (int c = 0; c < kChannelCount; ++c) {
            size[c] = static_cast<int>(lines.mapped[c]);
            at[c] = static_cast<int>(position[c]);
        }
        Copy<false>(lines.lookahead, at, size, frames, rows.aheadOut);
        Copy<false>(lines.align, at, size, frames, rows.alignOut);
        for (int c = 0; c < kChannelCount; ++c) {
            int p = at[c] + frames;
            if (p >= size[c]) p -= size[c];
            position[c] = p;
        }
    }

private:
    static constexpr int kWidth = V::kWidth;

    // Lane l of row t and slot (start[c] + t) mod size[c] of line l, c = l / 4, for
    // `frames` rows: read into the rows or written from them, kWidth frames at a time
    // between the points where a line of the group's lanes wraps.
    // Inline: a call would cost the caller the carried states it keeps in registers.
    template <bool read>
    static inline __attribute__((always_inline)) void Copy(double* const* slots, const int* start, const int* size,
                                                           int frames, double* rows)
    {
#pragma GCC unroll 4
        for (int o = 0; o < kLaneCount; o += kWidth) {
            const int c0 = o / kBandCount, c1 = (o + kWidth - 1) / kBandCount;
            int at0 = start[c0], at1 = start[c1];
            for (int t = 0; t < frames;) {
                int end = frames;
                if (t + size[c0] - at0 < end) end = t + size[c0] - at0;
                if (t + size[c1] - at1 < end) end = t + size[c1] - at1;
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
                if (at0 == size[c0]) at0 = 0;
                at1 = c1 == c0 ? at0 : at1 + n;
                if (at1 == size[c1]) at1 = 0;
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
};

// A frame's start: its input, the sample counter and the detectors' pacing, input gain
// and mix level, the encoding with its balance, the silence holds.
struct FrameHead {
    double a0, b0; // the input as it came
    double x[kChannelCount];
    unsigned flags;
};

// The stereo frames of a block, with the band paths of `channels` channels from the
// first on (2, or 1 for a mono input) on V. Runs of frames in which those channels sound
// and their lines are reached by pointer go through five passes, each over the whole run
// before the next: the splitters; the compressors' gain computers; their detectors and
// divisions; the shapers' envelopes; the shapers' gains, the band gains, the decoding
// and the output. A frame taken whole is one long chain of dependent steps, which the
// processor cannot overlap with the next frame's; within a pass the frames hang on one
// another only through a few short recurrences, or not at all. Any other frame runs
// alone, through RunFrameApart.
template <class V, int channels, class Sample>
void RunBlock(BandPathState& __restrict s, const BandBlockSettings& __restrict k,
              const DelayLineSlots& __restrict lines, MemoryView memory, const Sample* const* in, Sample* const* out,
              int32_t frames, FrameRun& run)
{
    using N = typename V::Narrow;
    constexpr int kAllGroups = kLaneCount / V::kWidth;
    // The groups of the channels that run, from the first.
    constexpr int kGroups = channels * kBandCount / V::kWidth;
    static_assert(kGroups >= 1 && (channels == 2 || V::kWidth <= kBandCount));
    constexpr unsigned kRunning = channels == 2 ? kRunChannel1 | kRunChannel2 : kRunChannel1;
    // Two lanes to a register leave too few registers for the rows to pay: there each
    // frame exchanges its lanes with the lines by pointer in the second pass; so does
    // a channel alone.
    constexpr bool kWindowed = V::kWidth >= 4 && channels == 2;
    const Sample* const in0 = in[0];
    const Sample* const in1 = in[1];
    Sample* const out0 = out[0];
    Sample* const out1 = out[1];
    const BlockConstants<V> kc(k);
    // Those for frames apart are taken when the first such frame comes.
    BlockConstants<N> narrow;
    bool narrowTaken = false;
    Carried<V> c;
    LoadCarried(c, s);
    RunRows rows;
    double counter = run.counter;
    // A whole counter stays whole: the pacing then comes from its last two bits.
    const bool whole =
        counter >= 0.0 && counter < 2147483648.0 && static_cast<double>(static_cast<int32_t>(counter)) == counter;
    int32_t phase = whole ? static_cast<int32_t>(counter) : 0;
    double silent[kChannelCount] = {s.silentCount[0], s.silentCount[1]};
    double position[kChannelCount] = {s.linePosition[0], s.linePosition[1]};
    double left = 0.0, right = 0.0;
    FrameHead head{};

    auto start = [&](int32_t j) __attribute__((always_inline))
    {
        head.a0 = static_cast<double>(in0[j]);
        head.b0 = static_cast<double>(in1[j]);
        counter = counter + 1.0;
        ++phase;
        if (counter >= k.sampleRate) counter = 0.0, phase = 0;
        if (whole)
            head.flags = ((phase & 1) == 0 ? kEverySecond : 0u) | ((phase & 3) == 0 ? kEveryFourth : 0u);
        else
            head.flags = Pacing(counter);
        const double a = head.a0 * k.inputGain * k.mixLevelIn;
        const double b = head.b0 * k.inputGain * k.mixLevelIn;
        if (k.msMode) {
            head.x[0] = (a + b) * 0.5 * k.balanceGain;
            head.x[1] = (a - b) * k.balanceInverse; // the side is not halved; decoding halves it
        } else {
            head.x[0] = a * k.balanceGain;
            head.x[1] = b * k.balanceInverse;
        }
        // With a mono input, channel 2 stands still, silence hold included.
        if (Sounding(silent[0], k.silenceLimit, head.x[0])) head.flags |= kRunChannel1;
        if (!k.monoInput && Sounding(silent[1], k.silenceLimit, head.x[1])) head.flags |= kRunChannel2;
    };
    // The balance only weights how hard each channel drives its dynamics: it is undone
    // right after the band path.
    auto finish = [&](int32_t j, const double* y, const double* x) __attribute__((always_inline))
    {
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
    };

    for (int32_t j = 0; j < frames;) {
        int limit = 0;
        if (k.monoInput == (channels == 1)) {
            if constexpr (kWindowed) {
                limit = LineWindow<V>::Frames(lines, position);
            } else {
                limit = kRunFrames;
                for (int ch = 0; ch < channels; ++ch)
                    if (!StepOf(position[ch], lines, ch).direct) limit = 0;
            }
            if (limit > frames - j) limit = frames - j;
        }
        // The frames' starts, up to one that does not sound in both channels, and the
        // splitters.
        int n = 0;
        for (; n < limit; ++n) {
            start(j + n);
            if ((head.flags & kRunning) != kRunning) break;
            rows.flags[n] = head.flags;
            rows.x[n] = head.x[1];
            V in[kGroups];
            if constexpr (V::kWidth > kBandCount) {
                in[0] = V::SplatHalves(head.x[0], head.x[1]);
            } else {
#pragma GCC unroll 4
                for (int g = 0; g < kGroups; ++g)
                    in[g] = V::Splat(head.x[g * V::kWidth / kBandCount]);
            }
#pragma GCC unroll 4
            for (int g = 0; g < kGroups; ++g)
                Store(rows.aheadOut + n * kLaneCount + g * V::kWidth, Split(c, k, g, in[g]));
        }
        if (n > 0) {
            if constexpr (kWindowed) LineWindow<V>::Read(lines, position, n, rows);
            // The compressors' gain computers, two vectors of lanes at a time (u and u + 1
            // in the order of the rows: frame u / kGroups, group u % kGroups).
            const int units = n * kGroups;
            auto lanes = [](int unit) { return unit / kGroups * kLaneCount + unit % kGroups * V::kWidth; };
            int u = 0;
            for (; u + 1 < units; u += 2) {
                const int g = u % kGroups, h = (u + 1) % kGroups;
                if (kc.anyCompressor[g] || kc.anyCompressor[h])
                    ReductionTwin(k, kc, g, h, rows.aheadOut + lanes(u), rows.aheadOut + lanes(u + 1),
                                  rows.reduction + lanes(u), rows.reduction + lanes(u + 1));
            }
            if (u < units) {
                const int g = u % kGroups;
                Store(rows.reduction + lanes(u), Reduction(k, kc, g, V::Load(rows.aheadOut + lanes(u))));
            }
            // The compressors' detectors and divisions; once for a block whose compressors
            // are all on, once for any other.
            bool allOn = true, shaping = false;
            for (int g = 0; g < kGroups; ++g) {
                allOn = allOn && kc.allCompressor[g];
                shaping = shaping || kc.anyShaper[g];
            }
            auto detectors = [&]<bool kAllOn>() __attribute__((always_inline))
            {
                for (int t = 0; t < n; ++t) {
                    const int o = t * kLaneCount;
                    const unsigned flags = rows.flags[t];
                    LineStep steps[kChannelCount];
                    if constexpr (!kWindowed) {
                        for (int ch = 0; ch < channels; ++ch) {
                            steps[ch] = StepOf(position[ch], lines, ch);
                            position[ch] = steps[ch].next;
                        }
                    }
#pragma GCC unroll 4
                    for (int g = 0; g < kGroups; ++g) {
                        const int og = o + g * V::kWidth;
                        V ahead;
                        if constexpr (kWindowed) {
                            ahead = V::Load(rows.aheadIn + og);
                        } else {
                            const LineStep& at = steps[g * V::kWidth / kBandCount];
                            ahead = ExchangeLanes(V::Load(rows.aheadOut + og), lines.lookahead + g * V::kWidth, at.at,
                                                  at.from);
                        }
                        const V compressed = Compress<V, kAllOn>(c, k, kc, g, V::Load(rows.reduction + og), ahead,
                                                                 (flags & kEveryFourth) != 0);
                        Store(rows.alignOut + og, compressed);
                        if constexpr (!kWindowed) {
                            const LineStep& at = steps[g * V::kWidth / kBandCount];
                            Store(rows.alignIn + og,
                                  ExchangeLanes(compressed, lines.align + g * V::kWidth, at.at, at.from));
                        }
                    }
                }
            };
            if (allOn)
                detectors.template operator()<true>();
            else
                detectors.template operator()<false>();
            // The shapers' envelopes, on the compressed bands.
            if (shaping) {
                for (int t = 0; t < n; ++t) {
                    const int o = t * kLaneCount;
                    const bool everySecond = (rows.flags[t] & kEverySecond) != 0;
#pragma GCC unroll 4
                    for (int g = 0; g < kGroups; ++g) {
                        const int og = o + g * V::kWidth;
                        if (kc.anyShaper[g])
                            Store(rows.spread + og, Envelopes(c, kc, g, V::Load(rows.alignOut + og), everySecond));
                    }
                }
            }
            // The shapers' gains, the bands' sums and the outputs; without a shaper on, the
            // aligned bands alone.
            auto outputs = [&]<bool kShaping>() __attribute__((always_inline))
            {
                for (int t = 0; t < n; ++t) {
                    const int o = t * kLaneCount;
                    V w[kGroups];
#pragma GCC unroll 4
                    for (int g = 0; g < kGroups; ++g) {
                        const int og = o + g * V::kWidth;
                        w[g] = Shape<V, kShaping>(c, k, kc, g,
                                                  kShaping && kc.anyShaper[g] ? V::Load(rows.spread + og) : Zero<V>(),
                                                  V::Load(rows.alignIn + og));
                    }
                    double y[kChannelCount] = {0.0, 0.0};
                    SumBands<V, 0, channels>(w, y);
                    const double x[kChannelCount] = {0.0, rows.x[t]};
                    finish(j + t, y, x);
                }
            };
            if (shaping)
                outputs.template operator()<true>();
            else
                outputs.template operator()<false>();
            if constexpr (kWindowed) LineWindow<V>::Write(lines, position, n, rows);
            j += n;
        }
        if (n == limit && limit > 0) continue;
        // A frame alone: the one the first pass stopped at, or one that could not start a run.
        if (limit == 0) start(j);
        if (!(head.flags & (kRunChannel1 | kRunChannel2))) {
            // Every channel that runs here is held: bands 0, divisors 1, transient gains 0.
            constexpr int kHeld = channels == 2 ? kAllGroups : kGroups;
#pragma GCC unroll 4
            for (int g = 0; g < kHeld; ++g) {
                c.band[g] = Zero<V>();
                c.gainDivisor[g] = V::Splat(1.0);
                c.transientGain[g] = Zero<V>();
            }
            const double y[kChannelCount] = {0.0, 0.0};
            finish(j, y, head.x);
            ++j;
            continue;
        }
        StoreCarried(s, c);
        s.silentCount[0] = silent[0];
        s.silentCount[1] = silent[1];
        s.linePosition[0] = position[0];
        s.linePosition[1] = position[1];
        double y[kChannelCount] = {0.0, 0.0};
        if (!narrowTaken) {
            narrow.Take(k);
            narrowTaken = true;
        }
        RunFrameApart<N>(s, k, narrow, lines, memory, head.x, y, head.flags);
        LoadCarried(c, s);
        position[0] = s.linePosition[0];
        position[1] = s.linePosition[1];
        finish(j, y, head.x);
        ++j;
    }
    StoreCarried(s, c);
    // v * 0 is 0 for finite v and NaN otherwise.
    V check[kAllGroups];
#pragma GCC unroll 4
    for (int g = 0; g < kAllGroups; ++g)
        check[g] = Zero<V>();
    ForEachCarried(c, s, [&](const V* from, const double*) {
#pragma GCC unroll 4
        for (int g = 0; g < kAllGroups; ++g)
            check[g] = MulAdd(from[g], Zero<V>(), check[g]);
    });
#pragma GCC unroll 4
    for (int g = 0; g < kAllGroups; ++g)
        Store(s.finiteCheck + g * V::kWidth, check[g]);
    s.silentCount[0] = silent[0];
    s.silentCount[1] = silent[1];
    s.linePosition[0] = position[0];
    s.linePosition[1] = position[1];
    run.counter = counter;
    run.lastInput[0] = head.a0;
    run.lastInput[1] = head.b0;
    run.lastOutput[0] = left;
    run.lastOutput[1] = right;
}

// The stereo frames of a block on V, or for a mono input channel 1 alone on V::Narrow.
template <class V, class Sample>
void RunStereoBlock(BandPathState& __restrict s, const BandBlockSettings& __restrict k,
                    const DelayLineSlots& __restrict lines, MemoryView memory, const Sample* const* in,
                    Sample* const* out, int32_t frames, FrameRun& run)
{
    if (k.monoInput)
        RunBlock<typename V::Narrow, 1>(s, k, lines, memory, in, out, frames, run);
    else
        RunBlock<V, 2>(s, k, lines, memory, in, out, frames, run);
}

} // namespace
