#include "runtime/memory.h"

#include <cmath>

int32_t ToIndex(double v) noexcept
{
    const double moved = v < 0.0 ? v - 0.0001 : v + 0.0001;
    // The comparisons are false for NaN, which therefore takes the fallback as well.
    if (!(moved > -2147483649.0 && moved < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(moved);
}

namespace {
constexpr int kTableSize = 65536;
inline int TableSlot(int32_t index) noexcept { return (index >> 16) + 32768; }
} // namespace

ScriptMemory::ScriptMemory() : table_(new MemoryBlock*[kTableSize]()) {}

ScriptMemory::~ScriptMemory() { Clear(); }

MemoryBlock& ScriptMemory::Block(int32_t index)
{
    MemoryBlock*& slot = table_[TableSlot(index)];
    if (!slot) {
        slot = new MemoryBlock();
        ++blockCount_;
    }
    return *slot;
}

double& ScriptMemory::Cell(int32_t index) { return Block(index).cells[index & 0xFFFF]; }

MemoryBlock* ScriptMemory::FindBlock(int32_t index) const noexcept { return table_[TableSlot(index)]; }

void ScriptMemory::Clear() noexcept
{
    if (blockCount_ == 0) return;
    for (int i = 0; i < kTableSize; ++i) {
        delete table_[i];
        table_[i] = nullptr;
    }
    blockCount_ = 0;
}
