#include "runtime/spectral_detail.h"

namespace {

// Position k receives the value at t[k], following each cycle from its leader.
void GatherAlongCycles(double* x, const std::vector<int32_t>& t, const std::vector<int32_t>& leaders) noexcept
{
    for (const int32_t leader : leaders) {
        const double keptRe = x[2 * leader], keptIm = x[2 * leader + 1];
        int32_t k = leader;
        for (int32_t from = t[k]; from != leader; from = t[k]) {
            x[2 * k] = x[2 * from];
            x[2 * k + 1] = x[2 * from + 1];
            k = from;
        }
        x[2 * k] = keptRe;
        x[2 * k + 1] = keptIm;
    }
}

// The value at position k moves to t[k]: the inverse of GatherAlongCycles.
void ScatterAlongCycles(double* x, const std::vector<int32_t>& t, const std::vector<int32_t>& leaders) noexcept
{
    for (const int32_t leader : leaders) {
        double carriedRe = x[2 * leader], carriedIm = x[2 * leader + 1];
        int32_t k = leader;
        do {
            k = t[k];
            const double re = x[2 * k], im = x[2 * k + 1];
            x[2 * k] = carriedRe;
            x[2 * k + 1] = carriedIm;
            carriedRe = re;
            carriedIm = im;
        } while (k != leader);
    }
}

} // namespace

void MemoryFft(CVexlMemory& memory, int32_t index, int32_t size, int32_t mode)
{
    const int log2Size = FloorLog2(size);
    if (log2Size < FftTables::kMinLog || log2Size > FftTables::kMaxLog) return;
    if (mode != 0 && mode != 1 && mode != 4 && mode != 5) return;
    if (!FitsInBlock(index, 2 << log2Size)) return;
    double* x = RunCells(memory, index, 2 << log2Size);
    if (!x) return;
    const FftTables& tables = GetFftTables();
    switch (mode) {
    case 0:
        SplitRadixForward(x, log2Size, tables);
        break;
    case 1:
        SplitRadixInverse(x, log2Size, tables);
        break;
    case 4:
        GatherAlongCycles(x, tables.reorder[log2Size], tables.cycleLeaders[log2Size]);
        break;
    case 5:
        ScatterAlongCycles(x, tables.reorder[log2Size], tables.cycleLeaders[log2Size]);
        break;
    }
}
