// Release: the four merge cases with their effect on sizes, links, lastBlock and
// freeBytes, and the calls that must leave a pool alone.
#include <gtest/gtest.h>

#include <cstdint>

#include "mempool/pool_check.h"
#include "mempool/pool_test_support.h"
#include "vantir/mempool.h"

using namespace vantir::testing;

using Blocks = std::vector<RawBlock>;

namespace {

// Four blocks of 100 at headers 12, 128, 244, 360 below a free top block of 536.
class MemPoolFree : public ::testing::Test {
  protected:
    void SetUp() override {
        pool = buffer.Init();
        for (void*& p : blocks)
            p = MemPool_Alloc(pool, 100);
        ASSERT_EQ(
            Chain(pool),
            (Blocks{{12, 1, 100}, {128, 1, 100}, {244, 1, 100}, {360, 1, 100}, {476, 0, 536}}));
    }
    void TearDown() override { EXPECT_TRUE(vantir::CheckPoolInvariants(pool, buffer.size())); }

    PoolBuffer buffer{1028};
    MemPool* pool = nullptr;
    void* blocks[4] = {};
};

}  // namespace

TEST_F(MemPoolFree, NeitherNeighbourFreeOnlyMarksTheBlock) {
    MemPool_Free(pool, blocks[1]);
    EXPECT_EQ(Chain(pool),
              (Blocks{{12, 1, 100}, {128, 0, 100}, {244, 1, 100}, {360, 1, 100}, {476, 0, 536}}));
    EXPECT_EQ(FreeBytes(pool), 636u);
}

TEST_F(MemPoolFree, FreePreviousBlockAbsorbsTheReleasedOne) {
    MemPool_Free(pool, blocks[0]);
    MemPool_Free(pool, blocks[1]);
    EXPECT_EQ(Chain(pool), (Blocks{{12, 0, 216}, {244, 1, 100}, {360, 1, 100}, {476, 0, 536}}));
    EXPECT_EQ(FreeBytes(pool), 536u + 216);
    EXPECT_EQ(vantir::testing::ReadU32(buffer.bytes() + 244 + 8), 12u);  // prev of the block after
}

TEST_F(MemPoolFree, ReleasedBlockAbsorbsAFreeNextBlock) {
    MemPool_Free(pool, blocks[2]);
    MemPool_Free(pool, blocks[1]);
    EXPECT_EQ(Chain(pool), (Blocks{{12, 1, 100}, {128, 0, 216}, {360, 1, 100}, {476, 0, 536}}));
    EXPECT_EQ(FreeBytes(pool), 536u + 216);
    EXPECT_EQ(vantir::testing::ReadU32(buffer.bytes() + 360 + 8), 128u);
}

TEST_F(MemPoolFree, BothNeighboursFreeMergeIntoThePreviousBlock) {
    MemPool_Free(pool, blocks[0]);
    MemPool_Free(pool, blocks[2]);
    MemPool_Free(pool, blocks[1]);
    EXPECT_EQ(Chain(pool), (Blocks{{12, 0, 332}, {360, 1, 100}, {476, 0, 536}}));
    EXPECT_EQ(FreeBytes(pool), 536u + 332);
    EXPECT_EQ(vantir::testing::ReadU32(buffer.bytes() + 360 + 8), 12u);
}

TEST_F(MemPoolFree, AbsorbingTheLastBlockMovesLastBlock) {
    MemPool_Free(pool, blocks[3]);
    EXPECT_EQ(Chain(pool), (Blocks{{12, 1, 100}, {128, 1, 100}, {244, 1, 100}, {360, 0, 652}}));
    EXPECT_EQ(LastBlock(pool), 360u);
    MemPool_Free(pool, blocks[1]);
    MemPool_Free(pool, blocks[2]);  // both neighbours free, the next one being the last
    EXPECT_EQ(Chain(pool), (Blocks{{12, 1, 100}, {128, 0, 884}}));
    EXPECT_EQ(LastBlock(pool), 128u);
    EXPECT_EQ(FreeBytes(pool), 884u);
}

TEST_F(MemPoolFree, PreviousBlockTakesOverWhenTheLastBlockIsReleased) {
    void* top = MemPool_Alloc(pool, 536);  // the whole top block
    ASSERT_NE(top, nullptr);
    MemPool_Free(pool, blocks[3]);
    MemPool_Free(pool, top);
    EXPECT_EQ(Chain(pool), (Blocks{{12, 1, 100}, {128, 1, 100}, {244, 1, 100}, {360, 0, 652}}));
    EXPECT_EQ(LastBlock(pool), 360u);
}

TEST_F(MemPoolFree, IgnoresNullAndAlreadyReleasedBlocks) {
    MemPool_Free(pool, blocks[1]);
    Blocks before = Chain(pool);
    MemPool_Free(pool, blocks[1]);
    MemPool_Free(pool, nullptr);
    MemPool_Free(nullptr, blocks[0]);
    EXPECT_EQ(Chain(pool), before);
    EXPECT_EQ(FreeBytes(pool), 636u);
}
