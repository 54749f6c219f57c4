#include "runtime/spectral_detail.h"

void MemoryComplexMultiply(CVexlMemory& memory, int32_t destination, int32_t source, int32_t count)
{
    count &= ~1;
    if (count < 2) return;
    if (count > kMemoryBlockSize / 2) return; // too long for any block
    if (!FitsInBlock(destination, 2 * count) || !FitsInBlock(source, 2 * count)) return;
    double* d = RunCells(memory, destination, 2 * count);
    const double* s = RunCells(memory, source, 2 * count);
    if (!d || !s) return;
    // Value by value in increasing order, so overlapping ranges behave like the plain loop.
    for (int32_t k = 0; k < 2 * count; k += 2) {
        const double a = d[k], b = d[k + 1], c = s[k], e = s[k + 1];
        d[k] = a * c - b * e;
        d[k + 1] = a * e + b * c;
    }
}
