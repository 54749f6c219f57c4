#include <cmath>
#include <numbers>

#include "runtime/spectral.h"

int32_t SplitOrder(int32_t a, int32_t b)
{
    if (b < 3) return a;
    if (a < b / 2) return 2 * SplitOrder(a, b / 2);
    const int32_t rest = a - b / 2;
    const int32_t quarter = b / 4;
    if (rest < quarter) return 4 * SplitOrder(rest, quarter) + 1;
    return (b - 1) & (4 * SplitOrder(rest - quarter, quarter) - 1);
}

namespace {

void BuildRotations(FftTables& tables)
{
    for (int m = 5; m <= FftTables::kMaxLog; ++m) {
        const int32_t size = 1 << m;
        const int32_t count = (size <= 512 ? size / 4 : size / 8) - 1;
        std::vector<double>& pairs = tables.rotations[m];
        pairs.resize(2 * count);
        for (int32_t k = 1; k <= count; ++k) {
            const double angle = 2.0 * std::numbers::pi * k / size;
            pairs[2 * (k - 1)] = std::cos(angle);
            pairs[2 * (k - 1) + 1] = std::sin(angle);
        }
    }
}

// SplitOrder for every position of every size, each size from the two below it by the
// same recurrence, so the whole set costs one pass per size.
void BuildReorder(FftTables& tables)
{
    std::array<std::vector<int32_t>, FftTables::kMaxLog + 1> order;
    order[0] = {0};
    order[1] = {0, 1};
    for (int m = 2; m <= FftTables::kMaxLog; ++m) {
        const int32_t size = 1 << m;
        const int32_t half = size / 2, quarter = size / 4;
        std::vector<int32_t>& o = order[m];
        o.resize(size);
        for (int32_t i = 0; i < half; ++i)
            o[i] = 2 * order[m - 1][i];
        for (int32_t j = 0; j < quarter; ++j) {
            o[half + j] = 4 * order[m - 2][j] + 1;
            o[half + quarter + j] = (size - 1) & (4 * order[m - 2][j] - 1);
        }
    }
    for (int m = 1; m <= FftTables::kMaxLog; ++m) {
        const int32_t size = 1 << m;
        std::vector<int32_t>& t = tables.reorder[m];
        t.assign(size, 0);
        for (int32_t i = 1; i < size; ++i)
            t[size - order[m][i]] = i;
    }
}

void BuildCycleLeaders(FftTables& tables)
{
    for (int m = FftTables::kMinLog; m <= FftTables::kMaxLog; ++m) {
        const std::vector<int32_t>& t = tables.reorder[m];
        std::vector<bool> seen(t.size(), false);
        for (int32_t start = 0; start < static_cast<int32_t>(t.size()); ++start) {
            if (seen[start] || t[start] == start) continue;
            tables.cycleLeaders[m].push_back(start);
            for (int32_t k = start; !seen[k]; k = t[k])
                seen[k] = true;
        }
    }
}

FftTables BuildFftTables()
{
    FftTables tables;
    BuildRotations(tables);
    BuildReorder(tables);
    BuildCycleLeaders(tables);
    return tables;
}

} // namespace

const FftTables& GetFftTables()
{
    // A function-local static: the first caller builds, concurrent callers wait for it.
    static const FftTables tables = BuildFftTables();
    return tables;
}

void EnsureFftTables() { static_cast<void>(GetFftTables()); }
