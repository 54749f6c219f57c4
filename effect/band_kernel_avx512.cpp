// The band path on eight lanes of AVX-512: both channels' four bands in one register.
// This source alone is compiled for AVX-512 (F, DQ and VL, with AVX2 and FMA); the audio
// thread runs it only where the processor and its operating system have them
// (band_dispatch.cpp). Frames that run one channel alone take four lanes (Vec4).
//
// Division and square root go through the reciprocal estimates and Newton steps: on the
// processors at hand a 512-bit divide or square root occupies its unit for 9 to 27
// cycles, while the steps are a few fused multiply-adds. Both land within two ulps.

#if defined(__AVX512F__) && defined(__AVX512DQ__) && defined(__AVX512VL__) && defined(__FMA__)

// GCC 12's AVX-512 intrinsics fill the lanes they leave alone from a self-initialised
// placeholder, which its check for uninitialised values takes for a real read.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ < 13
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "effect/band_kernel_vec4.h"

namespace {

struct Mask8 {
    __mmask8 m;
};

struct Vec8 {
    static constexpr int kWidth = 8;
    static constexpr bool kExponentOps = true;
    using Mask = Mask8;
    using Narrow = Vec4;
    __m512d v;
    static TOLVANGER_VECTOR Vec8 Splat(double x) { return {_mm512_set1_pd(x)}; }
    static TOLVANGER_VECTOR Vec8 Load(const double* p) { return {_mm512_loadu_pd(p)}; }
    static TOLVANGER_VECTOR Vec8 LoadFirst(const double* p, int n)
    {
        return {_mm512_maskz_loadu_pd(static_cast<__mmask8>((1u << n) - 1), p)};
    }
    // a in the first four lanes, b in the last four.
    static TOLVANGER_VECTOR Vec8 SplatHalves(double a, double b)
    {
        return {_mm512_mask_broadcastsd_pd(_mm512_set1_pd(a), 0xf0, _mm_set_sd(b))};
    }
    // Lanes with any bit set.
    static TOLVANGER_VECTOR Mask LoadMask(const double* p)
    {
        const __m512i bits = _mm512_castpd_si512(_mm512_loadu_pd(p));
        return {_mm512_test_epi64_mask(bits, bits)};
    }
};

TOLVANGER_VECTOR void Store(double* p, Vec8 a) { _mm512_storeu_pd(p, a.v); }
TOLVANGER_VECTOR void StoreFirst(double* p, Vec8 a, int n)
{
    _mm512_mask_storeu_pd(p, static_cast<__mmask8>((1u << n) - 1), a.v);
}
// Three rounds of exchanges: neighbouring lanes, then 128-bit quarters twice.
TOLVANGER_VECTOR void Transpose(Vec8 (&r)[8])
{
    // t: pairs of rows 2i, 2i + 1, frames even (t0, t2, ..) and odd (t1, t3, ..).
    const __m512d t0 = _mm512_unpacklo_pd(r[0].v, r[1].v), t1 = _mm512_unpackhi_pd(r[0].v, r[1].v);
    const __m512d t2 = _mm512_unpacklo_pd(r[2].v, r[3].v), t3 = _mm512_unpackhi_pd(r[2].v, r[3].v);
    const __m512d t4 = _mm512_unpacklo_pd(r[4].v, r[5].v), t5 = _mm512_unpackhi_pd(r[4].v, r[5].v);
    const __m512d t6 = _mm512_unpacklo_pd(r[6].v, r[7].v), t7 = _mm512_unpackhi_pd(r[6].v, r[7].v);
    // u: rows 0-3 (u0 .. u3) and 4-7 (u4 .. u7), frames k and k + 4.
    const __m512d u0 = _mm512_shuffle_f64x2(t0, t2, 0x88), u1 = _mm512_shuffle_f64x2(t1, t3, 0x88);
    const __m512d u2 = _mm512_shuffle_f64x2(t0, t2, 0xdd), u3 = _mm512_shuffle_f64x2(t1, t3, 0xdd);
    const __m512d u4 = _mm512_shuffle_f64x2(t4, t6, 0x88), u5 = _mm512_shuffle_f64x2(t5, t7, 0x88);
    const __m512d u6 = _mm512_shuffle_f64x2(t4, t6, 0xdd), u7 = _mm512_shuffle_f64x2(t5, t7, 0xdd);
    r[0].v = _mm512_shuffle_f64x2(u0, u4, 0x88);
    r[1].v = _mm512_shuffle_f64x2(u1, u5, 0x88);
    r[2].v = _mm512_shuffle_f64x2(u2, u6, 0x88);
    r[3].v = _mm512_shuffle_f64x2(u3, u7, 0x88);
    r[4].v = _mm512_shuffle_f64x2(u0, u4, 0xdd);
    r[5].v = _mm512_shuffle_f64x2(u1, u5, 0xdd);
    r[6].v = _mm512_shuffle_f64x2(u2, u6, 0xdd);
    r[7].v = _mm512_shuffle_f64x2(u3, u7, 0xdd);
}
TOLVANGER_VECTOR Vec8 operator+(Vec8 a, Vec8 b) { return {_mm512_add_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec8 operator-(Vec8 a, Vec8 b) { return {_mm512_sub_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec8 operator*(Vec8 a, Vec8 b) { return {_mm512_mul_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec8 operator+(Vec8 a, double b) { return a + Vec8::Splat(b); }
TOLVANGER_VECTOR Vec8 operator-(Vec8 a, double b) { return a - Vec8::Splat(b); }
TOLVANGER_VECTOR Vec8 operator*(Vec8 a, double b) { return a * Vec8::Splat(b); }
TOLVANGER_VECTOR Vec8 operator+(double a, Vec8 b) { return Vec8::Splat(a) + b; }
TOLVANGER_VECTOR Vec8 operator-(double a, Vec8 b) { return Vec8::Splat(a) - b; }
TOLVANGER_VECTOR Vec8 operator*(double a, Vec8 b) { return Vec8::Splat(a) * b; }
TOLVANGER_VECTOR Vec8 MulAdd(Vec8 a, Vec8 b, Vec8 c) { return {_mm512_fmadd_pd(a.v, b.v, c.v)}; }
// c - a b
TOLVANGER_VECTOR Vec8 NegMulAdd(Vec8 a, Vec8 b, Vec8 c) { return {_mm512_fnmadd_pd(a.v, b.v, c.v)}; }

// 1 / b: the estimate (relative error under 2^-14) and two Newton steps, each squaring
// the error.
TOLVANGER_VECTOR Vec8 Reciprocal(Vec8 b)
{
    const Vec8 one = Vec8::Splat(1.0);
    Vec8 y = {_mm512_rcp14_pd(b.v)};
    y = MulAdd(y, NegMulAdd(b, y, one), y);
    return MulAdd(y, NegMulAdd(b, y, one), y);
}
// a / b: one Newton step on the estimate (2^-28), then the quotient corrected by its
// exact remainder.
TOLVANGER_VECTOR Vec8 Div(Vec8 a, Vec8 b)
{
    Vec8 y = {_mm512_rcp14_pd(b.v)};
    y = MulAdd(y, NegMulAdd(b, y, Vec8::Splat(1.0)), y);
    const Vec8 q = a * y;
    return MulAdd(NegMulAdd(b, q, a), y, q);
}
// sqrt(a) for a >= 0 (and NaN): a times the reciprocal root estimate, then two coupled
// Newton steps on the root and half its reciprocal. 0 stays 0.
TOLVANGER_VECTOR Vec8 Sqrt(Vec8 a)
{
    const Vec8 half = Vec8::Splat(0.5);
    const Vec8 y = {_mm512_rsqrt14_pd(a.v)};
    Vec8 s = a * y;
    Vec8 h = half * y;
    Vec8 r = NegMulAdd(s, h, half);
    s = MulAdd(s, r, s);
    h = MulAdd(h, r, h);
    r = NegMulAdd(s, h, half);
    s = MulAdd(s, r, s);
    return {_mm512_mask_mov_pd(s.v, _mm512_cmp_pd_mask(a.v, _mm512_setzero_pd(), _CMP_EQ_OQ), _mm512_setzero_pd())};
}

TOLVANGER_VECTOR Vec8 Max(Vec8 a, Vec8 b) { return {_mm512_max_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec8 Min(Vec8 a, Vec8 b) { return {_mm512_min_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec8 Abs(Vec8 a) { return {_mm512_abs_pd(a.v)}; }
TOLVANGER_VECTOR Mask8 Lt(Vec8 a, Vec8 b) { return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_LT_OQ)}; }
TOLVANGER_VECTOR Mask8 Gt(Vec8 a, Vec8 b) { return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_GT_OQ)}; }
TOLVANGER_VECTOR Mask8 NotLt(Vec8 a, Vec8 b) { return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_NLT_UQ)}; }
TOLVANGER_VECTOR Mask8 NotLe(Vec8 a, Vec8 b) { return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_NLE_UQ)}; }
TOLVANGER_VECTOR Mask8 And(Mask8 a, Mask8 b) { return {static_cast<__mmask8>(a.m & b.m)}; }
TOLVANGER_VECTOR Vec8 Select(Mask8 mask, Vec8 a, Vec8 b) { return {_mm512_mask_blend_pd(mask.m, b.v, a.v)}; }
TOLVANGER_VECTOR bool Any(Mask8 mask) { return mask.m != 0; }
TOLVANGER_VECTOR bool All(Mask8 mask) { return mask.m == 0xff; }

// x = 2^k m with m in [0.75, 1.5), for positive normal x.
TOLVANGER_VECTOR void SplitExponent(Vec8 x, Vec8& k, Vec8& m)
{
    m = {_mm512_getmant_pd(x.v, _MM_MANT_NORM_p75_1p5, _MM_MANT_SIGN_src)};
    const __m512d e = _mm512_getexp_pd(x.v);
    // A mantissa below 1 was halved from [1.5, 2): its exponent is one more.
    k = {_mm512_mask_add_pd(e, _mm512_cmp_pd_mask(m.v, _mm512_set1_pd(1.0), _CMP_LT_OQ), e, _mm512_set1_pd(1.0))};
}
TOLVANGER_VECTOR Vec8 RoundToWhole(Vec8 a) { return {_mm512_roundscale_pd(a.v, _MM_FROUND_TO_NEAREST_INT)}; }
TOLVANGER_VECTOR Vec8 ScaleByPowerOfTwo(Vec8 p, Vec8 n) { return {_mm512_scalef_pd(p.v, n.v)}; }

// Both channels' bands: LO from z, LM and HM from r, HI from the residue.
TOLVANGER_VECTOR Vec8 SplitBands(int, Vec8 z, Vec8 r, Vec8 residue)
{
    return {_mm512_mask_blend_pd(0x66, _mm512_mask_blend_pd(0x88, z.v, residue.v), r.v)};
}

// y[0] = (w0 + w1) + (w2 + w3), y[1] = (w4 + w5) + (w6 + w7).
TOLVANGER_VECTOR void SumQuarters(Vec8 w, double* y)
{
    const __m512d pairs = _mm512_add_pd(w.v, _mm512_permute_pd(w.v, 0x55));
    const __m512d sums = _mm512_add_pd(pairs, _mm512_permutex_pd(pairs, 0x4e));
    y[0] = _mm_cvtsd_f64(_mm512_castpd512_pd128(sums));
    y[1] = _mm_cvtsd_f64(_mm256_castpd256_pd128(_mm512_extractf64x4_pd(sums, 1)));
}

} // namespace

#include "effect/band_kernel.h"

// Constants, so that nothing compiled for AVX-512 runs before the processor is asked.
extern const BandKernels kBandKernelsAvx512 = {&RunStereoBlock<Vec8, float>, &RunStereoBlock<Vec8, double>};

#else

#include "effect/band_state.h"

extern const BandKernels kBandKernelsAvx512 = {nullptr, nullptr};

#endif
