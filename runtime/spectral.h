#pragma once
// Spectral functions on ranges of script memory: an in-place complex FFT with its
// reorderings, a windowed MDCT and its inverse, and an element-wise complex multiply.
//
// A complex value is two adjacent cells, real part first. Every range must lie inside
// one memory block (offset within the block plus length at most 65536 cells); a range
// that would cross the end of its block leaves memory untouched.
//
// Threads: any thread. The tables and plans are built once per process and only read
// afterwards; each call works on its own stack scratch, so calls on different memories
// may run at the same time.

#include <array>
#include <cstdint>
#include <vector>

#include "runtime/memory.h"

struct FftTables {
    static constexpr int kMinLog = 4;  // 16 points
    static constexpr int kMaxLog = 15; // 32768 points

    static constexpr double kCosPi8 = 0.9238795325112867;
    static constexpr double kSinPi8 = 0.3826834323650898;
    static constexpr double kSqrtHalf = 0.7071067811865476;

    // rotations[m] for pass size M = 2^m, m = 5 .. 15: (cos 2πk/M, sin 2πk/M) pairs for
    // k = 1 .. M/4 - 1 when M <= 512 and k = 1 .. M/8 - 1 when M >= 1024; the passes of
    // the larger sizes get the rest of the quarter turn by swapping cos and sin.
    std::array<std::vector<double>, kMaxLog + 1> rotations;
    // reorder[m] is T_N for N = 2^m, m = 1 .. 15: T_N[0] = 0, T_N[N - SplitOrder(i, N)] = i.
    std::array<std::vector<int32_t>, kMaxLog + 1> reorder;
    // cycleLeaders[m], m = 4 .. 15: the smallest position of every cycle of T_N that is
    // longer than one, so that reordering can run in place along the cycles.
    std::array<std::vector<int32_t>, kMaxLog + 1> cycleLeaders;
};

// Builds the tables on first call; concurrent first calls build them exactly once.
void EnsureFftTables();
const FftTables& GetFftTables();

// The frequency (as a multiple of 2π/b) that position a of a b-point transform holds
// after MemoryFft mode 0; b a power of two, 0 <= a < b. For b = 8: 0 4 2 6 1 5 7 3.
int32_t SplitOrder(int32_t a, int32_t b);

// N is the largest power of two not above size; nothing happens unless 16 <= N <= 32768.
// Mode 0: unnormalised split-radix transform, position i ends up holding
//         sum x[n] e^(+2πi n SplitOrder(i, N) / N).
// Mode 4: reorder so that mode 0 then 4 is the forward DFT in natural order.
// Mode 5: the inverse of mode 4.
// Mode 1: unnormalised inverse from the order mode 0 leaves (mode 0 then 1 gives N x).
// Other modes do nothing.
void MemoryFft(CVexlMemory& memory, int32_t index, int32_t size, int32_t mode);

// n is the largest power of two not above size; nothing happens unless 32 <= n <= 4096.
// A direction whose low byte is 0 is the forward transform: n windowed values become
// n/2 coefficients in the first n/2 cells, the rest kept. Anything else is the inverse:
// n/2 coefficients become n windowed values. The forward result carries the factor 4/n
// for n >= 64, the inverse one for n = 32.
void MemoryMdct(CVexlMemory& memory, int32_t index, int32_t size, int32_t direction);

// destination[k] *= source[k] for the complex values k < count, an odd count being
// reduced by one; nothing for a count below 2.
void MemoryComplexMultiply(CVexlMemory& memory, int32_t destination, int32_t source, int32_t count);
