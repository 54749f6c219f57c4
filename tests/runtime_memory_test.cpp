// Script memory and the conversion from script values to integers.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "runtime/memory.h"

namespace {

TEST(ToIndex, MovesAwayFromZeroThenTruncates)
{
    EXPECT_EQ(ToIndex(2.99995), 3);
    EXPECT_EQ(ToIndex(-2.99995), -3);
    EXPECT_EQ(ToIndex(2.9998), 2);
    EXPECT_EQ(ToIndex(41.99995), 42);
    EXPECT_EQ(ToIndex(41.9998), 41);
    EXPECT_EQ(ToIndex(-0.00005), 0);
    EXPECT_EQ(ToIndex(0.0), 0);
    EXPECT_EQ(ToIndex(-0.0), 0);
    EXPECT_EQ(ToIndex(-1.0), -1);
    EXPECT_EQ(ToIndex(65.0), 65);
    EXPECT_EQ(ToIndex(255.5), 255);
}

TEST(ToIndex, NaNAndOutOfRangeValuesGiveTheLowestIndex)
{
    EXPECT_EQ(ToIndex(std::nan("")), INT32_MIN);
    EXPECT_EQ(ToIndex(std::numeric_limits<double>::infinity()), INT32_MIN);
    EXPECT_EQ(ToIndex(-std::numeric_limits<double>::infinity()), INT32_MIN);
    EXPECT_EQ(ToIndex(2147483648.0), INT32_MIN);
    EXPECT_EQ(ToIndex(1e300), INT32_MIN);
    EXPECT_EQ(ToIndex(-2147483650.0), INT32_MIN);
    EXPECT_EQ(ToIndex(2147483647.0), INT32_MAX);
    EXPECT_EQ(ToIndex(2147483646.99995), INT32_MAX);
    EXPECT_EQ(ToIndex(-2147483648.0), INT32_MIN);
}

TEST(ScriptMemory, UntouchedCellsReadZeroAndMakeTheirBlock)
{
    CVexlMemory m;
    EXPECT_EQ(m.Memory().BlockCount(), 0);
    EXPECT_EQ(m.MemoryCell(1000000), 0.0);
    EXPECT_EQ(m.Memory().BlockCount(), 1);
    EXPECT_NE(m.Memory().FindBlock(15 * 65536), nullptr); // 1000000 >> 16 == 15
    EXPECT_EQ(m.Memory().FindBlock(16 * 65536), nullptr);
}

TEST(ScriptMemory, BlockBoundariesAndNegativeIndexesAreSeparateCells)
{
    CVexlMemory m;
    m.MemoryCell(65535) = 5.0;
    EXPECT_EQ(m.MemoryCell(65536), 0.0);
    EXPECT_EQ(m.MemoryCell(-1), 0.0);
    m.MemoryCell(-1) = 7.0;
    m.MemoryCell(-65536) = 8.0;
    m.MemoryCell(INT32_MIN) = 9.0;
    m.MemoryCell(INT32_MAX) = 10.0;
    EXPECT_EQ(m.MemoryCell(65535), 5.0);
    EXPECT_EQ(m.MemoryCell(-1), 7.0);
    EXPECT_EQ(m.MemoryCell(-65536), 8.0);
    EXPECT_EQ(m.MemoryCell(-65537), 0.0);
    EXPECT_EQ(m.MemoryCell(INT32_MIN), 9.0);
    EXPECT_EQ(m.MemoryCell(INT32_MAX), 10.0);
    // -1 is the last cell of block -1, INT32_MIN the first cell of block -32768
    EXPECT_EQ(&m.MemoryCell(-1), &m.Memory().Block(-65536).cells[65535]);
    EXPECT_EQ(&m.MemoryCell(INT32_MIN), &m.Memory().Block(INT32_MIN).cells[0]);
}

TEST(ScriptMemory, ScriptValuesAddressThroughToIndex)
{
    CVexlMemory m;
    m.MemoryCell(41.99995) = 1.5;
    EXPECT_EQ(m.MemoryCell(42), 1.5);
    m.MemoryCell(std::nan("")) = 2.5;
    EXPECT_EQ(m.MemoryCell(INT32_MIN), 2.5);
}

TEST(ScriptMemory, CellsStayPutUntilClearedAndClearingZeroesEverything)
{
    CVexlMemory m;
    double* first = &m.MemoryCell(12);
    *first = 3.0;
    for (int b = -40; b < 40; ++b)
        m.MemoryCell(b * 65536 + 3) = b;
    EXPECT_EQ(first, &m.MemoryCell(12));
    EXPECT_EQ(*first, 3.0);
    m.ClearMemory();
    EXPECT_EQ(m.Memory().BlockCount(), 0);
    EXPECT_EQ(m.MemoryCell(12), 0.0);
    EXPECT_EQ(m.MemoryCell(-39 * 65536 + 3), 0.0);
}

TEST(ScriptMemory, ARegionIsTheOneHomeOfItsCellsHoweverTheyAreReached)
{
    CVexlMemory m;
    ScriptMemory& memory = m.Memory();
    m.MemoryCell(65530) = 1.5; // makes block 0
    // Across the end of block 0, carrying over what the cells held; no block 1.
    ASSERT_TRUE(memory.Reserve(65530, 20));
    m.MemoryCell(65545) = 2.5;
    EXPECT_EQ(memory.BlockCount(), 1);
    EXPECT_EQ(memory.FindBlock(65545), nullptr);
    double* run = memory.View().Run(65530, 20);
    ASSERT_EQ(run, &m.MemoryCell(65530));
    EXPECT_EQ(run[0], 1.5);
    EXPECT_EQ(run[15], 2.5);
    EXPECT_EQ(memory.Cells(65530, 20), run);

    // Cells a region already holds need no other; a later region overlapping it takes
    // over what it holds, values included.
    ASSERT_TRUE(memory.Reserve(65540, 10));
    EXPECT_EQ(memory.RegionCount(), 1);
    ASSERT_TRUE(memory.Reserve(65545, 10));
    EXPECT_EQ(memory.RegionCount(), 2);
    EXPECT_NE(&m.MemoryCell(65545), run + 15);
    EXPECT_EQ(m.MemoryCell(65545), 2.5);
    EXPECT_EQ(memory.View().Run(65530, 15), run);
    // A run across the newer region's edge has no one home, so contiguous access (the
    // band path's pointers, the spectral functions) leaves it alone.
    EXPECT_EQ(memory.View().Run(65530, 20), nullptr);
    EXPECT_EQ(memory.Cells(65530, 20), nullptr);

    // The view finds only what exists.
    EXPECT_EQ(memory.View().Find(1000000), nullptr);
    EXPECT_EQ(memory.View().Run(1000000, 4), nullptr);
    EXPECT_EQ(memory.BlockCount(), 1);

    m.ClearMemory();
    EXPECT_EQ(memory.RegionCount(), 0);
    EXPECT_EQ(memory.View().Find(65545), nullptr);
    EXPECT_EQ(m.MemoryCell(65545), 0.0);
}

} // namespace
