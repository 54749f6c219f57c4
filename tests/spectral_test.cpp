// The spectral functions against their defining sums, evaluated here directly in long
// double. Every comparison allows 1e-9 of the largest magnitude of the expected result.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "runtime/memory.h"
#include "runtime/spectral.h"

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;
constexpr double kTolerance = 1e-9;

struct LComplex {
    long double re = 0.0L, im = 0.0L;
};

LComplex operator*(LComplex a, LComplex b) { return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re}; }
LComplex operator+(LComplex a, LComplex b) { return {a.re + b.re, a.im + b.im}; }
long double Magnitude(LComplex a) { return std::sqrt(a.re * a.re + a.im * a.im); }

const std::vector<int32_t> kFftSizes = {16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 8192, 16384, 32768};
const std::vector<int32_t> kMdctSizes = {32, 64, 128, 256, 512, 1024, 2048, 4096};

std::vector<double> RandomCells(int32_t count, uint64_t seed)
{
    std::mt19937_64 generator(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<double> cells(count);
    for (double& c : cells)
        c = uniform(generator);
    return cells;
}

void Store(CVexlMemory& memory, int32_t index, const std::vector<double>& cells)
{
    for (size_t i = 0; i < cells.size(); ++i)
        memory.MemoryCell(index + static_cast<int32_t>(i)) = cells[i];
}

std::vector<double> Load(CVexlMemory& memory, int32_t index, int32_t count)
{
    std::vector<double> cells(count);
    for (int32_t i = 0; i < count; ++i)
        cells[i] = memory.MemoryCell(index + i);
    return cells;
}

std::vector<LComplex> AsComplex(const std::vector<double>& cells)
{
    std::vector<LComplex> values(cells.size() / 2);
    for (size_t k = 0; k < values.size(); ++k)
        values[k] = {cells[2 * k], cells[2 * k + 1]};
    return values;
}

// e^(sign 2πi m / n) for m < n; the exponent of every DFT term is taken modulo n.
std::vector<LComplex> Roots(int32_t n, int sign)
{
    std::vector<LComplex> roots(n);
    for (int32_t m = 0; m < n; ++m) {
        const long double angle = 2.0L * kPi * m / n;
        roots[m] = {std::cos(angle), sign * std::sin(angle)};
    }
    return roots;
}

LComplex DftAt(const std::vector<LComplex>& x, const std::vector<LComplex>& roots, int32_t k)
{
    const int64_t n = static_cast<int64_t>(x.size());
    LComplex sum;
    for (int64_t j = 0; j < n; ++j)
        sum = sum + x[j] * roots[(j * k) % n];
    return sum;
}

// All positions up to 4096 points; above that a spread of 66 positions, since a full
// direct sum would take N^2 terms.
std::vector<int32_t> CheckedPositions(int32_t n)
{
    std::vector<int32_t> positions;
    if (n <= 4096) {
        for (int32_t k = 0; k < n; ++k)
            positions.push_back(k);
    } else {
        positions = {0, n - 1};
        for (int32_t j = 1; j <= 64; ++j)
            positions.push_back(static_cast<int32_t>((j * 7919LL) % n));
    }
    return positions;
}

using Expected = std::vector<std::pair<int32_t, LComplex>>;

// Complex value p of actual (cells, real part first) against each expected (p, value).
void ExpectComplexNear(const std::vector<double>& actual, const Expected& expected)
{
    long double largest = 0.0L, worst = 0.0L;
    int32_t worstAt = -1;
    for (const auto& [p, value] : expected)
        largest = std::max(largest, Magnitude(value));
    for (const auto& [p, value] : expected) {
        const long double error = Magnitude({actual[2 * p] - value.re, actual[2 * p + 1] - value.im});
        if (error > worst) {
            worst = error;
            worstAt = p;
        }
    }
    EXPECT_LE(worst, kTolerance * largest) << "worst at complex position " << worstAt;
}

void ExpectRealNear(const std::vector<double>& actual, const std::vector<long double>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    long double largest = 0.0L, worst = 0.0L;
    size_t worstAt = 0;
    for (const long double e : expected)
        largest = std::max(largest, std::fabs(e));
    for (size_t i = 0; i < expected.size(); ++i) {
        const long double error = std::fabs(actual[i] - expected[i]);
        if (error > worst) {
            worst = error;
            worstAt = i;
        }
    }
    EXPECT_LE(worst, kTolerance * largest) << "worst at cell " << worstAt;
}

TEST(SpectralTables, SplitOrderOfEightPoints)
{
    const int32_t expected[8] = {0, 4, 2, 6, 1, 5, 7, 3};
    for (int32_t a = 0; a < 8; ++a)
        EXPECT_EQ(SplitOrder(a, 8), expected[a]) << a;
}

TEST(SpectralTables, TablesHoldTheirDefinitions)
{
    const FftTables& tables = GetFftTables();
    EXPECT_EQ(&tables, &GetFftTables());
    EXPECT_NEAR(FftTables::kCosPi8, std::cos(kPi / 8), 1e-16);
    EXPECT_NEAR(FftTables::kSinPi8, std::sin(kPi / 8), 1e-16);
    EXPECT_NEAR(FftTables::kSqrtHalf, std::sqrt(0.5L), 1e-16);

    for (int m = 5; m <= 15; ++m) {
        const int32_t size = 1 << m;
        const int32_t count = (size <= 512 ? size / 4 : size / 8) - 1;
        const std::vector<double>& pairs = tables.rotations[m];
        ASSERT_EQ(pairs.size(), static_cast<size_t>(2 * count)) << size;
        for (int32_t k = 1; k <= count; ++k) {
            EXPECT_NEAR(pairs[2 * k - 2], std::cos(2 * kPi * k / size), 1e-15);
            EXPECT_NEAR(pairs[2 * k - 1], std::sin(2 * kPi * k / size), 1e-15);
        }
    }

    for (int m = 1; m <= 15; ++m) {
        const int32_t size = 1 << m;
        const std::vector<int32_t>& t = tables.reorder[m];
        ASSERT_EQ(t.size(), static_cast<size_t>(size));
        EXPECT_EQ(t[0], 0);
        for (int32_t i = 1; i < size; ++i) {
            const int32_t s = SplitOrder(i, size);
            ASSERT_TRUE(s >= 1 && s < size) << size << " " << i;
            ASSERT_EQ(t[size - s], i) << size << " " << i;
        }
        if (m < FftTables::kMinLog) continue;
        // Walking from the leaders must visit every moved position once, from its smallest.
        std::vector<int> visits(size, 0);
        for (const int32_t leader : tables.cycleLeaders[m]) {
            int32_t k = leader;
            do {
                EXPECT_GE(k, leader);
                ++visits[k];
                k = t[k];
            } while (k != leader);
        }
        for (int32_t k = 0; k < size; ++k)
            EXPECT_EQ(visits[k], t[k] == k ? 0 : 1) << size << " " << k;
    }
}

// A sequence of period 8 repeated twice: its 16-point transform is twice the 8-point
// one at the even frequencies and 0 at the odd ones, and positions i < 8 hold frequency
// 2 SplitOrder(i, 8). So the first eight positions show the 8-point results doubled.
TEST(MemoryFft, EightPointExamplesThroughTwoPeriods)
{
    CVexlMemory memory;
    std::vector<double> impulse(32, 0.0);
    impulse[0] = impulse[16] = 1.0;
    Store(memory, 0, impulse);
    MemoryFft(memory, 0, 16, 0);
    const std::vector<double> flat = Load(memory, 0, 32);
    for (int32_t i = 0; i < 16; ++i) {
        EXPECT_NEAR(flat[2 * i], i < 8 ? 2.0 : 0.0, 1e-15) << i;
        EXPECT_NEAR(flat[2 * i + 1], 0.0, 1e-15) << i;
    }

    std::vector<double> tone(32);
    for (int32_t n = 0; n < 16; ++n) {
        tone[2 * n] = static_cast<double>(std::cos(2 * kPi * n / 8));
        tone[2 * n + 1] = static_cast<double>(-std::sin(2 * kPi * n / 8));
    }
    Store(memory, 0, tone);
    MemoryFft(memory, 0, 16, 0);
    const std::vector<double> line = Load(memory, 0, 32);
    for (int32_t i = 0; i < 16; ++i) {
        EXPECT_NEAR(line[2 * i], i == 4 ? 16.0 : 0.0, 1e-13) << i;
        EXPECT_NEAR(line[2 * i + 1], 0.0, 1e-13) << i;
    }
}

TEST(MemoryFft, SixteenPointImpulseGivesAllOnes)
{
    CVexlMemory memory;
    memory.MemoryCell(int32_t{0}) = 1.0;
    MemoryFft(memory, 0, 16, 0);
    for (int32_t i = 0; i < 16; ++i) {
        EXPECT_EQ(memory.MemoryCell(2 * i), 1.0) << i;
        EXPECT_EQ(memory.MemoryCell(2 * i + 1), 0.0) << i;
    }
}

TEST(MemoryFft, ForwardThenNaturalOrderIsTheForwardDft)
{
    for (const int32_t n : kFftSizes) {
        SCOPED_TRACE(n);
        CVexlMemory memory;
        const std::vector<double> input = RandomCells(2 * n, n);
        Store(memory, 0, input);
        MemoryFft(memory, 0, n, 0);
        MemoryFft(memory, 0, n, 4);
        const std::vector<LComplex> x = AsComplex(input);
        const std::vector<LComplex> roots = Roots(n, -1);
        Expected expected;
        for (const int32_t k : CheckedPositions(n))
            expected.push_back({k, DftAt(x, roots, k)});
        ExpectComplexNear(Load(memory, 0, 2 * n), expected);
    }
}

TEST(MemoryFft, TransformOrderThenInverseIsTheUnnormalisedInverseDft)
{
    for (const int32_t n : kFftSizes) {
        SCOPED_TRACE(n);
        CVexlMemory memory;
        const std::vector<double> spectrum = RandomCells(2 * n, 1000 + n);
        Store(memory, 0, spectrum);
        MemoryFft(memory, 0, n, 5);
        MemoryFft(memory, 0, n, 1);
        const std::vector<LComplex> y = AsComplex(spectrum);
        const std::vector<LComplex> roots = Roots(n, +1);
        Expected expected;
        for (const int32_t k : CheckedPositions(n))
            expected.push_back({k, DftAt(y, roots, k)});
        ExpectComplexNear(Load(memory, 0, 2 * n), expected);
    }
}

TEST(MemoryFft, ForwardThenInverseGivesNTimesTheInput)
{
    for (const int32_t n : kFftSizes) {
        SCOPED_TRACE(n);
        CVexlMemory memory;
        const std::vector<double> input = RandomCells(2 * n, 2000 + n);
        Store(memory, 0, input);
        MemoryFft(memory, 0, n, 0);
        MemoryFft(memory, 0, n, 1);
        Expected expected;
        const long double times = n;
        for (int32_t k = 0; k < n; ++k)
            expected.push_back({k, {times * input[2 * k], times * input[2 * k + 1]}});
        ExpectComplexNear(Load(memory, 0, 2 * n), expected);
    }
}

TEST(MemoryFft, FastConvolutionIsTheCircularConvolution)
{
    for (const int32_t n : {16, 32, 1024, 32768}) {
        SCOPED_TRACE(n);
        CVexlMemory memory;
        // The second signal in the next block: a 32768-point range fills a whole block.
        const int32_t second = kMemoryBlockSize;
        const std::vector<double> a = RandomCells(2 * n, 3000 + n);
        const std::vector<double> b = RandomCells(2 * n, 4000 + n);
        Store(memory, 0, a);
        Store(memory, second, b);
        MemoryFft(memory, 0, n, 0);
        MemoryFft(memory, second, n, 0);
        MemoryComplexMultiply(memory, 0, second, n);
        MemoryFft(memory, 0, n, 1);
        std::vector<double> result = Load(memory, 0, 2 * n);
        for (double& c : result)
            c /= n;

        const std::vector<LComplex> x = AsComplex(a), y = AsComplex(b);
        Expected expected;
        for (const int32_t k : CheckedPositions(n)) {
            LComplex sum;
            for (int32_t j = 0; j < n; ++j)
                sum = sum + x[j] * y[(k - j + n) % n];
            expected.push_back({k, sum});
        }
        ExpectComplexNear(result, expected);
    }
}

TEST(MemoryFft, SizeIsRoundedDownToAPowerOfTwo)
{
    CVexlMemory memory;
    const std::vector<double> input = RandomCells(400, 5);
    Store(memory, 0, input);
    MemoryFft(memory, 0, 100, 0);
    MemoryFft(memory, 0, 64, 4);
    const std::vector<double> after = Load(memory, 0, 400);
    const std::vector<LComplex> x = AsComplex(std::vector<double>(input.begin(), input.begin() + 128));
    const std::vector<LComplex> roots = Roots(64, -1);
    Expected expected;
    for (int32_t k = 0; k < 64; ++k)
        expected.push_back({k, DftAt(x, roots, k)});
    ExpectComplexNear(after, expected);
    for (int32_t i = 128; i < 400; ++i)
        EXPECT_EQ(after[i], input[i]) << i;

    // 65535 rounds to 32768, which fits at the start of a block.
    const std::vector<double> full = RandomCells(65536, 6);
    Store(memory, 0, full);
    MemoryFft(memory, 0, 65535, 0);
    MemoryFft(memory, 0, 65535, 1);
    const std::vector<double> back = Load(memory, 0, 65536);
    for (int32_t i = 0; i < 65536; i += 997)
        EXPECT_NEAR(back[i], 32768.0 * full[i], 32768.0 * 1e-9) << i;
}

TEST(MemoryFft, OutOfRangeSizesAndOtherModesDoNothing)
{
    CVexlMemory memory;
    const std::vector<double> input = RandomCells(1024, 7);
    Store(memory, 0, input);
    for (const int32_t size : {15, 65536, 0, -16, INT32_MIN})
        MemoryFft(memory, 0, size, 0);
    for (const int32_t mode : {2, 3, 6, -1, 256})
        MemoryFft(memory, 0, 256, mode);
    EXPECT_EQ(Load(memory, 0, 1024), input);
}

TEST(MemoryFft, RangesAtTheEndOfABlock)
{
    CVexlMemory memory;
    // Offset 65520 plus 32 cells crosses into block 1: nothing is read, written or made.
    const int32_t crossing = kMemoryBlockSize - 16;
    const std::vector<double> tail = RandomCells(16, 8);
    Store(memory, crossing, tail);
    for (const int32_t mode : {0, 1, 4, 5})
        MemoryFft(memory, crossing, 16, mode);
    EXPECT_EQ(Load(memory, crossing, 16), tail);
    EXPECT_EQ(memory.Memory().FindBlock(kMemoryBlockSize), nullptr);

    // A range ending exactly at the end of a block is fine, negative indexes included.
    for (const int32_t index : {kMemoryBlockSize - 32, -32}) {
        SCOPED_TRACE(index);
        const std::vector<double> input = RandomCells(32, 9);
        Store(memory, index, input);
        MemoryFft(memory, index, 16, 0);
        MemoryFft(memory, index, 16, 1);
        const std::vector<double> back = Load(memory, index, 32);
        for (int32_t i = 0; i < 32; ++i)
            EXPECT_NEAR(back[i], 16.0 * input[i], 1e-12) << i;
    }
}

// cos(π m / (2n)) for m < 4n: the MDCT kernel, whose argument only matters modulo 4n.
std::vector<long double> MdctKernel(int32_t n)
{
    std::vector<long double> kernel(4 * n);
    for (int32_t m = 0; m < 4 * n; ++m)
        kernel[m] = std::cos(kPi * m / (2 * n));
    return kernel;
}

long double SineWindow(int32_t n, int32_t i) { return std::sin(kPi * (i + 0.5L) / n); }

std::vector<long double> MdctForwardSum(const std::vector<double>& x, int32_t n)
{
    const std::vector<long double> kernel = MdctKernel(n);
    const long double scale = n == 32 ? 1.0L : 4.0L / n;
    std::vector<long double> windowed(n);
    for (int32_t j = 0; j < n; ++j)
        windowed[j] = x[j] * SineWindow(n, j);
    std::vector<long double> coefficients(n / 2);
    for (int32_t k = 0; k < n / 2; ++k) {
        long double sum = 0.0L;
        for (int32_t j = 0; j < n; ++j)
            sum += windowed[j] * kernel[((2 * j + 1 + n / 2) * (2 * k + 1)) % (4 * n)];
        coefficients[k] = scale * sum;
    }
    return coefficients;
}

std::vector<long double> MdctInverseSum(const std::vector<double>& coefficients, int32_t n)
{
    const std::vector<long double> kernel = MdctKernel(n);
    const long double scale = n == 32 ? 4.0L / n : 1.0L;
    std::vector<long double> y(n);
    for (int32_t i = 0; i < n; ++i) {
        long double sum = 0.0L;
        for (int32_t k = 0; k < n / 2; ++k)
            sum += coefficients[k] * kernel[((2 * i + 1 + n / 2) * (2 * k + 1)) % (4 * n)];
        y[i] = scale * sum * SineWindow(n, i);
    }
    return y;
}

TEST(MemoryMdct, ForwardIsTheWindowedCosineSum)
{
    for (const int32_t n : kMdctSizes) {
        SCOPED_TRACE(n);
        CVexlMemory memory;
        const int32_t index = 3 * kMemoryBlockSize + 1000;
        const std::vector<double> input = RandomCells(n, 100 + n);
        Store(memory, index, input);
        MemoryMdct(memory, index, n, 0);
        const std::vector<double> after = Load(memory, index, n);
        ExpectRealNear(std::vector<double>(after.begin(), after.begin() + n / 2), MdctForwardSum(input, n));
        for (int32_t i = n / 2; i < n; ++i)
            EXPECT_EQ(after[i], input[i]) << i;
    }
}

TEST(MemoryMdct, InverseIsTheWindowedCosineSum)
{
    for (const int32_t n : kMdctSizes) {
        SCOPED_TRACE(n);
        CVexlMemory memory;
        const int32_t index = -5000;
        const std::vector<double> coefficients = RandomCells(n / 2, 200 + n);
        Store(memory, index, coefficients);
        MemoryMdct(memory, index, n, 1);
        ExpectRealNear(Load(memory, index, n), MdctInverseSum(coefficients, n));
    }
}

// Over the windowed quarters (a, b, c, d) of a block the inverse sum of the forward sum
// is (n/4)(a - b_r, b - a_r, c + d_r, d + c_r), r meaning reversed; the factor 4/n
// cancels the n/4, and where blocks taken at hops of n/2 overlap the window weights
// sum to sin^2 + cos^2 = 1 while the reversed terms cancel. So the overlap-add is x.
TEST(MemoryMdct, OverlappedInverseBlocksCancelAliasing)
{
    for (const int32_t n : {32, 64, 4096}) {
        SCOPED_TRACE(n);
        CVexlMemory memory;
        const int32_t hop = n / 2, blocks = 6;
        const std::vector<double> signal = RandomCells(hop * (blocks + 1), 300 + n);
        std::vector<double> sum(signal.size(), 0.0);
        for (int32_t b = 0; b < blocks; ++b) {
            Store(memory, 0, std::vector<double>(signal.begin() + b * hop, signal.begin() + b * hop + n));
            MemoryMdct(memory, 0, n, 0);
            MemoryMdct(memory, 0, n, 1);
            const std::vector<double> block = Load(memory, 0, n);
            for (int32_t i = 0; i < n; ++i)
                sum[b * hop + i] += block[i];
        }
        const std::vector<double> middle(sum.begin() + hop, sum.end() - hop);
        std::vector<long double> expected;
        for (size_t i = hop; i < signal.size() - hop; ++i)
            expected.push_back(signal[i]);
        ExpectRealNear(middle, expected);
    }
}

TEST(MemoryMdct, SizeRuleRangeAndDirectionByte)
{
    CVexlMemory memory;
    const std::vector<double> input = RandomCells(100, 10);
    Store(memory, 0, input);
    for (const int32_t size : {16, 8192, 31, 0, -64})
        MemoryMdct(memory, 0, size, 0);
    MemoryMdct(memory, kMemoryBlockSize - 63, 64, 0); // would cross into block 1
    EXPECT_EQ(Load(memory, 0, 100), input);
    EXPECT_EQ(memory.Memory().FindBlock(kMemoryBlockSize), nullptr);

    // Size 100 works on 64 values; direction 256 has a low byte of 0, so it is forward.
    MemoryMdct(memory, 0, 100, 256);
    const std::vector<double> after = Load(memory, 0, 100);
    ExpectRealNear(std::vector<double>(after.begin(), after.begin() + 32),
                   MdctForwardSum(std::vector<double>(input.begin(), input.begin() + 64), 64));
    for (int32_t i = 32; i < 100; ++i)
        EXPECT_EQ(after[i], input[i]) << i;

    // Any other direction is the inverse.
    for (const int32_t direction : {1, -1, 257}) {
        Store(memory, 0, input);
        MemoryMdct(memory, 0, 64, direction);
        const std::vector<double> coefficients(input.begin(), input.begin() + 32);
        ExpectRealNear(Load(memory, 0, 64), MdctInverseSum(coefficients, 64));
    }
}

TEST(MemoryComplexMultiply, CountOfFiveMultipliesFourValues)
{
    CVexlMemory memory;
    const std::vector<double> destination = {1, 2, 3, -4, 0.5, 0.25, -2, 1, 7, 8};
    const std::vector<double> source = {3, 4, -1, 2, 2, -8, 0, 1, 9, 9};
    Store(memory, 100, destination);
    Store(memory, 200, source);
    MemoryComplexMultiply(memory, 100, 200, 5);
    // (a + ib)(c + id) = (ac - bd) + i(ad + bc)
    const std::vector<double> expected = {-5, 10, 5, 10, 3, -3.5, -1, -2, 7, 8};
    EXPECT_EQ(Load(memory, 100, 10), expected);
    EXPECT_EQ(Load(memory, 200, 10), source);

    for (const int32_t count : {1, 0, -3})
        MemoryComplexMultiply(memory, 100, 200, count);
    EXPECT_EQ(Load(memory, 100, 10), expected);

    // The same range as both operands squares it.
    Store(memory, 300, {1, 2, 0, 3});
    MemoryComplexMultiply(memory, 300, 300, 2);
    EXPECT_EQ(Load(memory, 300, 4), (std::vector<double>{-3, 4, -9, 0}));

    // A source crossing the end of its block: nothing is multiplied.
    MemoryComplexMultiply(memory, 100, kMemoryBlockSize - 6, 4);
    EXPECT_EQ(Load(memory, 100, 10), expected);
}

TEST(Spectral, ConcurrentCallsOnSeparateMemoriesAgree)
{
    const std::vector<double> input = RandomCells(8192, 11);
    std::vector<double> results[2];
    const auto work = [&input](std::vector<double>& out) {
        CVexlMemory memory;
        for (const int32_t n : kMdctSizes) {
            Store(memory, 0, input);
            MemoryMdct(memory, 0, n, 0);
            MemoryMdct(memory, 0, n, 1);
            MemoryFft(memory, 0, 4 * n, 0);
            MemoryFft(memory, 0, 4 * n, 4);
            const std::vector<double> cells = Load(memory, 0, 8192);
            out.insert(out.end(), cells.begin(), cells.end());
        }
    };
    std::thread first(work, std::ref(results[0]));
    std::thread second(work, std::ref(results[1]));
    first.join();
    second.join();
    EXPECT_EQ(results[0], results[1]);
}

} // namespace
