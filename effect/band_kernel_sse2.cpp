// The band path on two lanes of SSE2, which every x86-64 processor has: the baseline.

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

#include "effect/band_state.h"

namespace {

#define TOLVANGER_VECTOR inline __attribute__((always_inline))

struct Vec2 {
    static constexpr int kWidth = 2;
    static constexpr bool kExponentOps = false;
    using Mask = Vec2;
    using Narrow = Vec2;
    __m128d v;
    static TOLVANGER_VECTOR Vec2 Splat(double x) { return {_mm_set1_pd(x)}; }
    static TOLVANGER_VECTOR Vec2 SplatBits(uint64_t bits)
    {
        return {_mm_castsi128_pd(_mm_set1_epi64x(static_cast<long long>(bits)))};
    }
    static TOLVANGER_VECTOR Vec2 Load(const double* p) { return {_mm_loadu_pd(p)}; }
    static TOLVANGER_VECTOR Mask LoadMask(const double* p) { return Load(p); }
    static TOLVANGER_VECTOR Vec2 LoadFirst(const double* p, int n)
    {
        return {n == 2 ? _mm_loadu_pd(p) : _mm_load_sd(p)};
    }
};

TOLVANGER_VECTOR void Store(double* p, Vec2 a) { _mm_storeu_pd(p, a.v); }
TOLVANGER_VECTOR void StoreFirst(double* p, Vec2 a, int n)
{
    if (n == 2)
        _mm_storeu_pd(p, a.v);
    else
        _mm_store_sd(p, a.v);
}
TOLVANGER_VECTOR void Transpose(Vec2 (&r)[2])
{
    const __m128d low = _mm_unpacklo_pd(r[0].v, r[1].v);
    r[1].v = _mm_unpackhi_pd(r[0].v, r[1].v);
    r[0].v = low;
}
TOLVANGER_VECTOR Vec2 operator+(Vec2 a, Vec2 b) { return {_mm_add_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec2 operator-(Vec2 a, Vec2 b) { return {_mm_sub_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec2 operator*(Vec2 a, Vec2 b) { return {_mm_mul_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec2 operator+(Vec2 a, double b) { return a + Vec2::Splat(b); }
TOLVANGER_VECTOR Vec2 operator-(Vec2 a, double b) { return a - Vec2::Splat(b); }
TOLVANGER_VECTOR Vec2 operator*(Vec2 a, double b) { return a * Vec2::Splat(b); }
TOLVANGER_VECTOR Vec2 operator+(double a, Vec2 b) { return Vec2::Splat(a) + b; }
TOLVANGER_VECTOR Vec2 operator-(double a, Vec2 b) { return Vec2::Splat(a) - b; }
TOLVANGER_VECTOR Vec2 operator*(double a, Vec2 b) { return Vec2::Splat(a) * b; }
TOLVANGER_VECTOR Vec2 Div(Vec2 a, Vec2 b) { return {_mm_div_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec2 Reciprocal(Vec2 b) { return Div(Vec2::Splat(1.0), b); }
// No fused multiply-add here: a product rounded, then the sum rounded.
TOLVANGER_VECTOR Vec2 MulAdd(Vec2 a, Vec2 b, Vec2 c) { return a * b + c; }
TOLVANGER_VECTOR Vec2 Max(Vec2 a, Vec2 b) { return {_mm_max_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec2 Min(Vec2 a, Vec2 b) { return {_mm_min_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec2 Abs(Vec2 a) { return {_mm_andnot_pd(_mm_set1_pd(-0.0), a.v)}; }
TOLVANGER_VECTOR Vec2 Sqrt(Vec2 a) { return {_mm_sqrt_pd(a.v)}; }
TOLVANGER_VECTOR Vec2 Lt(Vec2 a, Vec2 b) { return {_mm_cmplt_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec2 Gt(Vec2 a, Vec2 b) { return {_mm_cmpgt_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec2 NotLt(Vec2 a, Vec2 b) { return {_mm_cmpnlt_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec2 NotLe(Vec2 a, Vec2 b) { return {_mm_cmpnle_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec2 And(Vec2 a, Vec2 b) { return {_mm_and_pd(a.v, b.v)}; }
TOLVANGER_VECTOR Vec2 Select(Vec2 mask, Vec2 a, Vec2 b)
{
    return {_mm_or_pd(_mm_and_pd(mask.v, a.v), _mm_andnot_pd(mask.v, b.v))};
}
TOLVANGER_VECTOR bool Any(Vec2 mask) { return _mm_movemask_pd(mask.v) != 0; }
TOLVANGER_VECTOR bool All(Vec2 mask) { return _mm_movemask_pd(mask.v) == 3; }
TOLVANGER_VECTOR Vec2 AndBits(Vec2 a, uint64_t bits) { return And(a, Vec2::SplatBits(bits)); }
TOLVANGER_VECTOR Vec2 OrBits(Vec2 a, uint64_t bits) { return {_mm_or_pd(a.v, Vec2::SplatBits(bits).v)}; }
TOLVANGER_VECTOR Vec2 AddBits(Vec2 a, uint64_t bits)
{
    return {_mm_castsi128_pd(_mm_add_epi64(_mm_castpd_si128(a.v), _mm_set1_epi64x(static_cast<long long>(bits))))};
}
template <int n> TOLVANGER_VECTOR Vec2 ShiftRightBits(Vec2 a)
{
    return {_mm_castsi128_pd(_mm_srli_epi64(_mm_castpd_si128(a.v), n))};
}
template <int n> TOLVANGER_VECTOR Vec2 ShiftLeftBits(Vec2 a)
{
    return {_mm_castsi128_pd(_mm_slli_epi64(_mm_castpd_si128(a.v), n))};
}
// Group g of the bands: LO and LM (even groups) or HM and HI (odd ones).
TOLVANGER_VECTOR Vec2 SplitBands(int g, Vec2 z, Vec2 r, Vec2 residue)
{
    return {(g & 1) == 0 ? _mm_move_sd(r.v, z.v) : _mm_move_sd(residue.v, r.v)};
}
// Lane i goes to slots[i][at], and the answer's lane i comes from slots[i][from]; the
// pointers are read once, before the stores.
TOLVANGER_VECTOR Vec2 ExchangeLanes(Vec2 a, double* const* slots, size_t at, size_t from)
{
    double* const p0 = slots[0];
    double* const p1 = slots[1];
    _mm_storel_pd(p0 + at, a.v);
    _mm_storeh_pd(p1 + at, a.v);
    return {_mm_loadh_pd(_mm_load_sd(p0 + from), p1 + from)};
}

} // namespace

#include "effect/band_kernel.h"

extern const BandKernels kBandKernelsBaseline = {&RunStereoBlock<Vec2, float>, &RunStereoBlock<Vec2, double>};
