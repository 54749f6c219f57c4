#pragma once
// Script memory: a sparse array of doubles addressed by any signed 32-bit index,
// stored as blocks of 65536 values that appear, zero-filled, when first touched.

#include <cstdint>
#include <memory>

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

// Blocks are found through a direct table indexed by block number (65536 entries), so
// an access is a shift and a load rather than a map search. Blocks stay put until
// Clear(), so a cell reference is stable until then.
class ScriptMemory {
public:
    ScriptMemory();
    ~ScriptMemory();
    ScriptMemory(const ScriptMemory&) = delete;
    ScriptMemory& operator=(const ScriptMemory&) = delete;

    double& Cell(int32_t index);
    // The block holding index, made on first touch. Audio code that knows a range stays
    // inside one block may work on the block directly.
    MemoryBlock& Block(int32_t index);
    // The block if it exists, else null; never allocates.
    MemoryBlock* FindBlock(int32_t index) const noexcept;
    void Clear() noexcept;
    int BlockCount() const noexcept { return blockCount_; }

private:
    std::unique_ptr<MemoryBlock*[]> table_;
    int blockCount_ = 0;
};

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
