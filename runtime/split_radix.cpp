// Split-radix passes, decimation in frequency. A pass of size M turns x into
//   x[j] + x[j + M/2]                               (the half-size transform's input)
//   (x[j] - x[j + M/2] + i(x[j + M/4] - x[j + 3M/4])) w^j     (frequencies 4k + 1)
//   (x[j] - x[j + M/2] - i(x[j + M/4] - x[j + 3M/4])) w^-j    (frequencies 4k - 1)
// with w = e^(2πi/M), then transforms the three parts in place; that is what puts
// frequency SplitOrder(i, M) at position i. The inverse runs the mirrored passes in the
// opposite order. Complex value j is x[2j], x[2j + 1].

#include <array>
#include <utility>

#include "runtime/spectral_detail.h"

namespace {

constexpr double kC8 = FftTables::kCosPi8;
constexpr double kS8 = FftTables::kSinPi8;
constexpr double kR2 = FftTables::kSqrtHalf;

// Rotation factor w^j as cosine and sine.
struct Rotation {
    double c, s;
};

// The three-way split of one group of four values at j, j + q, j + 2q, j + 3q.
[[gnu::always_inline]] inline void SplitButterfly(double* x, int32_t j, int32_t q, Rotation w) noexcept
{
    double* p0 = x + 2 * j;
    double* p1 = p0 + 2 * q;
    double* p2 = p1 + 2 * q;
    double* p3 = p2 + 2 * q;
    const double a0r = p0[0], a0i = p0[1], a1r = p1[0], a1i = p1[1];
    const double a2r = p2[0], a2i = p2[1], a3r = p3[0], a3i = p3[1];
    const double d1r = a0r - a2r, d1i = a0i - a2i;
    const double d2r = a1r - a3r, d2i = a1i - a3i;
    const double pr = d1r - d2i, pi = d1i + d2r; // d1 + i d2
    const double mr = d1r + d2i, mi = d1i - d2r; // d1 - i d2
    p0[0] = a0r + a2r;
    p0[1] = a0i + a2i;
    p1[0] = a1r + a3r;
    p1[1] = a1i + a3i;
    p2[0] = pr * w.c - pi * w.s;
    p2[1] = pr * w.s + pi * w.c;
    p3[0] = mr * w.c + mi * w.s;
    p3[1] = mi * w.c - mr * w.s;
}

// j = 0: w^0 = 1, no multiplication.
[[gnu::always_inline]] inline void SplitButterflyUnit(double* x, int32_t q) noexcept
{
    double* p1 = x + 2 * q;
    double* p2 = p1 + 2 * q;
    double* p3 = p2 + 2 * q;
    const double a0r = x[0], a0i = x[1], a1r = p1[0], a1i = p1[1];
    const double a2r = p2[0], a2i = p2[1], a3r = p3[0], a3i = p3[1];
    const double d1r = a0r - a2r, d1i = a0i - a2i;
    const double d2r = a1r - a3r, d2i = a1i - a3i;
    x[0] = a0r + a2r;
    x[1] = a0i + a2i;
    p1[0] = a1r + a3r;
    p1[1] = a1i + a3i;
    p2[0] = d1r - d2i;
    p2[1] = d1i + d2r;
    p3[0] = d1r + d2i;
    p3[1] = d1i - d2r;
}

// j = M/8: w^j = √½ (1 + i), two multiplications per value.
[[gnu::always_inline]] inline void SplitButterflyEighth(double* x, int32_t j, int32_t q) noexcept
{
    double* p0 = x + 2 * j;
    double* p1 = p0 + 2 * q;
    double* p2 = p1 + 2 * q;
    double* p3 = p2 + 2 * q;
    const double a0r = p0[0], a0i = p0[1], a1r = p1[0], a1i = p1[1];
    const double a2r = p2[0], a2i = p2[1], a3r = p3[0], a3i = p3[1];
    const double d1r = a0r - a2r, d1i = a0i - a2i;
    const double d2r = a1r - a3r, d2i = a1i - a3i;
    const double pr = d1r - d2i, pi = d1i + d2r;
    const double mr = d1r + d2i, mi = d1i - d2r;
    p0[0] = a0r + a2r;
    p0[1] = a0i + a2i;
    p1[0] = a1r + a3r;
    p1[1] = a1i + a3i;
    p2[0] = kR2 * (pr - pi);
    p2[1] = kR2 * (pr + pi);
    p3[0] = kR2 * (mr + mi);
    p3[1] = kR2 * (mi - mr);
}

// The mirror of SplitButterfly: undoes the rotations, then recombines; unnormalised.
[[gnu::always_inline]] inline void MergeButterfly(double* x, int32_t j, int32_t q, Rotation w) noexcept
{
    double* p0 = x + 2 * j;
    double* p1 = p0 + 2 * q;
    double* p2 = p1 + 2 * q;
    double* p3 = p2 + 2 * q;
    const double s0r = p0[0], s0i = p0[1], s1r = p1[0], s1i = p1[1];
    const double zr = p2[0], zi = p2[1], yr = p3[0], yi = p3[1];
    const double ar = zr * w.c + zi * w.s, ai = zi * w.c - zr * w.s; // z w^-j
    const double br = yr * w.c - yi * w.s, bi = yr * w.s + yi * w.c; // y w^j
    const double tr = ar + br, ti = ai + bi;
    const double ur = ai - bi, ui = br - ar; // -i (a - b)
    p0[0] = s0r + tr;
    p0[1] = s0i + ti;
    p2[0] = s0r - tr;
    p2[1] = s0i - ti;
    p1[0] = s1r + ur;
    p1[1] = s1i + ui;
    p3[0] = s1r - ur;
    p3[1] = s1i - ui;
}

[[gnu::always_inline]] inline void MergeButterflyUnit(double* x, int32_t q) noexcept
{
    double* p1 = x + 2 * q;
    double* p2 = p1 + 2 * q;
    double* p3 = p2 + 2 * q;
    const double s0r = x[0], s0i = x[1], s1r = p1[0], s1i = p1[1];
    const double ar = p2[0], ai = p2[1], br = p3[0], bi = p3[1];
    const double tr = ar + br, ti = ai + bi;
    const double ur = ai - bi, ui = br - ar;
    x[0] = s0r + tr;
    x[1] = s0i + ti;
    p2[0] = s0r - tr;
    p2[1] = s0i - ti;
    p1[0] = s1r + ur;
    p1[1] = s1i + ui;
    p3[0] = s1r - ur;
    p3[1] = s1i - ui;
}

[[gnu::always_inline]] inline void MergeButterflyEighth(double* x, int32_t j, int32_t q) noexcept
{
    double* p0 = x + 2 * j;
    double* p1 = p0 + 2 * q;
    double* p2 = p1 + 2 * q;
    double* p3 = p2 + 2 * q;
    const double s0r = p0[0], s0i = p0[1], s1r = p1[0], s1i = p1[1];
    const double zr = p2[0], zi = p2[1], yr = p3[0], yi = p3[1];
    const double ar = kR2 * (zr + zi), ai = kR2 * (zi - zr);
    const double br = kR2 * (yr - yi), bi = kR2 * (yr + yi);
    const double tr = ar + br, ti = ai + bi;
    const double ur = ai - bi, ui = br - ar;
    p0[0] = s0r + tr;
    p0[1] = s0i + ti;
    p2[0] = s0r - tr;
    p2[1] = s0i - ti;
    p1[0] = s1r + ur;
    p1[1] = s1i + ui;
    p3[0] = s1r - ur;
    p3[1] = s1i - ui;
}

[[gnu::always_inline]] inline void Forward2(double* x) noexcept
{
    const double ar = x[0], ai = x[1], br = x[2], bi = x[3];
    x[0] = ar + br;
    x[1] = ai + bi;
    x[2] = ar - br;
    x[3] = ai - bi;
}

[[gnu::always_inline]] inline void Forward4(double* x) noexcept
{
    SplitButterflyUnit(x, 1);
    Forward2(x);
}

[[gnu::always_inline]] inline void Forward8(double* x) noexcept
{
    SplitButterflyUnit(x, 2);
    SplitButterflyEighth(x, 1, 2);
    Forward4(x);
    Forward2(x + 8);
    Forward2(x + 12);
}

inline void Forward16(double* x) noexcept
{
    SplitButterflyUnit(x, 4);
    SplitButterfly(x, 1, 4, {kC8, kS8});
    SplitButterflyEighth(x, 2, 4);
    SplitButterfly(x, 3, 4, {kS8, kC8});
    Forward8(x);
    Forward4(x + 16);
    Forward4(x + 24);
}

[[gnu::always_inline]] inline void Inverse4(double* x) noexcept
{
    Forward2(x);
    MergeButterflyUnit(x, 1);
}

[[gnu::always_inline]] inline void Inverse8(double* x) noexcept
{
    Inverse4(x);
    Forward2(x + 8);
    Forward2(x + 12);
    MergeButterflyUnit(x, 2);
    MergeButterflyEighth(x, 1, 2);
}

inline void Inverse16(double* x) noexcept
{
    Inverse8(x);
    Inverse4(x + 16);
    Inverse4(x + 24);
    MergeButterflyUnit(x, 4);
    MergeButterfly(x, 1, 4, {kC8, kS8});
    MergeButterflyEighth(x, 2, 4);
    MergeButterfly(x, 3, 4, {kS8, kC8});
}

// One pass over the groups j = 0 .. q - 1 with the rotation factors w^j. Passes up to
// 512 points read them straight from the table; larger ones store the first eighth of
// the turn only: w^(q - k) is w^k with cosine and sine swapped, and w^(q/2) is √½ (1 + i).
template <int Log, bool Merge>
[[gnu::always_inline]] inline void Pass(double* x, const double* rot) noexcept
{
    constexpr int32_t q = (1 << Log) / 4;
    const auto step = [x](int32_t j, Rotation w) {
        if constexpr (Merge) MergeButterfly(x, j, q, w);
        else SplitButterfly(x, j, q, w);
    };
    if constexpr (Merge) MergeButterflyUnit(x, q);
    else SplitButterflyUnit(x, q);
    if constexpr ((1 << Log) <= 512) {
        for (int32_t j = 1; j < q; ++j) step(j, Rotation{rot[2 * j - 2], rot[2 * j - 1]});
    } else {
        for (int32_t k = 1; k < q / 2; ++k) {
            const double c = rot[2 * k - 2], s = rot[2 * k - 1];
            step(k, Rotation{c, s});
            step(q - k, Rotation{s, c});
        }
        if constexpr (Merge) MergeButterflyEighth(x, q / 2, q);
        else SplitButterflyEighth(x, q / 2, q);
    }
}

template <int Log>
void Forward(double* x, const FftTables& tables) noexcept
{
    if constexpr (Log == 1) {
        Forward2(x);
    } else if constexpr (Log == 2) {
        Forward4(x);
    } else if constexpr (Log == 3) {
        Forward8(x);
    } else if constexpr (Log == 4) {
        Forward16(x);
    } else {
        constexpr int32_t n = 1 << Log;
        Pass<Log, false>(x, tables.rotations[Log].data());
        Forward<Log - 1>(x, tables);
        Forward<Log - 2>(x + n, tables);
        Forward<Log - 2>(x + n + n / 2, tables);
    }
}

template <int Log>
void Inverse(double* x, const FftTables& tables) noexcept
{
    if constexpr (Log == 1) {
        Forward2(x);
    } else if constexpr (Log == 2) {
        Inverse4(x);
    } else if constexpr (Log == 3) {
        Inverse8(x);
    } else if constexpr (Log == 4) {
        Inverse16(x);
    } else {
        constexpr int32_t n = 1 << Log;
        Inverse<Log - 1>(x, tables);
        Inverse<Log - 2>(x + n, tables);
        Inverse<Log - 2>(x + n + n / 2, tables);
        Pass<Log, true>(x, tables.rotations[Log].data());
    }
}

using PassFunction = void (*)(double*, const FftTables&) noexcept;

template <int... Logs>
constexpr std::array<PassFunction, sizeof...(Logs)> ForwardPasses(std::integer_sequence<int, Logs...>)
{
    return {Forward<Logs + 1>...};
}

template <int... Logs>
constexpr std::array<PassFunction, sizeof...(Logs)> InversePasses(std::integer_sequence<int, Logs...>)
{
    return {Inverse<Logs + 1>...};
}

constexpr auto kForward = ForwardPasses(std::make_integer_sequence<int, FftTables::kMaxLog>{});
constexpr auto kInverse = InversePasses(std::make_integer_sequence<int, FftTables::kMaxLog>{});

} // namespace

void SplitRadixForward(double* x, int log2Size, const FftTables& tables) noexcept
{
    kForward[log2Size - 1](x, tables);
}

void SplitRadixInverse(double* x, int log2Size, const FftTables& tables) noexcept
{
    kInverse[log2Size - 1](x, tables);
}
