#pragma once
// Four lanes of AVX2 with fused multiply-adds: one channel's four bands to a register.
// Included by the sources compiled for AVX2 (band_kernel_avx2.cpp) and AVX-512
// (band_kernel_avx512.cpp, for frames that run one channel alone), each into an unnamed
// namespace of its own.

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

namespace {

#define TOLVANGER_VECTOR inline __attribute__((always_inline))

struct Vec4 {
    static constexpr int kWidth = 4;
    static constexpr bool kExponentOps = false;
    using Mask = Vec4;
    using Narrow = Vec4;
    __m256d v;
    static TOLVANGER_VECTOR Vec4 Splat(double x) { return {_mm256_set1_pd(x)}; }
    static TOLVANGER_VECTOR Vec4 SplatBits(uint64_t bits)
    {
        return {_mm256_castsi256_pd(_mm256_set1_epi64x(static_cast<long long>(bits)))};
    }
    static TOLVANGER_VECTOR Vec4 Load(const double* p) { return {_mm256_loadu_pd(p)}; }
    static TOLVANGER_VECTOR Mask LoadMask(const double* p) { return Load(p); }
    // Lanes below n, all bits set.
    static TOLVANGER_VECTOR __m256i FirstLanes(int n)
    {
        return _mm256_cmpgt_epi64(_mm256_set1_epi64x(n), _mm256_setr_epi64x(0, 1, 2, 3));
    }
    static TOLVANGER_VECTOR Vec4 LoadFirst(const double* p, int n)
    {
        return {n == 4 ? _mm256_loadu_pd(p) : _mm256_maskload_pd(p, FirstLanes(n))};
    }
};

TOLVANGER_VECTOR void Store(double* p, Vec4 a) { _mm256_storeu_pd(p, a.v); }
TOLVANGER_VECTOR void StoreFirst(double* p, Vec4 a, int n)
{
    if (n == 4)
        _mm256_storeu_pd(p, a.v);
    else
        _mm256_maskstore_pd(p, Vec4::FirstLanes(n), a.v);
}
TOLVANGER_VECTOR void Transpose(Vec4 (&r)[4])
{
    const __m256d t0 = _mm256_unpacklo_pd(r[0].v, r[1].v), t1 = _mm256_unpackhi_pd(r[0].v, r[1].v);
    const __m256d t2 = _mm256_unpacklo_pd(r[2].v, r[3].v), t3 = _mm256_unpackhi_pd(r[2].v, r[3].v);
    r[0].v = _mm256_permute2f128_pd(t0, t2, 0x20);
    r[1].v = _mm256_permute2f128_pd(t1, t3, 0x20);
    r[2].v = _mm256_permute2f128_pd(t0, t2, 0x31);
    r[3].v = _mm256_permute2f128_pd(t1, t3, 0x31);
}
TOLVANGER_VECTOR Vec4 operator+(Vec4 a, Vec4 b) { return {_mm256_add_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec4 operator-(Vec4 a, Vec4 b) { return {_mm256_sub_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec4 operator*(Vec4 a, Vec4 b) { return {_mm256_mul_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec4 operator+(Vec4 a, double b) { return a + Vec4::Splat(b); }
TOLVANGER_VECTOR Vec4 operator-(Vec4 a, double b) { return a - Vec4::Splat(b); }
TOLVANGER_VECTOR Vec4 operator*(Vec4 a, double b) { return a * Vec4::Splat(b); }
TOLVANGER_VECTOR Vec4 operator+(double a, Vec4 b) { return Vec4::Splat(a) + b; }
TOLVANGER_VECTOR Vec4 operator-(double a, Vec4 b) { return Vec4::Splat(a) - b; }
TOLVANGER_VECTOR Vec4 operator*(double a, Vec4 b) { return Vec4::Splat(a) * b; }
TOLVANGER_VECTOR Vec4 Div(Vec4 a, Vec4 b) { return {_mm256_div_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec4 Reciprocal(Vec4 b) { return Div(Vec4::Splat(1.0), b); }
TOLVANGER_VECTOR Vec4 MulAdd(Vec4 a, Vec4 b, Vec4 c) { return {_mm256_fmadd_pd(a.v, b.v, c.v)}; }
TOLVANGER_VECTOR Vec4 Max(Vec4 a, Vec4 b) { return {_mm256_max_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec4 Min(Vec4 a, Vec4 b) { return {_mm256_min_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec4 Abs(Vec4 a) { return {_mm256_andnot_pd(_mm256_set1_pd(-0.0), a.v)}; }
TOLVANGER_VECTOR Vec4 Sqrt(Vec4 a) { return {_mm256_sqrt_pd(a.v)}; }
TOLVANGER_VECTOR Vec4 Lt(Vec4 a, Vec4 b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_LT_OQ)}; }
TOLVANGER_VECTOR Vec4 Gt(Vec4 a, Vec4 b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_GT_OQ)}; }
TOLVANGER_VECTOR Vec4 NotLt(Vec4 a, Vec4 b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_NLT_UQ)}; }
TOLVANGER_VECTOR Vec4 NotLe(Vec4 a, Vec4 b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_NLE_UQ)}; }
TOLVANGER_VECTOR Vec4 And(Vec4 a, Vec4 b) { return {_mm256_and_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec4 Select(Vec4 mask, Vec4 a, Vec4 b) { return {_mm256_blendv_pd(b.v, a.v, mask.v)}; }
TOLVANGER_VECTOR bool Any(Vec4 mask) { return _mm256_movemask_pd(mask.v) != 0; }
TOLVANGER_VECTOR bool All(Vec4 mask) { return _mm256_movemask_pd(mask.v) == 15; }
TOLVANGER_VECTOR Vec4 AndBits(Vec4 a, uint64_t bits) { return And(a, Vec4::SplatBits(bits)); }
TOLVANGER_VECTOR Vec4 OrBits(Vec4 a, uint64_t bits) { return {_mm256_or_pd(a.v, Vec4::SplatBits(bits).v)}; }
TOLVANGER_VECTOR Vec4 AddBits(Vec4 a, uint64_t bits)
{
    return {_mm256_castsi256_pd(
        _mm256_add_epi64(_mm256_castpd_si256(a.v), _mm256_set1_epi64x(static_cast<long long>(bits))))};
}
template <int n> TOLVANGER_VECTOR Vec4 ShiftRightBits(Vec4 a)
{
    return {_mm256_castsi256_pd(_mm256_srli_epi64(_mm256_castpd_si256(a.v), n))};
}
template <int n> TOLVANGER_VECTOR Vec4 ShiftLeftBits(Vec4 a)
{
    return {_mm256_castsi256_pd(_mm256_slli_epi64(_mm256_castpd_si256(a.v), n))};
}
// One channel's bands: LO from z, LM and HM from r, HI from the residue.
TOLVANGER_VECTOR Vec4 SplitBands(int, Vec4 z, Vec4 r, Vec4 residue)
{
    return {_mm256_blend_pd(_mm256_blend_pd(z.v, r.v, 0x6), residue.v, 0x8)};
}
// Lane i goes to slots[i][at], and the answer's lane i comes from slots[i][from]; the
// pointers are read once, before the stores.
TOLVANGER_VECTOR Vec4 ExchangeLanes(Vec4 a, double* const* slots, size_t at, size_t from)
{
    double* const p0 = slots[0];
    double* const p1 = slots[1];
    double* const p2 = slots[2];
    double* const p3 = slots[3];
    const __m128d low = _mm256_castpd256_pd128(a.v);
    const __m128d high = _mm256_extractf128_pd(a.v, 1);
    _mm_storel_pd(p0 + at, low);
    _mm_storeh_pd(p1 + at, low);
    _mm_storel_pd(p2 + at, high);
    _mm_storeh_pd(p3 + at, high);
    const __m128d outLow = _mm_loadh_pd(_mm_load_sd(p0 + from), p1 + from);
    const __m128d outHigh = _mm_loadh_pd(_mm_load_sd(p2 + from), p3 + from);
    return {_mm256_insertf128_pd(_mm256_castpd128_pd256(outLow), outHigh, 1)};
}

} // namespace
