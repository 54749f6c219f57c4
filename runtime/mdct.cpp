// MDCT of n windowed values into n/2 coefficients and back, n = 32 .. 4096:
//   X[k] = sum_j x[j] w(j) cos(π/(2n) (2j + 1 + n/2) (2k + 1)),  j < n, k < n/2
//   y[i] = w(i) sum_k X[k] cos(π/(2n) (2i + 1 + n/2) (2k + 1))
// with w(i) = sin(π(i + ½)/n). For n = 32 the sums are taken directly and the inverse
// carries 4/n; from 64 up the forward result carries 4/n. With N = n/2 the forward sum
// is a DCT-IV of the folded block (-c_r - d, a - b_r) (quarters a b c d, _r reversed),
// the inverse the same DCT-IV followed by the transposed unfolding; the DCT-IV is an
// N/2-point complex transform between a rotation before and one after.

#include <array>
#include <cmath>
#include <mutex>
#include <numbers>

#include "runtime/spectral_detail.h"

namespace {

constexpr int kMinLog = 5;  // 32
constexpr int kMaxLog = 12; // 4096
constexpr int kDirectLog = 5;
constexpr int32_t kScratchSize = 4096;
constexpr int32_t kUpperScratch = kScratchSize / 2;

// Fixed storage, so that making a plan on first use never allocates.
struct MdctPlan {
    double scale = 0.0; // 4/n
    // sin(π(i + ½)/n) for i < n/2; the second half of the window mirrors the first.
    std::array<double, 2048> window{};
    // n = 32: cos(πm/(2n)) for m < 4n, the kernel of the direct sums (its argument
    // only matters modulo 4n). n >= 64: (cos φ_m, sin φ_m), φ_m = π(m + 1/8)/(n/2), m < n/4.
    std::array<double, 2048> rotation{};
};

std::array<MdctPlan, kMaxLog - kMinLog + 1> plans;
std::array<std::once_flag, kMaxLog - kMinLog + 1> plansBuilt;

void BuildPlan(MdctPlan& plan, int log2n)
{
    const int32_t n = 1 << log2n;
    const double pi = std::numbers::pi;
    plan.scale = 4.0 / n;
    for (int32_t i = 0; i < n / 2; ++i)
        plan.window[i] = std::sin(pi * (i + 0.5) / n);
    if (log2n == kDirectLog) {
        for (int32_t m = 0; m < 4 * n; ++m)
            plan.rotation[m] = std::cos(pi * m / (2 * n));
    } else {
        for (int32_t m = 0; m < n / 4; ++m) {
            const double phi = pi * (m + 0.125) / (n / 2);
            plan.rotation[2 * m] = std::cos(phi);
            plan.rotation[2 * m + 1] = std::sin(phi);
        }
    }
}

const MdctPlan& PlanFor(int log2n)
{
    const int slot = log2n - kMinLog;
    std::call_once(plansBuilt[slot], BuildPlan, std::ref(plans[slot]), log2n);
    return plans[slot];
}

double Window(const MdctPlan& plan, int32_t n, int32_t i) noexcept
{
    return i < n / 2 ? plan.window[i] : plan.window[n - 1 - i];
}

void DirectForward(double* x, int32_t n, const MdctPlan& plan, double* scratch) noexcept
{
    const int32_t mask = 4 * n - 1;
    for (int32_t j = 0; j < n; ++j)
        scratch[j] = x[j] * Window(plan, n, j);
    for (int32_t k = 0; k < n / 2; ++k) {
        double sum = 0.0;
        for (int32_t j = 0; j < n; ++j)
            sum += scratch[j] * plan.rotation[((2 * j + 1 + n / 2) * (2 * k + 1)) & mask];
        x[k] = sum;
    }
}

void DirectInverse(double* x, int32_t n, const MdctPlan& plan, double* scratch) noexcept
{
    const int32_t mask = 4 * n - 1;
    for (int32_t k = 0; k < n / 2; ++k)
        scratch[k] = x[k];
    for (int32_t i = 0; i < n; ++i) {
        double sum = 0.0;
        for (int32_t k = 0; k < n / 2; ++k)
            sum += scratch[k] * plan.rotation[((2 * i + 1 + n / 2) * (2 * k + 1)) & mask];
        x[i] = plan.scale * sum * Window(plan, n, i);
    }
}

// DCT-IV of the N = n/2 values u into out (out[k] = sum_j u[j] cos(π/N (j + ½)(k + ½))),
// times factor. z is scratch for N doubles and may not overlap u or out. Pairing u[2m]
// with u[N - 1 - 2m] as one complex value turns the sum into an N/2-point DFT between
// two rotations by e^(-iφ); the real part of result p is out[2p], minus its imaginary
// part out[N - 1 - 2p].
void DctIv(const double* u, double* out, double* z, int log2n, double factor, const MdctPlan& plan,
           const FftTables& tables) noexcept
{
    const int32_t N = (1 << log2n) / 2;
    const int32_t M = N / 2;
    const double* r = plan.rotation.data();
    for (int32_t m = 0; m < M; ++m) {
        const double a = u[2 * m], b = u[N - 1 - 2 * m], c = r[2 * m], s = r[2 * m + 1];
        z[2 * m] = a * c + b * s; // (a + ib) e^(-iφ_m)
        z[2 * m + 1] = b * c - a * s;
    }
    SplitRadixForward(z, log2n - 2, tables);
    // The pass leaves the e^(-i...) DFT's frequency p at position T_M[p].
    const int32_t* position = tables.reorder[log2n - 2].data();
    for (int32_t p = 0; p < M; ++p) {
        const double zr = z[2 * position[p]], zi = z[2 * position[p] + 1];
        const double c = r[2 * p], s = r[2 * p + 1];
        out[2 * p] = factor * (zr * c + zi * s);
        out[N - 1 - 2 * p] = -factor * (zi * c - zr * s);
    }
}

void FastForward(double* x, int log2n, const MdctPlan& plan, double* scratch) noexcept
{
    const int32_t n = 1 << log2n;
    const int32_t N = n / 2, h = n / 4;
    double* u = scratch + kUpperScratch;
    for (int32_t j = 0; j < h; ++j) {
        const int32_t c = N + h - 1 - j, d = N + h + j;
        u[j] = -x[c] * Window(plan, n, c) - x[d] * Window(plan, n, d);
        const int32_t a = j, b = N - 1 - j;
        u[h + j] = x[a] * Window(plan, n, a) - x[b] * Window(plan, n, b);
    }
    DctIv(u, x, scratch, log2n, plan.scale, plan, GetFftTables());
}

void FastInverse(double* x, int log2n, const MdctPlan& plan, double* scratch) noexcept
{
    const int32_t n = 1 << log2n;
    const int32_t N = n / 2, h = n / 4;
    double* v = scratch + kUpperScratch;
    DctIv(x, v, scratch, log2n, 1.0, plan, GetFftTables());
    for (int32_t j = 0; j < h; ++j) {
        x[j] = v[h + j] * Window(plan, n, j);
        x[h + j] = -v[N - 1 - j] * Window(plan, n, h + j);
        x[N + j] = -v[h - 1 - j] * Window(plan, n, N + j);
        x[N + h + j] = -v[j] * Window(plan, n, N + h + j);
    }
}

} // namespace

void MemoryMdct(CVexlMemory& memory, int32_t index, int32_t size, int32_t direction)
{
    const int log2n = FloorLog2(size);
    if (log2n < kMinLog || log2n > kMaxLog) return;
    const int32_t n = 1 << log2n;
    if (!FitsInBlock(index, n)) return;
    double* x = RunCells(memory, index, n);
    if (!x) return;
    const MdctPlan& plan = PlanFor(log2n);
    // Per call, so concurrent calls never share it.
    double scratch[kScratchSize];
    const bool forward = (direction & 0xFF) == 0;
    if (log2n == kDirectLog) {
        if (forward)
            DirectForward(x, n, plan, scratch);
        else
            DirectInverse(x, n, plan, scratch);
    } else {
        if (forward)
            FastForward(x, log2n, plan, scratch);
        else
            FastInverse(x, log2n, plan, scratch);
    }
}
