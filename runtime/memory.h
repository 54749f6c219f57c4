#pragma once
// Script memory: a sparse array of doubles addressed by any signed 32-bit index. A cell
// lives in a block of 65536 values that appears, zero-filled, when first touched, or in
// a region: a short run of cells set aside beforehand by code that knows where it will
// work, such as the delay lines. Either way every index has one home, so every way of
// reaching a cell reaches the same value.

#include <atomic>
#include <cstdint>

// The one conversion from a script value to an integer: move the value 0.0001 away
// from zero, then truncate toward zero. NaN and values outside the int32 range give
// INT32_MIN by explicit test, never through an undefined conversion.
int32_t ToIndex(double v) noexcept;

// True when |v| >= 0.00001, the script's notion of "on".
inline bool IsOn(double v) noexcept { return v >= 0.00001 || v <= -0.00001; }

constexpr int32_t kMemoryBlockSize = 65536;

struct MemoryBlock {
    double cells[kMemoryBlockSize] = {};
};

// Whether the cells [index, index + cells) lie inside the block holding index. Ranges
// that would cross the end of a block are left alone: nothing is read or written.
inline bool FitsInBlock(int32_t index, int64_t cells) noexcept
{
    return cells >= 0 && (index & 0xFFFF) + cells <= kMemoryBlockSize;
}

// A run of cells kept apart from the blocks: the home of indexes first .. first + count - 1
// unless a region set aside later holds them.
struct MemoryRegion {
    int32_t first = 0;
    int32_t count = 0;
    double* cells = nullptr;
};

class MemoryView;

// Blocks are found through a two-level table indexed by block number, so an access is
// two loads; regions are searched newest first. Blocks and regions stay put until Clear(),
// so a cell reference is stable until then. The table's slots and the region count are
// atomic: the audio thread may look cells up while another thread makes blocks.
class ScriptMemory {
public:
    static constexpr int kMaxRegions = 256;

    ScriptMemory();
    ~ScriptMemory();
    ScriptMemory(const ScriptMemory&) = delete;
    ScriptMemory& operator=(const ScriptMemory&) = delete;

    // The cell of index, its block made on first touch when no region holds it.
    double& Cell(int32_t index);
    // The block holding index, made on first touch. Its cells that a region holds are
    // not the script's; Cells() answers contiguous runs with that in mind.
    MemoryBlock& Block(int32_t index);
    // Cells index .. index + count - 1 as one contiguous run, the block made if needed;
    // null when the run crosses the end of a block or the edge of a region.
    double* Cells(int32_t index, int32_t count);
    // Sets aside first .. first + count - 1 (cut at INT32_MAX) as a region holding what
    // the cells held. Nothing happens when one region already holds them all. With every
    // region taken, the cells are made in blocks and the answer is false. Allocates.
    bool Reserve(int32_t first, int32_t count);

    // The cell's home, or null when it has none yet; never allocates.
    double* Find(int32_t index) const noexcept;
    // Cells first .. first + count - 1 when one existing home holds them in a row, else
    // null; never allocates.
    double* FindRun(int32_t first, int32_t count) const noexcept;
    // The block if it exists, else null; never allocates.
    MemoryBlock* FindBlock(int32_t index) const noexcept;
    MemoryView View() const noexcept;

    void Clear() noexcept;
    int BlockCount() const noexcept { return blockCount_; }
    int RegionCount() const noexcept { return regionCount_.load(std::memory_order_acquire); }

private:
    static constexpr int kTableSize = 256;
    using Leaf = std::atomic<MemoryBlock*>;

    // The newest region overlapping first .. first + count - 1, or null.
    const MemoryRegion* NewestOverlapping(int32_t first, int64_t count) const noexcept;

    // Block number b lives in leaf (b + 32768) >> 8, slot (b + 32768) & 255.
    std::atomic<Leaf*> table_[kTableSize] = {};
    int blockCount_ = 0;
    MemoryRegion regions_[kMaxRegions];
    std::atomic<int> regionCount_{0};
};

// What audio code may do with script memory: find cells that already have a home. It has
// no member that makes a block or a region, so nothing reached through it allocates.
class MemoryView {
public:
    MemoryView() noexcept = default;
    explicit MemoryView(const ScriptMemory* memory) noexcept : memory_(memory) {}

    // The cell's home, or null when it has none (and always without a memory).
    double* Find(int32_t index) const noexcept { return memory_ ? memory_->Find(index) : nullptr; }
    // Cells first .. first + count - 1 when one existing home holds them in a row, else null.
    double* Run(int32_t first, int32_t count) const noexcept
    {
        return memory_ ? memory_->FindRun(first, count) : nullptr;
    }

private:
    const ScriptMemory* memory_ = nullptr;
};

inline MemoryView ScriptMemory::View() const noexcept { return MemoryView(this); }

class CVexlMemory {
public:
    CVexlMemory() = default;

    double& MemoryCell(int32_t index) { return memory_.Cell(index); }
    double& MemoryCell(double scriptValue) { return memory_.Cell(ToIndex(scriptValue)); }
    void ClearMemory() noexcept { memory_.Clear(); }
    ScriptMemory& Memory() noexcept { return memory_; }
    const ScriptMemory& Memory() const noexcept { return memory_; }

private:
    ScriptMemory memory_;
};
