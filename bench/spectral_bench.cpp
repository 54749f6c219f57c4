// The spectral functions in script memory, next to a direct DFT and, when available,
// FFTW on the same sizes. Repeated transforms grow the data by a known power of two
// (forward and inverse together multiply by N), so every kRescaleEvery iterations the
// data is scaled back by the exact power of two; that keeps it finite and normal at a
// negligible share of the time.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <numbers>
#include <random>
#include <vector>

#ifdef TOLVANGER_HAVE_FFTW
#include <fftw3.h>
#endif

#include "runtime/memory.h"
#include "runtime/spectral.h"

namespace {

constexpr int kRescaleEvery = 32;

void FillRandom(double* cells, int32_t count, uint64_t seed)
{
    std::mt19937_64 generator(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    for (int32_t i = 0; i < count; ++i)
        cells[i] = uniform(generator);
}

void Rescale(double* cells, int32_t count, int exponent)
{
    const double factor = std::ldexp(1.0, exponent);
    for (int32_t i = 0; i < count; ++i)
        cells[i] *= factor;
}

int Log2(int32_t n) { return static_cast<int>(std::lround(std::log2(n))); }

// Runs the given modes over one random block of n points. Each unnormalised pass
// (modes 0 and 1) grows the data by sqrt(n), so every kRescaleEvery iterations it is
// scaled back by an exact power of two and repeated transforms never overflow.
void RunFftModes(benchmark::State& state, uint32_t seed, std::initializer_list<int32_t> modes, int growingPasses)
{
    const int32_t n = static_cast<int32_t>(state.range(0));
    EnsureFftTables();
    CVexlMemory memory;
    double* cells = memory.Memory().Block(0).cells;
    FillRandom(cells, 2 * n, seed);
    int count = 0;
    for (auto _ : state) {
        for (int32_t mode : modes)
            MemoryFft(memory, 0, n, mode);
        benchmark::ClobberMemory();
        if (++count == kRescaleEvery) {
            Rescale(cells, 2 * n, -Log2(n) * kRescaleEvery * growingPasses / 2);
            count = 0;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

void SpectralFftForward(benchmark::State& state) { RunFftModes(state, 1, {0}, 1); }
void SpectralFftForwardInverse(benchmark::State& state) { RunFftModes(state, 2, {0, 1}, 2); }
void SpectralFftForwardNaturalOrder(benchmark::State& state) { RunFftModes(state, 3, {0, 4}, 1); }

// Forward then inverse: a windowed projection, so the data stays bounded by itself.
void SpectralMdctForwardInverse(benchmark::State& state)
{
    const int32_t n = static_cast<int32_t>(state.range(0));
    EnsureFftTables();
    CVexlMemory memory;
    FillRandom(memory.Memory().Block(0).cells, n, 4);
    for (auto _ : state) {
        MemoryMdct(memory, 0, n, 0);
        MemoryMdct(memory, 0, n, 1);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

// The direct sums the tests use as reference, in double with a table of roots.
void NaiveDft(const std::vector<double>& in, std::vector<double>& out, const std::vector<double>& roots, int sign)
{
    const int64_t n = static_cast<int64_t>(in.size() / 2);
    for (int64_t k = 0; k < n; ++k) {
        double re = 0.0, im = 0.0;
        for (int64_t j = 0; j < n; ++j) {
            const int64_t m = (j * k) % n;
            const double c = roots[2 * m], s = sign * roots[2 * m + 1];
            re += in[2 * j] * c - in[2 * j + 1] * s;
            im += in[2 * j] * s + in[2 * j + 1] * c;
        }
        out[2 * k] = re;
        out[2 * k + 1] = im;
    }
}

void SpectralNaiveDftForwardInverse(benchmark::State& state)
{
    const int32_t n = static_cast<int32_t>(state.range(0));
    std::vector<double> roots(2 * n), a(2 * n), b(2 * n);
    for (int32_t m = 0; m < n; ++m) {
        roots[2 * m] = std::cos(2.0 * std::numbers::pi * m / n);
        roots[2 * m + 1] = std::sin(2.0 * std::numbers::pi * m / n);
    }
    FillRandom(a.data(), 2 * n, 5);
    for (auto _ : state) {
        NaiveDft(a, b, roots, -1);
        NaiveDft(b, a, roots, +1);
        Rescale(a.data(), 2 * n, -Log2(n));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(SpectralFftForward)->Arg(1024)->Arg(32768)->Unit(benchmark::kMicrosecond);
BENCHMARK(SpectralFftForwardInverse)->Arg(1024)->Arg(32768)->Unit(benchmark::kMicrosecond);
BENCHMARK(SpectralFftForwardNaturalOrder)->Arg(1024)->Arg(32768)->Unit(benchmark::kMicrosecond);
BENCHMARK(SpectralMdctForwardInverse)->Arg(2048)->Unit(benchmark::kMicrosecond);
BENCHMARK(SpectralNaiveDftForwardInverse)->Arg(1024)->Unit(benchmark::kMicrosecond);

#ifdef TOLVANGER_HAVE_FFTW

// FFTW in place on the same data sizes, planned with FFTW_MEASURE before the data is set.
class FftwComplex {
public:
    explicit FftwComplex(int n)
        : data_(fftw_alloc_complex(n)), forward_(fftw_plan_dft_1d(n, data_, data_, FFTW_FORWARD, FFTW_MEASURE)),
          backward_(fftw_plan_dft_1d(n, data_, data_, FFTW_BACKWARD, FFTW_MEASURE))
    {
        FillRandom(reinterpret_cast<double*>(data_), 2 * n, 6);
    }
    ~FftwComplex()
    {
        fftw_destroy_plan(forward_);
        fftw_destroy_plan(backward_);
        fftw_free(data_);
    }
    FftwComplex(const FftwComplex&) = delete;
    FftwComplex& operator=(const FftwComplex&) = delete;

    double* Cells() { return reinterpret_cast<double*>(data_); }
    void Forward() { fftw_execute(forward_); }
    void Backward() { fftw_execute(backward_); }

private:
    fftw_complex* data_;
    fftw_plan forward_;
    fftw_plan backward_;
};

void FftwForward(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    FftwComplex fft(n);
    int count = 0;
    for (auto _ : state) {
        fft.Forward();
        benchmark::ClobberMemory();
        if (++count == kRescaleEvery) {
            Rescale(fft.Cells(), 2 * n, -Log2(n) * kRescaleEvery / 2);
            count = 0;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

void FftwForwardInverse(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    FftwComplex fft(n);
    int count = 0;
    for (auto _ : state) {
        fft.Forward();
        fft.Backward();
        benchmark::ClobberMemory();
        if (++count == kRescaleEvery) {
            Rescale(fft.Cells(), 2 * n, -Log2(n) * kRescaleEvery);
            count = 0;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

// The DCT-IV of n/2 points that an n-point MDCT reduces to (without the folding and
// windowing MemoryMdct also does), forward and back; together they multiply by n.
void FftwDctIvForMdct(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const int half = n / 2;
    double* data = fftw_alloc_real(half);
    fftw_plan plan = fftw_plan_r2r_1d(half, data, data, FFTW_REDFT11, FFTW_MEASURE);
    FillRandom(data, half, 7);
    int count = 0;
    for (auto _ : state) {
        fftw_execute(plan);
        fftw_execute(plan);
        benchmark::ClobberMemory();
        if (++count == kRescaleEvery) {
            Rescale(data, half, -Log2(n) * kRescaleEvery);
            count = 0;
        }
    }
    state.SetItemsProcessed(state.iterations());
    fftw_destroy_plan(plan);
    fftw_free(data);
}

BENCHMARK(FftwForward)->Arg(1024)->Arg(32768)->Unit(benchmark::kMicrosecond);
BENCHMARK(FftwForwardInverse)->Arg(1024)->Arg(32768)->Unit(benchmark::kMicrosecond);
BENCHMARK(FftwDctIvForMdct)->Arg(2048)->Unit(benchmark::kMicrosecond);

#endif

} // namespace
