// Pool set-up: which blocks are accepted, the single free block a fresh pool
// gets, the clamp of very large sizes, and starting a pool afresh.
#include <gtest/gtest.h>

#include <cstdint>

#include "mempool/pool_check.h"
#include "mempool/pool_test_support.h"
#include "vantir/mempool.h"

using namespace vantir::testing;

using Blocks = std::vector<RawBlock>;

TEST(MemPoolInit, RejectsUnusableBlocksWithoutWriting) {
    PoolBuffer buffer(64);
    EXPECT_EQ(MemPool_Init(nullptr, 64), nullptr);
    EXPECT_EQ(MemPool_Init(buffer.bytes(), 0), nullptr);
    EXPECT_EQ(MemPool_Init(buffer.bytes(), 28), nullptr);
    for (int shift = 1; shift < 4; ++shift) {
        EXPECT_EQ(MemPool_Init(buffer.bytes() + shift, 60), nullptr) << "shift " << shift;
    }
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(buffer.bytes()[i], 0xEE) << "byte " << i;
}

TEST(MemPoolInit, FreshPoolIsOneFreeBlock) {
    struct Case {
        uint32_t size;
        int32_t avail;
    };
    // 29..31 bytes leave an empty block; the rest is rounded down to whole words.
    for (Case c :
         {Case{29, 0}, Case{31, 0}, Case{32, 4}, Case{100, 72}, Case{103, 72}, Case{1028, 1000}}) {
        PoolBuffer buffer(c.size);
        MemPool* pool = buffer.Init();
        ASSERT_EQ(static_cast<void*>(pool), buffer.bytes()) << c.size;
        EXPECT_EQ(vantir::testing::FirstBlock(pool), 12u);
        EXPECT_EQ(vantir::testing::LastBlock(pool), 12u);
        EXPECT_EQ(FreeBytes(pool), static_cast<uint32_t>(c.avail));
        EXPECT_EQ(Chain(pool), (Blocks{{12, 0, c.avail}})) << c.size;
        EXPECT_TRUE(vantir::CheckPoolInvariants(pool, c.size)) << c.size;
    }
}

TEST(MemPoolInit, EmptyBlockServesOnlyZeroBytes) {
    PoolBuffer buffer(29);
    MemPool* pool = buffer.Init();
    EXPECT_EQ(MemPool_Alloc(pool, 1), nullptr);
    void* p = MemPool_Alloc(pool, 0);
    ASSERT_EQ(p, buffer.bytes() + 28);
    EXPECT_EQ(Chain(pool), (Blocks{{12, 1, 0}}));
    EXPECT_EQ(MemPool_Alloc(pool, 0), nullptr);
    MemPool_Free(pool, p);
    EXPECT_EQ(Chain(pool), (Blocks{{12, 0, 0}}));
    EXPECT_TRUE(vantir::CheckPoolInvariants(pool, 29));
}

// Only the 28 header bytes are touched, so a small buffer can stand in for a huge block.
TEST(MemPoolInit, ClampsAvailToTheSizeField) {
    constexpr int32_t kLargestBlock = INT32_MAX - 3;
    for (uint32_t size : {UINT32_MAX, 0x80000020u, 28u + static_cast<uint32_t>(kLargestBlock)}) {
        PoolBuffer buffer(64);
        MemPool* pool = MemPool_Init(buffer.bytes(), size);
        ASSERT_NE(pool, nullptr);
        EXPECT_EQ(FreeBytes(pool), static_cast<uint32_t>(kLargestBlock));
        EXPECT_EQ(Chain(pool), (Blocks{{12, 0, kLargestBlock}}));
        EXPECT_TRUE(vantir::CheckPoolInvariants(pool, size));
        EXPECT_EQ(MemPool_Alloc(pool, INT32_MAX), nullptr);  // rounding would overflow
        EXPECT_EQ(MemPool_Alloc(pool, INT32_MAX - 2), nullptr);
        // The whole block is handed out without writing into it.
        EXPECT_EQ(MemPool_Alloc(pool, kLargestBlock - 3), buffer.bytes() + 28);
        EXPECT_EQ(FreeBytes(pool), 0u);
    }
}

TEST(MemPoolInit, ReinitForgetsEveryAllocation) {
    PoolBuffer buffer(1028);
    MemPool* pool = buffer.Init();
    ASSERT_NE(MemPool_Alloc(pool, 100), nullptr);
    ASSERT_NE(MemPool_Alloc(pool, 200), nullptr);
    ASSERT_EQ(buffer.Init(), pool);
    EXPECT_EQ(Chain(pool), (Blocks{{12, 0, 1000}}));
    EXPECT_EQ(FreeBytes(pool), 1000u);
}
