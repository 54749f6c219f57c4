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

constexpr int kLeafSize = 256;

// The block number's place in the two-level table, counted from block -32768.
inline unsigned TablePlace(int32_t index) noexcept { return static_cast<unsigned>((index >> 16) + 32768); }

inline bool Holds(const MemoryRegion& r, int64_t first, int64_t count) noexcept
{
    return first >= r.first && first + count <= static_cast<int64_t>(r.first) + r.count;
}

} // namespace

ScriptMemory::ScriptMemory() = default;

ScriptMemory::~ScriptMemory()
{
    Clear();
    for (auto& leaf : table_)
        delete[] leaf.load(std::memory_order_relaxed);
}

MemoryBlock& ScriptMemory::Block(int32_t index)
{
    const unsigned place = TablePlace(index);
    std::atomic<Leaf*>& top = table_[place / kLeafSize];
    Leaf* leaf = top.load(std::memory_order_acquire);
    if (!leaf) {
        leaf = new Leaf[kLeafSize]();
        top.store(leaf, std::memory_order_release);
    }
    Leaf& slot = leaf[place % kLeafSize];
    MemoryBlock* block = slot.load(std::memory_order_acquire);
    if (!block) {
        block = new MemoryBlock();
        slot.store(block, std::memory_order_release);
        ++blockCount_;
    }
    return *block;
}

MemoryBlock* ScriptMemory::FindBlock(int32_t index) const noexcept
{
    const unsigned place = TablePlace(index);
    const Leaf* leaf = table_[place / kLeafSize].load(std::memory_order_acquire);
    return leaf ? leaf[place % kLeafSize].load(std::memory_order_acquire) : nullptr;
}

const MemoryRegion* ScriptMemory::NewestOverlapping(int32_t first, int64_t count) const noexcept
{
    const int64_t end = static_cast<int64_t>(first) + count;
    for (int i = regionCount_.load(std::memory_order_acquire) - 1; i >= 0; --i) {
        const MemoryRegion& r = regions_[i];
        if (first < static_cast<int64_t>(r.first) + r.count && r.first < end) return &r;
    }
    return nullptr;
}

double* ScriptMemory::Find(int32_t index) const noexcept
{
    if (const MemoryRegion* r = NewestOverlapping(index, 1)) return r->cells + (index - r->first);
    MemoryBlock* block = FindBlock(index);
    return block ? block->cells + (index & 0xFFFF) : nullptr;
}

double& ScriptMemory::Cell(int32_t index)
{
    if (double* cell = Find(index)) return *cell;
    return Block(index).cells[index & 0xFFFF];
}

// A run that meets a region has a contiguous home only inside the newest region it meets;
// a run that meets none, only inside one block.
double* ScriptMemory::FindRun(int32_t first, int32_t count) const noexcept
{
    if (count < 0) return nullptr;
    if (const MemoryRegion* r = NewestOverlapping(first, count))
        return Holds(*r, first, count) ? r->cells + (first - r->first) : nullptr;
    if (!FitsInBlock(first, count)) return nullptr;
    MemoryBlock* block = FindBlock(first);
    return block ? block->cells + (first & 0xFFFF) : nullptr;
}

double* ScriptMemory::Cells(int32_t index, int32_t count)
{
    if (count < 0) return nullptr;
    if (NewestOverlapping(index, count) || !FitsInBlock(index, count)) return FindRun(index, count);
    return Block(index).cells + (index & 0xFFFF);
}

bool ScriptMemory::Reserve(int32_t first, int32_t count)
{
    if (count <= 0) return true;
    const int64_t room = static_cast<int64_t>(INT32_MAX) - first + 1;
    if (count > room) count = static_cast<int32_t>(room);
    if (const MemoryRegion* r = NewestOverlapping(first, count); r && Holds(*r, first, count)) return true;

    const int n = regionCount_.load(std::memory_order_relaxed);
    if (n == kMaxRegions) {
        for (int64_t k = 0; k < count; ++k)
            Cell(static_cast<int32_t>(first + k));
        return false;
    }
    auto* cells = new double[static_cast<size_t>(count)];
    for (int64_t k = 0; k < count; ++k) {
        const double* home = Find(static_cast<int32_t>(first + k));
        cells[k] = home ? *home : 0.0;
    }
    regions_[n] = MemoryRegion{first, count, cells};
    // Published only once filled: a reader that sees the count sees the region whole.
    regionCount_.store(n + 1, std::memory_order_release);
    return true;
}

void ScriptMemory::Clear() noexcept
{
    const int regions = regionCount_.load(std::memory_order_relaxed);
    regionCount_.store(0, std::memory_order_release);
    for (int i = 0; i < regions; ++i) {
        delete[] regions_[i].cells;
        regions_[i] = MemoryRegion{};
    }
    if (blockCount_ == 0) return;
    for (auto& top : table_) {
        Leaf* leaf = top.load(std::memory_order_relaxed);
        if (!leaf) continue;
        for (int i = 0; i < kLeafSize; ++i)
            delete leaf[i].exchange(nullptr, std::memory_order_acq_rel);
    }
    blockCount_ = 0;
}
