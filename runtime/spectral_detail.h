#pragma once
// Pieces shared by the spectral functions; not part of the runtime's interface.

#include <bit>
#include <cstdint>

#include "runtime/spectral.h"

// log2 of the largest power of two not above size, or -1 for a size below 1.
inline int FloorLog2(int32_t size) noexcept { return size < 1 ? -1 : std::bit_width(static_cast<uint32_t>(size)) - 1; }

// The cells index .. index + cells - 1 in a row (their block made if missing); null when
// they do not have one home, as across the edge of a region: then they are left alone.
inline double* RunCells(CVexlMemory& memory, int32_t index, int32_t cells)
{
    return memory.Memory().Cells(index, cells);
}

// In place on 2^log2Size complex values, log2Size from 1 to 15. The forward pass leaves
// position i holding sum x[n] e^(+2πi n SplitOrder(i, N) / N); the inverse pass takes
// that arrangement back to natural order, unnormalised.
void SplitRadixForward(double* x, int log2Size, const FftTables& tables) noexcept;
void SplitRadixInverse(double* x, int log2Size, const FftTables& tables) noexcept;
