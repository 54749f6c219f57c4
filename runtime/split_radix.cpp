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

// One complex value (re, im) in a two-lane vector, one SSE2 or NEON register.
using Cx = double __attribute__((vector_size(16)));

[[gnu::always_inline]] inline Cx Load(const double* p) noexcept
{
    Cx v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

[[gnu::always_inline]] inline void Store(double* p, Cx v) noexcept { __builtin_memcpy(p, &v, sizeof v); }

[[gnu::always_inline]] inline Cx Swap(Cx v) noexcept { return __builtin_shufflevector(v, v, 1, 0); }

[[gnu::always_inline]] inline Cx TimesI(Cx v) noexcept { return Swap(v) * Cx{-1.0, 1.0}; }

[[gnu::always_inline]] inline Cx TimesMinusI(Cx v) noexcept { return Swap(v) * Cx{1.0, -1.0}; }

// Rotation factor w^j as cosine and sine.
struct Rotation {
    double c, s;
};

// v (c + is) = (re c - im s, im c + re s)
[[gnu::always_inline]] inline Cx Rotate(Cx v, Rotation w) noexcept
{
    return v * Cx{w.c, w.c} + Swap(v) * Cx{-w.s, w.s};
}

// v (c - is)
[[gnu::always_inline]] inline Cx RotateBack(Cx v, Rotation w) noexcept
{
    return v * Cx{w.c, w.c} - Swap(v) * Cx{-w.s, w.s};
}

constexpr Rotation kUnit = {1.0, 0.0};
constexpr Rotation kEighth = {FftTables::kSqrtHalf, FftTables::kSqrtHalf};
constexpr Rotation kSixteenth = {FftTables::kCosPi8, FftTables::kSinPi8};
constexpr Rotation kThreeSixteenths = {FftTables::kSinPi8, FftTables::kCosPi8};

// The three-way split of the group of four values at j, j + q, j + 2q, j + 3q. Unit is
// true for w = 1, which needs no rotation.
template <bool Unit = false>
[[gnu::always_inline]] inline void SplitButterfly(double* x, int32_t j, int32_t q, Rotation w) noexcept
{
    double* p0 = x + 2 * j;
    double* p1 = p0 + 2 * q;
    double* p2 = p1 + 2 * q;
    double* p3 = p2 + 2 * q;
    const Cx a0 = Load(p0), a1 = Load(p1), a2 = Load(p2), a3 = Load(p3);
    const Cx d1 = a0 - a2;
    const Cx id2 = TimesI(a1 - a3);
    Store(p0, a0 + a2);
    Store(p1, a1 + a3);
    if constexpr (Unit) {
        Store(p2, d1 + id2);
        Store(p3, d1 - id2);
    } else {
        Store(p2, Rotate(d1 + id2, w));
        Store(p3, RotateBack(d1 - id2, w));
    }
}

// The mirror of SplitButterfly: undoes the rotations, then recombines; unnormalised.
template <bool Unit = false>
[[gnu::always_inline]] inline void MergeButterfly(double* x, int32_t j, int32_t q, Rotation w) noexcept
{
    double* p0 = x + 2 * j;
    double* p1 = p0 + 2 * q;
    double* p2 = p1 + 2 * q;
    double* p3 = p2 + 2 * q;
    const Cx s0 = Load(p0), s1 = Load(p1);
    const Cx a = Unit ? Load(p2) : RotateBack(Load(p2), w);
    const Cx b = Unit ? Load(p3) : Rotate(Load(p3), w);
    const Cx sum = a + b;
    const Cx difference = TimesMinusI(a - b);
    Store(p0, s0 + sum);
    Store(p2, s0 - sum);
    Store(p1, s1 + difference);
    Store(p3, s1 - difference);
}

[[gnu::always_inline]] inline void Forward2(double* x) noexcept
{
    const Cx a = Load(x), b = Load(x + 2);
    Store(x, a + b);
    Store(x + 2, a - b);
}

[[gnu::always_inline]] inline void Forward4(double* x) noexcept
{
    SplitButterfly<true>(x, 0, 1, kUnit);
    Forward2(x);
}

[[gnu::always_inline]] inline void Forward8(double* x) noexcept
{
    SplitButterfly<true>(x, 0, 2, kUnit);
    SplitButterfly(x, 1, 2, kEighth);
    Forward4(x);
    Forward2(x + 8);
    Forward2(x + 12);
}

inline void Forward16(double* x) noexcept
{
    SplitButterfly<true>(x, 0, 4, kUnit);
    SplitButterfly(x, 1, 4, kSixteenth);
    SplitButterfly(x, 2, 4, kEighth);
    SplitButterfly(x, 3, 4, kThreeSixteenths);
    Forward8(x);
    Forward4(x + 16);
    Forward4(x + 24);
}

[[gnu::always_inline]] inline void Inverse4(double* x) noexcept
{
    Forward2(x);
    MergeButterfly<true>(x, 0, 1, kUnit);
}

[[gnu::always_inline]] inline void Inverse8(double* x) noexcept
{
    Inverse4(x);
    Forward2(x + 8);
    Forward2(x + 12);
    MergeButterfly<true>(x, 0, 2, kUnit);
    MergeButterfly(x, 1, 2, kEighth);
}

inline void Inverse16(double* x) noexcept
{
    Inverse8(x);
    Inverse4(x + 16);
    Inverse4(x + 24);
    MergeButterfly<true>(x, 0, 4, kUnit);
    MergeButterfly(x, 1, 4, kSixteenth);
    MergeButterfly(x, 2, 4, kEighth);
    MergeButterfly(x, 3, 4, kThreeSixteenths);
}

// One pass over the groups j = 0 .. q - 1 with the rotation factors w^j. Passes up to
// 512 points read them straight from the table; larger ones store the first eighth of
// the turn only: w^(q - k) is w^k with cosine and sine swapped, and w^(q/2) is √½ (1 + i).
template <int Log, bool Merge> [[gnu::always_inline]] inline void Pass(double* x, const double* rot) noexcept
{
    constexpr int32_t q = (1 << Log) / 4;
    const auto step = [x]<bool Unit = false>(int32_t j, Rotation w)
    {
        if constexpr (Merge)
            MergeButterfly<Unit>(x, j, q, w);
        else
            SplitButterfly<Unit>(x, j, q, w);
    };
    step.template operator()<true>(0, kUnit);
    if constexpr ((1 << Log) <= 512) {
        for (int32_t j = 1; j < q; ++j)
            step(j, Rotation{rot[2 * j - 2], rot[2 * j - 1]});
    } else {
        for (int32_t k = 1; k < q / 2; ++k) {
            const double c = rot[2 * k - 2], s = rot[2 * k - 1];
            step(k, Rotation{c, s});
            step(q - k, Rotation{s, c});
        }
        step(q / 2, kEighth);
    }
}

template <int Log> void Forward(double* x, const FftTables& tables) noexcept
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

template <int Log> void Inverse(double* x, const FftTables& tables) noexcept
{
    if constexpr (Log == 1) {
        Forward2(x); // its own mirror
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

void SplitRadixForward(double* x, int log2Size, const FftTables& tables) noexcept { kForward[log2Size - 1](x, tables); }

void SplitRadixInverse(double* x, int log2Size, const FftTables& tables) noexcept { kInverse[log2Size - 1](x, tables); }
